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
        {"utf8", TextEncoding::Utf8, false},
        {"utf8 bom", TextEncoding::Utf8, true},
        {"utf16le bom", TextEncoding::Utf16LE, true},
        {"utf16be bom", TextEncoding::Utf16BE, true},
        {"cp932", TextEncoding::Cp932, false},
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
    EXPECT_EQ(platform::DecodeText(QByteArray("\xff\xfe" "A\x00" "B", 5)).text, QStringLiteral("A"));
    // A character CP932 cannot hold is refused rather than written as '?'.
    EXPECT_FALSE(platform::EncodeText(QStringLiteral("😀"), TextEncoding::Cp932, false).has_value());
}

} // namespace
