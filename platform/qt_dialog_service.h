#pragma once

#include "platform/dialog_service.h"

namespace platform {

// Shows real Qt dialogs. Message texts are shown as plain text: a path or a message that holds
// markup is shown as written, never rendered (nor an image of it loaded). Lives in the widget part of the
// platform layer, so that libraries without windows never link the widget library.
class CQtDialogService final : public CDialogService {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override;
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

} // namespace platform
