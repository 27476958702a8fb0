#include "browser/ResumeStore.h"

#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/ScanNumbers.h"

#include <algorithm>
#include <limits>

namespace
{
// Bits of the layout field above the layout itself. The PDF's right-to-left bit, the
// crop bit and the fit-width bit are ones no entry carried before them, so older entries
// keep reading left to right, with their borders, a page or a spread at a time.
constexpr int kLeftBindingBit = 256;
constexpr int kPdfRightToLeftBit = 512;
constexpr int kCropBit = 1024;
constexpr int kFitWidthBit = 2048;

QString ValueName(int i)
{
    return QStringLiteral("Resume%1").arg(i);
}

// No book has more pages than the page-count dialog allows; anything below 1 means the
// number is not known. Page arithmetic then never comes near the ends of an int.
int PageNumber(int stored)
{
    return stored < 1 ? -1 : std::min(stored, 1000000);
}

// The size is unsigned and may use all 64 bits; larger numbers saturate.
quint64 ReadSize(QStringView field)
{
    field = field.trimmed();
    if (field.startsWith(QLatin1Char('+')))
        field = field.mid(1);
    qsizetype digits = 0;
    while (digits < field.size() && field[digits].isDigit() && field[digits].unicode() < 128)
        ++digits;
    bool ok = false;
    const quint64 value = field.left(digits).toULongLong(&ok);
    return ok ? value : std::numeric_limits<quint64>::max();
}
} // namespace

QString ResumeStore::Format(const BookRecord& record)
{
    const int type = record.nType + (record.bImages ? 256 : 0);
    const int layout = record.nLayout + (record.nBind == BIND_LEFT ? kLeftBindingBit : 0)
        + (!record.bImages && record.bRightToLeft ? kPdfRightToLeftBit : 0)
        + (record.bCrop ? kCropBit : 0) + (record.bFitWidth ? kFitWidthBit : 0);
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
        .arg(type)
        .arg(record.nPage)
        .arg(record.nPageCount)
        .arg(layout)
        .arg(record.nZoom)
        .arg(record.nSize)
        .arg(Paths::ToStored(record.strPath));
}

std::optional<BookRecord> ResumeStore::Parse(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const NumberScan scan = NumberScan::Read(text, QLatin1Char('|'), 6);
    // The path is everything after the sixth bar, so a file name holding "|" keeps
    // its whole path; for any other path that is the text after the last bar.
    qsizetype sizeBar = -1;
    qsizetype pathBar = -1;
    for (int bars = 0; bars < 6; ++bars) {
        sizeBar = pathBar;
        pathBar = text.indexOf(QLatin1Char('|'), pathBar + 1);
        if (pathBar < 0)
            break;
    }
    if (scan.values.size() != 6 || pathBar <= 0)
        return std::nullopt;
    const int type = ToIntField(scan.values[0]);
    // Only files and missing files are entries; anything else could only come from a
    // hand edit and would leave the Resume screen's rows out of step with the entries.
    if ((type & 255) != TYPE_FILE && (type & 255) != TYPE_MISSING)
        return std::nullopt;
    const int layout = ToIntField(scan.values[3]);
    BookRecord record;
    record.nType = type & 255;
    record.bImages = ((type >> 8) & 1) != 0;
    record.nPage = PageNumber(ToIntField(scan.values[1]));
    record.nPageCount = PageNumber(ToIntField(scan.values[2]));
    record.nLayout = layout & 255;
    record.nBind = (layout & kLeftBindingBit) != 0 ? BIND_LEFT : BIND_RIGHT;
    record.bRightToLeft = !record.bImages && (layout & kPdfRightToLeftBit) != 0;
    record.bCrop = (layout & kCropBit) != 0;
    record.bFitWidth = (layout & kFitWidthBit) != 0;
    record.nZoom = ToIntField(scan.values[4]);
    record.nSize = ReadSize(QStringView(text).mid(sizeBar + 1, pathBar - sizeBar - 1));
    record.strPath = Paths::FromStored(text.mid(pathBar + 1));
    return record;
}

BookRecordList ResumeStore::LoadResumeEntries(const Profile& profile)
{
    BookRecordList entries;
    for (int i = 0; i < kMaxEntries; ++i) {
        if (const auto record = Parse(profile.GetProfileString(ValueName(i))))
            entries.append(*record);
    }
    return entries;
}

void ResumeStore::SaveResumeEntries(Profile& profile, const BookRecordList& entries)
{
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < kMaxEntries; ++i)
        values.append({ ValueName(i), i < entries.size() ? Format(entries[i]) : QString() });
    profile.WriteProfileStrings(values);
}
