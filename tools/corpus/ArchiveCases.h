#pragma once

#include <QByteArray>
#include <QString>

// The corpus's hostile comic archives, one book to a case folder, in every format and
// under both of its names (.cbz and .zip, .cbr and .rar, .cb7 and .7z, .cbt and .tar):
// damaged and cut archives; empty ones, ones without pictures and ones of folders only;
// encrypted zips; members that declare or inflate to gigabytes; ten thousand members;
// names 5,000 characters long or 2,000 folders deep; zips nested in zips; names that
// climb out of the folder they would be extracted to; links, FIFOs and devices in
// place of pages; the files macOS and dot-files leave behind; and bombs, listings of
// 200,000 members or through a gigabyte of zeros, and solid archives read with an
// address space of 450 MB (one at 300 MB) as their note says.

// A picture of the corpus, encoded in format (defined by the driver).
QByteArray ImageBytes(const char* format, bool alpha = false);

// Writes the cases into dir, counting on from n.
void WriteArchiveCases(const QString& dir, int& n);
