#pragma once

#include "browser/BookRecord.h"

#include <QStringList>

// Reading folders from the disk for the Folder screen and for image books.
namespace FolderScan
{

// One record per drive of the machine.
BookRecordList ScanDrives();
// The visible subfolders and book files of a folder: folders first, each group in
// name order (natural order when asked for). A folder that cannot be read gives an
// empty list. Without sizes, the books' sizes are left 0 and no book is looked at
// beyond its folder's listing.
BookRecordList ScanFolder(const QString& folder, int picExt, const BookRecordList& resumeItems,
    bool natural = false, bool sizes = true);
// Lists the enabled image files of the folder holding imagePath, in name order, and
// returns the 1-based page of imagePath's own file among them, or -1. The page is
// found by the file, so it is the same page in either order.
int ScanImageBook(
    const QString& imagePath, int picExt, QStringList& imageFiles, bool natural = false);

} // namespace FolderScan
