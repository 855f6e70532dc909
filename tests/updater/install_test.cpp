#include "platform/file_version.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/updater/stamped_program.h"
#include "tests/updater/update_fixture.h"
#include "updater/uninstaller.h"
#include "updater/update_ctrl.h"
#include "updater/version_text.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QUuid>
#include <csignal>
#include <gtest/gtest.h>

using namespace updater_text;

namespace {

const QString kSourceDir = QStringLiteral(KALEIDRA_SOURCE_DIR);
const QString kBuildDir = QStringLiteral(KALEIDRA_BUILD_DIR);
const QStringList kPrograms = { QStringLiteral("Kaleidra"), QStringLiteral("KaleidraRemote"),
    QStringLiteral("updater"), QStringLiteral("uninstaller"), QStringLiteral("Luxviewer") };

QString VersionOf(const QString& path)
{
    const auto version = platform::ReadFileVersion(path);
    return version ? FormatFileVersion(*version, 4) : QString();
}

bool IsElf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
        && file.read(4)
        == "\x7f"
           "ELF";
}

// Every file below the folder, relative to it.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// The files the dynamic loader would take for the program's libraries of this build.
std::map<QString, QString> KaleidraLibrariesOf(const QString& program)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), { program });
    EXPECT_TRUE(ldd.waitForFinished(30000));
    std::map<QString, QString> found;
    static const QRegularExpression line(QStringLiteral(R"(^\s*(libkaleidra\S*)\s*=>\s*(\S+))"));
    for (const QString& text : QString::fromLocal8Bit(ldd.readAllStandardOutput()).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            found[match.captured(1)] = match.captured(2);
    }
    return found;
}

// Checks that each program loads this build's libraries from the given folder.
void ExpectLibrariesFrom(const QStringList& programs, const QString& folder)
{
    const QString libraryFolder = QDir(folder).canonicalPath();
    for (const QString& program : programs) {
        SCOPED_TRACE(program.toStdString());
        const auto libraries = KaleidraLibrariesOf(program);
        EXPECT_TRUE(libraries.count(QStringLiteral("libkaleidra_platform.so")));
        for (const auto& [name, path] : libraries)
            EXPECT_EQ(QFileInfo(path).canonicalPath(), libraryFolder)
                << name.toStdString() << " " << path.toStdString();
    }
}

