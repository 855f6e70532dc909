#include "tests/view/view_fixture.h"

#include "controls/msk_edit.h"
#include "project/export_dlg.h"
#include "project/import_dlg.h"
#include "project/record_conversion.h"
#include "timeline/time_line.h"
#include "view/add_new_dlg.h"
#include "view/folder_tree.h"
#include "view/startup_dlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <csignal>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

CFakeViewer::CFakeViewer(PmParamBlock& block)
    : m_block(block)
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
}

CFakeViewer::~CFakeViewer()
{
    m_thread.request_stop();
    m_thread.join();
}

std::vector<CFakeViewer::Command> CFakeViewer::Commands()
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::pair<int32_t, int32_t>> CFakeViewer::Data()
{
    std::lock_guard lock(m_mutex);
    return m_data;
}

void CFakeViewer::ClearRecords()
{
    std::lock_guard lock(m_mutex);
    m_commands.clear();
    m_data.clear();
}

void CFakeViewer::SetCorners(int32_t faceNo, std::array<int32_t, 8> corners)
{
    std::lock_guard lock(m_mutex);
    m_corners[faceNo] = corners;
}

void CFakeViewer::Run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (m_playing)
            StoreSharedFlag(m_block.playTime, time += 1);
        else
            StoreSharedFlag(m_block.playTime, time.load());
        if (m_hang)
            continue;
        if (LoadSharedFlag(m_block.commandFlag) == 1) {
            Command command { m_block.commandKind, ReadPmText(m_block.commandCells[0]),
                ReadPmText(m_block.commandCells[1]) };
            if (command.kind == kPmCommandSeek) {
                m_playing = false;
                time = ReadPmNumber(m_block.commandCells[0]);
            } else if (command.kind == kPmCommandPlay) {
                m_playing = true;
            } else if (command.kind == kPmCommandPause) {
                m_playing = false;
            }
            StoreSharedFlag(m_block.playTime, time.load());
            {
                std::lock_guard lock(m_mutex);
                m_commands.push_back(command);
            }
            StoreSharedFlag(m_block.commandFlag, 0);
            if (command.kind == kPmCommandQuit && m_endOnQuit)
                kill(m_endOnQuit, SIGTERM);
        }
        if (LoadSharedFlag(m_block.dataFlag) == 1) {
            {
                std::lock_guard lock(m_mutex);
                m_data.emplace_back(m_block.dataKind, m_block.dataFaceNo);
            }
            StoreSharedFlag(m_block.dataFlag, 0);
        }
        if (LoadSharedFlag(m_block.queryFlag) == 1) {
            if (m_block.queryKind == kPmQueryWindowRect) {
                const int32_t rect[4] = { 30, 40, 800, 450 };
                for (int cell = 0; cell < 4; ++cell)
                    WritePmNumber(m_block.queryCells[kPmQueryAnswerCell + cell], rect[cell]);
            } else if (m_block.queryKind == kPmQueryGetCorners) {
                std::lock_guard lock(m_mutex);
                const auto found = m_corners.find(ReadPmNumber(m_block.queryCells[0]));
                if (found != m_corners.end())
                    for (int cell = 0; cell < 8; ++cell)
                        WritePmNumber(
                            m_block.queryCells[kPmQueryAnswerCell + cell], found->second[size_t(cell)]);
            }
            StoreSharedFlag(m_block.queryFlag, 0);
        }
        if (LoadSharedFlag(m_block.projectFlag) != 0)
            StoreSharedFlag(m_block.projectFlag, 0);
    }
}

void ViewFixture::SetUp()
{
    ASSERT_TRUE(temp.IsValid());
    commonEnv = std::make_unique<CScopedEnv>(
        "KALEIDRA_COMMON_APPDATA", temp.FilePath(QStringLiteral("common")).toUtf8());
    documentsEnv = std::make_unique<CScopedEnv>(
        "KALEIDRA_DOCUMENTS_DIR", temp.FilePath(QStringLiteral("docs")).toUtf8());
    registryEnv = std::make_unique<CScopedEnv>(
        "KALEIDRA_REGISTRY_HKCU", temp.FilePath(QStringLiteral("hkcu.ini")).toUtf8());
    suffixEnv = std::make_unique<CScopedEnv>("KALEIDRA_INSTANCE_SUFFIX",
        QByteArray("_viewtest_") + QByteArray::number(QCoreApplication::applicationPid()));
    // The program folder with the skin the build renders: the wait window finds its pictures.
    programEnv = std::make_unique<CScopedEnv>("KALEIDRA_PROGRAM_DIR", QByteArray(KALEIDRA_BIN_DIR));
    temp.MakeFolder(QStringLiteral("work"));
    WriteSettings();
}

void ViewFixture::TearDown()
{
    viewer.reset();
    frame.reset();
    document.reset();
}

void ViewFixture::WriteSettings(const QString& extra)
{
    const QString ini
        = QStringLiteral("[SYSTEM]\nWorkFolder=%1\nImageDefaultTime=500\n%2\n[VIEWER]\nViewerMode=1\n")
              .arg(temp.FilePath(QStringLiteral("work")), extra);
    temp.WriteFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"), ini.toUtf8());
}

