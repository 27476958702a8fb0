// How an archive's pages are reached, through the page source the reader uses.
//
//   build/bench/bench_archives [WORK_DIR] [--timings] [--bytes] [--listing] [--memory]
//
// (all four without any of them; WORK_DIR defaults to /tmp/benchimages)
//   --timings  the listing, the last page from a fresh source, the page before it right
//              after (going back), and every page front to back, of a CBZ and a CBR of
//              stored JPEGs and a solid CB7;
//   --bytes    the bytes read per page (/proc/self/io rchar) from ZIP, TAR, 7z and RAR
//              books of 100 pages stored in name order and in directory order, read in
//              page order and backwards;
//   --listing  what a listing costs: a CBZ of 200,000 members, compressed TARs with a
//              gigabyte of zeros between two pages, and how soon a listing given up stops;
//   --memory   peak memory and the way it ends (a normal exit or a signal) of a child
//              reading every page on three threads as the reader does, without a limit
//              and under prlimit --as: decompression bombs, a directory declaring 1 GB,
//              solid 7z archives with small and large dictionaries.

#include "ArchiveBooks.h"
#include "BenchSupport.h"

#include "images/ArchivePages.h"

#include <QDirIterator>
#include <QGuiApplication>

#include <atomic>
#include <cstdio>
#include <future>
#include <random>
#include <thread>

