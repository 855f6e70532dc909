#include "tests/tables/table_fixtures.h"

#include "tests/fixtures/temp_folder.h"

namespace table_fixtures {

std::vector<DataFileEncoding> DataFileEncodings()
{
    return {
        { "UTF-16LE with BOM", Utf16LeWithBom },
        { "UTF-16BE with BOM", Utf16BeWithBom },
        { "UTF-8 with BOM", Utf8WithBom },
        { "UTF-8", [](const QString& text) { return text.toUtf8(); } },
        { "CP932", Cp932 },
    };
}

} // namespace table_fixtures
