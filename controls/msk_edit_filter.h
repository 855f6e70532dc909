#pragma once

#include "controls/controls_export.h"

#include <QString>
#include <cstdint>

namespace controls {

// The input rules of a masked edit.
struct MaskRules {
    int32_t inputType = 0; // 0 text, 1 integer, 2 decimal number, 3 time
    int32_t numberMaximum = -1;
    int32_t numberMinimum = 0;
    int32_t decimalsMaximum = -1; // negative: no limit
    int32_t textMode = 0; // type 0: 0 refuses the enable characters, 1 accepts only them
    QString enableChars;
    uint32_t style = 0; // ES_LOWERCASE / ES_UPPERCASE
};

// The text and selection a character is typed into.
struct EditState {
    QString text;
    int selectionStart = 0;
    int selectionEnd = 0;
};

// What to do with one typed character.
struct CharVerdict {
    enum Kind {
        Accept, // insert `character` over the selection
        Refuse, // drop it
        ReplaceWithBound, // drop it; the text becomes `replacement`, all selected
        CheckTime, // a time: insert it when `time` is within the edit's maximum
    };
    Kind kind = Refuse;
    QChar character;
    QString replacement;
    int64_t time = 0;
};

// Decides about one character typed (or pasted, dropped or committed by an input method) into
// a masked edit. Backspace is not a typed character here: it always reaches the edit.
KALEIDRA_CONTROLS_EXPORT CharVerdict FilterTypedChar(
    const MaskRules& rules, const EditState& state, QChar character);

// The text with the selection replaced.
KALEIDRA_CONTROLS_EXPORT QString CandidateText(const EditState& state, const QString& inserted);

// The text a masked edit holds after it lost the focus: type 1 as "%ld" of _wtol, type 2 as the
// shortest exact decimal of _wtof without an exponent, type 3 as the formatted time; an empty
// text and type 0 stay as they are.
KALEIDRA_CONTROLS_EXPORT QString NormalisedText(int32_t inputType, const QString& text);

} // namespace controls
