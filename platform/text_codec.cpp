#include "platform/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
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

bool IsValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder.decode(bytes));
    return !decoder.hasError();
}

} // namespace

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
