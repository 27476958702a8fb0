#include "ArchiveCases.h"

#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "PageCases.h"
#include "TestSupport.h"

#include <QRandomGenerator>

namespace
{
struct BookType {
    ArchiveFormat format;
    QString comic;
    QString plain;
};

const QList<BookType> kTypes = {
    { ArchiveFormat::Zip, "cbz", "zip" },
    { ArchiveFormat::Rar4, "cbr", "rar" },
    { ArchiveFormat::Rar5, "cbr", "rar" },
    { ArchiveFormat::SevenZip, "cb7", "7z" },
    { ArchiveFormat::Tar, "cbt", "tar" },
};

QString Tag(const BookType& type)
{
    switch (type.format) {
    case ArchiveFormat::Rar4:
        return "rar4";
    case ArchiveFormat::Rar5:
        return "rar5";
    default:
        return type.plain;
    }
}

// A book named name.suffix in a case folder of its own, when the format could hold it.
void Book(const QString& dir, int& n, const QString& name, const QByteArray& bytes)
{
    if (!bytes.isEmpty())
        WriteBytes(CaseFolder(dir, n) + "/" + name, bytes);
}

// Under the comic name or the plain one, every other case.
void Book(const QString& dir, int& n, const QString& name, const BookType& type,
    const QList<ArchiveMember>& members)
{
    const QString suffix = n % 2 ? type.comic : type.plain;
    Book(dir, n, name + "." + suffix, ArchiveBytes(type.format, members));
}

ArchiveMember Png(const QString& name)
{
    static const QByteArray png = ImageBytes("PNG");
    return { name, png };
}

ArchiveMember Jpeg(const QString& name)
{
    static const QByteArray jpeg = ImageBytes("JPEG");
    return { name, jpeg };
}

QList<ArchiveMember> Pages()
{
    return { Png("p1.png"), Jpeg("p2.jpg"), Png("p3.png"), Jpeg("p4.jpg") };
}

// The odd member between good pages, so that turning pages crosses it.
QList<ArchiveMember> Around(const ArchiveMember& odd)
{
    return { Png("p1.png"), odd, Jpeg("p3.jpg") };
}

ArchiveMember OfKind(const QString& name, ArchiveMember::Kind kind, const QString& target = {})
{
    ArchiveMember member { name };
    member.kind = kind;
    member.target = target;
    return member;
}

// Damaged bytes: some anywhere, some in the first headers, some in the last ones,
// where zip keeps its directory and RAR its end.
void WriteDamaged(const QString& dir, int& n, const BookType& type, QRandomGenerator& random)
{
    const QByteArray book = ArchiveBytes(type.format, Pages());
    for (int i = 0; i < 12; ++i) {
        QByteArray bytes = book;
        const qsizetype span = i % 3 == 0 ? bytes.size() : std::min<qsizetype>(bytes.size(), 128);
        const qsizetype from = i % 3 == 2 ? bytes.size() - span : 0;
        for (int flips = 1 + random.bounded(24); flips > 0; --flips)
            bytes[from + random.bounded(span)] = char(random.bounded(256));
        const QString suffix = i % 2 ? type.comic : type.plain;
        Book(dir, n, QString("damaged-%1-%2.%3").arg(Tag(type)).arg(i + 1).arg(suffix), bytes);
    }
    for (int i = 1; i <= 9; ++i) {
        const qsizetype length = i < 9 ? book.size() * i / 9 : book.size() - 1;
        const QString suffix = i % 2 ? type.comic : type.plain;
        Book(dir, n, QString("cut-%1-%2.%3").arg(Tag(type)).arg(length).arg(suffix),
            book.left(length));
    }
}

void WriteBombs(const QString& dir, int& n)
{
    const BookType& zip = kTypes[0];
    const QByteArray stored = ArchiveBytes(ArchiveFormat::Zip, Around(Png("p2.png")), { true });
    Book(dir, n, "declares-4gb-stored.cbz", ZipDeclaring(stored, "p2.png", 0xFFFFFFFE, true));
    const QByteArray deflated = ArchiveBytes(ArchiveFormat::Zip, Around(Png("p2.png")));
    Book(dir, n, "declares-4gb.zip", ZipDeclaring(deflated, "p2.png", 0xFFFFFFFE, false));
    const QByteArray plainTar = ArchiveBytes(ArchiveFormat::Tar, Around(Png("p2.png")));
    Book(dir, n, "declares-8gb.cbt",
        TarDeclaring(plainTar, "p2.png", QByteArray("77777777777", 12)));
    // Base-256, as GNU tar writes sizes too large for octal: 2^50 bytes.
    QByteArray binary = QByteArray("\x80\0\0\0", 4) + QByteArray(8, '\0');
    qToBigEndian(quint64(1) << 50, binary.data() + 4);
    Book(dir, n, "declares-1pb.tar", TarDeclaring(plainTar, "p2.png", binary));
    ArchiveMember declaring = Png("p2.png");
    declaring.declared = qint64(1) << 40;
    Book(dir, n, "declares-1tb-rar4", kTypes[1], Around(declaring));
    declaring.declared = qint64(1) << 60;
    Book(dir, n, "declares-1eb-rar5", kTypes[2], Around(declaring));
    ArchiveMember zeros { "p2.png" };
    zeros.zeros = qint64(1) << 30;
    Book(dir, n, "inflates-to-1gb", zip, Around(zeros));
    // A chain of books, each holding a page and the next book.
    QByteArray nested = ArchiveBytes(ArchiveFormat::Zip, Pages());
    for (int level = 32; level > 0; --level) {
        nested = ArchiveBytes(
            ArchiveFormat::Zip, { Png("p1.png"), { QString("level-%1.cbz").arg(level), nested } });
    }
    Book(dir, n, "nested-32-deep.cbz", nested);

    QList<ArchiveMember> many;
    static const QByteArray tiny = PngDeclaring({ 1, 1 }, true);
    for (int i = 1; i <= 10000; ++i)
        many << ArchiveMember { QString("p%1.png").arg(i, 5, 10, QChar('0')), tiny };
    for (const BookType& type : kTypes) {
        if (type.format != ArchiveFormat::Rar4)
            Book(dir, n, "members-10000-" + Tag(type), type, many);
    }
}

// A book opened with no more address space than limit bytes, which the runner applies.
void LowMemoryBook(const QString& dir, int& n, const QString& name, const QByteArray& bytes,
    const QByteArray& limit = "450000000")
{
    if (bytes.isEmpty())
        return;
    const QString folder = CaseFolder(dir, n);
    WriteBytes(folder + "/" + name, bytes);
    WriteBytes(folder + "/note-address-space", limit);
}

// Books that once ended the program with std::bad_alloc on a small machine: members that
// inflate to nearly the largest a page may be, read on three threads at once; a
// directory declaring a small member 1 GB; a solid archive whose passed pages are kept.
// And listings that cost: 200,000 members, zeros between two pages.
void WriteLowMemory(const QString& dir, int& n)
{
    // A good first page, so that the book opens and turning pages reaches the others.
    QList<ArchiveMember> inflating = { Png("p00.png") };
    for (int i = 1; i <= 40; ++i) {
        inflating << Png(QString("p%1.png").arg(i, 2, 10, QChar('0')));
        inflating.last().zeros = qint64(127) << 20;
    }
    const QByteArray bomb = ArchiveBytes(ArchiveFormat::Zip, inflating);
    LowMemoryBook(dir, n, "inflates-40x127mb.cbz", bomb);
    LowMemoryBook(dir, n, "inflates-40x127mb-300mb.cbz", bomb, "300000000");
    QList<ArchiveMember> declaring;
    for (int i = 1; i <= 10; ++i)
        declaring << Jpeg(QString("p%1.jpg").arg(i, 2, 10, QChar('0')));
    declaring[4].bytes = declaring[4].bytes.left(100);
    QByteArray padded = ArchiveBytes(ArchiveFormat::Zip, declaring, { true });
    LowMemoryBook(dir, n, "directory-declares-1gb.cbz",
        ZipDeclaring(padded, declaring[4].name.toUtf8(), 1u << 30, false));
    QList<ArchiveMember> solid;
    for (int i = 1; i <= 2000; ++i) {
        solid << Png(QString("p%1.png").arg(i, 4, 10, QChar('0')));
        solid.last().zeros = 200 * 1024;
    }
    LowMemoryBook(dir, n, "solid-2000-pages.cb7", ArchiveBytes(ArchiveFormat::SevenZip, solid));
    QList<ArchiveMember> many;
    static const QByteArray tiny = PngDeclaring({ 1, 1 }, true);
    for (int i = 1; i <= 200000; ++i)
        many << ArchiveMember { QString("p%1.png").arg(i, 6, 10, QChar('0')), tiny };
    LowMemoryBook(dir, n, "members-200000.cbz", ArchiveBytes(ArchiveFormat::Zip, many, { true }));
    // A quarter of the benchmark's gigabyte, which bzip2 takes ten seconds to write.
    ArchiveMember zeros { "zeros.bin" };
    zeros.zeros = qint64(256) << 20;
    ArchiveOptions bzip2;
    bzip2.filter = ArchiveOptions::Bzip2;
    Book(dir, n, "zeros-256mb-between-pages-bzip2.cbt",
        ArchiveBytes(ArchiveFormat::Tar, { Png("p1.png"), zeros, Jpeg("p2.jpg") }, bzip2));
}

void WriteNames(const QString& dir, int& n)
{
    const QString deep = QString("a/").repeated(2000) + "p.png";
    const QString longName = QString(4996, 'n') + ".png";
    const QStringList escaping = {
        "../../../../tmp/lumivo-escape.png",
        "/tmp/lumivo-abs.png",
        "a/../../x.png",
        "..\\..\\..\\..\\tmp\\lumivo-escape.png",
        "p\\..\\..\\..\\tmp\\lumivo-escape.png",
        "./../p2.png",
        QString("p\x01\x07\x1b[2J\t\x7f.png"),
        "C:\\tmp\\lumivo-abs.png",
    };
    for (const BookType& type : kTypes) {
        const QString tag = Tag(type);
        Book(dir, n, "deep-2000-folders-" + tag, type, Around(Png(deep)));
        Book(dir, n, "name-5000-" + tag, type, Around(Png(longName)));
        for (qsizetype i = 0; i < escaping.size(); ++i)
            Book(dir, n, QString("escaping-%1-%2").arg(i + 1).arg(tag), type,
                Around(Png(escaping[i])));
        Book(dir, n, "left-behind-" + tag, type,
            { { "__MACOSX/._p1.png", QByteArray("\0\x05\x16\x07\0\x02\0\0Mac OS X", 16) },
                Png("p1.png"), { ".hidden.png", "not a picture" }, Jpeg("p2.jpg"),
                { "__MACOSX/._p2.jpg", QByteArray(82, '\0') } });
        Book(dir, n, "same-name-twice-" + tag, type,
            { Png("p1.png"), Jpeg("p2.jpg"), { "p1.png", "not a picture" } });
    }
}

void WriteMemberKinds(const QString& dir, int& n)
{
    using K = ArchiveMember;
    const QList<QPair<QString, ArchiveMember>> odd = {
        { "fifo", OfKind("p2.png", K::Fifo) },
        { "link-to-passwd", OfKind("p2.png", K::Symlink, "/etc/passwd") },
        { "link-outside", OfKind("p2.png", K::Symlink, "../../outside.png") },
        { "link-to-itself", OfKind("p2.png", K::Symlink, "p2.png") },
        { "hard-link", OfKind("p2.png", K::HardLink, "p1.png") },
        { "hard-link-outside", OfKind("p2.png", K::HardLink, "../../etc/passwd") },
        { "device", OfKind("p2.png", K::CharDevice) },
        { "folder-named-page", OfKind("p2.png/", K::Directory) },
    };
    for (const BookType& type : kTypes) {
        for (const auto& [name, member] : odd)
            Book(dir, n, name + "-" + Tag(type), type, Around(member));
        // A link named as the book's first page.
        Book(dir, n, "first-page-links-to-passwd-" + Tag(type), type,
            { OfKind("p1.png", K::Symlink, "/etc/passwd"), Png("p2.png") });
    }
}
} // namespace

