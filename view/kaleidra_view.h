#pragma once

#include "core/frame_view.h"
#include "itempanel/setting_dlg_owner.h"
#include "project/recent_projects.h"
#include "project/window_positions.h"
#include "timeline/timeline_owner.h"
#include "view/document_view.h"
#include "view/edit_mirror.h"
#include "view/remote_link.h"
#include "view/undo_history.h"
#include "view/undo_replay.h"
#include "view/view_placement.h"
#include "view/viewer_channel.h"
#include "view/viewer_keys.h"
#include "view/viewer_process.h"

#include <QFont>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class CGdiButton;
class CGdiScrollBar;
class CGdiSliderCtrl;
class CKaleidraDoc;
class CLanguageData;
class CMainFrame;
class CMessageCatalog;
class CMskEdit;
class CPackageFlows;
class CSettingDlg;
class CSliderOwner;
class CSkinIni;
class CTimeLine;
class CViewCommandHandlers;
class CWaitDlg;
class QDialog;
class QLabel;
class QKeyEvent;
class QMenuBar;
class QTimer;
class QWheelEvent;

// The editor's main view inside the main frame: the timeline with its scroll bars, the time
// fields, the transport buttons and the zoom controls, the item panel beside it and the wait
// window; the viewer program it starts and drives through the shared block; the show's play
// state and clock; the recent projects and the windows' saved positions. Every edit of the
// timeline and the item panel reaches the project's files, the viewer and the undo lists
// through its CEditMirror; undo and redo replay through the timeline (CUndoReplay); the project
// flows create, open, save and close the one project the editor edits.
class CKaleidraView : public QWidget,
                      public CFrameView,
                      public DocumentView,
                      public CTimeLineOwner,
                      public CSettingDlgOwner,
                      private CEditMirrorHost,
                      private CUndoReplayHost,
                      private CRemoteLinkView {
    Q_OBJECT
public:
    // Control ids of the child windows.
    enum ControlId {
        kIdTimeLine = 1000,
        kIdHorzScrollBar = 1001,
        kIdVertScrollBar = 1002,
        kIdControlCaption = 1003,
        kIdNowTimeLabel = 1004,
        kIdPlayTimeLabel = 1005,
        kIdNowTime = 1006,
        kIdPlayTime = 1007,
        kIdTop = 1008,
        kIdPauseResume = 1009,
        kIdScreen = 1010,
        kIdTopLabel = 1011,
        kIdScreenLabel = 1013,
        kIdStartPause = 1014,
        kIdProjectTimeLabel = 1104,
        kIdProjectTime = 1105,
        kIdGuide = 1106,
        kIdGuideLabel = 1107,
        kIdLoop = 1108,
        kIdLoopLabel = 1109,
        kIdZoomOut = 1110,
        kIdZoomIn = 1111,
        kIdRemote = 1113,
        kIdZoomSlider = 1230,
    };
    static constexpr int kPlayTimerId = 1;
    static constexpr int kViewerPollTimerId = 3;
    static constexpr int kTimerMs = 10;
    // The automatic start waits this long for the viewer to take GUIDE and SCREEN.
    static constexpr int kAutoPlayWaitPasses = 6000;
    // Play states.
    static constexpr int kStopped = 0;
    static constexpr int kPlaying = 1;
    static constexpr int kPaused = 2;

    CKaleidraView(CMainFrame& frame, CKaleidraDoc& document);
    ~CKaleidraView() override;

    // ---- Set-up --------------------------------------------------------------------------------
    // The first update: placement, settings, wait window, child windows, viewer block, recent
    // projects, start-up choice. False when the editor must end (settings or shared block
    // missing; the message was shown).
    bool OnInitialUpdate();
    // Replaces the view's own project flows and undo for the start-up choice, hand-overs and the
    // viewer's keys (tests record them); null puts the view's own back.
    void SetCommandHandlers(CViewCommandHandlers* handlers);
    // The package flows, wired in by their own component; without them a package is neither
    // opened nor saved.
    void SetPackageFlows(CPackageFlows* flows) { m_packageFlows = flows; }
    // Runs a modal dialog of the view and returns its result (QDialog::exec unless a test
    // drives the dialog itself). A modal window of the view is open meanwhile.
    using ModalRunner = std::function<int(QDialog&)>;
    void SetModalRunner(ModalRunner runner) { m_modalRunner = std::move(runner); }
    int RunModal(QDialog& dialog);
    // The menu whose texts the view sets (the main frame's).
    QMenuBar* MenuBar() const;
    // Lays the children out in the client area.
    void RecalcLayout();

    // ---- CFrameView and DocumentView -------------------------------------------------------------
    bool HasCompletedFirstUpdate() const override { return m_initialised; }
    pid_t ViewerProcessId() const override;
    void SetClosing(bool closing) override { m_closing = closing; }
    bool IsClosing() const { return m_closing; }
    void CloseViewer() override;
    void SaveWindowPositions() override;
    void SaveHistory() override;
    void CloseModalWindows() override;

    // ---- Recent projects and window positions ----------------------------------------------------
    bool LoadWindowPositions();
    bool LoadHistory();
    bool AddHistory(const QString& path);
    const QStringList& History() const { return m_history.Entries(); }
    const tagWINDOW_RECT& ItemPanelRect() const { return m_itemPanelRect; }
    const tagWINDOW_RECT& ViewerRect() const { return m_viewerRect; }
    QString DefaultFolder() const { return m_defaultFolder; }

    // ---- Second starts -------------------------------------------------------------------------
    // A project path from a second start: opened at once, or when the modal window that is open
    // closes.
    void OpenHandedOverProject(const QString& path);
    QString PendingHandOver() const { return m_pendingHandOver; }
    // A modal window of the view is open while any guard lives.
    class CModalGuard {
    public:
        explicit CModalGuard(CKaleidraView& view);
        ~CModalGuard();
        CModalGuard(const CModalGuard&) = delete;
        CModalGuard& operator=(const CModalGuard&) = delete;

    private:
        CKaleidraView& m_view;
    };
    bool IsModalOpen() const { return m_modalCount > 0; }

    // ---- Viewer channel --------------------------------------------------------------------------
    bool StartViewer();
    void RestartViewer();
    bool IsViewerRunning();
    bool FetchFaceCorners();
    CViewerChannel* Channel() const { return m_channel.get(); }
    CViewerProcess& Viewer() { return m_viewer; }
    // One pass of the reply poll (timer 3).
    void OnViewerPoll();
    // Shows a message the viewer sent (posted by the poll), without taking the keyboard.
    void ShowViewerMessage(unsigned iconFlags, const QString& text);
    // The keyboard state the key replies are read with (the real one unless a test sets it).
    void SetModifierSource(std::function<Qt::KeyboardModifiers()> source) { m_modifiers = std::move(source); }
    // Writes the project's paths and version into the block for the viewer's next load.
    void WriteProjectToBlock(
        const QString& projectFilePath, const QString& workFolder, const QString& version);

    // ---- Playback and transport ----------------------------------------------------------------
    int PlayState() const { return m_playState; }
    void OnStartPause();
    void OnPauseResume();
    void OnTop();
    void OnScreen();
    // ---- The viewer's window to the front ----
    // Raises the viewer's window when a project is open, the viewer runs and at least
    // kViewerCoveringWindows visible windows without an owner lie above it (fewer do not hide
    // the output on the projector's display). True when it was raised.
    static constexpr int kViewerCoveringWindows = 3;
    bool BringViewerToFront();
    void OnGuide();
    void OnLoop();
    void StopPlayback();
    void SeekToCurrentTime();
    // Left (-1) or Right (+1): one step of the timeline's scale, ten with Shift.
    void StepCurrentTime(int direction, bool shift);
    void AutoPlay();
    // One tick of the play clock (timer 1).
    void OnPlayClock();
    bool IsPlayClockRunning() const;
    bool IsViewerPollRunning() const;

    // Time fields: the current time relative to IN, the play time OUT - IN, the project time.
    int32_t NowTime() const;
    void SetNowTime(int64_t time);
    int32_t PlayTime() const;
    void SetPlayTime(int64_t time);
    int32_t ProjectTime() const;
    void SetProjectTimeField(int64_t time);

    // Switches the editing and transport controls together.
    void EnableControls(bool enable);

    // ---- Children (for the frame, the commands and tests) -----------------------------------------
    CTimeLine* TimeLine() const { return m_timeLine; }
    CGdiButton* TopButton() const { return m_topButton; }
    CGdiButton* ScreenButton() const { return m_screenButton; }
    CGdiButton* GuideButton() const { return m_guideButton; }
    CGdiButton* LoopButton() const { return m_loopButton; }
    CGdiButton* StartPauseButton() const { return m_startPauseButton; }
    CMskEdit* NowTimeEdit() const { return m_nowTimeEdit; }
    CMskEdit* PlayTimeEdit() const { return m_playTimeEdit; }
    CMskEdit* ProjectTimeEdit() const { return m_projectTimeEdit; }
    CWaitDlg* WaitWindow() const { return m_waitDlg; }
    CSettingDlg* ItemPanel() const { return m_itemPanel; }
    // The child with the control id; null when there is none.
    QWidget* Control(int id) const;

    // ---- CTimeLineOwner ----------------------------------------------------------------------------
    int OnTlFaceAdded(const tagTL_FACE_DATA& face) override;
    int OnTlFaceDeleted(const tagTL_FACE_DATA& face) override;
    int OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item) override;
    int OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item) override;
    int OnTlItemMoved(const ItemRecordPair& change) override;
    int OnTlItemCopied(const ItemRecordPair& change) override;
    int OnTlFaceChanged(const tagTL_FACE_DATA& face, int notifyViewer) override;
    int OnTlItemChanged(const ItemRecordPair& change) override;
    void OnTlSelectFace(int32_t faceNo, const tagTL_FACE_ITEM_DATA* item) override;
    void OnTlPlayPositionSet(int32_t time) override;
    void OnTlPlayPositionDrag(int32_t time) override;
    void OnTlInMoved(int32_t time) override;
    void OnTlOutMoved(int32_t time) override;
    void OnTlFaceMoved(const FaceMoveInfo& info) override;
    void OnTlFaceCopied(const FaceCopyInfo& info) override;
    void OnTlFaceInserted(const FaceInsertInfo& info) override;
    void OnTlFacesRefresh() override;
    void OnTlViewerSync(int ended) override;
    void OnTlWaitBegin() override;
    void OnTlWaitEnd() override;
    void OnTlChangeGroup(int begin) override;
    int ChangeGrouping() const { return m_undo.IsGrouping() ? 1 : 0; }

    // ---- CSettingDlgOwner: the item panel's messages -----------------------------------------------
    int OnItemChanged(const ItemRecordPair& change) override;
    void OnRedrawPreview() override;
    int OnItemsChanged(const ItemRecordPair& change) override;
    void OnShowItem(const tagTL_FACE_ITEM_DATA& item) override;
    void OnUndo() override;
    void OnRedo() override;
    void OnEditBatch(int open) override;

    // ---- Project lifecycle ---------------------------------------------------------------------------
    // Loads the project XML (in the folder's project folder) into the document, the timeline and
    // the viewer block.
    bool LoadProject(const QString& projectXmlPath, const QString& folder);
    // Puts the view and the document back into the no-project state and empties the work folder.
    void CloseProject();
    bool NewProject();
    // With a path that file is opened; without one the user picks it.
    bool OpenProject(const QString* path);
    // Packs the project folder into the project file it was opened from.
    bool SaveProject();
    bool SaveProjectAs();
    // A path handed over by a second start: asks about a modified project, closes it, opens the
    // path and starts the automatic play when it is set. 1 when opened.
    int OpenProjectFile(const QString& path);
    // The start-up dialog; 0 cancel, 1 new, 2 open, 3 the recent project in `recentPath`.
    int RunStartupDialog(const QStringList& history, QString& recentPath);
    // The File menu's project commands. New and Open are refused while the remote link is
    // connected and ask about a modified project before they close it; each is true when it
    // created, opened, saved or closed the project.
    bool OnNewProject();
    bool OnOpenProject(const QString* path = nullptr);
    bool OnSaveProject();
    bool OnSaveProjectAs();
    bool OnCloseProject();
    bool IsProjectOpen() const;

    // ---- Undo and redo ---------------------------------------------------------------------------------
    CUndoHistory& UndoHistory() { return m_undo; }
    const CUndoHistory& UndoHistory() const { return m_undo; }
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    // Corners moved in the viewer, after the timeline took them: one undo operation.
    void RecordFaceCorners(const FaceCornerRecord& corners);

    // ---- Writers of the project's times (through the time fields and the viewer) -------------------
    bool SetPlayRange(int32_t playTime, int32_t in, int32_t out);
    bool SetProjectTime(int32_t time);
    // The project-time field's value taken (Tab or Enter): 1 when it was taken.
    int CommitProjectTime();

    // ---- Edit, transport, page and help commands ---------------------------------------------------------
    // Runs a command of the main menu by its id (menu_command); false for one the view does
    // not carry.
    bool RunMenuCommand(int commandId);
    // The menu entries' enabled and checked states, as the menus show them.
    void UpdateMenuStates();
    // Shows the item panel (when hidden) on page 0, 1 or 2.
    void ShowPanelPage(int tab);

    // ---- Packages and the remote link -------------------------------------------------------------
    // Create package and Expand package: the export or import dialog, the work under the wait
    // window and the closing message; the show is paused first. True when a package was written
    // or expanded.
    bool OnCreatePackage();
    bool OnExpandPackage();
    // Saves the open project, which came from a package, back into the package it was opened
    // from and reloads it; the modified flag is cleared only when the package was written.
    bool SavePackageProject();
    // The package side of the project flows: the view's own unless a test set others.
    CPackageFlows& PackageFlows();
    // Connect (to the settings' "SrvIPAdd"), Disconnect and Start host of the Remote menu.
    bool OnConnect();
    void OnDisconnect();
    bool OnStartHost();
    // 0 no link, 1 connected to the remote-control program.
    int RemoteLinkState() const;
    CRemoteLink& RemoteLink();
    // The port the remote-control program listens on (tests use a free one).
    void SetRemotePort(uint16_t port) { m_remotePort = port; }

