#include "ArchiveSupport.h"
#include "TestSupport.h"

#include <QRandomGenerator>

// The archive fixtures the archive tests and the corpus build on, read back with
// libarchive's own reader.

namespace
{
struct ReadMember {
    ArchiveMember member;
    bool encrypted = false;
};

// Every member of the archive as libarchive reads it; a member it cannot read ends the
// list with an empty name.
QList<ReadMember> ReadMembers(const QString& path, const QByteArray& password)
{
    archive* a = archive_read_new();
    archive_read_support_format_all(a);
    archive_read_support_filter_all(a);
    if (!password.isEmpty())
        archive_read_add_passphrase(a, password.constData());
    QList<ReadMember> read;
    if (archive_read_open_filename(a, QFile::encodeName(path).constData(), 1 << 16) != ARCHIVE_OK) {
        archive_read_free(a);
        return { {} };
    }
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(a, &entry)) == ARCHIVE_OK) {
        ReadMember got;
        got.member.name = QString::fromUtf8(archive_entry_pathname_utf8(entry));
        got.encrypted = archive_entry_is_data_encrypted(entry);
        if (const char* link = archive_entry_hardlink_utf8(entry)) {
            got.member.kind = ArchiveMember::HardLink;
            got.member.target = QString::fromUtf8(link);
        } else {
            switch (archive_entry_filetype(entry)) {
            case AE_IFDIR:
                // RAR keeps a folder's name without the slash the others end it with.
                got.member.kind = ArchiveMember::Directory;
                if (!got.member.name.endsWith('/'))
                    got.member.name += '/';
                break;
            case AE_IFLNK:
                got.member.kind = ArchiveMember::Symlink;
                got.member.target = QString::fromUtf8(archive_entry_symlink_utf8(entry));
                break;
            case AE_IFIFO:
                got.member.kind = ArchiveMember::Fifo;
                break;
            case AE_IFCHR:
                got.member.kind = ArchiveMember::CharDevice;
                break;
            default:
                break;
            }
        }
        char buffer[1 << 16];
        la_ssize_t size = 0;
        while (archive_entry_filetype(entry) == AE_IFREG
            && (size = archive_read_data(a, buffer, sizeof buffer)) > 0)
            got.member.bytes.append(buffer, size);
        if (size < 0)
            got.member.name.clear();
        read << got;
        if (size < 0)
            break;
    }
    if (status != ARCHIVE_EOF && status != ARCHIVE_OK)
        read << ReadMember {};
    archive_read_free(a);
    return read;
}

QList<ReadMember> ReadBack(const QString& path, const QByteArray& password)
{
    return ArchiveDetail::InUtf8Locale([&] { return ReadMembers(path, password); });
}

QByteArray Noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QList<ArchiveMember> Pages()
{
    ArchiveMember zeros { "第2話/p02.jpg", "JFIF" };
    zeros.zeros = 3 << 20;
    return { { "p01.png", Noise(1000, 1) }, { "第2話/p01.jpg", Noise(300000, 2) }, zeros };
}

QList<ArchiveMember> OfEveryKind(const QList<ArchiveMember::Kind>& kinds)
{
    QList<ArchiveMember> members = { { "p01.png", Noise(2000, 3) } };
    for (const ArchiveMember::Kind kind : kinds) {
        ArchiveMember member { QString("member-%1").arg(kind) };
        if (kind == ArchiveMember::Directory)
            member.name += '/';
        member.kind = kind;
        if (kind == ArchiveMember::Symlink)
            member.target = "../outside/p01.png";
        if (kind == ArchiveMember::HardLink)
            member.target = "p01.png";
        members << member;
    }
    return members;
}
} // namespace

class TestArchiveWriter : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void membersReadBack_data()
    {
        QTest::addColumn<ArchiveFormat>("format");
        QTest::addColumn<bool>("store");
        QTest::addColumn<QList<ArchiveMember>>("members");
        using K = ArchiveMember;
        QList<ArchiveMember> locked = Pages();
        for (ArchiveMember& member : locked)
            member.password = "secret";
        QList<ArchiveMember> oneLocked = Pages();
        oneLocked[1].password = "secret";
        QTest::newRow("zip deflated") << ArchiveFormat::Zip << false << Pages();
        QTest::newRow("zip stored") << ArchiveFormat::Zip << true << Pages();
        QTest::newRow("7z") << ArchiveFormat::SevenZip << false << Pages();
        QTest::newRow("tar") << ArchiveFormat::Tar << false << Pages();
        QTest::newRow("rar 4") << ArchiveFormat::Rar4 << false << Pages();
        QTest::newRow("rar 5") << ArchiveFormat::Rar5 << false << Pages();
        QTest::newRow("zip encrypted") << ArchiveFormat::Zip << false << locked;
        QTest::newRow("zip one member encrypted") << ArchiveFormat::Zip << true << oneLocked;
        QTest::newRow("zip kinds")
            << ArchiveFormat::Zip << false << OfEveryKind({ K::Directory, K::Symlink });
        QTest::newRow("tar kinds")
            << ArchiveFormat::Tar << false
            << OfEveryKind({ K::Directory, K::Symlink, K::HardLink, K::Fifo, K::CharDevice });
        QTest::newRow("rar 4 kinds")
            << ArchiveFormat::Rar4 << false << OfEveryKind({ K::Directory, K::Symlink });
        QTest::newRow("rar 5 kinds") << ArchiveFormat::Rar5 << false
                                     << OfEveryKind({ K::Directory, K::Symlink, K::HardLink });
    }

    void membersReadBack()
    {
        QFETCH(ArchiveFormat, format);
        QFETCH(bool, store);
        QFETCH(QList<ArchiveMember>, members);
        const QString path = env->path(QString("archives/%1.book").arg(QTest::currentDataTag()));
        QVERIFY(WriteArchive(path, format, members, { store }));
        const QList<ReadMember> read = ReadBack(path, "secret");
        QCOMPARE(read.size(), members.size());
        for (qsizetype i = 0; i < members.size(); ++i) {
            const ArchiveMember& got = read[i].member;
            QCOMPARE(got.name, members[i].name);
            QCOMPARE(got.kind, members[i].kind);
            QCOMPARE(got.target, members[i].target);
            QCOMPARE(got.bytes.size(), members[i].bytes.size() + members[i].zeros);
            QVERIFY(got.bytes == members[i].bytes + QByteArray(members[i].zeros, '\0'));
            QCOMPARE(read[i].encrypted, !members[i].password.isEmpty());
        }
    }
};

LUMIVO_TEST_MAIN(TestArchiveWriter)
#include "tst_archivewriter.moc"
