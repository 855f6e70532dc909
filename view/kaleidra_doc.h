#pragma once

#include "core/document.h"
#include "platform/mem_mapped.h"
#include "project/camera_setting_data.h"
#include "project/project_folder_store.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CLanguageData;
class CMessageCatalog;
class DocumentView;

// The editor's one document: the application settings of "Kaleidra.ini", the folders the
// editor works with, the project stores of channels 1 to 3 and the mapping of the viewer
// channel. The project files themselves are written by the stores.
class CKaleidraDoc : public CDocument {
    Q_OBJECT
public:
    static constexpr int kFrameColorCount = 10;
    static constexpr int kMaxCameraImageSizes = 99;
    // Camera groups are numbered with two digits; a larger count in the file is taken as this.
    static constexpr int kMaxCameras = 99;
    static constexpr int kChannelCount = 3;

    // Messages and language texts come from the application object unless given here.
    explicit CKaleidraDoc(CMessageCatalog* messages = nullptr, const CLanguageData* language = nullptr);
    ~CKaleidraDoc() override;

    // The view the closing question works with; none until the view exists.
    void SetView(DocumentView* view) { m_view = view; }

    // Reads the whole settings file into the members; false with the reason in `error`.
    bool ReadIniSettings(QString& error);
    // Writes the values the settings dialog edits, in one replacement of the file.
    bool WriteIniSettings(QString& error);
    // Writes the camera groups and count from the new list, clearing groups an earlier longer
    // list left behind, in one replacement of the file; then the new list becomes the
    // document's.
    bool WriteCameraSettings(QString& error, const std::vector<tagCAMERA_SETTING_DATA>& cameras);
    // Writes one number as "%d"; false when the file cannot be written.
    static bool WriteIniInt(const QString& file, const QString& section, const QString& key, int32_t value);

    static QString GetCommonAppDataFolder();
    // The user's documents folder of the product; empty when the system names none.
    static QString GetDocumentsFolder();
    // The program's folder, ending in '/'.
    static QString GetProgramFolder();
    static QString GetSettingsFile();

    // The project file path up to its last separator; the whole text when it has none.
    QString GetPathFolder() const;
    QString GetWorkFolder() const { return m_workFolder; }
    QString GetSkinFolder() const { return m_skinFolder; }
    QString GetProjectFilePath() const { return m_projectFilePath; }
    QString GetProjectName() const { return m_projectName; }
    QString GetOpenedPath() const { return m_openedPath; }
    void SetProjectFilePath(const QString& path) { m_projectFilePath = path; }
    void SetProjectName(const QString& name) { m_projectName = name; }

    // The store of channel 1, 2 or 3.
    CProjectFolderStore& GetProjectStore(int channel);
    // Opens the project file into the store of channel 1 and loads its channel 1, after
    // setting the store's folder to the given one (none: the folder is left empty).
    bool OpenProjectFile(const QString& projectFilePath, const QString& parentFolder = QString());
    // The kind of the item of the face that starts at the time, searched in the channel's
    // store; 0 when there is none.
    int32_t GetItemMode(int channel, int32_t faceNo, int32_t start);

    // Maps the viewer channel's shared block; null (and no block) on failure.
    void* MapViewerChannel(uint32_t size, const QString& name);
    void* GetViewerBlock() const { return m_viewerBlock; }

    // The question before the editor closes. False keeps the editor running.
    bool SaveModified() override;
    void CloseWithoutQuestion() override;
    bool OnNewDocument() { return true; }
    // A project path named on the command line; the view opens it after its set-up.
    bool OnOpenDocument(const QString& path) override;

    // Settings of the file, each with its value before the file is read.
    std::array<int32_t, kFrameColorCount> FrameColorR;
    std::array<int32_t, kFrameColorCount> FrameColorG;
    std::array<int32_t, kFrameColorCount> FrameColorB;
    std::vector<int32_t> CameraImageWidths;
    std::vector<int32_t> CameraImageHeights;
    int32_t ImageDefaultTime = 0; // hundredths of a second
    int32_t EffectDefaultTime = 0; // hundredths of a second
    int32_t ProjectDefaultTime = 18000; // hundredths of a second
    int32_t GuideDefaultStatus = 0;
    QString SrvIPAdd;
    int32_t ViewerMode = 0; // 0 or 1
    int32_t ResoMode = 0; // 0 to 4
    int32_t ProjectorDisplayNo = 2; // 1-based display number
    int32_t AutoPlayMode = 0; // 0 or 1
    int32_t CameraCount = 0;
    std::vector<tagCAMERA_SETTING_DATA> CameraList;

    // Set when the view changes the project, cleared by the project commands.
    int32_t Modified = 0;
    // Set while a project is open; the camera settings are refused meanwhile.
    int32_t ProjectOpen = 0;
    // Where the open project came from: 0 none yet, 1 project file or new, 2 package.
    int32_t ProjectSource = 0;

private:
    CMessageCatalog& Messages();
    // What a confirmed close does to the view: the viewer ended, positions and recent projects
    // stored, the closing flag cleared.
    void CloseView();
    QString CameraDefaultName() const;
    QString ErrorText(int messageId, const QString& path);

    QString m_workFolder;
    QString m_skinFolder;
    QString m_projectFilePath;
    QString m_projectName;
    QString m_openedPath;
    std::array<CProjectFolderStore, kChannelCount> m_projectStores;
    CMemMapped m_viewerChannel;
    void* m_viewerBlock = nullptr;

    CMessageCatalog* m_messages = nullptr;
    const CLanguageData* m_language = nullptr;
    std::unique_ptr<CMessageCatalog> m_defaultMessages;
    DocumentView* m_view = nullptr;
};
