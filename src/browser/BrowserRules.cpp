#include "browser/BrowserRules.h"

#include "browser/NameOrder.h"
#include "platform/Paths.h"

#include <algorithm>

namespace BrowserRules
{

namespace
{
    bool IsArchiveExtension(const QString& extension)
    {
        static const char* const kArchives[]
            = { "zip", "cbz", "rar", "cbr", "7z", "cb7", "tar", "cbt" };
        return std::any_of(std::begin(kArchives), std::end(kArchives), [&](const char* ext) {
            return extension.compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
        });
    }
} // namespace

FileClass ClassifyFile(const QString& extension, int picExt)
{
    auto is = [&extension](const char* ext) {
        return extension.compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
    };
    if (is("pdf"))
        return { true, false };
    if (IsArchiveExtension(extension))
        return { (picExt & PICEXT_ARCHIVES) != 0, (picExt & PICEXT_ARCHIVES) != 0, true };
    const bool image = ((picExt & PICEXT_BMP) && is("bmp"))
        || ((picExt & PICEXT_JPEG) && (is("jpg") || is("jpeg")))
        || ((picExt & PICEXT_PNG) && is("png")) || ((picExt & PICEXT_GIF) && is("gif"))
        || ((picExt & PICEXT_TIFF) && (is("tif") || is("tiff")))
        || ((picExt & PICEXT_WEBP) && is("webp")) || ((picExt & PICEXT_AVIF) && is("avif"))
        || ((picExt & PICEXT_JXL) && is("jxl"));
    return { image, image };
}

FileClass ClassifyName(const QString& name, int picExt)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    return ClassifyFile(name.mid(dot + 1), picExt);
}

bool IsArchiveName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && dot > name.lastIndexOf(QLatin1Char('/'))
        && IsArchiveExtension(name.mid(dot + 1));
}

BookKind KindOf(const BookRecord& record)
{
    if (!record.bImages)
        return BookKind::Pdf;
    return IsArchiveName(record.strPath) ? BookKind::Archive : BookKind::Folder;
}

QString FormatSize(quint64 n)
{
    constexpr quint64 K = 1024;
    if (n < 10 * K)
        return QString::number(n);
    if (n < 10 * K * K)
        return QStringLiteral("%1 K").arg(n / K);
    if (n < 10 * K * K * K)
        return QStringLiteral("%1 M").arg(n / (K * K));
    return QStringLiteral("%1 G").arg(n / (K * K * K));
}

QString SortKey(const BookRecord& record, bool byFolder)
{
    if (byFolder && KindOf(record) == BookKind::Folder) {
        const QString folderName = Paths::FileNamePart(Paths::FolderPart(record.strPath));
        if (!folderName.isEmpty())
            return folderName;
    }
    return Paths::FileNamePart(record.strPath);
}

void SortRecords(BookRecordList& records, bool byFolder, bool natural)
{
    QStringList keys;
    keys.reserve(records.size());
    for (const BookRecord& record : std::as_const(records))
        keys.append(SortKey(record, byFolder));
    const QList<qsizetype> order = NameOrder::Order(keys, natural,
        [&records](qsizetype a, qsizetype b) { return records[a].nPage < records[b].nPage; });
    BookRecordList sorted;
    sorted.reserve(records.size());
    for (const qsizetype i : order)
        sorted.append(std::move(records[i]));
    records = std::move(sorted);
}

bool IsSameEntry(const BookRecord& entry, const BookRecord& record)
{
    return Paths::SameName(entry.strPath, record.strPath)
        && (entry.bImages || entry.nPage == record.nPage);
}

} // namespace BrowserRules
