#include "platform/text_codec.h"

#include <QStringEncoder>
#include <cctype>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Runs iconv over the whole input; nothing when a sequence cannot be converted.
std::optional<QByteArray> Convert(const char* from, const char* to, const QByteArray& input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray output(input.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = size_t(input.size());
    char* out = output.data();
    size_t outLeft = size_t(output.size());
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1))
            continue;
        if (errno == E2BIG) {
            const qsizetype used = out - output.data();
            output.resize(output.size() * 2);
            out = output.data() + used;
            outLeft = size_t(output.size() - used);
            continue;
        }
        ok = false;
        break;
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.truncate(out - output.data());
    return output;
}

QString FromUtf16Bytes(const QByteArray& bytes, bool bigEndian)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto hi = uchar(bytes[bigEndian ? i : i + 1]);
        const auto lo = uchar(bytes[bigEndian ? i + 1 : i]);
        text.append(QChar(char16_t((hi << 8) | lo)));
    }
    return text;
}

// An encoding name as XML allows it ([A-Za-z][A-Za-z0-9._-]*), so that nothing but a name
// reaches iconv (no "//" suffixes, no paths).
bool IsEncodingName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 64 || !std::isalpha(uchar(name[0])))
        return false;
    for (const char c : name) {
        if (!std::isalnum(uchar(c)) && c != '.' && c != '_' && c != '-')
            return false;
    }
    return true;
}

} // namespace

bool IsValidUtf8(QByteArrayView bytes)
{
    const auto* c = reinterpret_cast<const uchar*>(bytes.data());
    const auto* end = c + bytes.size();
    while (c < end) {
        if (*c < 0x80) {
            ++c;
            continue;
        }
        int length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if ((*c & 0xE0) == 0xC0) {
            length = 2;
            value = *c & 0x1F;
            minimum = 0x80;
        } else if ((*c & 0xF0) == 0xE0) {
            length = 3;
            value = *c & 0x0F;
            minimum = 0x800;
        } else if ((*c & 0xF8) == 0xF0) {
            length = 4;
            value = *c & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (end - c < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((c[i] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (c[i] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        c += length;
    }
    return true;
}

std::optional<QByteArray> ConvertToUtf8(const QByteArray& bytes, const QByteArray& encodingName)
{
    if (!IsEncodingName(encodingName))
        return std::nullopt;
    QByteArray name = encodingName.toUpper();
    static const QByteArray kShiftJisNames[]
        = { "SHIFT_JIS", "SHIFT-JIS", "SJIS", "X-SJIS", "MS_KANJI", "CSSHIFTJIS", "WINDOWS-31J", "MS932" };
    for (const QByteArray& alias : kShiftJisNames) {
        if (name == alias)
            name = "CP932";
    }
    auto utf8 = Convert(name.constData(), "UTF-8", bytes);
    // iconv passes some invalid input of lax encodings through; what comes out must be UTF-8.
    if (utf8 && !IsValidUtf8(*utf8))
        return std::nullopt;
    return utf8;
}

QString DecodeCp932(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    // Decode byte by byte sequence so that one bad pair spoils only itself.
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = uchar(bytes[i]);
        qsizetype length = 1;
        if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))
            length = 2;
        if (i + length > bytes.size()) {
            text.append(QChar(0xFFFD));
            break;
        }
        if (lead < 0x80) {
            text.append(QChar(lead));
        } else {
            const auto utf16 = Convert("CP932", "UTF-16LE", bytes.mid(i, length));
            if (utf16 && !utf16->isEmpty())
                text.append(FromUtf16Bytes(*utf16, false));
            else
                text.append(QChar(0xFFFD));
        }
        i += length;
    }
    return text;
}

DecodedText DecodeText(const QByteArray& bytes)
{
    DecodedText result;
    if (bytes.startsWith("\xFF\xFE")) {
        result.encoding = TextEncoding::Utf16LE;
        result.hasBom = true;
        result.text = FromUtf16Bytes(bytes.mid(2), false);
    } else if (bytes.startsWith("\xFE\xFF")) {
        result.encoding = TextEncoding::Utf16BE;
        result.hasBom = true;
        result.text = FromUtf16Bytes(bytes.mid(2), true);
    } else if (bytes.startsWith(kUtf8Bom)) {
        result.encoding = TextEncoding::Utf8;
        result.hasBom = true;
        result.text = QString::fromUtf8(bytes.mid(3));
    } else if (IsValidUtf8(bytes)) {
        result.encoding = TextEncoding::Utf8;
        result.text = QString::fromUtf8(bytes);
    } else {
        result.encoding = TextEncoding::Cp932;
        result.text = DecodeCp932(bytes);
    }
    return result;
}

std::optional<QByteArray> EncodeText(const QString& text, TextEncoding encoding, bool withBom)
{
    QByteArray bytes;
    switch (encoding) {
    case TextEncoding::Utf8:
        if (withBom)
            bytes = kUtf8Bom;
        bytes += text.toUtf8();
        return bytes;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const bool big = encoding == TextEncoding::Utf16BE;
        bytes.reserve(text.size() * 2 + 2);
        if (withBom)
            bytes += big ? "\xFE\xFF" : "\xFF\xFE";
        for (const QChar c : text) {
            const auto hi = char(c.unicode() >> 8);
            const auto lo = char(c.unicode() & 0xFF);
            bytes += big ? hi : lo;
            bytes += big ? lo : hi;
        }
        return bytes;
    }
    case TextEncoding::Cp932: {
        QByteArray utf16;
        utf16.reserve(text.size() * 2);
        for (const QChar c : text) {
            utf16 += char(c.unicode() & 0xFF);
            utf16 += char(c.unicode() >> 8);
        }
        return Convert("UTF-16LE", "CP932", utf16);
    }
    }
    return std::nullopt;
}

} // namespace platform
