#include "core/pm_param_block.h"

#include "platform/number_text.h"

#include <algorithm>

QString PmParamBlockName()
{
    return QString::fromUtf16(kPmParamBlockName) + qEnvironmentVariable("KALEIDRA_INSTANCE_SUFFIX");
}

QString ReadPmText(std::span<const char16_t> cell)
{
    const auto end = std::find(cell.begin(), cell.end(), u'\0');
    return QString::fromUtf16(cell.data(), end - cell.begin());
}

bool WritePmText(std::span<char16_t> cell, QStringView text)
{
    if (cell.empty() || size_t(text.size()) >= cell.size())
        return false;
    const auto* source = reinterpret_cast<const char16_t*>(text.utf16());
    const auto written = std::copy_n(source, text.size(), cell.begin());
    std::fill(written, cell.end(), u'\0');
    return true;
}

int32_t ReadPmNumber(std::span<const char16_t> cell)
{
    return platform::WToI(ReadPmText(cell));
}

void WritePmNumber(std::span<char16_t> cell, int32_t value)
{
    WritePmText(cell, platform::FormatInt(value));
}
