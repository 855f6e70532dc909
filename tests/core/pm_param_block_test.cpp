#include "core/pm_param_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

TEST(PmParamBlock, TextCellsKeepTheirBoundsAndTerminator)
{
    auto block = std::make_unique<PmParamBlock>();
    std::memset(block.get(), 0x7F, sizeof(PmParamBlock));

    EXPECT_TRUE(WritePmText(block->commandCells[1], u"投影 1"));
    EXPECT_EQ(ReadPmText(block->commandCells[1]), QStringLiteral("投影 1"));
    // The rest of the cell is cleared: nothing of an earlier, longer text remains.
    EXPECT_TRUE(std::all_of(std::begin(block->commandCells[1]) + 4, std::end(block->commandCells[1]),
        [](char16_t c) { return c == 0; }));

    // 255 characters fit with the terminator; 256 do not, and the cell keeps what it held.
    EXPECT_TRUE(WritePmText(block->queryCells[0], QString(255, QLatin1Char('x'))));
    EXPECT_FALSE(WritePmText(block->queryCells[0], QString(256, QLatin1Char('y'))));
    EXPECT_EQ(ReadPmText(block->queryCells[0]), QString(255, QLatin1Char('x')));

    // A cell the other program left without a terminator is read up to its end, never beyond.
    std::fill(std::begin(block->replyCells[2]), std::end(block->replyCells[2]), u'z');
    EXPECT_EQ(ReadPmText(block->replyCells[2]).size(), kPmCellChars);
}

TEST(PmParamBlock, NumbersAreDecimalTextReadAsTheRuntimeDoes)
{
    auto block = std::make_unique<PmParamBlock>();
    struct Case {
        const char16_t* text;
        int32_t value;
    } const cases[] = {
        { u"1234", 1234 },
        { u"-7", -7 },
        { u"  42px", 42 },
        { u"", 0 },
        { u"abc", 0 },
        { u"99999999999", INT32_MAX },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        ASSERT_TRUE(WritePmText(block->replyCells[5], QStringView(c.text)));
        EXPECT_EQ(ReadPmNumber(block->replyCells[5]), c.value);
    }
    WritePmNumber(block->commandCells[0], -2147483647 - 1);
    EXPECT_EQ(ReadPmText(block->commandCells[0]), QStringLiteral("-2147483648"));
    EXPECT_EQ(ReadPmNumber(block->commandCells[0]), INT32_MIN);
}

} // namespace
