#include "controls/msk_edit_text.h"

#include "platform/number_text.h"

#include <algorithm>

namespace controls {

QStringList SplitTrimmed(const QString& text, QChar separator)
{
    QStringList pieces;
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = text.indexOf(separator, start);
        const qsizetype end = found < 0 ? text.size() : found;
        pieces.append(text.mid(start, end - start).trimmed());
        if (found < 0)
            return pieces;
        start = found + 1;
    }
}

int64_t ParseTimeText(const QString& text)
{
    const QStringList pieces = text.split(QLatin1Char(':'));
    // Fields fill from the right: hundredths, seconds, minutes, hours.
    int64_t fields[4] = { 0, 0, 0, 0 };
    const qsizetype count = std::min<qsizetype>(pieces.size(), 4);
    for (qsizetype i = 0; i < count; ++i)
        fields[3 - i] = platform::WToI(pieces[pieces.size() - 1 - i]);
    return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 100 + fields[3];
}

TimeFields SplitTime(int64_t hundredths)
{
    return { hundredths / 360000, (hundredths % 360000) / 6000, (hundredths % 6000) / 100, hundredths % 100 };
}

QString FormatTimeText(int64_t hundredths)
{
    const TimeFields fields = SplitTime(hundredths);
    return QString::asprintf("%lld:%02lld:%02lld:%02lld", static_cast<long long>(fields.hours),
        static_cast<long long>(fields.minutes), static_cast<long long>(fields.seconds),
        static_cast<long long>(fields.hundredths));
}

double ParseLeadingDouble(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isDigit = [&](qsizetype at) {
        return at < n && text[at] >= QLatin1Char('0') && text[at] <= QLatin1Char('9');
    };
    while (i < n && (text[i] == QLatin1Char(' ') || (text[i] >= QChar(9) && text[i] <= QChar(13))))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    bool digits = false;
    while (isDigit(i)) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (isDigit(i)) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype e = i + 1;
        if (e < n && (text[e] == QLatin1Char('+') || text[e] == QLatin1Char('-')))
            ++e;
        if (isDigit(e)) {
            while (isDigit(e))
                ++e;
            end = e;
        }
    }
    bool ok = false;
    const double value = text.mid(start, end - start).toDouble(&ok);
    return ok ? value : 0.0;
}

QString FormatWithStrings(const QString& format, const QStringList& arguments)
{
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size()) {
            if (format[i + 1] == QLatin1Char('s')) {
                if (next < arguments.size())
                    result += arguments[next];
                ++next;
                ++i;
                continue;
            }
            if (format[i + 1] == QLatin1Char('%')) {
                result += QLatin1Char('%');
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

} // namespace controls
