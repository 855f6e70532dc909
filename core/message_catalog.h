#pragma once

#include <QString>
#include <array>
#include <initializer_list>
#include <span>
#include <variant>
#include <vector>

namespace platform {
class CProfileFile;
}

// One argument of a catalogue message: a number for "%d", a text for "%s".
using MessageArgument = std::variant<qint64, QString>;

// The format specifiers each message may contain, five slots per message id; only these ids
// take arguments.
inline constexpr int kMessageCount = 123;
inline constexpr int kMessageFormatSlots = 5;
extern const std::array<const char16_t*, kMessageCount * kMessageFormatSlots> MessageFormatTable;

// The editor's numbered error and confirmation messages: built-in Japanese defaults, each
// replaceable from "Message.dat" when its specifiers agree with the ones its id expects.
class CMessageCatalog {
public:
    CMessageCatalog();

    // Reads "Message.dat" from the program folder. Refused values are reported together in one
    // message box and keep their defaults; the result is then 0. A missing file gives 1.
    int Load();
    int LoadFromFolder(const QString& programFolder);

    // The text of a message; empty (with the reason as the last error) for an unknown id.
    QString GetMessage(int id);
    // Replaces a message when its format check passes; "\n" pairs become line breaks.
    int SetMessage(int id, const QString& text);
    // 1 when the text may replace the message of the id, else 0 with the reason as last error.
    int CheckFormat(int id, const QString& text);

    // The message with its "%d" and "%s" filled from the arguments, in order. Never used as a
    // printf format: anything else in the text stays as written.
    QString FormatMessage(int id, std::initializer_list<MessageArgument> arguments);

    static QString ReadMessageKey(const platform::CProfileFile& file, const QString& key);
    // The text of the box that reports refused values.
    static QString LoadErrorText(const QString& errors);

    QString LastError() const { return m_lastError; }

private:
    std::vector<QString> m_texts;
    QString m_lastError;
};

// Fills "%d"/"%D" and "%s"/"%S" in order from the arguments (a number or a text, shown as it
// is) and turns "%%" into "%". A specifier without an argument, and any other '%', stay as
// written.
QString FillMessageArguments(const QString& text, std::span<const MessageArgument> arguments);
