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

    bool IsDisabledImageExtension(const QString& ext, int picExt)
    {
        struct Type {
            int bit;
            const char* names[2];
        };
        static constexpr Type kTypes[]
            = { { PICEXT_BMP, { "bmp", nullptr } }, { PICEXT_JPEG, { "jpg", "jpeg" } },
                  { PICEXT_PNG, { "png", nullptr } }, { PICEXT_GIF, { "gif", nullptr } },
                  { PICEXT_TIFF, { "tif", "tiff" } }, { PICEXT_WEBP, { "webp", nullptr } },
                  { PICEXT_AVIF, { "avif", nullptr } }, { PICEXT_JXL, { "jxl", nullptr } } };
        for (const Type& type : kTypes) {
            if (picExt & type.bit)
                continue;
            for (const char* name : type.names) {
                if (name && ext.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
        return false;
    }
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
        const qsizetype dot = entry.strPath.lastIndexOf(QLatin1Char('.'));
        return dot >= 0 && IsDisabledImageExtension(entry.strPath.mid(dot + 1), picExt);
    });
}

} // namespace ResumeRules
