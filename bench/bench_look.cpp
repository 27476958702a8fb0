// What cutting the borders and night reading cost and gain: the time they add to a
// page's decode, the share of the screen a scan's print covers with and without the cut,
// and how steady a text PDF's type stays from page to page with its borders cut.
//
//   build/bench/bench_look [WORK_DIR] [--size WxH]... [--pdf TEXT_PDF]

#include "BenchSupport.h"

#include "images/BorderCrop.h"
#include "images/ImageRules.h"
#include "images/NightColours.h"
#include "pdf/AcroAXDocShim.h"
#include "platform/OpeningWait.h"
#include "reader/CroppedSpread.h"
#include "reader/PdfReader.h"

#include <QApplication>
#include <QDir>
#include <QPainter>

#include <cstdio>

namespace
{
constexpr int kRuns = 9;
// Scanned pages as a flatbed leaves them: 7 % of paper on each side.
constexpr double kBorder = 0.07;
const QSize kScan(2000, 3000);

QString WriteScan(const QString& work)
{
    const QString path = work + "/scan-7pc.jpg";
    if (QFileInfo::exists(path))
        return path;
    QImage page(kScan, QImage::Format_RGB32);
    page.fill(QColor(246, 242, 232));
    QPainter painter(&page);
    const QRectF print(kScan.width() * kBorder, kScan.height() * kBorder,
        kScan.width() * (1 - 2 * kBorder), kScan.height() * (1 - 2 * kBorder));
    QLinearGradient art(print.topLeft(), print.bottomRight());
    art.setColorAt(0, QColor(40, 60, 120));
    art.setColorAt(1, QColor(220, 180, 90));
    painter.fillRect(print, art);
    painter.end();
    QDir().mkpath(work);
    page.save(path, "JPEG", 90);
    return path;
}

double TimeLoad(const QString& path, const FitRequest& fit)
{
    QList<double> times;
    for (int run = 0; run < kRuns; ++run) {
        PageImage image;
        QElapsedTimer timer;
        timer.start();
        image.Load(path, fit);
        times << timer.nsecsElapsed() / 1e6;
    }
    return Median(times);
}

// The decode of one page of a spread at the window's size, plain, cut and at night.
void Costs(const QString& scan, const QSize& window)
{
    const ImageRules::Frame frame = ImageRules::LayoutFrame(QRect(QPoint(), window), 0, 0);
    const QSize box = ImageRules::BoxOf(frame, LAYOUT_SPREAD_COVER, true);
    const double plain = TimeLoad(scan, { box, 1, false, 1 });
    const double cut = TimeLoad(scan, { box * 1.25, 1, false, 1, true, false });
    const double night = TimeLoad(scan, { box, 1, false, 1, false, true });
    std::printf("decode of a 2000x3000 scan for half of %s: %.1f ms; with the cut (decoded "
                "1.25x larger, borders found) %.1f ms (+%.1f); at night %.1f ms (+%.1f)\n",
        qPrintable(SizeName(window)), plain, cut, cut - plain, night, night - plain);
    // The two steps alone, on the pixels a decode for the cut makes.
    PageImage page;
    page.Load(scan, { box * 1.25, 1, false, 1 });
    QList<double> finding;
    QList<double> turning;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        BorderCrop::Content(page.Pixels());
        finding << timer.nsecsElapsed() / 1e6;
        QImage pixels = page.Pixels().copy();
        timer.restart();
        NightColours::Apply(pixels);
        turning << timer.nsecsElapsed() / 1e6;
    }
    std::printf("  on its %dx%d pixels: borders found in %.2f ms, colours turned in %.2f ms\n",
        page.Pixels().width(), page.Pixels().height(), Median(finding), Median(turning));
}

// The share of the screen the print of the scans covers, alone and in spreads.
void Gain(const QString& scan, const QSize& window)
{
    PageImage image;
    const ImageRules::Frame frame = ImageRules::LayoutFrame(QRect(QPoint(), window), 0, 0);
    image.Load(scan, { ImageRules::BoxOf(frame, LAYOUT_SINGLE, true) * 1.25, 1, false, 1, true });
    const QRectF part = BorderCrop::WithMargin(image.Content(), image.Size(), 0.01);
    const double screen = double(window.width()) * window.height();
    const double print = (1 - 2 * kBorder) * (1 - 2 * kBorder);
    for (const int layout : { int(LAYOUT_SINGLE), int(LAYOUT_SPREAD_COVER) }) {
        const bool spread = layout != LAYOUT_SINGLE;
        const ImageRules::Placement whole
            = ImageRules::PlacePages(frame, layout, false, kScan, spread ? kScan : QSize());
        const CroppedSpread::Page page { kScan, part };
        const CroppedSpread::Placed cut = CroppedSpread::Place(
            frame, layout, false, page, spread ? page : CroppedSpread::Page { QSize(), {} });
        const auto area = [](const QRect& r) { return double(r.width()) * r.height(); };
        const double before = (area(whole.left) + area(whole.right)) * print / screen;
        const double after
            = (area(cut.left) + area(cut.right)) * print / (part.width() * part.height()) / screen;
        std::printf("%s, %s: print covers %.1f %% of the screen, %.1f %% with the cut "
                    "(x%.2f)\n",
            qPrintable(SizeName(window)), spread ? "spread" : "single page", before * 100,
            after * 100, after / before);
    }
}

