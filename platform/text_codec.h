#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// The encodings data files come in: ini-style files written on Windows are UTF-16 with a BOM,
// UTF-8, or the Japanese ANSI code page (CP932).
enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Cp932 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool hasBom = false;
};

// Detects the encoding (BOM first, then valid UTF-8, else CP932) and decodes the bytes.
// CP932 bytes that are not valid become U+FFFD.
DecodedText DecodeText(const QByteArray& bytes);

// Encodes text; nothing when a character cannot be represented (CP932 only), so a caller never
// writes '?' in place of a user's text.
std::optional<QByteArray> EncodeText(const QString& text, TextEncoding encoding, bool withBom);

// CP932 bytes (file names of Windows-made archives) to text.
QString DecodeCp932(const QByteArray& bytes);

} // namespace platform