bool ViewFixture::MakeView(const QString& commandLinePath)
{
    viewer.reset();
    frame.reset();
    document = std::make_unique<CKaleidraDoc>();
    if (!commandLinePath.isEmpty())
        document->OnOpenDocument(commandLinePath);
    frame = std::make_unique<CMainFrame>(nullptr);
    view = new CKaleidraView(*frame, *document);
    frame->SetActiveView(view);
    view->SetCommandHandlers(&handlers);
    view->SetModifierSource([this] { return modifiers; });
    const bool setUp = view->OnInitialUpdate();
    // The start-up choice, posted by the set-up, runs once the event loop does.
    QCoreApplication::processEvents();
    return setUp;
}

void ViewFixture::StartFakeViewer()
{
    view->Viewer().SetProgram(
        QStringLiteral("/bin/sh"), { QStringLiteral("-c"), QStringLiteral("exec sleep 60") });
    ASSERT_TRUE(view->StartViewer());
    viewer = std::make_unique<CFakeViewer>(Block());
    view->EnableControls(true);
}

void ViewFixture::Reply(int32_t kind, const QStringList& cells)
{
    PmParamBlock& block = Block();
    block.replyKind = kind;
    for (int cell = 0; cell < kPmReplyCells; ++cell)
        WritePmText(block.replyCells[cell], cell < cells.size() ? cells[cell] : QString());
    StoreSharedFlag(block.replyFlag, 1);
    view->OnViewerPoll();
}

void ViewFixture::OpenTestProject(int32_t projectTime)
{
    const QString work = temp.FilePath(QStringLiteral("work"));
    const QString xml = work + QStringLiteral("/Show/Show.xml");
    ASSERT_TRUE(MakeFolderPath(work + QStringLiteral("/Show/Channel_1")));
    CProjectFolderStore store;
    ASSERT_TRUE(store.CreateProject(xml, work, projectTime));
    ASSERT_TRUE(view->LoadProject(xml, work));
    document->ProjectOpen = 1;
    document->SetProjectFilePath(xml);
}

namespace {

// The export or import dialog with its paths as the browse buttons leave them, and OK.
int FillIn(CPackagePathDlg& dialog, const std::vector<std::pair<int, QString>>& paths)
{
    dialog.show();
    for (const auto& [id, path] : paths)
        dialog.ItemAs<QLineEdit>(id)->setText(path);
    dialog.accept();
    dialog.hide();
    return dialog.result();
}

} // namespace

void ViewFixture::AnswerProjectDialogs(const QString& folder, const QString& name)
{
    view->SetModalRunner([this, &folder, &name](QDialog& dialog) {
        if (auto* addNew = qobject_cast<CAddNewDlg*>(&dialog)) {
            addNew->show();
            addNew->FolderEdit()->setText(folder);
            addNew->NameEdit()->setText(name);
            addNew->OnBnClickedOk();
            addNew->hide();
            return addNew->result();
        }
        if (auto* startup = qobject_cast<CStartupDlg*>(&dialog)) {
            startup->show();
            startup->OnNewProject();
            return startup->result();
        }
        const PackageAnswers& paths = packageAnswers;
        if (auto* exporter = qobject_cast<CExportDlg*>(&dialog))
            return FillIn(*exporter,
                { { CExportDlg::IDC_FOLDER, paths.exportFolder },
                    { CExportDlg::IDC_PROJECT, paths.exportProject } });
        if (auto* importer = qobject_cast<CImportDlg*>(&dialog))
            return FillIn(*importer,
                { { CImportDlg::IDC_PACKAGE, paths.importPackage },
                    { CImportDlg::IDC_PROJECT_FOLDER, paths.importProjects },
                    { CImportDlg::IDC_DATA_FOLDER, paths.importData } });
        ADD_FAILURE() << "an unexpected dialog";
        return int(QDialog::Rejected);
    });
}

void ViewFixture::AddFace(int32_t faceNo, std::array<int32_t, 8> corners, int32_t itemStart, int32_t itemTime)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = faceNo;
    face.Status = 1;
    for (int corner = 0; corner < 4; ++corner) {
        face.X[size_t(corner)] = corners[size_t(2 * corner)];
        face.Y[size_t(corner)] = corners[size_t(2 * corner + 1)];
    }
    ASSERT_GT(view->TimeLine()->AddFaceRecord(face), 0);
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = itemStart;
    item.PlayTime = itemTime;
    item.Mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
    ASSERT_TRUE(view->TimeLine()->AddItemRecord(item));
    if (document->ProjectOpen) {
        CProjectFolderStore& store = document->GetProjectStore(1);
        ItemXmlRecord entry;
        ASSERT_TRUE(MakeFolderPath(store.FaceFolderPath(faceNo)));
        ASSERT_TRUE(store.AddFace(ToFaceXmlRecord(face)));
        ASSERT_TRUE(ToItemXmlRecord(item, entry));
        ASSERT_TRUE(store.SetItem(faceNo, entry));
    }
}
