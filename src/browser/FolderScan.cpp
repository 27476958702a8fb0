#include "browser/FolderScan.h"

#include "browser/BrowserRules.h"
#include "browser/NameOrder.h"
#include "browser/ResumeLookup.h"
#include "platform/Drives.h"
#include "platform/Paths.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace FolderScan
{

namespace
{

    struct DirEntry {
        QString name;
        bool isDir = false;
        bool isFile = false;
        quint64 size = 0;
    };

    // Visible entries of a folder, sorted by their exact names so that entries whose
    // names differ only in letter case always come out in the same order. Sizes are
    // read only for the files the caller wants them of, which keeps a large folder cheap.
    // Returns false when the folder cannot be read.
    template <typename WantsSize>
    bool ReadFolder(const QString& folder, QList<DirEntry>& entries, WantsSize wantsSize)
    {
        DIR* dir = opendir(Paths::ToNative(folder).constData());
        if (!dir)
            return false;
        const int fd = dirfd(dir);
        while (const dirent* ent = readdir(dir)) {
            if (ent->d_name[0] == '.')
                continue; // hidden, and "." and ".."
            DirEntry entry;
            entry.name = Paths::FromNative(QByteArray(ent->d_name));
            struct stat st;
            const bool typed = ent->d_type == DT_DIR || ent->d_type == DT_REG;
            if (typed) {
                entry.isDir = ent->d_type == DT_DIR;
                entry.isFile = !entry.isDir;
                if (entry.isFile && wantsSize(entry.name) && fstatat(fd, ent->d_name, &st, 0) == 0)
                    entry.size = quint64(st.st_size);
            } else if (fstatat(fd, ent->d_name, &st, 0) == 0) {
                // Links and file systems that do not report types: follow to the target.
                entry.isDir = S_ISDIR(st.st_mode);
                entry.isFile = S_ISREG(st.st_mode);
                entry.size = entry.isFile ? quint64(st.st_size) : 0;
            }
            entries.append(std::move(entry));
        }
        closedir(dir);
        std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        return true;
    }

} // namespace

BookRecordList ScanDrives()
{
    BookRecordList records;
    for (const Drives::Drive& drive : Drives::Current()) {
        BookRecord record;
        record.nType = TYPE_DRIVE;
        record.strPath = drive.root + QLatin1Char('|') + drive.displayName;
        records.append(record);
    }
    return records;
}

BookRecordList ScanFolder(
    const QString& folder, int picExt, const BookRecordList& resumeItems, bool natural, bool sizes)
{
    QList<DirEntry> entries;
    const auto isBook = [picExt, sizes](const QString& name) {
        return sizes && BrowserRules::ClassifyName(name, picExt).isBook;
    };
    if (!ReadFolder(folder, entries, isBook))
        return {};
    const ResumeLookup resume(resumeItems);
    BookRecordList folders;
    BookRecordList files;
    for (const DirEntry& entry : entries) {
        BookRecord record;
        if (entry.isDir) {
            record.nType = TYPE_FOLDER;
            record.strPath = Paths::Join(folder, entry.name);
            folders.append(std::move(record));
            continue;
        }
        if (!entry.isFile)
            continue;
        const BrowserRules::FileClass fileClass = BrowserRules::ClassifyName(entry.name, picExt);
        if (!fileClass.isBook)
            continue;
        record.nType = TYPE_FILE;
        record.strPath = Paths::Join(folder, entry.name);
        record.bImages = fileClass.bImages;
        record.nSize = entry.size;
        resume.Apply(record);
        files.append(std::move(record));
    }
    BrowserRules::SortRecords(folders, false, natural);
    BrowserRules::SortRecords(files, false, natural);
    return folders + files;
}

int ScanImageBook(const QString& imagePath, int picExt, QStringList& imageFiles, bool natural)
{
    imageFiles.clear();
    QList<DirEntry> entries;
    if (!ReadFolder(Paths::FolderPart(imagePath), entries, [](const QString&) { return false; }))
        return -1;
    for (const DirEntry& entry : entries) {
        if (entry.isFile && BrowserRules::ClassifyName(entry.name, picExt).IsPicture())
            imageFiles.append(entry.name);
    }
    NameOrder::Sort(imageFiles, natural);
    const QString wanted = Paths::FileNamePart(imagePath);
    for (qsizetype i = 0; i < imageFiles.size(); ++i) {
        if (Paths::SameName(imageFiles[i], wanted))
            return int(i + 1);
    }
    return -1;
}

} // namespace FolderScan
