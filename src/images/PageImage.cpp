#include "images/PageImage.h"

#include "images/BorderCrop.h"
#include "images/NightColours.h"

#include "images/AbortableFile.h"
#include "images/AvifDecoder.h"
#include "images/DecodeCost.h"
#include "images/ImageRules.h"
#include "images/JpegDecoder.h"
#include "images/JpegXlDecoder.h"
#include "images/Orientation.h"
#include "images/PageScaler.h"
#include "images/PngDecoder.h"
#include "platform/Paths.h"

#include <QImageReader>

#include <new>

namespace
{
// Qt's own default (256 MB) would refuse genuine large scans; a reader that does not
// tell the size before decoding is held to this.
constexpr int kAllocationLimitMb = int(PageImage::kLargestDecode >> 20);

bool StartsWith(const QByteArray& head, const char* magic, qsizetype size)
{
    return head.size() >= size && std::equal(magic, magic + size, head.constData());
}

// The pixels of a row of any format as RGB32: a row at a time keeps Qt's conversion
// on this thread (it spreads large pictures over its global thread pool).
const quint32* Rgb32Row(const QImage& image, int y, QImage& converted)
{
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32)
        return reinterpret_cast<const quint32*>(image.constScanLine(y));
    QImage row(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), format);
    row.setColorTable(image.colorTable());
    converted = row.convertToFormat(QImage::Format_RGB32);
    return converted.isNull() ? nullptr : reinterpret_cast<const quint32*>(converted.constBits());
}

// BMP, GIF, TIFF, WebP, CMYK JPEG and the rest: read whole by Qt, then scaled and turned
// here.
DecodedPage ReadWithQt(QIODevice& file, const FitRequest& fit)
{
    file.seek(0);
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize declared = reader.size();
    if (declared.isValid() && !PageImage::AcceptableSize(declared))
        return {};
    const QImageIOHandler::Transformations turn = reader.transformation();
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    const bool turned = Orientation::Turned(turn);
    const QSize own = turned ? image.size().transposed() : image.size();
    if (!PageImage::AcceptableSize(own))
        return {};
    const QSize shown = PageImage::TargetSize(fit, own);
    QImage pixels = PageScaler::NewImage(turned ? shown.transposed() : shown);
    if (pixels.isNull())
        return {};
    PageScaler scaler(image.size(), pixels.size(), pixels.bits(), pixels.bytesPerLine());
    QImage converted;
    for (int y = 0; y < image.height(); ++y) {
        const quint32* row = Rgb32Row(image, y, converted);
        if (!row)
            return {};
        scaler.Push(row);
    }
    return { DecodedPage::kDone, Orientation::Apply(pixels, turn), own };
}

DecodedPage Decode(QIODevice& file, const FitRequest& fit, const std::function<bool()>& abandoned)
{
    const QByteArray head = file.peek(PageImage::kHeadBytes);
    DecodedPage page { DecodedPage::kNotMine, {}, {} };
    if (StartsWith(head, "\xff\xd8\xff", 3))
        page = JpegDecoder(file, abandoned).Decode(fit);
    else if (StartsWith(head, "\x89PNG\r\n\x1a\n", 8))
        page = PngDecoder(file, abandoned).Decode(fit);
    else if (AvifDecoder::Recognizes(head) || JpegXlDecoder::Recognizes(head)) {
        // Their libraries end the process when an allocation fails.
        const DecodeCost::Reservation room(DecodeCost::Of(file, fit));
        if (!room.Granted())
            page = {};
        else if (AvifDecoder::Recognizes(head))
            page = AvifDecoder(file, abandoned).Decode(fit);
        else
            page = JpegXlDecoder(file, abandoned).Decode(fit);
    }
    if (page.status == DecodedPage::kNotMine)
        page = ReadWithQt(file, fit);
    return page;
}
} // namespace

bool PageImage::AcceptableSize(const QSize& size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide
        && size.height() <= kMaxSide && qint64(size.width()) * size.height() <= kMaxPixels;
}

QSize PageImage::DeviceSize(const FitRequest& fit, const QSize& own)
{
    const QSize shown = ImageRules::ShownSize(fit.box, own, fit.zoomFactor, fit.enlarge);
    if (shown.isEmpty())
        return {};
    const qreal dpr = fit.devicePixelRatio;
    return QSize(
        std::max(1, qRound(shown.width() * dpr)), std::max(1, qRound(shown.height() * dpr)));
}

QSize PageImage::TargetSize(const FitRequest& fit, const QSize& own)
{
    // A box of no size (a window not laid out yet) shows nothing: the page is held at
    // one pixel, as the budget counts it, never at its own size.
    const QSize device = DeviceSize(fit, own);
    return device.isValid() ? device : QSize(1, 1);
}

int PageImage::Load(
    const QString& path, const FitRequest& fit, const std::function<bool()>& abandoned)
{
    Destroy();
    AbortableFile file(abandoned);
    if (!Paths::OpenForReading(file, path))
        return kFailed;
    return Load(file, fit, abandoned);
}

int PageImage::Load(
    QIODevice& device, const FitRequest& fit, const std::function<bool()>& abandoned)
{
    Destroy();
    try {
        DecodedPage page = Decode(device, fit, abandoned);
        if (page.status != DecodedPage::kDone || page.pixels.isNull())
            return kFailed;
        // Moved, so that night reading turns the pixels over without a copy of them.
        m_pixels = std::move(page.pixels);
        m_size = page.own;
        // Borders are found on the page's own colours, before night reading turns them.
        if (fit.crop)
            m_content = BorderCrop::Content(m_pixels);
        if (fit.night)
            NightColours::Apply(m_pixels);
        return kLoaded;
    } catch (const std::bad_alloc&) {
        // A page that cannot be given the memory it needs is a damaged page.
        Destroy();
        return kFailed;
    }
}

void PageImage::Destroy()
{
    m_pixels = QImage();
    m_size = QSize(0, 0);
    m_content = QRectF(0, 0, 1, 1);
}
