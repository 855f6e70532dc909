// Reading and writing "Kaleidra.ini".
#include "view/kaleidra_doc.h"

#include "core/message_catalog.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "platform/profile_file.h"
#include "view/work_folder.h"

#include <QFileInfo>
#include <algorithm>

namespace {

using platform::CProfileFile;

enum : int {
    kMsgNoWorkFolder = 90,
    kMsgBadWorkFolder = 91,
    kMsgNoSettingsFile = 92,
    kMsgImageDefaultTime = 93,
    kMsgEffectDefaultTime = 94,
    kMsgSrvIPAdd = 95,
    kMsgViewerMode = 96,
    kMsgResoMode = 97,
    kMsgCameraId = 98,
    kMsgCameraName = 99,
    kMsgCameraImgSizeX = 100,
    kMsgCameraImgSizeY = 101,
    kMsgCameraCount = 102,
    kMsgProjectorDisplayNo = 103,
};

const QString kSystem = QStringLiteral("SYSTEM");
const QString kViewer = QStringLiteral("VIEWER");
const QString kRemote = QStringLiteral("REMOTE");
const QString kCamera = QStringLiteral("CAMERA");
const QString kAutoPlay = QStringLiteral("AUTO_PLAY");
const QString kWhite = QStringLiteral("255,255,255");

QString Numbered(const char* key, int number)
{
    return QStringLiteral("%1%2").arg(QLatin1String(key)).arg(number, 2, 10, QLatin1Char('0'));
}

// A file marked read-only is not written, as the system's profile writer refuses it, even for
// a user who could replace it.
bool IsWritableFile(const QString& path)
{
    const QFileInfo info(path);
    constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isFile() && info.isWritable() && (info.permissions() & kAnyWrite);
}

// One value to write, with the message that reports it when it is not written.
struct PendingValue {
    QString section;
    QString key;
    QString value;
    int messageId;
};

// Writes all values in one replacement of the file: either every value is written or the file
// stays as it was. The message of the failing value, or of the first when the file itself
// cannot be written, comes back in `failedMessage`.
bool WriteValues(const QString& path, const std::vector<PendingValue>& values, int& failedMessage)
{
    failedMessage = values.front().messageId;
    if (!IsWritableFile(path))
        return false;
    CProfileFile file;
    if (file.Load(path) != CProfileFile::LoadStatus::Loaded)
        return false;
    for (const PendingValue& pending : values) {
        if (!file.SetValue(pending.section, pending.key, pending.value)) {
            failedMessage = pending.messageId;
            return false;
        }
    }
    return file.Save();
}

// "r,g,b": the parts present replace the colour's components in order.
void ReadFrameColor(const QString& text, int32_t& red, int32_t& green, int32_t& blue)
{
    const auto first = text.indexOf(QLatin1Char(','));
    if (first < 0) {
        red = platform::WToI(text);
        return;
    }
    red = platform::WToI(QStringView(text).left(first));
    const QStringView rest = QStringView(text).mid(first + 1);
    const auto second = rest.indexOf(QLatin1Char(','));
    if (second < 0) {
        green = platform::WToI(rest);
        return;
    }
    green = platform::WToI(rest.left(second));
    blue = platform::WToI(rest.mid(second + 1));
}

} // namespace

bool CKaleidraDoc::ReadIniSettings(QString& error)
{
    const QString path = GetSettingsFile();
    CProfileFile file;
    if (!platform::IsRegularFile(path) || file.Load(path) != CProfileFile::LoadStatus::Loaded) {
        error = ErrorText(kMsgNoSettingsFile, path);
        return false;
    }
    auto text = [&file](const QString& section, const QString& key, const QString& defaultValue) {
        return file.String(section, key, defaultValue);
    };
    auto number = [&](const QString& section, const QString& key, const char* defaultValue) {
        return platform::WToI(text(section, key, QLatin1String(defaultValue)));
    };

    // Read whole: a work folder too long for its field is refused, never cut.
    const QString workFolderValue = file.String(kSystem, u"WorkFolder", QString(), -1);
    if (workFolderValue.isEmpty()) {
        error = ErrorText(kMsgNoWorkFolder, path);
        return false;
    }
    const QString workFolder = ResolveWorkFolder(workFolderValue);
    if (!IsAcceptableWorkFolder(workFolder)) {
        error = ErrorText(kMsgBadWorkFolder, workFolderValue);
        return false;
    }
    m_workFolder = workFolder;

    for (int n = 1; n <= kFrameColorCount; ++n) {
        QString color = text(kSystem, Numbered("FrameColor", n), kWhite);
        if (color.isEmpty())
            color = kWhite;
        ReadFrameColor(
            color, FrameColorR[size_t(n - 1)], FrameColorG[size_t(n - 1)], FrameColorB[size_t(n - 1)]);
    }

    CameraImageWidths.clear();
    CameraImageHeights.clear();
    for (int n = 1; n <= kMaxCameraImageSizes; ++n) {
        const QString size = text(kSystem, Numbered("CameraImgSize", n), QString());
        if (size.isEmpty())
            break;
        const auto comma = size.indexOf(QLatin1Char(','));
        if (comma < 0)
            continue;
        CameraImageWidths.push_back(platform::WToI(QStringView(size).left(comma)));
        CameraImageHeights.push_back(platform::WToI(QStringView(size).mid(comma + 1)));
    }

    ImageDefaultTime = number(kSystem, QStringLiteral("ImageDefaultTime"), "0");
    EffectDefaultTime = number(kSystem, QStringLiteral("EffectDefaultTime"), "0");
    ProjectDefaultTime = number(kSystem, QStringLiteral("ProjectDefaultTime"), "18000");
    GuideDefaultStatus = number(kSystem, QStringLiteral("GuideDefaultStatus"), "0");
    SrvIPAdd = text(kRemote, QStringLiteral("SrvIPAdd"), QString());
    ViewerMode = number(kViewer, QStringLiteral("ViewerMode"), "0");
    if (ViewerMode != 0 && ViewerMode != 1)
        ViewerMode = 0;
    ResoMode = number(kViewer, QStringLiteral("ResoMode"), "1");
    if (ResoMode < 0 || ResoMode > 4)
        ResoMode = 0;
    ProjectorDisplayNo = number(kViewer, QStringLiteral("ProjectorDisplayNo"), "2");
    AutoPlayMode = number(kAutoPlay, QStringLiteral("AutoPlayMode"), "0");
    if (AutoPlayMode != 0 && AutoPlayMode != 1)
        AutoPlayMode = 0;
    CameraCount = std::min(number(kCamera, QStringLiteral("CameraCount"), "0"), int32_t(kMaxCameras));

    CameraList.clear();
    for (int n = 1; n <= CameraCount; ++n) {
        tagCAMERA_SETTING_DATA camera;
        camera.CameraId = number(kCamera, Numbered("CameraId", n), "0");
        camera.CameraName = text(kCamera, Numbered("CameraName", n), QString());
        if (camera.CameraName.isEmpty())
            camera.CameraName = CameraDefaultName() + QString::number(n);
        camera.ImageWidth = number(kCamera, Numbered("CameraImgSizeX", n), "0");
        camera.ImageHeight = number(kCamera, Numbered("CameraImgSizeY", n), "0");
        CameraList.push_back(camera);
    }
    return true;
}

