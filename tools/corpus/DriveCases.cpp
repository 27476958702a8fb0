#include "DriveCases.h"

#include "PageCases.h"
#include "TestSupport.h"

#include <sys/stat.h>

namespace
{
// One page with an outline of count chapters whose titles are title.
QByteArray PdfWithTitles(int count, const QByteArray& title)
{
    QList<QByteArray> objects = { "<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
        "<< /Type /Outlines /First 5 0 R >>" };
    for (int i = 0; i < count; ++i) {
        const QByteArray next = i + 1 < count ? " /Next " + QByteArray::number(6 + i) + " 0 R" : "";
        objects << "<< /Title (" + title + ") /Dest [3 0 R /Fit]" + next + " >>";
    }
    return PdfFromObjects(objects);
}

// Pages whose cross-reference table lies: every offset in it is wrong, and a comment of
// filler pads the file.
QByteArray PdfWithBrokenTable(int pages, qsizetype filler)
{
    QList<QByteArray> objects
        = { "<< /Type /Catalog /Pages 2 0 R >>", "", "<< /Length 0 >>stream\n\nendstream" };
    QByteArray kids;
    for (int i = 0; i < pages; ++i) {
        kids += QByteArray::number(4 + i) + " 0 R ";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Contents 3 0 R >>";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    QByteArray pdf = PdfFromObjects(objects);
    const qsizetype table = pdf.indexOf("xref\n");
    pdf.insert(table, "%" + QByteArray(filler, 'x') + "\n");
    return pdf;
}
} // namespace

void WriteDriveCases(const QString& dir, int& n)
{
    {
        // Opened from the Resume screen, where the book is now a pipe nobody writes to.
        const QString folder = CaseFolder(dir, n);
        ::mkfifo(QFile::encodeName(folder + "/book.pdf").constData(), 0600);
        WriteBytes(folder + "/note-resume", "book.pdf");
    }
    {
        // A PDF of many pages that becomes a pipe once it is open, as a file replaced on a
        // share might: the renders still to come must not wait on it.
        const QString folder = CaseFolder(dir, n);
        WritePdf(folder + "/swapped.pdf", 40);
        WriteBytes(folder + "/note-swap-for-fifo", "swapped.pdf");
    }
    WriteBytes(
        CaseFolder(dir, n) + "/megabyte-titles.pdf", PdfWithTitles(20, QByteArray(1 << 20, 'T')));
    WriteBytes(CaseFolder(dir, n) + "/broken-table.pdf", PdfWithBrokenTable(2000, 40 << 20));
}
