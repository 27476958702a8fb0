#pragma once

#include "browser/BookRecord.h"

// Registering, deleting and filtering resume entries, free of any widget.
namespace ResumeRules
{

enum RegisterMode { REGISTER_OVERWRITE = 1, REGISTER_ADD = 2 };
enum RegisterResult { Added, Replaced, Full };

// Adds book as an entry. Overwrite first drops the entry the book was opened from
// (openedPath at openedPage). An entry for the same position is replaced without
// regard to the limit; a new one is refused once there are kMaxEntries. The list is
// then sorted by name and page.
RegisterResult Register(BookRecordList& entries, const BookRecord& book, RegisterMode mode,
    const QString& openedPath, int openedPage, bool byFolder);
// Removes every entry of a file, whatever its page. Returns how many went.
qsizetype RemoveAllOfPath(BookRecordList& entries, const QString& path);
// Removes image-book entries whose image type is no longer enabled in picExt.
qsizetype FilterByPicExt(BookRecordList& entries, int picExt);

} // namespace ResumeRules
