#include "view/kaleidra_doc.h"

#include "core/kaleidra_app.h"
#include "core/language_data.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "view/document_view.h"

namespace {

enum : int { kMsgQuitUnsaved = 88, kMsgQuit = 89 };

} // namespace

CKaleidraDoc::CKaleidraDoc(CMessageCatalog* messages, const CLanguageData* language)
    : m_skinFolder(platform::JoinPath(platform::ProgramFolder(), u"Skin") + QLatin1Char('/'))
    , m_messages(messages)
    , m_language(language)
{
    FrameColorR.fill(255);
    FrameColorG.fill(255);
    FrameColorB.fill(255);
}

CKaleidraDoc::~CKaleidraDoc() = default;

CMessageCatalog& CKaleidraDoc::Messages()
{
    if (m_messages)
        return *m_messages;
    if (CKaleidraApp* app = KaleidraApp(); app && app->Messages())
        return *app->Messages();
    if (!m_defaultMessages)
        m_defaultMessages = std::make_unique<CMessageCatalog>();
    return *m_defaultMessages;
}

QString CKaleidraDoc::CameraDefaultName() const
{
    if (m_language)
        return m_language->GetCameraName();
    if (CKaleidraApp* app = KaleidraApp(); app && app->Language())
        return app->Language()->GetCameraName();
    return CLanguageData().GetCameraName();
}

QString CKaleidraDoc::ErrorText(int messageId, const QString& path)
{
    return QStringLiteral("%1(%2)").arg(Messages().GetMessage(messageId), path);
}

QString CKaleidraDoc::GetCommonAppDataFolder()
{
    return platform::CommonAppDataFolder();
}

QString CKaleidraDoc::GetDocumentsFolder()
{
    const QString documents = platform::DocumentsFolder();
    return documents.isEmpty() ? QString() : platform::JoinPath(documents, u"Kaleidra");
}

QString CKaleidraDoc::GetProgramFolder()
{
    const QString folder = platform::ProgramFolder();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString CKaleidraDoc::GetSettingsFile()
{
    QString folder = platform::SettingsFolder();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return platform::JoinPath(folder, u"Kaleidra.ini");
}

QString CKaleidraDoc::GetPathFolder() const
{
    const auto separator = m_projectFilePath.lastIndexOf(QLatin1Char('/'));
    return separator < 0 ? m_projectFilePath : m_projectFilePath.left(separator);
}

CProjectFolderStore& CKaleidraDoc::GetProjectStore(int channel)
{
    Q_ASSERT(channel >= 1 && channel <= kChannelCount);
    return m_projectStores[size_t(std::clamp(channel, 1, kChannelCount) - 1)];
}

bool CKaleidraDoc::OpenProjectFile(const QString& projectFilePath, const QString& parentFolder)
{
    CProjectFolderStore& store = m_projectStores[0];
    store.SetFolder(QString());
    if (!parentFolder.isEmpty())
        store.SetFolder(parentFolder);
    return store.OpenProject(projectFilePath, 1);
}

int32_t CKaleidraDoc::GetItemMode(int channel, int32_t faceNo, int32_t start)
{
    if (channel < 1 || channel > kChannelCount)
        return 0;
    const CProjectFolderStore& store = m_projectStores[size_t(channel - 1)];
    const int32_t count = store.GetItemCount(faceNo);
    for (int32_t position = 0; position < count; ++position) {
        ItemXmlRecord item;
        if (!store.GetItemData(faceNo, position, &item))
            return 0;
        if (item.Start == start)
            return item.Mode;
    }
    return 0;
}

void* CKaleidraDoc::MapViewerChannel(uint32_t size, const QString& name)
{
    m_viewerBlock = m_viewerChannel.Create(size, name);
    return m_viewerBlock;
}

bool CKaleidraDoc::SaveModified()
{
    if (m_view)
        m_view->SetClosing(true);
    const QString question = Messages().GetMessage(Modified ? kMsgQuitUnsaved : kMsgQuit);
    if (KaleidraMessageBox(question, platform::MB_YESNO) != platform::IDYES) {
        if (m_view)
            m_view->SetClosing(false);
        return false;
    }
    CloseView();
    return true;
}

void CKaleidraDoc::CloseWithoutQuestion()
{
    if (!m_view)
        return;
    m_view->SetClosing(true);
    CloseView();
}

void CKaleidraDoc::CloseView()
{
    if (!m_view)
        return;
    m_view->CloseViewer();
    if (m_view->HasCompletedFirstUpdate()) {
        m_view->SaveWindowPositions();
        m_view->SaveHistory();
    }
    m_view->SetClosing(false);
}

bool CKaleidraDoc::OnOpenDocument(const QString& path)
{
    m_openedPath = path;
    return true;
}
