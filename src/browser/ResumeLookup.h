#pragma once

#include "browser/BookRecord.h"

#include <QHash>

// Finds the reading state of a file among the resume entries. Built once per folder
// scan so that a folder of many files costs one hash look-up per file.
class ResumeLookup
{
public:
    explicit ResumeLookup(const BookRecordList& resumeItems);
    // Copies page, page count, layout, zoom, a PDF's reading direction and the crop of the first
    // entry for the record's path (letter case ignored), or clears them when there is none.
    void Apply(BookRecord& record) const;
    // Whether an entry names the book at path.
    bool Has(const QString& path) const;

private:
    QHash<QString, BookRecord> m_first;
};
