// The profile-file reader: any bytes parse, every lookup answers within its limit, and a
// written value reads back with every other value as it was.
#include "fuzz/fuzz_support.h"
#include "platform/profile_file.h"

#include <map>
#include <utility>

using fuzz_support::Check;

namespace {

using Values = std::map<std::pair<QString, QString>, QString>;

// Every value the first section and key of each name give, as the editor reads them (names
// compare without regard to letter case).
Values ReadAll(const platform::CProfileFile& file)
{
    Values values;
    for (const QString& section : file.Sections()) {
        for (const QString& key : file.Keys(section)) {
            const auto name = std::make_pair(section.toCaseFolded(), key.toCaseFolded());
            if (values.count(name))
                continue;
            const auto value = file.Value(section, key, platform::kProfileValueLimit);
            Check(value.has_value(), "a listed key has a value");
            Check(value->size() <= platform::kProfileValueLimit, "a value keeps to its limit");
            const QString whole = file.Value(section, key, -1).value();
            Check(whole.startsWith(*value), "a cut value is the start of the whole value");
            if (value->size() < whole.size() && !value->isEmpty())
                Check(!(value->back().isHighSurrogate() && whole.at(value->size()).isLowSurrogate()),
                    "no surrogate pair is split");
            values[name] = *value;
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz_support::WriteInput(QStringLiteral("Kaleidra.ini"), data, size);
    platform::CProfileFile file(path);
    Values before = ReadAll(file);
    (void)file.Int(u"SYSTEM", u"ImageDefaultTime", 0);

    // A new value in a section of its own must read back and leave every other value alone.
    const QString value = QStringLiteral(" 値 \"x\" ");
    if (!file.SetValue(u"FUZZ_WRITE", u"Key", value) || !file.Save())
        return 0;
    platform::CProfileFile reread(path);
    Values after = ReadAll(reread);
    const auto written = std::make_pair(QStringLiteral("fuzz_write"), QStringLiteral("key"));
    if (!before.count(written)) {
        Check(after.count(written) && after[written] == value, "the written value reads back");
        after.erase(written);
        Check(after == before, "the other values are as they were");
    }
    return 0;
}
