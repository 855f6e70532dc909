#pragma once

#include "itempanel/page_owner.h"
#include "itempanel/preview_media.h"
#include "timeline/timeline_item_panel.h"

#include <QImage>
#include <QMap>
#include <QSize>
#include <QStringList>
#include <functional>
#include <vector>

class QLineEdit;
class QComboBox;
class QWidget;

// Helpers of the item panel's window tests.
namespace page_fixtures {

// Records every report of the pages, one short text each ("PropertyChanged", "ApplyToItems 2",
// "EditGroup 1"); a test may hook a reaction.
class CRecordingPageOwner : public CItemPageOwner {
public:
    QStringList calls;
    std::vector<std::vector<tagTL_FACE_ITEM_DATA>> appliedMirrors;
    std::function<void(const QString&)> onCall;
    int resetResult = 0;

    void OnPropertyChanged() override { Record(QStringLiteral("PropertyChanged")); }
    void OnPreviewChanged() override { Record(QStringLiteral("PreviewChanged")); }
    void OnApplyToItems(const std::vector<tagTL_FACE_ITEM_DATA>& mirrors) override
    {
        appliedMirrors.push_back(mirrors);
        Record(QStringLiteral("ApplyToItems %1").arg(mirrors.size()));
    }
    void OnLinkFaceChanged() override { Record(QStringLiteral("LinkFaceChanged")); }
    int OnResetEffectPage() override
    {
        Record(QStringLiteral("ResetEffectPage"));
        return resetResult;
    }
    int OnResetFilterPage() override
    {
        Record(QStringLiteral("ResetFilterPage"));
        return resetResult;
    }
    void OnUndoKey() override { Record(QStringLiteral("UndoKey")); }
    void OnRedoKey() override { Record(QStringLiteral("RedoKey")); }
    void OnEffectChanged() override { Record(QStringLiteral("EffectChanged")); }
    void OnFilterChanged() override { Record(QStringLiteral("FilterChanged")); }
    void OnEditGroup(bool begin) override { Record(QStringLiteral("EditGroup %1").arg(begin ? 1 : 0)); }

private:
    void Record(const QString& call)
    {
        calls << call;
        if (onCall)
            onCall(call);
    }
};

// Movies and sounds by path: a movie has a frame size and a length; every frame asked for is
// logged by its time and rendered as a solid picture.
class CFakeMedia : public CPreviewMedia {
public:
    struct Movie {
        QSize size;
        int32_t durationMs = 0;
    };
    QMap<QString, Movie> movies;
    QMap<QString, int32_t> soundLengths;
    std::vector<int32_t>* frameTimes = nullptr; // where asked frame times go, when set
    bool framesAvailable = true;

    bool OpenMovie(const QString& path) override;
    void CloseMovie() override { m_open.reset(); }
    bool IsMovieOpen() const override { return m_open.has_value(); }
    QSize MovieSize() const override { return m_open ? m_open->size : QSize(); }
    int32_t MovieDuration() const override { return m_open ? m_open->durationMs : 0; }
    QImage GetFrameBitmap(int32_t timeMs) override;
    bool GetSoundLength(const QString& path, int32_t& lengthMs) override;

private:
    std::optional<Movie> m_open;
};

// The timeline's faces for the pages: a plain list, read and written by face number.
class CFakeFaces : public CTimeLineFaceAccess {
public:
    std::vector<tagTL_FACE_DATA> faces;
    QStringList writes; // "face@start" of every SetItemData

    void GetFaceNumbers(int32_t channel, std::vector<int32_t>& numbers) const override;
    int GetFaceData(int32_t channel, int32_t faceNo, tagTL_FACE_DATA& face) const override;
    bool GetItemRecord(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const override;
    bool FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const override;
    int SetItemData(const tagTL_FACE_ITEM_DATA& item) override;
    tagTL_FACE_ITEM_DATA* Find(int32_t faceNo, int32_t start);
};

// A user's edit: the text typed (the edit counts as changed), or a list entry chosen.
void TypeText(QLineEdit* edit, const QString& text);
void Choose(QComboBox* combo, int index);
// The keys that commit a typed value, and leaving the field.
void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void LeaveField(QWidget* widget, Qt::FocusReason reason = Qt::MouseFocusReason);

// The delivered effect and filter tables' shapes, small: see the .cpp.
QByteArray SampleEffectIni();
QByteArray SampleFilterIni();

} // namespace page_fixtures
