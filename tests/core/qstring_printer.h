#pragma once

#include <QString>
#include <ostream>

// Shows QStrings as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