// A PDF in a bare window of the given size, read through its reader.
struct PdfWindow {
    // The record outlives the reader, which follows it.
    BookRecord record;
    QWidget host;
    OpeningWait opening { &host };
    CAcroAXDocShim control { &host };
    PdfReader reader { &host, opening, control };

    PdfWindow(const QString& pdf, const QSize& window, int page, int layout, bool cut)
    {
        host.resize(window);
        host.show();
        record.strPath = pdf;
        record.nPage = page;
        record.nLayout = layout;
        record.bCrop = cut;
    }
    bool Open()
    {
        if (reader.Open(record, {}) != BookReader::Opening::Opened)
            return false;
        reader.Enter(record);
        return true;
    }
    void Until(const std::function<bool()>& done)
    {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
};

// From opening a PDF to its first spread rendered, and with the borders cut to the cut
// spread rendered, medians of a few.
QPair<double, double> FirstSpread(const QString& pdf, const QSize& size, bool cut)
{
    QList<double> times;
    QList<double> cutTimes;
    for (int run = 0; run < 3; ++run) {
        WaitUntilQuiet();
        PdfWindow window(pdf, size, 3, LAYOUT_SPREAD_NOCOVER, cut);
        QElapsedTimer timer;
        timer.start();
        if (!window.Open())
            return { -1, -1 };
        window.Until([&window] { return window.control.IsShowingRendered(); });
        times << timer.nsecsElapsed() / 1e6;
        window.Until([&window] { return window.control.IsShowingSettled(); });
        cutTimes << timer.nsecsElapsed() / 1e6;
        window.reader.Close();
    }
    return { Median(times), Median(cutTimes) };
}

// Pages of a text PDF read one after the other with the borders cut: the size of the
// type is the page's scale on the screen.
void TextSteadiness(const QString& pdf, const QSize& window, int pages)
{
    PdfWindow shown(pdf, window, 1, LAYOUT_SINGLE, true);
    if (!shown.Open()) {
        std::printf("%s: cannot open\n", qPrintable(pdf));
        return;
    }
    CAcroAXDocShim& control = shown.control;
    BookRecord& record = shown.record;
    QList<double> scales;
    double largest = 0;
    int changes = 0;
    QStringList large;
    for (int page = 1; page <= std::min(pages, record.nPageCount); ++page) {
        record.nPage = page;
        shown.reader.Show(record);
        shown.Until([&control] { return control.IsShowingSettled(); });
        QList<QRectF> parts;
        const QList<SpreadLayout::Placed> placed = control.PagesShown(&parts);
        const QSizeF size = control.PageSizes().value(page);
        scales << placed[0].rect.height() / (size.height() * parts[0].height());
        if (scales.size() > 1) {
            const double jump = std::abs(scales.last() / scales[scales.size() - 2] - 1);
            largest = std::max(largest, jump);
            changes += jump > 0.001 ? 1 : 0;
            if (jump > 0.01)
                large
                    << QString("%1 to %2: %3 %").arg(page - 1).arg(page).arg(jump * 100, 0, 'f', 1);
        }
    }
    shown.reader.Close();
    std::sort(scales.begin(), scales.end());
    std::printf("%s, %lld pages of %s cut: type at %.2f to %.2f px per point, largest jump "
                "from one page to the next %.1f %%, %d of %lld pages changed size; over 1 %%: %s\n",
        qPrintable(SizeName(window)), scales.size(), qPrintable(QFileInfo(pdf).fileName()),
        scales.first(), scales.last(), largest * 100, changes, scales.size() - 1,
        large.isEmpty() ? "none" : qPrintable(large.join(", ")));
}
} // namespace

int main(int argc, char** argv)
{
    const QStringList args = BenchArguments(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchlook");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/config"));
    QApplication app(argc, argv);
    const QString scan = WriteScan(work);
    const QString pdf = TextPdf(args, work);
    for (const QSize& size : WindowSizes(args)) {
        for (const QString& book : { pdf, work + "/../benchpdf/scans40.pdf" }) {
            if (!QFileInfo::exists(book))
                continue;
            const auto uncut = FirstSpread(book, size, false);
            const auto cut = FirstSpread(book, size, true);
            std::printf("%s, %s: first spread rendered %.1f ms; with the borders cut, shown "
                        "whole after %.1f ms, as it stays after %.1f ms\n",
                qPrintable(SizeName(size)), qPrintable(QFileInfo(book).fileName()), uncut.first,
                cut.first, cut.second);
        }
        Costs(scan, size);
        Gain(scan, size);
        TextSteadiness(pdf, size, 50);
    }
    // Renders left to finish in the background must not outlive the libraries.
    WaitUntilQuiet();
    return 0;
}
