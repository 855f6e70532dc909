#pragma once

#include "itempanel/frame_images.h"
#include "itempanel/page_owner.h"
#include "project/face_data.h"
#include "timeline/timeline_item_panel.h"

#include <QWidget>
#include <array>

class CEffectDlg;
class CFilterDlg;
class CGdiButton;
class CPageDlg;
class CPropetyDlg;
class CSettingDlgOwner;

// The item panel: a tool window of the main view that shows the item the timeline selected, the
// work item, on three tabbed pages (properties, effects, filter) in a scrolling page holder. It
// loads the item into the pages (SetItem, UpdateItem), reads them back whenever a page reports an
// edit, tells the view (CSettingDlgOwner), keeps the LINK items of other faces in step with the
// edited item (written through the timeline's CTimeLineFaceAccess) and moves the LINK items that
// mirror an item whose start changed. The timeline reaches it as its CTimeLineItemPanel.
class CSettingDlg : public QWidget, public CTimeLineItemPanel, public CItemPageOwner {
    Q_OBJECT

public:
    enum ControlId : int { IDC_TAB_PROPERTY = 1100, IDC_TAB_EFFECTS = 1101, IDC_TAB_FILTER = 1102 };
    static constexpr int kWidth = 365;
    static constexpr int kMinimumHeight = 260;
    // The tab row lies above this line.
    static constexpr int kFrameTop = 31;

    // A null owner: the panel sends nothing.
    explicit CSettingDlg(CSettingDlgOwner* owner, QWidget* parent = nullptr);
    ~CSettingDlg() override;

    // ---- Set by the view before Create -------------------------------------------------------
    QString m_workFolder; // the base of the thumbnails
    QString m_skinFolder; // ends with '/'
    QString m_settingFolder; // the folder of "Kaleidra.ini", "Effect.ini" and "Filter.ini"

    // Loads the frame, builds the tab buttons, the page holder and the three pages (whose table
    // files are read now) and leaves the window hidden.
    void Create();
    bool IsCreated() const { return m_initialised; }

    // ---- Set by the view afterwards ---------------------------------------------------------
    // The project's name and kind (1 folder, 2 package), handed to the pages.
    void SetProject(const QString& projectName, int projectKind);
    // The folders the file dialogs of the properties page start in.
    void SetLastFolders(
        const QString& image, const QString& movie, const QString& sound, const QString& mask);

    CPropetyDlg* PropertyPage() const { return m_propertyPage; }
    CEffectDlg* EffectPage() const { return m_effectPage; }
    CFilterDlg* FilterPage() const { return m_filterPage; }
    CPageDlg* PageHolder() const { return m_pageHolder; }
    CGdiButton* TabButton(int tab) const;
    const tagTL_FACE_ITEM_DATA& WorkItem() const { return m_workItem; }

    // ---- Items -------------------------------------------------------------------------------
    // The item header of the effects and filter pages.
    void SetItemCaption(int32_t channel,
        int32_t faceNo,
        int32_t subNo,
        int32_t start,
        int32_t playTime,
        int32_t kind,
        int32_t linkKind);
    // One page into a record; false (record untouched) without that page.
    bool ReadPropertyPage(tagTL_FACE_ITEM_DATA& item) const;
    bool ReadEffectPage(tagTL_FACE_ITEM_DATA& item) const;
    bool ReadFilterPage(tagTL_FACE_ITEM_DATA& item) const;
    // The item of the face with the smallest start after the time; false when the face or such
    // an item is not there.
    bool FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const;

    // ---- CTimeLineItemPanel ----------------------------------------------------------------
    void SetFaceList(CTimeLineFaceAccess& faces) override;
    // Loads the item unless its key, play time and kind are those of the item shown.
    void SetItem(const tagTL_FACE_ITEM_DATA& item) override;
    // Refreshes the pages from a changed version of the item shown; nothing for another item.
    void UpdateItem(const tagTL_FACE_ITEM_DATA& item) override;
    void ClearItem() override;
    bool IsCurrentItem(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start) const override;
    void SetLock(int32_t lock) override;
    bool IsPanelVisible() const override { return isVisible(); }
    void ShowPanel() override;
    int CurrentTab() const override { return m_currentTab; }
    // Shows page 0, 1 or 2 and checks its tab; other values do nothing.
    void SelectTab(int tab) override;
    bool IsEffectsTabEnabled() const override { return true; }
    bool IsFilterTabEnabled() const override { return true; }
    const CEffectIni* EffectTable() const override;

protected:
    // ---- CItemPageOwner: the pages' reports ------------------------------------------------
    void OnPropertyChanged() override { OnItemChanged(); }
    void OnEffectChanged() override { OnItemChanged(); }
    void OnFilterChanged() override { OnItemChanged(); }
    void OnPreviewChanged() override;
    void OnApplyToItems(const std::vector<tagTL_FACE_ITEM_DATA>& mirrors) override;
    void OnLinkFaceChanged() override;
    int OnResetEffectPage() override;
    int OnResetFilterPage() override;
    void OnUndoKey() override;
    void OnRedoKey() override;
    void OnEditGroup(bool begin) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QRect PageHolderRect() const;
    void OnItemChanged();
    // Brings the LINK items of the other faces in step with the edited item.
    void SyncLinkItems(const tagTL_FACE_ITEM_DATA& work);
    void ReadPages(tagTL_FACE_ITEM_DATA& item) const;
    void BeginBatch();
    void EndBatch();
    // A slider drag that is still open ends with the item.
    void CloseEditGroup();
    void WatchPageControls(QWidget* widget);

    CSettingDlgOwner* m_owner = nullptr;
    CTimeLineFaceAccess* m_faces = nullptr;
    std::array<CGdiButton*, 3> m_tabs {};
    CPageDlg* m_pageHolder = nullptr;
    CPropetyDlg* m_propertyPage = nullptr;
    CEffectDlg* m_effectPage = nullptr;
    CFilterDlg* m_filterPage = nullptr;
    CFramePieces m_frame;
    bool m_initialised = false;
    int m_currentTab = 0;
    tagTL_FACE_ITEM_DATA m_workItem;
    QString m_projectName;
    int m_projectKind = 1;
    int m_batchDepth = 0;
    bool m_editGroupOpen = false;
};
