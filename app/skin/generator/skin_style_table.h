#pragma once

#include <QString>
#include <map>
#include <optional>

// The one style table of the skin: named values (colours, opacities, offsets) per state
// (normal, over, pressed, disabled, on, ...), with a [common] section that every state falls back
// to. A value "@name" stands for the value of another name in the same state.
class CSkinStyleTable {
public:
    // Reads "name=value" lines under "[state]" headers; ';' starts a comment. False with the
    // reason (file and line) when the file cannot be read or a line is malformed.
    bool Load(const QString& path, QString* error);

    bool HasState(const QString& state) const;
    // The value of the name in the state, or else in [common], references followed; nothing when
    // neither has it or a reference loops.
    std::optional<QString> Value(const QString& state, const QString& name) const;

private:
    std::optional<QString> Lookup(const QString& state, const QString& name, int depth) const;

    std::map<QString, std::map<QString, QString>> m_states;
};
