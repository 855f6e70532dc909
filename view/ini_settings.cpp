#include "view/ini_settings.h"

#include "platform/number_text.h"
#include "view/viewer_channel.h"

#include <QStringList>

int CheckIniSettings(int64_t imageTime, const QString& address)
{
    if (int32_t(uint32_t(uint64_t(imageTime))) < 1)
        return 22;
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return 23;
    for (const QString& part : parts) {
        if (uint32_t(platform::WToI(part)) > 255)
            return 24;
    }
    return 0;
}

int ProjectorListSelection(int count, int32_t projectorDisplayNo)
{
    if (count <= 0 || projectorDisplayNo < 1)
        return -1;
    return projectorDisplayNo <= count ? projectorDisplayNo - 1 : count - 1;
}

IniSettingChange CompareIniSettings(
    const IniSettingValues& before, const IniSettingValues& after, bool projectOpen)
{
    IniSettingChange change;
    change.displayChanged = before.viewerMode != after.viewerMode || before.resoMode != after.resoMode
        || before.projectorDisplayNo != after.projectorDisplayNo;
    change.restartViewer = change.displayChanged && projectOpen;
    return change;
}

void WriteDisplaySettings(CViewerChannel& channel, const IniSettingValues& values, const QString& displayName)
{
    channel.WriteResoMode(values.resoMode);
    // A name too long for its cell leaves the cell empty rather than cut.
    channel.WriteDisplayName(displayName);
}

std::array<QRect, 8> IniSettingFrameRects(QSize client, const std::array<QSize, 8>& pieces)
{
    enum { LeftTop, RightTop, LeftUnder, RightUnder, Top, Left, Right, Under };
    const int left = 2;
    const int right = client.width() - 2;
    const int top = 31;
    const int bottom = client.height() - 36;
    const auto size = [&](int piece) { return pieces[size_t(piece)]; };
    std::array<QRect, 8> rects;
    rects[LeftTop] = QRect(QPoint(left, top), size(LeftTop));
    rects[RightTop] = QRect(QPoint(right - size(RightTop).width(), top), size(RightTop));
    rects[LeftUnder] = QRect(QPoint(left, bottom - size(LeftUnder).height()), size(LeftUnder));
    rects[RightUnder] = QRect(
        QPoint(right - size(RightUnder).width(), bottom - size(RightUnder).height()), size(RightUnder));
    const int topFrom = left + size(LeftTop).width();
    rects[Top] = QRect(topFrom, top, right - size(RightTop).width() - topFrom, size(Top).height());
    const int underFrom = left + size(LeftUnder).width();
    rects[Under] = QRect(underFrom, bottom - size(Under).height(),
        right - size(RightUnder).width() - underFrom, size(Under).height());
    const int leftFrom = top + size(LeftTop).height();
    rects[Left] = QRect(left, leftFrom, size(Left).width(), bottom - size(LeftUnder).height() - leftFrom);
    const int rightFrom = top + size(RightTop).height();
    rects[Right] = QRect(right - size(RightTop).width(), rightFrom, size(Right).width(),
        bottom - size(RightUnder).height() - rightFrom);
    return rects;
}