private:
    friend class CViewPackageFlows;
    // CRemoteLinkView: the remote's commands run through the buttons' own handlers.
    bool IsPlaying() const override;
    void RemoteStartPause() override;
    void RemoteTop() override;
    void RemoteSeek(int32_t time) override;
    void RemoteSetGuide(bool on) override;
    void RemoteSetLoop(bool on) override;
    void RemoteSetScreen(bool on) override;
    int32_t RemoteCurrentTime() const override;
    int32_t RemotePlayLength() const override;
    int32_t RemotePlayTimeField() const override;
    int32_t RemoteProjectTime() const override;
    void RemoteLinkChanged(bool connected) override;
    void RemoteShowMessage(const QString& text) override;
    // Runs the package and remote commands of the main menu; false for any other id.
    bool RunPackageOrRemoteCommand(int commandId);
    void UpdatePackageAndRemoteMenuStates();
    void ConnectPackageAndRemoteCommands();

    std::unique_ptr<CPackageFlows> m_ownPackageFlows;
    std::unique_ptr<CRemoteLink> m_remoteLink;
    uint16_t m_remotePort = kRemotePort;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const CSkinIni& Skin() const;
    const CLanguageData& Language() const;
    CMessageCatalog& Messages() const;
    int ShowMessage(const QString& text, unsigned type);

    // Set-up steps.
    void PlaceWindows(bool useSaved);
    void CreateChildWindows();
    void CreateItemPanel();
    void SetControlTexts();
    void SetMainMenuTexts();
    void ConnectCommands();
    bool MapViewerChannel();
    void RunStartupChoice(bool& projectOpened);
    bool OpenExistingProject(const QString& path);

    // Edits: CEditMirrorHost and CUndoReplayHost.
    CViewerChannel& ViewerChannel() override { return *m_channel; }
    void ShowWaitWindow(bool shown) override;
    void ShowWaitCursor(bool shown) override;
    bool IsGuideOn() const override;
    bool ApplyPlayRange(int32_t in, int32_t out) override;
    bool ApplyProjectTime(int32_t time) override;
    void SendFaceCorners(int32_t faceNo, const std::array<int32_t, 8>& corners) override;
    int32_t FaceNumberAt(int32_t position) override;
    QString ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) override;
    void Redraw() override;
    void BeginEditBatch() override;
    bool EndEditBatch() override;
    void AfterItemWrites(std::function<void()> step) override;
    void PutBackTimeLineFaces() override { ReloadTimeLineFaces(); }
    // The timeline shows the faces and items of the project's files again (after a change of
    // the faces' order, or a change group's item edits, could not be written).
    void ReloadTimeLineFaces();
    // The project's folder root: the work folder, for a package project its "<name>_Package".
    QString ProjectRoot() const;
    // Steps the project flows share: the viewer started and the controls and panel readied.
    void StartViewerForProject(bool openFlow);
    bool AskCloseModified();
    void ReportReplay(CUndoHistory::ReplayResult result);
    void ConnectEditCommands();

    // Viewer and playback helpers.
    void StartViewerPoll();
    void HandleViewerReply(const PmReplyRecord& reply);
    void HandleViewerCorners(const PmReplyRecord& reply);
    void HandleViewerKey(int32_t code);
    bool SendScreen(bool on, int passes);
    // Pauses the viewer and takes the time it stopped at: current time, playhead (with follow
    // scrolling or not), repaint.
    void PauseAndTakeTime(bool follow);
    void SetStartPauseImages(bool playing);
    void FocusTimeLine();
    void ShowWaitPicture(int picture);
    void HideWaitWindow();
    // Long work (packing, unpacking, saving) off the window thread under the wait window, which
    // is painted before the work starts and hidden again on return; a second start's project
    // and the viewer's replies wait meanwhile.
    void RunLongWork(const std::function<void()>& work);
    void OpenPendingHandOver();

    CMainFrame& m_frame;
    CKaleidraDoc& m_document;
    std::unique_ptr<CViewCommandHandlers> m_ownHandlers;
    CViewCommandHandlers* m_handlers = nullptr;
    CPackageFlows* m_packageFlows = nullptr;
    ModalRunner m_modalRunner;
    std::vector<QPointer<QDialog>> m_modalDialogs;

    // Fallback services when no application object exists (tests).
    std::unique_ptr<CSkinIni> m_ownSkin;
    std::unique_ptr<CLanguageData> m_ownLanguage;
    std::unique_ptr<CMessageCatalog> m_ownMessages;

    std::array<QFont, 4> m_fonts; // title, caption, control, button title
    tagWINDOW_RECT m_itemPanelRect;
    tagWINDOW_RECT m_viewerRect;
    QString m_defaultFolder;
    bool m_initialised = false;
    bool m_closing = false;
    CRecentProjects m_history;

    CTimeLine* m_timeLine = nullptr;
    CGdiScrollBar* m_horzScrollBar = nullptr;
    CGdiScrollBar* m_vertScrollBar = nullptr;
    std::array<QLabel*, 8> m_labels {};
    CMskEdit* m_nowTimeEdit = nullptr;
    CMskEdit* m_playTimeEdit = nullptr;
    CMskEdit* m_projectTimeEdit = nullptr;
    CGdiButton* m_topButton = nullptr;
    CGdiButton* m_screenButton = nullptr;
    CGdiButton* m_guideButton = nullptr;
    CGdiButton* m_loopButton = nullptr;
    CGdiButton* m_startPauseButton = nullptr;
    CGdiButton* m_remoteButton = nullptr;
    CGdiButton* m_zoomOutButton = nullptr;
    CGdiButton* m_zoomInButton = nullptr;
    CGdiSliderCtrl* m_zoomSlider = nullptr;
    CSettingDlg* m_itemPanel = nullptr;
    CWaitDlg* m_waitDlg = nullptr;

    CViewerProcess m_viewer;
    std::unique_ptr<CViewerChannel> m_channel;
    int32_t m_viewerMode = 0;
    QTimer* m_playTimer = nullptr;
    QTimer* m_pollTimer = nullptr;
    bool m_inViewerPoll = false;
    std::function<Qt::KeyboardModifiers()> m_modifiers;

    int m_playState = kStopped;
    int m_modalCount = 0;
    int m_waitCursorCount = 0;

    CUndoHistory m_undo;
    std::unique_ptr<CEditMirror> m_mirror;
    std::unique_ptr<CUndoReplay> m_replay;
    QString m_pendingHandOver;

    // ---- Busy flags, settings commands, keys, wheel and zoom ------------------------------------
    // (kaleidra_view_settings.cpp, kaleidra_view_keys.cpp)