namespace
{
constexpr int kRuns = 3;

bool IsPage(const QString& member)
{
    return member.endsWith(".jpg") || member.endsWith(".png");
}

double Time(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

bool ReadPage(const ArchivePages& pages, int n)
{
    const std::unique_ptr<QIODevice> page = pages.Open(pages.PageId(n), nullptr);
    return page && page->size() > 0;
}

QByteArray Noise(qint64 size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// Written whole or not at all, so that an interrupted run writes it again.
bool WriteOnce(const QString& path, const std::function<bool(const QString&)>& write)
{
    if (QFile::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString part = path + ".part";
    return write(part) && QFile::rename(part, path);
}

void MeasureTimes(const QString& path, const QString& name)
{
    QList<double> listing;
    QList<double> last;
    QList<double> back;
    QList<double> whole;
    int count = 0;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        std::shared_ptr<ArchivePages> pages;
        listing << Time([&] { pages = ArchivePages::Scan(path, IsPage); });
        if (!pages) {
            std::printf("%s: cannot open\n", qPrintable(name));
            return;
        }
        count = pages->Count();
        last << Time([&] { ok = ReadPage(*pages, count) && ok; });
        back << Time([&] { ok = ReadPage(*pages, count - 1) && ok; });
        pages = ArchivePages::Scan(path, IsPage);
        whole << Time([&] {
            for (int n = 1; n <= count; ++n)
                ok = ReadPage(*pages, n) && ok;
        });
    }
    std::printf("%s, %d pages, %lld MB: listing %.1f ms, last page from a fresh source %.1f ms, "
                "the page before it then %.1f ms, every page front to back %.0f ms%s\n",
        qPrintable(name), count, QFileInfo(path).size() >> 20, Median(listing), Median(last),
        Median(back), Median(whole), ok ? "" : " (some pages failed)");
}

int Timings(const QString& dir)
{
    const QString cbz = dir + "/scans.cbz";
    const QString cbr = dir + "/scans.cbr";
    const QString cb7 = dir + "/scans-solid.cb7";
    if (!WriteArchiveBook(cbz, ArchiveFormat::Zip, 200, { 2000, 3000 })
        || !WriteArchiveBook(cbr, ArchiveFormat::Rar5, 200, { 2000, 3000 })
        || !WriteArchiveBook(cb7, ArchiveFormat::SevenZip, 100, { 1000, 1500 }))
        return 1;
    MeasureTimes(cbz, "CBZ, stored");
    MeasureTimes(cbr, "CBR (RAR 5), stored");
    MeasureTimes(cb7, "CB7, solid LZMA");
    return 0;
}

// 100 pages of 512 KB that do not compress, p001.jpg on, in name order or in the order a
// folder's files come from the disk (shuffled), which is the order zip -r stores them in.
bool WriteNoiseBook(const QString& path, ArchiveFormat format, bool shuffled)
{
    return WriteOnce(path, [&](const QString& part) {
        QList<ArchiveMember> members;
        for (int page = 1; page <= 100; ++page)
            members << ArchiveMember { QString("p%1.jpg").arg(page, 3, 10, QChar('0')),
                Noise(512 * 1024, quint32(page)) };
        if (shuffled)
            std::shuffle(members.begin(), members.end(), std::mt19937(5));
        return WriteArchive(part, format, members, { true });
    });
}

int Bytes(const QString& dir)
{
    struct Kind {
        QString name;
        QString suffix;
        ArchiveFormat format;
    };
    const QList<Kind> kinds = { { "ZIP (stored)", "cbz", ArchiveFormat::Zip },
        { "TAR", "cbt", ArchiveFormat::Tar }, { "7z (solid LZMA)", "cb7", ArchiveFormat::SevenZip },
        { "RAR 5 (stored)", "cbr", ArchiveFormat::Rar5 } };
    std::printf("| book | stored in | size MB | listing KB read | page order: MB read a page | "
                "ms | backwards: MB read a page | ms |\n|---|---|---|---|---|---|---|---|\n");
    for (const Kind& kind : kinds) {
        for (const bool shuffled : { false, true }) {
            const QString path
                = QString("%1/order/%2.%3")
                      .arg(dir, shuffled ? "directory-order" : "name-order", kind.suffix);
            if (!WriteNoiseBook(path, kind.format, shuffled))
                return 1;
            QList<double> perPage;
            QList<double> times;
            qint64 listed = 0;
            for (const bool backwards : { false, true }) {
                const qint64 before = BytesRead();
                const std::shared_ptr<ArchivePages> pages = ArchivePages::Scan(path, IsPage);
                if (!pages)
                    return 1;
                listed = BytesRead() - before;
                const qint64 start = BytesRead();
                bool ok = true;
                times << Time([&] {
                    for (int i = 1; i <= pages->Count(); ++i)
                        ok = ReadPage(*pages, backwards ? pages->Count() + 1 - i : i) && ok;
                });
                perPage << double(BytesRead() - start) / pages->Count() / (1 << 20);
                if (!ok)
                    std::printf("(some pages of %s failed)\n", qPrintable(path));
            }
            std::printf("| %s | %s | %lld | %lld | %.2f | %.0f | %.2f | %.0f |\n",
                qPrintable(kind.name), shuffled ? "directory order" : "name order",
                QFileInfo(path).size() >> 20, listed >> 10, perPage[0], times[0], perPage[1],
                times[1]);
            std::fflush(stdout);
        }
    }
    return 0;
}

// p1.png, a member of zeros, p2.png: a listing passes the zeros to reach p2.
bool WriteZerosBetween(const QString& path, qint64 zeros, ArchiveOptions::Filter filter)
{
    return WriteOnce(path, [&](const QString& part) {
        ArchiveMember between { "zeros.bin" };
        between.zeros = zeros;
        ArchiveOptions options;
        options.filter = filter;
        return WriteArchive(part, ArchiveFormat::Tar,
            { { "p1.png", Noise(4096, 1) }, between, { "p2.png", Noise(4096, 2) } }, options);
    });
}

int Listing(const QString& dir)
{
    const QString many = dir + "/listing/members-200000.cbz";
    if (!WriteOnce(many, [](const QString& part) {
            QList<ArchiveMember> members;
            for (int i = 1; i <= 200000; ++i)
                members << ArchiveMember { QString("p%1.png").arg(i, 6, 10, QChar('0')), "p" };
            return WriteArchive(part, ArchiveFormat::Zip, members, { true });
        }))
        return 1;
    const qint64 gb = qint64(1) << 30;
    const QList<QPair<QString, ArchiveOptions::Filter>> zeros
        = { { "/listing/zeros-1gb.tar.bz2", ArchiveOptions::Bzip2 },
              { "/listing/zeros-1gb.tar.xz", ArchiveOptions::Xz },
              { "/listing/zeros-3gb.tar.gz", ArchiveOptions::Gzip } };
    for (const auto& [name, filter] : zeros) {
        if (!WriteZerosBetween(dir + name, name.contains("3gb") ? 3 * gb : gb, filter))
            return 1;
    }
    std::printf("| book | size | listing ms | pages | incomplete | peak MB | given up after "
                "300 ms: stopped within ms |\n|---|---|---|---|---|---|---|\n");
    QStringList books = { many };
    for (const auto& book : zeros)
        books << dir + book.first;
    for (const QString& path : books) {
        ResetPeakMemory();
        std::shared_ptr<ArchivePages> pages;
        const double ms = Time([&] { pages = ArchivePages::Scan(path, IsPage); });
        const qint64 peak = PeakMemoryMb();
        std::atomic<bool> given { false };
        QElapsedTimer since;
        std::thread giver([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            since.start();
            given = true;
        });
        const auto abandoned = [&given] { return given.load(); };
        const bool stopped = !ArchivePages::Scan(path, IsPage, abandoned);
        const double late = given ? since.nsecsElapsed() / 1e6 : -1;
        giver.join();
        std::printf("| %s | %lld KB | %.0f | %d | %s | %lld | %s |\n",
            qPrintable(QFileInfo(path).fileName()), QFileInfo(path).size() >> 10, ms,
            pages ? pages->Count() : 0, pages && pages->Incomplete() ? "yes" : "no", peak,
            late < 0      ? "done before"
                : stopped ? qPrintable(QString::number(late, 'f', 1))
                          : "not stopped");
        std::fflush(stdout);
    }
    return 0;
}

// The child: every page read on three threads, as the engine's two decoders and the
// shape reader do, each page held while its bytes are gone through; the peak is what
// the page source holds, with no decoder's copy of a page.
int Peak(const QString& path)
{
    // The threads start first, as the reader's do, so that a listing that took the
    // address space does not stop them from starting.
    std::promise<std::shared_ptr<ArchivePages>> listed;
    const std::shared_future<std::shared_ptr<ArchivePages>> pages = listed.get_future().share();
    std::atomic<int> read { 0 };
    std::atomic<int> failed { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            const std::shared_ptr<ArchivePages> book = pages.get();
            for (int n = 1 + t; book && n <= book->Count(); n += 3) {
                const std::unique_ptr<QIODevice> page = book->Open(book->PageId(n), nullptr);
                if (!page) {
                    ++failed;
                    continue;
                }
                // Read through as a streaming decoder reads, without a copy of the page.
                char chunk[64 * 1024];
                volatile char sum = 0;
                for (qint64 got; (got = page->read(chunk, sizeof chunk)) > 0;)
                    sum = char(sum + chunk[got - 1]);
                ++read;
            }
        });
    }
    listed.set_value(ArchivePages::Scan(path, IsPage));
    for (std::thread& thread : threads)
        thread.join();
    if (!pages.get())
        std::printf("refused, peak %lld MB\n", PeakMemoryMb());
    else
        std::printf(
            "%d read, %d damaged, peak %lld MB\n", read.load(), failed.load(), PeakMemoryMb());
    return 0;
}

// A solid 7z of 400 pages of 256 KB made by 7-Zip with the dictionary given, when 7-Zip
// (Debian's 7zip) is there; libarchive writes only 8 MB dictionaries.
bool Write7z(const QString& part, const QString& dictionary)
{
    const QString pagesDir = QFileInfo(part).absolutePath() + "/7z-pages";
    QDir().mkpath(pagesDir);
    for (int page = 1; page <= 400; ++page) {
        QFile file(QString("%1/p%2.jpg").arg(pagesDir).arg(page, 3, 10, QChar('0')));
        if (!file.exists()
            && (!file.open(QIODevice::WriteOnly)
                || file.write(Noise(256 * 1024, quint32(page))) != 256 * 1024))
            return false;
    }
    QProcess zip;
    zip.setWorkingDirectory(pagesDir);
    zip.start("7zz",
        { "a", "-t7z", "-m0=lzma2", "-md=" + dictionary, "-ms=on", "-mmt=1", part, "p*.jpg" });
    return zip.waitForFinished(-1) && zip.exitStatus() == QProcess::NormalExit
        && zip.exitCode() == 0 && QFile::exists(part);
}

int Memory(const QString& dir, const QString& self)
{
    const QString bombs = dir + "/memory";
    QList<ArchiveMember> members;
    for (int i = 1; i <= 40; ++i) {
        members << ArchiveMember { QString("p%1.png").arg(i, 2, 10, QChar('0')), "\x89PNG" };
        members.last().zeros = qint64(127) << 20;
    }
    QList<ArchiveMember> large;
    for (int i = 1; i <= 40; ++i) {
        large << ArchiveMember { QString("p%1.png").arg(i, 2, 10, QChar('0')), "\x89PNG" };
        large.last().zeros = qint64(60) << 20;
    }
    QList<ArchiveMember> solid;
    for (int i = 1; i <= 2000; ++i) {
        solid << ArchiveMember { QString("p%1.png").arg(i, 4, 10, QChar('0')), "\x89PNG" };
        solid.last().zeros = 200 * 1024;
    }
    QList<ArchiveMember> declaring;
    for (int i = 1; i <= 10; ++i)
        declaring << ArchiveMember { QString("p%1.png").arg(i, 2, 10, QChar('0')),
            Noise(i == 5 ? 100 : 100 * 1024, quint32(i)) };
    struct Book {
        QString name;
        std::function<bool(const QString&)> write;
    };
    const QList<Book> books = {
        { "zeros-40x127mb.cbz",
            [&](const QString& part) { return WriteArchive(part, ArchiveFormat::Zip, members); } },
        { "zeros-40x60mb.cbz",
            [&](const QString& part) { return WriteArchive(part, ArchiveFormat::Zip, large); } },
        { "declares-1gb.cbz",
            [&](const QString& part) {
                const QByteArray bytes
                    = ZipDeclaring(ArchiveBytes(ArchiveFormat::Zip, declaring, { true }), "p05.png",
                        1u << 30, false);
                QFile file(part);
                return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
            } },
        { "solid-2000.cb7",
            [&](const QString& part) {
                return WriteArchive(part, ArchiveFormat::SevenZip, solid);
            } },
        { "solid-400-dictionary-192m.7z",
            [](const QString& part) { return Write7z(part, "192m"); } },
        { "solid-400-dictionary-256k.7z",
            [](const QString& part) { return Write7z(part, "256k"); } },
    };
    std::printf("| book | size MB | address space | result |\n|---|---|---|---|\n");
    for (const auto& [name, write] : books) {
        const QString path = bombs + "/" + name;
        if (!WriteOnce(path, write)) {
            std::printf("| %s | - | - | not written |\n", qPrintable(name));
            continue;
        }
        for (const QString& limit : { QString(), QString("450000000"), QString("300000000") }) {
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            const QStringList args = { "--peak", path };
            if (limit.isEmpty())
                child.start(self, args);
            else
                child.start("prlimit", QStringList { "--as=" + limit, "--", self } + args);
            const bool ended = child.waitForFinished(300000);
            QString result = QString::fromUtf8(child.readAll()).trimmed().replace('\n', "; ");
            if (!ended)
                result = "still running after 300 s";
            else if (child.exitStatus() == QProcess::CrashExit)
                result = "killed by a signal: " + result.right(120);
            std::printf("| %s | %lld | %s | %s |\n", qPrintable(name), QFileInfo(path).size() >> 20,
                limit.isEmpty() ? "unlimited" : qPrintable(limit), qPrintable(result));
            std::fflush(stdout);
        }
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Memory is measured as the program allocates it.
    Allocator::Tune();
    const QStringList args = [&] {
        QStringList list;
        for (int i = 0; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.size() == 3 && args[1] == "--peak") {
        QCoreApplication app(argc, argv);
        return Peak(args[2]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchimages");
    const QString dir = work + "/archives";
    QDir().mkpath(dir);
    const QStringList modes = { "--timings", "--bytes", "--listing", "--memory" };
    const bool all = std::none_of(
        modes.begin(), modes.end(), [&](const QString& mode) { return args.contains(mode); });
    std::printf("writing the books in %s ...\n", qPrintable(dir));
    std::fflush(stdout);
    int result = 0;
    if (all || args.contains("--timings"))
        result |= Timings(dir);
    if (all || args.contains("--bytes"))
        result |= Bytes(dir);
    if (all || args.contains("--listing"))
        result |= Listing(dir);
    if (all || args.contains("--memory"))
        result |= Memory(dir, QCoreApplication::applicationFilePath());
    return result;
}
