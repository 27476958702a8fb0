#include "platform/ScanNumbers.h"

#include <limits>

NumberScan NumberScan::Read(QStringView text, QChar sep, int maxCount)
{
    NumberScan scan;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (scan.values.size() < maxCount) {
        if (!scan.values.isEmpty()) {
            if (i >= n || text[i] != sep)
                break;
            ++i;
        }
        while (i < n && text[i].isSpace())
            ++i;
        bool negative = false;
        if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
            negative = text[i] == QLatin1Char('-');
            ++i;
        }
        const qsizetype digitsStart = i;
        quint64 magnitude = 0;
        bool overflow = false;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            const quint64 digit = text[i].unicode() - '0';
            if (magnitude > (std::numeric_limits<quint64>::max() - digit) / 10)
                overflow = true;
            else
                magnitude = magnitude * 10 + digit;
            ++i;
        }
        if (i == digitsStart)
            break;
        const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                       : quint64(std::numeric_limits<qint64>::max());
        if (overflow || magnitude > limit)
            magnitude = limit;
        scan.values.append(negative ? qint64(0 - magnitude) : qint64(magnitude));
    }
    return scan;
}

int ToIntField(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}
