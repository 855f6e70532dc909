#pragma once

#include "platform/dialog_service.h"

class QWidget;

namespace platform {

// Shows real Qt dialogs. Message texts are shown as plain text: a path or a message that holds
// markup is shown as written, never rendered (nor an image of it loaded). Lives in the widget part of the
// platform layer, so that libraries without windows never link the widget library.
class CQtDialogService final : public CDialogService {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override;
    // A box that is not modal, is shown without being activated and goes when it is closed.
    void ShowNotice(const QString& text, const QString& caption, unsigned type) override;
    std::optional<QString> OpenFileName(const QString& caption,
        const QString& folder,
        const QString& filter,
        QString* selectedFilter = nullptr) override;
    std::optional<QString> SaveFileName(const QString& caption,
        const QString& initialPath,
        const QString& filter,
        QString* selectedFilter = nullptr) override;
    std::optional<QString> FolderName(const QString& caption, const QString& folder) override;
    std::optional<uint32_t> Colour(uint32_t initial) override;
};

// Makes the Qt dialogs the program's default service. Window programs call it once at start.
void UseQtDialogService();

// While it lives, the Qt dialogs belong to this window: they are modal to it and centred on it,
// whichever window is active (a window closed from the task bar is not). Without one they
// belong to the active window. Scopes nest; the innermost holds.
class CDialogOwner {
public:
    explicit CDialogOwner(QWidget* window);
    ~CDialogOwner();
    CDialogOwner(const CDialogOwner&) = delete;
    CDialogOwner& operator=(const CDialogOwner&) = delete;

private:
    QWidget* m_previous;
};

} // namespace platform