// The machine of one installation in a temporary folder: the shared data folder and the
// machine hive are redirected there for the scripts and programs the test starts.
class InstallTest : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return folder.FilePath(relative); }
    QString Hive() const { return Path(QStringLiteral("hive/registry.ini")); }

    // Runs a script of the repository on this build; its exit status.
    int RunScript(const QString& script, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KALEIDRA_BUILD_DIR"), kBuildDir);
        environment.insert(QStringLiteral("KALEIDRA_COMMON_APPDATA"), Path(QStringLiteral("common")));
        environment.insert(QStringLiteral("KALEIDRA_REGISTRY_HKLM"), Hive());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(script, arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << script.toStdString();
        const QByteArray output = process.readAll();
        if (process.exitCode() != 0)
            ADD_FAILURE() << script.toStdString() << " said:\n" << output.constData();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString Entry(const QString& name) const
    {
        return platform::CRegistryStore(Hive())
            .ReadString(CUpdateSandbox::kUninstallKey, name)
            .value_or(QString());
    }

    CTempFolder folder;
};

TEST_F(InstallTest, AnInstallationIsUpdatedAndUninstalled)
{
    // Install, then move the installation: it runs from wherever it lies.
    const QString installed = Path(QStringLiteral("opt/kaleidra"));
    ASSERT_EQ(RunScript(kSourceDir + QStringLiteral("/scripts/install"), { installed }), 0);
    EXPECT_EQ(Entry(QStringLiteral("DisplayIcon")), installed + QStringLiteral("/bin/Kaleidra"));
    const QString prefix = Path(QStringLiteral("elsewhere/kaleidra"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("elsewhere"))));
    ASSERT_TRUE(QDir().rename(installed, prefix));
    ASSERT_EQ(RunScript(prefix + QStringLiteral("/bin/uninstaller"), { QStringLiteral("--register") }), 0);

    QStringList programs;
    for (const QString& program : kPrograms)
        programs.append(prefix + QStringLiteral("/bin/") + program);
    ExpectLibrariesFrom(programs, prefix + QStringLiteral("/lib"));
    // The support libraries that the programs open beside themselves lie there, and take this
    // build's libraries from the installation too.
    for (const char* library : { "libkaleidra_camera.so", "libkaleidra_media.so" })
        EXPECT_TRUE(QFileInfo(prefix + QStringLiteral("/bin/") + QLatin1String(library)).isFile()) << library;
    ExpectLibrariesFrom(
        { prefix + QStringLiteral("/bin/libkaleidra_media.so") }, prefix + QStringLiteral("/lib"));
    const QString version = VersionOf(programs[0]);
    EXPECT_EQ(version, QStringLiteral(KALEIDRA_PROJECT_VERSION));
    // Every data file and folder beside the built programs is installed beside them.
    for (const QFileInfo& entry :
        QDir(kBuildDir + QStringLiteral("/bin")).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        SCOPED_TRACE(entry.fileName().toStdString());
        const QString installedEntry = prefix + QStringLiteral("/bin/") + entry.fileName();
        if (entry.isDir()) {
            EXPECT_EQ(FilesBelow(installedEntry), FilesBelow(entry.filePath()));
        } else if (!IsElf(entry.filePath())) {
            EXPECT_TRUE(QFileInfo::exists(installedEntry));
        }
    }
    const std::pair<QString, QString> entry[] = {
        { QStringLiteral("DisplayIcon"), prefix + QStringLiteral("/bin/Kaleidra") },
        { QStringLiteral("UninstallString"), prefix + QStringLiteral("/bin/uninstaller") },
        { QStringLiteral("DisplayVersion"), version },
        { QStringLiteral("PackageVersion"), version.section(u'.', 0, 1) },
    };
    for (const auto& [name, value] : entry)
        EXPECT_EQ(Entry(name), value) << name.toStdString();

    // An update package of a newer version, with a document and a settings file of its own.
    const QString package = Path(QStringLiteral("package"));
    ASSERT_EQ(RunScript(kSourceDir + QStringLiteral("/scripts/make-update-package"), { package }), 0);
    const QString packaged = package + QStringLiteral("/Data/ProgramFiles/Kaleidra");
    EXPECT_EQ(FilesBelow(packaged), FilesBelow(prefix));
    // The default settings file goes into the shared settings folder too.
    EXPECT_EQ(
        folder.ReadFile(QStringLiteral("package/Data/ProgramData/OXTREL/Kaleidra/SETTING/Kaleidra.ini")),
        folder.ReadFile(QStringLiteral("elsewhere/kaleidra/bin/Kaleidra.ini")));
    ExpectLibrariesFrom({ package + QStringLiteral("/updater") }, packaged + QStringLiteral("/lib"));
    const QString newer
        = version.section(u'.', 0, 2) + u'.' + QString::number(version.section(u'.', 3).toInt() + 1);
    StampProgram(package + QStringLiteral("/updater"), newer);
    for (const QString& program : kPrograms)
        StampProgram(packaged + QStringLiteral("/bin/") + program, newer);
    folder.WriteFile(QStringLiteral("package/Data/Document/Kaleidra/Sample/readme.txt"), "sample");
    folder.WriteFile(
        QStringLiteral("package/Data/ProgramData/OXTREL/Kaleidra/SETTING/update.ini"), "[UPDATE]\n");

    // The updater against the installation, as its process runs it, in this test's folders.
    CScriptedDialogService dialogs;
    CTestUpdateEnvironment machine(folder, dialogs);
    machine.updaterProgram = package + QStringLiteral("/updater");
    machine.registry = platform::CRegistryStore(Hive());
    machine.documents = Path(QStringLiteral("home/Documents"));
    machine.commonAppData = Path(QStringLiteral("common"));
    ASSERT_TRUE(QDir().mkpath(machine.documents));
    dialogs.AnswerMessageBox(platform::IDYES);
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_EQ(RunUpdater(machine), 0);
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<QString> { Confirm(version, newer), Success() }));

    for (const QString& program : programs)
        EXPECT_EQ(VersionOf(program), newer) << program.toStdString();
    ExpectLibrariesFrom(programs, prefix + QStringLiteral("/lib"));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("home/Documents/Kaleidra/Sample/readme.txt")), "sample");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/update.ini")), "[UPDATE]\n");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini")),
        folder.ReadFile(QStringLiteral("elsewhere/kaleidra/bin/Kaleidra.ini")));
    const std::pair<QString, QString> updated[] = {
        { QStringLiteral("DisplayIcon"), prefix + QStringLiteral("/bin/Kaleidra") },
        { QStringLiteral("UninstallString"), prefix + QStringLiteral("/bin/uninstaller") },
        { QStringLiteral("DisplayVersion"), newer },
        { QStringLiteral("PackageVersion"), version.section(u'.', 0, 1) },
        { QStringLiteral("UpdateDate"), machine.today.toString(u"yyyyMMdd") },
        { QStringLiteral("UpdateVersion"), newer },
    };
    for (const auto& [name, value] : updated)
        EXPECT_EQ(Entry(name), value) << name.toStdString();

    // The uninstaller removes what was installed and the entry; what the user added stays, and
    // so do the documents and settings.
    folder.WriteFile(QStringLiteral("elsewhere/kaleidra/bin/Skin/mine.png"), "mine");
    CScriptedDialogService uninstallDialogs;
    CTestUpdateEnvironment uninstalling(folder, uninstallDialogs);
    uninstalling.updaterProgram = prefix + QStringLiteral("/bin/uninstaller");
    uninstalling.registry = platform::CRegistryStore(Hive());
    uninstallDialogs.AnswerMessageBox(platform::IDYES);
    uninstallDialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_EQ(CUninstaller(uninstalling).Run(), 0);
    ASSERT_EQ(uninstallDialogs.MessageTexts().size(), 2u);
    EXPECT_EQ(
        uninstallDialogs.MessageTexts()[1], QStringLiteral("Kaleidra のアンインストールが完了しました。"));
    EXPECT_EQ(FilesBelow(prefix), QStringList { QStringLiteral("bin/Skin/mine.png") });
    EXPECT_FALSE(QFileInfo::exists(prefix + QStringLiteral("/lib")));
    EXPECT_FALSE(platform::CRegistryStore(Hive()).KeyExists(CUpdateSandbox::kUninstallKey));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("home/Documents/Kaleidra/Sample/readme.txt"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/update.ini"))));
}

