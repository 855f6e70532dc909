#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

using platform::TextEncoding;

const QString kSample = QStringLiteral("[SYSTEM]\r\nName=展示 テスト\r\n");

TEST(TextCodec, RoundTripsEveryEncodingWithDetection)
{
    struct Case {
        const char* name;
        TextEncoding encoding;
        bool bom;
    };
    const Case cases[] = {
        { "utf8", TextEncoding::Utf8, false },
        { "utf8 bom", TextEncoding::Utf8, true },
        { "utf16le bom", TextEncoding::Utf16LE, true },
        { "utf16be bom", TextEncoding::Utf16BE, true },
        { "cp932", TextEncoding::Cp932, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = platform::EncodeText(kSample, c.encoding, c.bom);
        ASSERT_TRUE(bytes.has_value());
        const platform::DecodedText decoded = platform::DecodeText(*bytes);
        EXPECT_EQ(decoded.text, kSample);
        EXPECT_EQ(decoded.encoding, c.encoding);
        EXPECT_EQ(decoded.hasBom, c.bom);
    }
}

TEST(TextCodec, Cp932KnownBytes)
{
    // "日本" in CP932, and the CP932-only NEC sign "①".
    EXPECT_EQ(platform::DecodeCp932(QByteArray("\x93\xfa\x96\x7b")), QStringLiteral("日本"));
    EXPECT_EQ(platform::DecodeCp932(QByteArray("\x87\x40")), QStringLiteral("①"));
    EXPECT_EQ(platform::EncodeText(QStringLiteral("日本"), TextEncoding::Cp932, false).value(),
        QByteArray("\x93\xfa\x96\x7b"));
}

TEST(TextCodec, BadInputIsContained)
{
    // A lone lead byte at the end and an invalid pair each become one replacement character.
    EXPECT_EQ(platform::DecodeCp932(QByteArray("A\x93")), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(platform::DecodeCp932(QByteArray("\x85\x40Z")), QStringLiteral("\uFFFDZ"));
    // UTF-16 with an odd byte count drops the half unit.
    EXPECT_EQ(platform::DecodeText(QByteArray("\xff\xfe"
                                              "A\x00"
                                              "B",
                                       5))
                  .text,
        QStringLiteral("A"));
    // A character CP932 cannot hold is refused rather than written as '?'.
    EXPECT_FALSE(platform::EncodeText(QStringLiteral("😀"), TextEncoding::Cp932, false).has_value());
}

TEST(TextCodec, Utf8IsCheckedStrictly)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        bool valid;
    };
    const Case cases[] = {
        { "ASCII and Japanese", QStringLiteral("a映像😀").toUtf8(), true },
        { "stray continuation byte", QByteArray("a\x80"), false },
        { "cut-off sequence", QByteArray("\xE6\x98"), false },
        { "overlong slash", QByteArray("\xC0\xAF"), false },
        { "overlong three bytes", QByteArray("\xE0\x80\xAF"), false },
        { "surrogate", QByteArray("\xED\xA0\x80"), false },
        { "past U+10FFFF", QByteArray("\xF4\x90\x80\x80"), false },
        { "last code point", QByteArray("\xF4\x8F\xBF\xBF"), true },
        { "half-width katakana pair in CP932", QByteArray("\xC3\xBD"), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::IsValidUtf8(c.bytes), c.valid);
    }
}

TEST(TextCodec, NamedEncodingsConvertOrRefuse)
{
    EXPECT_EQ(platform::ConvertToUtf8(QByteArray("\x93\xfa\x87\x40\xC3\xBD"), "Shift_JIS").value(),
        QStringLiteral("日①ﾃｽ").toUtf8());
    EXPECT_EQ(platform::ConvertToUtf8(QByteArray("caf\xE9"), "ISO-8859-1").value(),
        QStringLiteral("café").toUtf8());
    EXPECT_EQ(platform::ConvertToUtf8(QByteArray("\xC6\xFC\xCB\xDC"), "EUC-JP").value(),
        QStringLiteral("日本").toUtf8());
    EXPECT_FALSE(platform::ConvertToUtf8(QByteArray("\x85\x40"), "Shift_JIS").has_value()) << "no such pair";
    EXPECT_FALSE(platform::ConvertToUtf8(QByteArray("A\x93"), "CP932").has_value()) << "cut-off pair";
    EXPECT_FALSE(platform::ConvertToUtf8(QByteArray("x"), "no-such-encoding").has_value());
    EXPECT_FALSE(platform::ConvertToUtf8(QByteArray("x"), "UTF-8//IGNORE").has_value()) << "not a name";
    EXPECT_FALSE(platform::ConvertToUtf8(QByteArray("x"), "../x").has_value());
}

} // namespace