void WriteArchiveCases(const QString& dir, int& n)
{
    QRandomGenerator random(2027);
    for (const BookType& type : kTypes) {
        const QString tag = Tag(type);
        const QByteArray book = ArchiveBytes(type.format, Pages());
        Book(dir, n, "book-" + tag + "." + type.comic, book);
        Book(dir, n, "book-" + tag + "." + type.plain, book);
        WriteDamaged(dir, n, type, random);
        Book(dir, n, "empty-" + tag, type, {});
        Book(dir, n, "no-pictures-" + tag, type,
            { { "readme.txt", "Nothing to see.\n" }, { "notes/info.xml", "<info/>\n" } });
        Book(dir, n, "folders-only-" + tag, type,
            { OfKind("a/", ArchiveMember::Directory), OfKind("a/b/", ArchiveMember::Directory),
                OfKind("c/", ArchiveMember::Directory) });
    }
    QList<ArchiveMember> locked = Pages();
    for (ArchiveMember& member : locked)
        member.password = "lumivo";
    Book(dir, n, "encrypted.cbz", ArchiveBytes(ArchiveFormat::Zip, locked));
    QList<ArchiveMember> oneLocked = Pages();
    oneLocked[1].password = "lumivo";
    Book(dir, n, "one-page-encrypted.zip", ArchiveBytes(ArchiveFormat::Zip, oneLocked));
    Book(dir, n, "solid.cbr", ArchiveBytes(ArchiveFormat::Rar4, Pages(), { false, true }));
    // Books under another format's name, as renamed downloads are: two on in the list is
    // always a format of another name.
    for (const BookType& type : kTypes) {
        const BookType& other = kTypes[(&type - kTypes.data() + 2) % kTypes.size()];
        Book(dir, n, Tag(type) + "-named." + other.comic, ArchiveBytes(type.format, Pages()));
    }
    Book(dir, n, "png-named.cbz", ImageBytes("PNG"));
    WriteBombs(dir, n);
    WriteNames(dir, n);
    WriteMemberKinds(dir, n);
    WriteLowMemory(dir, n);
}