// Runs only on a virtual display of its own (see the CMake entry): it looks for the editor's
// windows there.
class FirstStartTest : public InstallTest {
protected:
    // The window ids of the process's windows whose title is the text, from xdotool.
    static QStringList WindowsOf(qint64 pid, const QString& title)
    {
        QProcess xdotool;
        xdotool.start(QStringLiteral(KALEIDRA_XDOTOOL_PATH),
            { QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--pid"),
                QString::number(pid), QStringLiteral("--name"), QStringLiteral("^%1$").arg(title) });
        xdotool.waitForFinished(10000);
        return QString::fromUtf8(xdotool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
};

// A user who has never run the editor starts the installed one: it lays the delivered settings
// file into the user's settings folder, makes the work folder it names in the user's home and
// offers its start-up dialog, instead of saying that it has no settings and ending.
TEST_F(FirstStartTest, TheInstalledEditorStartsForANewUser)
{
    const QString prefix = Path(QStringLiteral("opt/kaleidra"));
    ASSERT_EQ(RunScript(kSourceDir + QStringLiteral("/scripts/install"), { prefix }), 0);

    // The user's machine: a new home, no settings anywhere, and names of the test's own for the
    // editor's instance lock, socket and shared blocks.
    const QString runtime = folder.MakeFolder(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "KALEIDRA_PROGRAM_DIR", "KALEIDRA_DOCUMENTS_DIR", "XDG_DATA_HOME" })
        environment.remove(QString::fromLatin1(name));
    const std::pair<const char*, QString> settings[] = {
        { "HOME", folder.MakeFolder(QStringLiteral("home")) },
        { "KALEIDRA_COMMON_APPDATA", Path(QStringLiteral("common")) },
        { "KALEIDRA_REGISTRY_HKLM", Hive() },
        { "KALEIDRA_REGISTRY_HKCU", Path(QStringLiteral("hkcu.ini")) },
        { "XDG_CONFIG_HOME", Path(QStringLiteral("config")) },
        { "XDG_RUNTIME_DIR", runtime },
        { "KALEIDRA_INSTANCE_SUFFIX",
            QStringLiteral("-first-start-") + QUuid::createUuid().toString(QUuid::Id128).left(12) },
        { "QT_QPA_PLATFORM", QStringLiteral("xcb") },
    };
    for (const auto& [name, value] : settings)
        environment.insert(QString::fromLatin1(name), value);
    ASSERT_FALSE(QFileInfo::exists(Path(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"))));

    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.start(prefix + QStringLiteral("/bin/Kaleidra"), {});
    ASSERT_TRUE(editor.waitForStarted(10000));
    const QDeadlineTimer deadline(60000);
    bool offered = false;
    while (!offered && !deadline.hasExpired() && editor.state() == QProcess::Running) {
        offered = !WindowsOf(editor.processId(), QStringLiteral("スタートアップ")).isEmpty();
        if (!offered)
            editor.waitForFinished(200);
    }
    const bool running = editor.state() == QProcess::Running;
    if (running) {
        // A stop request closes the editor in order, its dialog open or not.
        ::kill(pid_t(editor.processId()), SIGTERM);
        if (!editor.waitForFinished(30000)) {
            editor.kill();
            editor.waitForFinished(10000);
        }
    }
    EXPECT_TRUE(offered) << (running ? "still running" : "ended") << ", saying:\n"
                         << editor.readAllStandardError().constData();
    EXPECT_EQ(folder.ReadFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini")),
        folder.ReadFile(QStringLiteral("opt/kaleidra/bin/Kaleidra.ini")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("home/KaleidraWork"))).isDir());
}

TEST_F(InstallTest, TheDataBesideTheProgramsIsInstalledWhateverItIs)
{
    // A program folder as a build may leave it: data files and folders, programs, libraries.
    folder.WriteFile(QStringLiteral("build/Skin/Skin.ini"), "[SKIN]\n");
    folder.WriteFile(QStringLiteral("build/Skin/Buttons/play.png"), "png");
    folder.WriteFile(QStringLiteral("build/Language.dat"), "[REMOTE]\n");
    folder.WriteFile(QStringLiteral("build/Effect.ini"), "[EFFECT]\n");
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(KALEIDRA_VERSION_FIXTURE), Path(QStringLiteral("build/bench_tool"))));
    ASSERT_TRUE(QFile::copy(kBuildDir + QStringLiteral("/bin/libkaleidra_platform.so"),
        Path(QStringLiteral("build/libkaleidra_platform.so"))));

    QProcess cmake;
    cmake.start(QStringLiteral(KALEIDRA_CMAKE_COMMAND),
        { QStringLiteral("-DKALEIDRA_BUILD_PROGRAM_FOLDER=") + Path(QStringLiteral("build")),
            QStringLiteral("-DCMAKE_INSTALL_PREFIX=") + Path(QStringLiteral("installed")),
            QStringLiteral("-P"), kSourceDir + QStringLiteral("/cmake/InstallProgramData.cmake") });
    ASSERT_TRUE(cmake.waitForFinished(60000));
    ASSERT_EQ(cmake.exitCode(), 0) << cmake.readAllStandardError().constData();

    EXPECT_EQ(FilesBelow(Path(QStringLiteral("installed"))),
        (QStringList { QStringLiteral("bin/Effect.ini"), QStringLiteral("bin/Language.dat"),
            QStringLiteral("bin/Skin/Buttons/play.png"), QStringLiteral("bin/Skin/Skin.ini") }));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("installed/bin/Skin/Buttons/play.png")), "png");
}

} // namespace
