#include "updater/uninstaller.h"

#include "platform/file_version.h"
#include "platform/user_account.h"
#include "updater/product_names.h"
#include "updater/version_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Shown at most in the closing message; the rest is counted.
constexpr int kNamedFailures = 10;

// A descriptor closed on every way out.
class CFolder {
public:
    explicit CFolder(int fd)
        : m_fd(fd)
    {
    }
    ~CFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFolder(const CFolder&) = delete;
    CFolder& operator=(const CFolder&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Opens the folder that holds the last component of `relative`, below `root`, following no
// link on the way; -1 with errno set when it cannot.
int OpenParentFolder(const QString& root, const QString& relative)
{
    const QStringList parts = relative.split(u'/');
    int folder = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype index = 0; folder >= 0 && index + 1 < parts.size(); ++index) {
        const int next = ::openat(folder, QFile::encodeName(parts[index]).constData(),
            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        const int error = errno;
        ::close(folder);
        errno = error;
        folder = next;
    }
    return folder;
}

// A path of the list stays inside the installation: relative, without empty, "." or ".."
// components.
bool IsInsideInstallation(const QString& relative)
{
    if (relative.isEmpty() || relative.startsWith(u'/') || relative.contains(u'\0'))
        return false;
    const QStringList parts = relative.split(u'/');
    return std::none_of(parts.begin(), parts.end(),
        [](const QString& part) { return part.isEmpty() || part == u"." || part == u".."; });
}

// Every folder above a listed file, below the installation folder, deepest first.
QStringList FoldersOf(const QStringList& files)
{
    std::set<QString> folders;
    for (const QString& file : files) {
        for (qsizetype slash = file.lastIndexOf(u'/'); slash > 0; slash = file.lastIndexOf(u'/', slash - 1))
            folders.insert(file.left(slash));
    }
    QStringList deepestFirst(folders.begin(), folders.end());
    std::stable_sort(deepestFirst.begin(), deepestFirst.end(),
        [](const QString& a, const QString& b) { return a.count(u'/') > b.count(u'/'); });
    return deepestFirst;
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

CUninstaller::CUninstaller(CUpdateEnvironment& environment)
    : m_environment(environment)
    , m_title(QStringLiteral("%1 アンインストール").arg(product::kDisplayName))
{
}

QString CUninstaller::InstallationFolder() const
{
    const QString binFolder = QFileInfo(m_environment.UpdaterProgramFile()).absolutePath();
    return QDir::cleanPath(binFolder + QStringLiteral("/.."));
}

int CUninstaller::Message(const QString& text, unsigned type)
{
    return m_environment.Dialogs().MessageBox(text, m_title, type);
}

std::optional<QStringList> CUninstaller::ReadList(QString* error) const
{
    const QString listFile = product::BinFile(InstallationFolder(), product::kUninstallList);
    QFile file(listFile);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("[%1]\n%2").arg(listFile, file.errorString());
        return std::nullopt;
    }
    QStringList files;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString relative = QFile::decodeName(line);
        if (relative.isEmpty())
            continue;
        if (!IsInsideInstallation(relative)) {
            *error = QStringLiteral("[%1]\n%2").arg(listFile, relative);
            return std::nullopt;
        }
        files.append(relative);
    }
    return files;
}

QStringList CUninstaller::UnwritableFolders(const QStringList& files) const
{
    QStringList unwritable;
    std::set<QString> checked;
    for (const QString& file : files) {
        const QString folder = QFileInfo(InstallationFolder() + u'/' + file).absolutePath();
        if (!checked.insert(folder).second || !QFileInfo(folder).isDir())
            continue;
        if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
            unwritable.append(folder);
    }
    return unwritable;
}

CUninstaller::Removal CUninstaller::RemoveFiles(const QStringList& files) const
{
    Removal removal;
    for (const QString& file : files) {
        const CFolder folder(OpenParentFolder(InstallationFolder(), file));
        if (folder.Get() < 0) {
            if (errno != ENOENT) // a folder already gone has taken its files with it
                removal.failed.append(QStringLiteral("%1 (%2)").arg(file, ErrorText(errno)));
            continue;
        }
        const QByteArray name = QFile::encodeName(file.section(u'/', -1));
        struct stat status { };
        if (::fstatat(folder.Get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                removal.failed.append(QStringLiteral("%1 (%2)").arg(file, ErrorText(errno)));
            continue;
        }
        // The list names files; a folder of that name now is not the installation's to remove.
        if (S_ISDIR(status.st_mode)) {
            removal.failed.append(QStringLiteral("%1 (%2)").arg(file, ErrorText(EISDIR)));
            continue;
        }
        if (::unlinkat(folder.Get(), name.constData(), 0) != 0 && errno != ENOENT)
            removal.failed.append(QStringLiteral("%1 (%2)").arg(file, ErrorText(errno)));
    }
    return removal;
}

void CUninstaller::RemoveEmptyFolders(const QStringList& files) const
{
    // A folder that still holds something (files the user added) stays, and so do its parents.
    for (const QString& folder : FoldersOf(files)) {
        const CFolder parent(OpenParentFolder(InstallationFolder(), folder));
        if (parent.Get() >= 0)
            ::unlinkat(parent.Get(), QFile::encodeName(folder.section(u'/', -1)).constData(), AT_REMOVEDIR);
    }
    ::rmdir(QFile::encodeName(InstallationFolder()).constData());
}

bool CUninstaller::RemoveEntry()
{
    platform::CRegistryStore& hive = m_environment.MachineRegistry();
    const platform::CActAsFileOwner actAsOwner(DesktopOwnerOf(m_environment, hive.File()));
    if (!actAsOwner.Ok())
        return false;
    const QString uninstaller
        = hive.ReadString(product::kUninstallKey, QStringLiteral("UninstallString")).value_or(QString());
    // An entry of another installation stays that installation's.
    if (uninstaller.isEmpty()
        || QDir::cleanPath(uninstaller) != QDir::cleanPath(m_environment.UpdaterProgramFile()))
        return true;
    return hive.DeleteKey(product::kUninstallKey);
}

int CUninstaller::Run()
{
    QString error;
    const std::optional<QStringList> files = ReadList(&error);
    if (!files) {
        Message(QStringLiteral("%1 のアンインストール情報を読めませんでした。\n%2")
                    .arg(product::kDisplayName, error),
            platform::MB_ICONWARNING);
        return 1;
    }
    const int answer = Message(QStringLiteral("%1 をアンインストールします。\n[%2]\nよろしいですか？")
                                   .arg(product::kDisplayName, InstallationFolder()),
        platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
    if (answer != platform::IDYES)
        return 0;

    const QStringList unwritable = UnwritableFolders(*files);
    if (!unwritable.isEmpty()) {
        Message(QStringLiteral(
                    "%1 をアンインストールできませんでした。次のフォルダに書き込む権限がありません。\n%2")
                    .arg(product::kDisplayName, unwritable.mid(0, kNamedFailures).join(u'\n')),
            platform::MB_ICONWARNING);
        return 1;
    }
    Removal removal = RemoveFiles(*files);
    RemoveEmptyFolders(*files);
    if (!RemoveEntry())
        removal.failed.append(
            QStringLiteral("%1 (%2)").arg(product::kUninstallKey, m_environment.MachineRegistry().File()));
    if (removal.failed.isEmpty()) {
        Message(QStringLiteral("%1 のアンインストールが完了しました。").arg(product::kDisplayName),
            platform::MB_ICONINFORMATION);
        return 0;
    }
    QString named = removal.failed.mid(0, kNamedFailures).join(u'\n');
    if (removal.failed.size() > kNamedFailures)
        named += QStringLiteral("\n(ほか %1 件)").arg(removal.failed.size() - kNamedFailures);
    Message(QStringLiteral("%1 のアンインストールで、次のものを削除できませんでした。\n%2")
                .arg(product::kDisplayName, named),
        platform::MB_ICONWARNING);
    return 1;
}

bool CUninstaller::Register(QString* error)
{
    const QString programFile = product::BinFile(InstallationFolder(), product::kMainProgram);
    const std::optional<platform::FileVersion> version = platform::ReadFileVersion(programFile);
    if (!version) {
        *error = QStringLiteral("%1 carries no version").arg(programFile);
        return false;
    }
    platform::CRegistryStore& hive = m_environment.MachineRegistry();
    const platform::CActAsFileOwner actAsOwner(DesktopOwnerOf(m_environment, hive.File()));
    const bool written = actAsOwner.Ok()
        && hive.WriteStrings(product::kUninstallKey,
            {
                { QStringLiteral("DisplayIcon"), programFile },
                { QStringLiteral("UninstallString"), m_environment.UpdaterProgramFile() },
                { QStringLiteral("DisplayVersion"), FormatFileVersion(*version, 4) },
                { QStringLiteral("PackageVersion"), FormatFileVersion(*version, 2) },
            });
    if (!written)
        *error = QStringLiteral("cannot write the registry store %1").arg(hive.File());
    return written;
}
