// How an archive's pages are reached, through the page source the reader uses: the
// listing, the last page from a fresh source, the page before it right after (going
// back), and every page front to back (what extracting the whole book to memory once
// would cost up front). A CBZ and a CBR of stored JPEGs, and a solid CB7.
//
//   build/bench/bench_archives [WORK_DIR]

#include "ArchiveBooks.h"
#include "BenchSupport.h"

#include "images/ArchivePages.h"

#include <QGuiApplication>

#include <cstdio>

namespace
{
constexpr int kRuns = 3;

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

void Measure(const QString& path, const QString& name)
{
    const auto isPicture = [](const QString& member) { return member.endsWith(".jpg"); };
    QList<double> listing;
    QList<double> last;
    QList<double> back;
    QList<double> whole;
    int count = 0;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        std::shared_ptr<ArchivePages> pages;
        listing << Time([&] { pages = ArchivePages::Scan(path, isPicture); });
        if (!pages) {
            std::printf("%s: cannot open\n", qPrintable(name));
            return;
        }
        count = pages->Count();
        last << Time([&] { ok = ReadPage(*pages, count) && ok; });
        back << Time([&] { ok = ReadPage(*pages, count - 1) && ok; });
        pages = ArchivePages::Scan(path, isPicture);
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
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString work = WorkDir(app.arguments(), QDir::tempPath() + "/benchimages");
    const QString dir = work + "/archives";
    QDir().mkpath(dir);
    const QString cbz = dir + "/scans.cbz";
    const QString cbr = dir + "/scans.cbr";
    const QString cb7 = dir + "/scans-solid.cb7";
    std::printf("writing the books in %s ...\n", qPrintable(dir));
    std::fflush(stdout);
    if (!WriteArchiveBook(cbz, ArchiveFormat::Zip, 200, { 2000, 3000 })
        || !WriteArchiveBook(cbr, ArchiveFormat::Rar5, 200, { 2000, 3000 })
        || !WriteArchiveBook(cb7, ArchiveFormat::SevenZip, 100, { 1000, 1500 }))
        return 1;
    Measure(cbz, "CBZ, stored");
    Measure(cbr, "CBR (RAR 5), stored");
    Measure(cb7, "CB7, solid LZMA");
    return 0;
}
