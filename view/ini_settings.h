#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>

class CViewerChannel;

// The settings the settings dialog edits, as the settings file keeps them.
struct IniSettingValues {
    int32_t imageDefaultTime = 0; // hundredths of a second
    int32_t effectDefaultTime = 0; // hundredths of a second
    QString remoteAddress = QStringLiteral("0.0.0.0");
    int32_t viewerMode = 0; // 0 dual, 1 single (projector output only)
    int32_t resoMode = 0; // 0 to 4: FREE, 16:9, 4:3, 9:16, 3:4
    int32_t projectorDisplayNo = 2; // counted from 1

    bool operator==(const IniSettingValues&) const = default;
};

// Where the settings dialog reads its values from and writes them to (the settings document).
class CIniSettingStore {
public:
    virtual ~CIniSettingStore() = default;
    virtual IniSettingValues ReadIniSettings() const = 0;
    // Stores the values and writes the settings file; false with the reason when that fails.
    virtual bool WriteIniSettings(const IniSettingValues& values, QString& error) = 0;
};

// The checks of the dialog's OK, in order: 0 when the values pass, else the catalogue message:
// 22 for an image time whose low 32 bits are below 1, 23 for an address that is not four
// "."-separated parts, 24 for a part above 255.
int CheckIniSettings(int64_t imageTime, const QString& address);

// The item the projector list selects for the stored display number among `count` displays:
// none (-1) without displays or for a number below 1, the last for a number beyond them.
int ProjectorListSelection(int count, int32_t projectorDisplayNo);

// What a change of the settings asks of the view: the display settings go into the viewer
// block whenever they changed, and the viewer restarts with them when a project is open.
struct IniSettingChange {
    bool displayChanged = false;
    bool restartViewer = false;
};
IniSettingChange CompareIniSettings(
    const IniSettingValues& before, const IniSettingValues& after, bool projectOpen);

// Writes the resolution mode and the projector's display name into the viewer block.
void WriteDisplaySettings(
    CViewerChannel& channel, const IniSettingValues& values, const QString& displayName);

// The eight frame pieces of the dialog (left top, right top, left under, right under, top,
// left, right, under) placed in a client area: the frame spans x 2 to W - 2 and y 31 to
// H - 36, corners at their own sizes, the edges stretched between them; the right edge lines
// up with the right-top corner.
std::array<QRect, 8> IniSettingFrameRects(QSize client, const std::array<QSize, 8>& pieces);
