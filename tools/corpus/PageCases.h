#pragma once

#include <QString>
#include <QStringList>

// The corpus's hostile pages for the image decoders, kept apart from the driver: pages
// swapped for a FIFO while the book is open, a progressive JPEG of 20,000 scans, a PNG
// with a 400 MB text chunk, pictures one pixel thin, pages whose borders are hard to cut, every PNG
// pixel kind, and books read with little memory. A case may carry notes for the runner, files named
// "note-…" beside its pages.

// The folder of the next case, counted on from n (defined by the driver).
QString CaseFolder(const QString& dir, int& n);

// Writes the cases into dir, counting on from n.
void WritePageCases(const QString& dir, int& n);

// Whether the file is a note for the runner rather than a book.
bool IsCaseNote(const QString& path);

// The command that opens book: the binary itself, or under prlimit when the case asks
// for little memory and the binary can start with that little (a sanitizer build
// reserves terabytes of address space and cannot).
QStringList CaseCommand(const QString& binary, const QString& book);

// Once the book is open: a page the case names is swapped for a FIFO.
void SwapCasePages(const QString& book);

// Before the book opens: the cache of pictures under cacheHome as the case asks, a file
// where its folder should be (nothing can be kept), or damaged and foreign covers.
void PrepareCaseCache(const QString& book, const QString& cacheHome);
