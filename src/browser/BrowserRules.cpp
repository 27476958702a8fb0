#include "browser/BrowserRules.h"

#include "platform/Paths.h"

#include <algorithm>

namespace BrowserRules
{

FileClass ClassifyFile(const QString& extension, int picExt)
{
    auto is = [&extension](const char* ext) {
        return extension.compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
    };
    if (is("pdf"))
        return { true, false };
    const bool image = ((picExt & PICEXT_BMP) && is("bmp"))
        || ((picExt & PICEXT_JPEG) && (is("jpg") || is("jpeg")))
        || ((picExt & PICEXT_PNG) && is("png")) || ((picExt & PICEXT_GIF) && is("gif"))
        || ((picExt & PICEXT_TIFF) && (is("tif") || is("tiff")));
    return { image, image };
}

FileClass ClassifyName(const QString& name, int picExt)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    return ClassifyFile(name.mid(dot + 1), picExt);
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
    if (byFolder && record.bImages) {
        const QString folderName = Paths::FileNamePart(Paths::FolderPart(record.strPath));
        if (!folderName.isEmpty())
            return folderName;
    }
    return Paths::FileNamePart(record.strPath);
}

void SortRecords(BookRecordList& records, bool byFolder)
{
    struct Keyed {
        QString key;
        BookRecord record;
    };
    QList<Keyed> keyed;
    keyed.reserve(records.size());
    for (BookRecord& record : records)
        keyed.append({ SortKey(record, byFolder), std::move(record) });
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        return a.record.nPage < b.record.nPage;
    });
    records.clear();
    for (Keyed& k : keyed)
        records.append(std::move(k.record));
}

bool IsSameEntry(const BookRecord& entry, const BookRecord& record)
{
    return Paths::SameName(entry.strPath, record.strPath)
        && (entry.bImages || entry.nPage == record.nPage);
}

} // namespace BrowserRules
