#include "itempanel/filter_ini.h"

#include "platform/number_text.h"
#include "tables/table_file.h"

namespace {

const QString kFilterSection = QStringLiteral("FILTER");

// Parameter keys carry the row in three digits and the parameter in two ("ParamName001_01").
QString ParamKey(const char* name, int row, int param)
{
    return QString::asprintf("%s%03d_%02d", name, row, param);
}

} // namespace

using tables::TableRowKey;

bool CFilterIni::Load(const std::optional<QString>& path)
{
    m_filePath.clear();
    m_lastError.clear();
    m_file = platform::CProfileFile();
    m_rows.clear();

    static const std::array<QString, 3> kErrorTexts = { QStringLiteral("ファイルが指定されていません。"),
        QStringLiteral("指定したファイルが存在しません。"),
        QStringLiteral("指定したファイルはフォルダです。") };
    if (const auto error = tables::TablePathError(path, kErrorTexts)) {
        m_lastError = *error;
        return false;
    }
    m_filePath = *path;
    m_file.Load(*path);
    ReadRows();
    return true;
}

QString CFilterIni::ReadString(const QString& key) const
{
    if (m_filePath.isEmpty())
        return QString();
    return m_file.Value(kFilterSection, key, platform::kProfileValueLimit).value_or(QString());
}

int32_t CFilterIni::ReadInt(const QString& key) const
{
    return platform::WToI(ReadString(key));
}

void CFilterIni::ReadRows()
{
    for (int row = 1; row <= kMaxRows; ++row) {
        if (ReadString(TableRowKey("No", row)).isEmpty())
            break;
        tagCFT_FILTER_TABLE filter;
        filter.No = ReadInt(TableRowKey("No", row));
        filter.Name = ReadString(TableRowKey("Name", row));
        filter.ParamCount = ReadInt(TableRowKey("ParamCount", row));
        for (int p = 1; p <= filter.ShownParamCount(); ++p) {
            FILTER_PARAM& param = filter.Param[size_t(p - 1)];
            param.Name = ReadString(ParamKey("ParamName", row, p));
            param.Type = ReadInt(ParamKey("ParamType", row, p));
            param.Min = ReadInt(ParamKey("ParamMin", row, p));
            param.Max = ReadInt(ParamKey("ParamMax", row, p));
            param.Def = ReadInt(ParamKey("ParamDef", row, p));
            param.Step = ReadInt(ParamKey("ParamStep", row, p));
            param.Unit = ReadString(ParamKey("ParamUnit", row, p));
        }
        m_rows.push_back(filter);
    }
}

bool CFilterIni::GetFilter(int32_t no, tagCFT_FILTER_TABLE* out) const
{
    if (!out)
        return false;
    out->Clear();
    for (const tagCFT_FILTER_TABLE& row : m_rows) {
        if (row.No == no) {
            *out = row;
            return true;
        }
    }
    return false;
}
