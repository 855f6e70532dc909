#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// Button and icon styles of a message box, with the values the programs use.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_TYPEMASK = 0xF,
    MB_ICONMASK = 0xF0,
};

// Answers of a message box.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Every message box, question, file and folder picker and colour picker of the programs goes
// through this service, so that tests can answer them without showing anything.
class CDialogService {
public:
    virtual ~CDialogService() = default;

    // Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(const QString& text, const QString& caption, unsigned type) = 0;

    // A message shown without waiting for an answer and without taking the keyboard from the
    // program's windows (what another program reports while the user works). Shown as a message
    // box unless the service can do better.
    virtual void ShowNotice(const QString& text, const QString& caption, unsigned type);

    // Filters are in Qt's form ("Project (*.kdp);;All files (*)"). Nothing when cancelled.
    // selectedFilter, when given, names the file type chosen at first (one entry of the filter;
    // empty for the first) and receives the one the user chose.
    virtual std::optional<QString> OpenFileName(const QString& caption,
        const QString& folder,
        const QString& filter,
        QString* selectedFilter = nullptr)
        = 0;
    virtual std::optional<QString> SaveFileName(const QString& caption,
        const QString& initialPath,
        const QString& filter,
        QString* selectedFilter = nullptr)
        = 0;
    virtual std::optional<QString> FolderName(const QString& caption, const QString& folder) = 0;

    // Colours are Windows colour values (red in the low byte).
    virtual std::optional<uint32_t> Colour(uint32_t initial) = 0;
};

// The service in use: the installed one, else the program's default, else one that shows
// nothing (programs and tools without windows), which writes each message to the standard error
// stream and answers as Escape would.
CDialogService& DialogService();

// Installs a service (tests); nullptr puts the default back. The caller keeps ownership.
void SetDialogService(CDialogService* service);

// Sets the program's default service (the window programs set the Qt one at start; see
// qt_dialog_service.h). The caller keeps ownership; nullptr removes it.
void SetDefaultDialogService(CDialogService* service);

// The answer a message box of this style gives when it is closed with Escape or the window's
// close button.
int EscapeAnswer(unsigned type);

} // namespace platform
