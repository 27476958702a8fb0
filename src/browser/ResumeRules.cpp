#include "browser/ResumeRules.h"

#include "browser/BrowserRules.h"
#include "browser/ResumeStore.h"
#include "platform/Paths.h"

namespace ResumeRules
{

namespace
{
    qsizetype FindSame(const BookRecordList& entries, const BookRecord& record)
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (BrowserRules::IsSameEntry(entries[i], record))
                return i;
        }
        return -1;
    }

    constexpr int kEveryPicture = PICEXT_BMP | PICEXT_JPEG | PICEXT_PNG | PICEXT_GIF | PICEXT_TIFF
        | PICEXT_WEBP | PICEXT_AVIF | PICEXT_JXL;
} // namespace

RegisterResult Register(BookRecordList& entries, const BookRecord& book, RegisterMode mode,
    const QString& openedPath, int openedPage, bool byFolder)
{
    if (mode == REGISTER_OVERWRITE) {
        BookRecord opened;
        opened.strPath = openedPath;
        opened.nPage = openedPage;
        const qsizetype i = FindSame(entries, opened);
        if (i >= 0)
            entries.removeAt(i);
    }
    RegisterResult result = Added;
    const qsizetype same = FindSame(entries, book);
    if (same >= 0) {
        entries.removeAt(same);
        result = Replaced;
    } else if (entries.size() >= ResumeStore::kMaxEntries) {
        return Full;
    }
    entries.append(book);
    BrowserRules::SortRecords(entries, byFolder);
    return result;
}

qsizetype RemoveAllOfPath(BookRecordList& entries, const QString& path)
{
    return entries.removeIf(
        [&path](const BookRecord& entry) { return Paths::SameName(entry.strPath, path); });
}

qsizetype FilterByPicExt(BookRecordList& entries, int picExt)
{
    return entries.removeIf([picExt](const BookRecord& entry) {
        if (!entry.bImages || (entry.nType != TYPE_FILE && entry.nType != TYPE_MISSING))
            return false;
        // A picture of a type switched off; archives are not picture types.
        return BrowserRules::ClassifyName(entry.strPath, kEveryPicture).IsPicture()
            && !BrowserRules::ClassifyName(entry.strPath, picExt).IsPicture();
    });
}

} // namespace ResumeRules
