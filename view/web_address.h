#pragma once

#include <QString>
#include <QUrl>

// The support page's address as the language file gives it, when it is a web address (http or
// https with a host); an empty address for anything else, which is never handed on to be
// opened.
QUrl SupportPageAddress(const QString& text);