bool CKaleidraDoc::WriteIniSettings(QString& error)
{
    const QString path = GetSettingsFile();
    if (!platform::IsRegularFile(path)) {
        error = ErrorText(kMsgNoSettingsFile, path);
        return false;
    }
    const std::vector<PendingValue> values = {
        { kSystem, QStringLiteral("ImageDefaultTime"), platform::FormatInt(ImageDefaultTime),
            kMsgImageDefaultTime },
        { kSystem, QStringLiteral("EffectDefaultTime"), platform::FormatInt(EffectDefaultTime),
            kMsgEffectDefaultTime },
        { kRemote, QStringLiteral("SrvIPAdd"), SrvIPAdd, kMsgSrvIPAdd },
        { kViewer, QStringLiteral("ViewerMode"), platform::FormatInt(ViewerMode), kMsgViewerMode },
        { kViewer, QStringLiteral("ResoMode"), platform::FormatInt(ResoMode), kMsgResoMode },
        { kViewer, QStringLiteral("ProjectorDisplayNo"), platform::FormatInt(ProjectorDisplayNo),
            kMsgProjectorDisplayNo },
    };
    int failedMessage = 0;
    if (!WriteValues(path, values, failedMessage)) {
        error = ErrorText(failedMessage, path);
        return false;
    }
    return true;
}

bool CKaleidraDoc::WriteCameraSettings(QString& error, const std::vector<tagCAMERA_SETTING_DATA>& cameras)
{
    const QString path = GetSettingsFile();
    if (!platform::IsRegularFile(path)) {
        error = ErrorText(kMsgNoSettingsFile, path);
        return false;
    }
    // Groups past 99 could not be numbered, nor read back.
    if (cameras.size() > size_t(kMaxCameras)) {
        error = ErrorText(kMsgCameraCount, path);
        return false;
    }
    const int groups = int(std::max(CameraList.size(), cameras.size()));
    std::vector<PendingValue> values;
    for (int p = 1; p <= groups; ++p) {
        // Groups past the new list are written as empty cameras, so none of a longer earlier
        // list stays behind.
        const tagCAMERA_SETTING_DATA camera
            = p <= int(cameras.size()) ? cameras[size_t(p - 1)] : tagCAMERA_SETTING_DATA();
        values.push_back(
            { kCamera, Numbered("CameraId", p), platform::FormatInt(camera.CameraId), kMsgCameraId });
        values.push_back({ kCamera, Numbered("CameraName", p), camera.CameraName, kMsgCameraName });
        values.push_back({ kCamera, Numbered("CameraImgSizeX", p), platform::FormatInt(camera.ImageWidth),
            kMsgCameraImgSizeX });
        values.push_back({ kCamera, Numbered("CameraImgSizeY", p), platform::FormatInt(camera.ImageHeight),
            kMsgCameraImgSizeY });
    }
    values.push_back({ kCamera, QStringLiteral("CameraCount"), platform::FormatInt(int64_t(cameras.size())),
        kMsgCameraCount });
    int failedMessage = 0;
    if (!WriteValues(path, values, failedMessage)) {
        error = ErrorText(failedMessage, path);
        return false;
    }
    CameraList = cameras;
    CameraCount = int32_t(cameras.size());
    return true;
}

bool CKaleidraDoc::WriteIniInt(const QString& file, const QString& section, const QString& key, int32_t value)
{
    return IsWritableFile(file)
        && platform::WritePrivateProfileString(section, key, platform::FormatInt(value), file);
}
