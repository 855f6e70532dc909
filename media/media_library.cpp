#include "media/media_library.h"

#include "media/media_api.h"
#include "platform/known_folders.h"
#include "platform/paths.h"

#include <QLibrary>
#include <QtGlobal>

const CMediaLibrary& CMediaLibrary::Shared()
{
    static const CMediaLibrary library(
        platform::JoinPath(platform::ExecutableFolder(), QString::fromLatin1(kFileName)));
    return library;
}

CMediaLibrary::CMediaLibrary(const QString& path)
{
    QLibrary library(path);
    // The loader would wait for good on a pipe planted under the library's name.
    if (!platform::IsRegularFile(path)) {
        m_errorText = QStringLiteral("%1 is missing or no regular file").arg(path);
    } else if (!library.load()) {
        m_errorText = library.errorString();
    } else if (const auto entry
               = reinterpret_cast<KaleidraMediaApiEntry>(library.resolve(KALEIDRA_MEDIA_API_ENTRY));
               !entry) {
        m_errorText = QStringLiteral("%1 has no %2").arg(path, QLatin1String(KALEIDRA_MEDIA_API_ENTRY));
    } else if (const KaleidraMediaApi* api = entry();
               !api || api->version != KALEIDRA_MEDIA_API_VERSION || !api->support) {
        m_errorText = QStringLiteral("%1 is of another version than this program").arg(path);
    } else {
        m_support = api->support;
    }
    if (!m_support)
        qWarning("The media support could not be loaded, so no movie or sound can be opened: %s",
            qUtf8Printable(m_errorText));
}
