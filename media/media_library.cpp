#include "media/media_library.h"

#include "media/media_api.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/support_library.h"

#include <QtGlobal>

const CMediaLibrary& CMediaLibrary::Shared()
{
    static const CMediaLibrary library(
        platform::JoinPath(platform::ExecutableFolder(), QString::fromLatin1(kFileName)));
    return library;
}

CMediaLibrary::CMediaLibrary(const QString& path)
{
    if (const auto entry = reinterpret_cast<KaleidraMediaApiEntry>(
            platform::OpenLibraryEntry(path, KALEIDRA_MEDIA_API_ENTRY, m_errorText))) {
        const KaleidraMediaApi* api = entry();
        if (api && api->version == KALEIDRA_MEDIA_API_VERSION && api->support)
            m_support = api->support;
        else
            m_errorText = QStringLiteral("%1 is of another version than this program").arg(path);
    }
    if (!m_support)
        qWarning("The media support could not be loaded, so no movie or sound can be opened: %s",
            qUtf8Printable(m_errorText));
}
