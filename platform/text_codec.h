#pragma once

#include <QByteArray>
#include <QByteArrayView>
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

// True when the bytes are well-formed UTF-8: no stray or missing continuation bytes, overlong
// forms, surrogates or values past U+10FFFF.
bool IsValidUtf8(QByteArrayView bytes);

// Converts text in the named encoding (an IANA name as XML declarations give it; Shift_JIS and
// its aliases are read as CP932, the superset Windows writes under that name) to UTF-8. Nothing
// when the name is unknown or malformed or a byte sequence is not valid in the encoding: the
// caller refuses such text rather than guess at it.
std::optional<QByteArray> ConvertToUtf8(const QByteArray& bytes, const QByteArray& encodingName);

} // namespace platform
