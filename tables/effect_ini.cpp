#include "tables/effect_ini.h"

#include "platform/number_text.h"
#include "tables/table_file.h"

namespace {

const QString kEffectSection = QStringLiteral("EFFECT");
const QString kDirectionSection = QStringLiteral("DIRECTION");

using tables::TableRowKey;

QString DirectionKey(int set, int index)
{
    return QString::asprintf("DIR_%03d_%03d", set, index);
}

} // namespace

bool tagCEF_EFFECT_TABLE::AllowsMode(int32_t mode) const
{
    switch (mode) {
    case 1:
        return MODE_IMAGE == 1;
    case 2:
        return MODE_CAMERA == 1;
    case 3:
        return MODE_MOVIE == 1;
    case 6:
        return MODE_SOUND == 1;
    default:
        return false;
    }
}

CEffectIni::CEffectIni()
    : m_errorTexts { QStringLiteral("ファイルが指定されていません。"),
        QStringLiteral("指定したファイルが存在しません。"),
        QStringLiteral("指定したファイルはフォルダです。") }
{
}

bool CEffectIni::Load(const std::optional<QString>& path)
{
    m_filePath.clear();
    m_lastError.clear();
    m_file = platform::CProfileFile();
    m_rows.clear();
    m_directionSets.clear();

    if (const auto error = tables::TablePathError(path, m_errorTexts)) {
        m_lastError = *error;
        return false;
    }
    m_filePath = *path;
    m_file.Load(*path);
    ReadRows();
    ReadDirectionSets();
    return true;
}

QString CEffectIni::Text(const QString& section, const QString& key) const
{
    if (m_filePath.isEmpty())
        return QString();
    return m_file.Value(section, key, platform::kProfileValueLimit).value_or(QString());
}

int32_t CEffectIni::ReadInt(const QString& key) const
{
    return platform::WToI(Text(kEffectSection, key));
}

QString CEffectIni::ReadString(const QString& section, const QString& key) const
{
    return Text(section, key);
}

void CEffectIni::ReadRows()
{
    for (int row = 1; row <= kMaxRows; ++row) {
        if (Text(kEffectSection, TableRowKey("No", row)).isEmpty())
            break;
        tagCEF_EFFECT_TABLE effect;
        effect.No = ReadInt(TableRowKey("No", row));
        effect.Name = Text(kEffectSection, TableRowKey("Name", row));
        effect.IN = ReadInt(TableRowKey("IN", row));
        effect.OUT = ReadInt(TableRowKey("OUT", row));
        effect.TIME = ReadInt(TableRowKey("TIME", row));
        effect.DIR = ReadInt(TableRowKey("DIR", row));
        effect.MODE_IMAGE = ReadInt(TableRowKey("MODE_IMAGE", row));
        effect.MODE_CAMERA = ReadInt(TableRowKey("MODE_CAMERA", row));
        effect.MODE_MOVIE = ReadInt(TableRowKey("MODE_MOVIE", row));
        effect.MODE_SOUND = ReadInt(TableRowKey("MODE_SOUND", row));
        m_rows.push_back(effect);
    }
}

void CEffectIni::ReadDirectionSets()
{
    // A set whose first name is empty ends the list, even when later sets exist.
    for (int set = 0; set < kMaxDirectionSets; ++set) {
        if (Text(kDirectionSection, DirectionKey(set, 0)).isEmpty())
            break;
        QStringList names;
        for (int index = 0; index < kMaxDirectionNames; ++index) {
            QString name = Text(kDirectionSection, DirectionKey(set, index));
            if (name.isEmpty())
                break;
            names << name;
        }
        m_directionSets.push_back(names);
    }
}

const tagCEF_EFFECT_TABLE* CEffectIni::FindRow(int32_t no) const
{
    for (const tagCEF_EFFECT_TABLE& row : m_rows) {
        if (row.No == no)
            return &row;
    }
    return nullptr;
}

QString CEffectIni::GetEffectName(int32_t no) const
{
    const tagCEF_EFFECT_TABLE* row = FindRow(no);
    return row ? row->Name : QString();
}

bool CEffectIni::GetEffect(int32_t no, tagCEF_EFFECT_TABLE* out) const
{
    if (!out)
        return false;
    out->Clear();
    const tagCEF_EFFECT_TABLE* row = FindRow(no);
    if (!row)
        return false;
    *out = *row;
    return true;
}

QString CEffectIni::GetDirectionName(int set, int index) const
{
    if (set < 0 || set >= DirectionSetCount())
        return QString();
    const QStringList& names = m_directionSets[size_t(set)];
    return index >= 0 && index < names.size() ? names[index] : QString();
}

QStringList CEffectIni::GetEffectDirectionNames(int32_t no) const
{
    const tagCEF_EFFECT_TABLE* row = FindRow(no);
    if (!row || row->DIR <= 0 || row->DIR >= DirectionSetCount())
        return QStringList();
    return m_directionSets[size_t(row->DIR)];
}

QString CEffectIni::GetErrorText(int index) const
{
    return index >= 0 && index < int(m_errorTexts.size()) ? m_errorTexts[size_t(index)] : QString();
}

void CEffectIni::SetErrorText(int index, const QString& text)
{
    if (index >= 0 && index < int(m_errorTexts.size()))
        m_errorTexts[size_t(index)] = text;
}
