#pragma once

#include "ArchiveSupport.h"
#include "BenchBooks.h"

#include <QBuffer>

// Image books packed into one archive for the benchmarks, written on their first run:
// JPEG pages of their own content each, p001.jpg on, stored as readers' archives hold
// them (JPEGs do not compress) in a CBZ, or in a CBR by the RAR 5 writer of the tests.
inline bool WriteArchiveBook(
    const QString& path, ArchiveFormat format, int pages, const QSize& size)
{
    if (QFile::exists(path))
        return true;
    QRandomGenerator random(11);
    QList<ArchiveMember> members;
    for (int i = 1; i <= pages; ++i) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        BookPage(size, i, random).save(&buffer, "JPEG", 90);
        members << ArchiveMember { QString("p%1.jpg").arg(i, 3, 10, QChar('0')), jpeg };
    }
    // Whole or not at all: a book cut short by an interrupted run would be taken next time.
    const QString part = path + ".part";
    return WriteArchive(part, format, members, { true }) && QFile::rename(part, path);
}
