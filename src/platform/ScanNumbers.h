#pragma once

#include <QList>
#include <QStringView>

// Reads up to maxCount integers separated by sep from the start of text, the way
// sscanf reads "%d:%d:..." : blanks before a number and a sign are allowed, the
// separator must follow at once, and reading stops at the first mismatch.
// Numbers beyond the 64-bit range saturate.
struct NumberScan {
    QList<qint64> values;
    static NumberScan Read(QStringView text, QChar sep, int maxCount);
};

// Saturates a scanned number into an int, as a "%d" field holds.
int ToIntField(qint64 value);
