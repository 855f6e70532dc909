#include "platform/dialog_service.h"

#include <cstdio>

namespace platform {
namespace {

CDialogService* g_installed = nullptr;
CDialogService* g_default = nullptr;

// The service of a program without windows: nothing can be asked, so every question is
// answered as if the user had pressed Escape, and the text is kept on the error stream.
class CWindowlessDialogService final : public CDialogService {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
        return EscapeAnswer(type);
    }
    std::optional<QString> OpenFileName(const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    std::optional<QString> FolderName(const QString&, const QString&) override { return {}; }
    std::optional<uint32_t> Colour(uint32_t) override { return {}; }
};

} // namespace

CDialogService& DialogService()
{
    static CWindowlessDialogService windowless;
    if (g_installed)
        return *g_installed;
    return g_default ? *g_default : windowless;
}

void CDialogService::ShowNotice(const QString& text, const QString& caption, unsigned type)
{
    MessageBox(text, caption, type);
}

void SetDialogService(CDialogService* service)
{
    g_installed = service;
}

void SetDefaultDialogService(CDialogService* service)
{
    g_default = service;
}

int EscapeAnswer(unsigned type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace platform
