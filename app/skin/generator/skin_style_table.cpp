#include "app/skin/generator/skin_style_table.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QString kCommon = QStringLiteral("common");

} // namespace

bool CSkinStyleTable::Load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read the style table: %2").arg(path, file.errorString());
        return false;
    }
    static const QRegularExpression name(QStringLiteral("^[a-z_][a-z0-9_]*$"));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QString state;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        const qsizetype comment = line.indexOf(QLatin1Char(';'));
        if (comment >= 0)
            line.truncate(comment);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const QString where = QStringLiteral("%1:%2").arg(path).arg(i + 1);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            state = line.mid(1, line.size() - 2).trimmed();
            if (!name.match(state).hasMatch()) {
                *error = QStringLiteral("%1: bad state name \"%2\"").arg(where, state);
                return false;
            }
            m_states[state];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (state.isEmpty() || equals < 0 || !name.match(key).hasMatch() || value.isEmpty()) {
            *error = QStringLiteral("%1: expected name=value inside a [state]").arg(where);
            return false;
        }
        m_states[state][key] = value;
    }
    return true;
}

bool CSkinStyleTable::HasState(const QString& state) const
{
    return m_states.count(state) != 0;
}

std::optional<QString> CSkinStyleTable::Value(const QString& state, const QString& name) const
{
    return Lookup(state, name, 0);
}

std::optional<QString> CSkinStyleTable::Lookup(const QString& state, const QString& name, int depth) const
{
    if (depth > 16)
        return std::nullopt;
    for (const QString& section : { state, kCommon }) {
        const auto values = m_states.find(section);
        if (values == m_states.end())
            continue;
        const auto found = values->second.find(name);
        if (found == values->second.end())
            continue;
        if (found->second.startsWith(QLatin1Char('@')))
            return Lookup(state, found->second.mid(1), depth + 1);
        return found->second;
    }
    return std::nullopt;
}