public:
    // One flag per long command, set for the command's run; a project handed over by a second
    // start waits while any is set.
    enum BusyFlag {
        kBusyOpen,
        kBusyNew,
        kBusySaveAs,
        kBusyCreatePackage,
        kBusyExpandPackage,
        kBusySettings,
        kBusyCameraSettings,
        kBusyFlagCount,
    };
    // Sets a busy flag for its lifetime and clears it on every way out; a modal window of the
    // view counts as open meanwhile.
    class CBusyGuard {
    public:
        CBusyGuard(CKaleidraView& view, BusyFlag flag);
        ~CBusyGuard();
        CBusyGuard(const CBusyGuard&) = delete;
        CBusyGuard& operator=(const CBusyGuard&) = delete;

    private:
        CKaleidraView& m_view;
        BusyFlag m_flag;
        CModalGuard m_modal;
    };
    bool IsBusy() const;
    bool IsBusy(BusyFlag flag) const { return m_busy[size_t(flag)]; }

    // The settings dialog (not while playing) and the camera dialog (only with no project
    // open); true when the dialog ran.
    bool OnSettings();
    bool OnCameraSettings();
    // The name of display n (1-based) in the application's display list; tests set their own.
    void SetDisplayNameSource(std::function<QString(int)> source) { m_displayName = std::move(source); }

    // The zoom buttons and the zoom control.
    void ZoomOut();
    void ZoomIn();
    void OnZoomSliderMoved(int position);
    CGdiSliderCtrl* ZoomSlider() const { return m_zoomSlider; }
    CGdiButton* ZoomOutButton() const { return m_zoomOutButton; }
    CGdiButton* ZoomInButton() const { return m_zoomInButton; }

private:
    // The key table of the view for a key pressed in the view or one of its children; true when
    // the key was used up.
    bool HandleViewKey(QObject* watched, QKeyEvent& event);
    // The wheel over the timeline: rows scrolled, or with Alt the zoom.
    bool HandleTimeLineWheel(QWheelEvent& event);
    // The key and wheel filter on the view's children and the zoom controls' signals.
    void ConnectKeysAndZoom();
    void WatchKeysOf(QWidget* widget);
    // The transport commands as the menu and the keys run them: the button must be enabled; a
    // toggle is flipped first.
    void RunTransportCommand(int commandId);
    void ShowZoomMode(int mode);

    std::array<bool, kBusyFlagCount> m_busy {};
    std::function<QString(int)> m_displayName;
    std::unique_ptr<CSliderOwner> m_zoomSliderOwner;
    int m_wheelRemainder = 0;
};

// The view's own start-up choice, project flows and undo, as the view's set-up, hand-overs and
// the viewer's keys reach them.
std::unique_ptr<CViewCommandHandlers> MakeOwnCommandHandlers(CKaleidraView& view);
