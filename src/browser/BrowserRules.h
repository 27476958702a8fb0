#pragma once

#include "browser/BookRecord.h"

#include <QString>

// The rules of the Folder and Resume screens, free of any widget.
namespace BrowserRules
{

struct FileClass {
    bool isBook = false;
    // A book read as images: a picture of a folder book, or an archive of pictures.
    bool bImages = false;
    bool bArchive = false;
    bool IsPicture() const { return bImages && !bArchive; }
};

// Classifies a file by the text after the last dot of its name. Archives are books
// only when picExt carries PICEXT_ARCHIVES.
FileClass ClassifyFile(const QString& extension, int picExt);
// ClassifyFile for a whole name; a name without a dot is never a book.
FileClass ClassifyName(const QString& name, int picExt);
// An archive's name, whether or not archives are listed.
bool IsArchiveName(const QString& name);
// What a book is made of: a PDF, an archive of pictures, or a folder of them, whose
// record names the picture it shows.
enum class BookKind { Pdf, Archive, Folder };
BookKind KindOf(const BookRecord& record);
QString FormatSize(quint64 n);
QString SortKey(const BookRecord& record, bool byFolder);
// Orders by key without regard to case (numbers by value when natural), then by page;
// equal records keep their order.
void SortRecords(BookRecordList& records, bool byFolder, bool natural = false);
// A stored entry denotes the same position as a record.
bool IsSameEntry(const BookRecord& entry, const BookRecord& record);

} // namespace BrowserRules
