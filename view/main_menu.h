#pragma once

#include <QString>

class CLanguageData;
class QAction;
class QMenuBar;

// The command ids of the editor's main menu; each action carries its id in the property
// "commandId".
namespace menu_command {
inline constexpr int kNewProject = 32783;
inline constexpr int kOpenProject = 32778;
inline constexpr int kSaveProject = 32786;
inline constexpr int kSaveProjectAs = 32785;
inline constexpr int kCloseProject = 32777;
inline constexpr int kExport = 32788;
inline constexpr int kImport = 32854;
inline constexpr int kExit = 57665;
inline constexpr int kUndo = 32796;
inline constexpr int kRedo = 32798;
inline constexpr int kFaceAdd = 32802;
inline constexpr int kCopy = 32827;
inline constexpr int kAllDelete = 32799;
inline constexpr int kPackLeft = 32800;
inline constexpr int kPackRight = 32828;
inline constexpr int kSplit = 32801;
inline constexpr int kSetIn = 32810;
inline constexpr int kSetOut = 32812;
inline constexpr int kAlignStartEarly = 32858;
inline constexpr int kAlignStartLate = 32859;
inline constexpr int kAlignPlayShort = 32861;
inline constexpr int kAlignPlayLong = 32863;
inline constexpr int kPreview = 32787;
inline constexpr int kPropertyPage = 32775;
inline constexpr int kEffectPage = 32781;
inline constexpr int kFilterPage = 32782;
inline constexpr int kTop = 32848;
inline constexpr int kScreen = 32849;
inline constexpr int kGuide = 32850;
inline constexpr int kLoop = 32851;
inline constexpr int kStartPause = 32852;
inline constexpr int kRemoteConnect = 32789;
inline constexpr int kRemoteDisconnect = 32790;
inline constexpr int kRemoteHost = 32871;
inline constexpr int kSettings = 32794;
inline constexpr int kCameraSettings = 32795;
inline constexpr int kManual = 32807;
inline constexpr int kSupport = 32809;
inline constexpr int kVersion = 32805;
} // namespace menu_command

// Builds the main menu (File, Edit with its Align sub-menus, View, Control, Remote, Setting,
// Help) with every command id; the Control menu keeps its own texts.
void BuildMainMenu(QMenuBar& menuBar);
// Gives every entry its language text followed by its fixed suffix (mnemonic and shortcut).
void SetMenuTexts(QMenuBar& menuBar, const CLanguageData& language);
// The action of a command id; null when there is none.
QAction* FindMenuCommand(const QMenuBar& menuBar, int commandId);
