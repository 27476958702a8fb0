#include "images/DecodeCost.h"

#include "images/AvifDecoder.h"
#include "images/JpegXlDecoder.h"
#include "images/PageHeader.h"
#include "images/PageImage.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>

#include <atomic>
#include <limits>

#include <sys/resource.h>
#include <unistd.h>

namespace DecodeCost
{

namespace
{
    // Bytes a pixel of the picture's own size takes on the way, beyond the result. A
    // progressive JPEG keeps two bytes a coefficient, with chroma halved both ways.
    constexpr qint64 kProgressiveJpeg = 3;
    constexpr qint64 kInterlacedPng = 4;
    // The planes libavif decodes into and the frame dav1d keeps.
    constexpr qint64 kAvif = 4;
    // libjxl's RGBA output and the planes it works on (measured: a 6000 x 6000 page
    // took 263 MB).
    constexpr qint64 kJpegXl = 8;
    // The QImage Qt's reader fills, in the common 32-bit formats.
    constexpr qint64 kQt = 4;
    // Rows a streaming decoder and the scaler keep.
    constexpr qint64 kStreamRows = 64;

    // Address space beyond a decode's own count that its libraries, the thread's stack and
    // malloc's bookkeeping take.
    constexpr qint64 kSlack = qint64(48) << 20;

    std::atomic<qint64> s_reserved { 0 };

    // The address space the process may still take: unlimited without a limit.
    qint64 AddressSpaceLeft()
    {
        rlimit limit {};
        if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
            return std::numeric_limits<qint64>::max();
        QFile statm("/proc/self/statm");
        if (!statm.open(QIODevice::ReadOnly))
            return 0;
        const qint64 used
            = statm.readLine().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
        return qint64(limit.rlim_cur) - used;
    }

    qint64 Pixels(const QSize& size)
    {
        return qint64(std::max(size.width(), 0)) * qint64(std::max(size.height(), 0));
    }

    qint64 Shown(const FitRequest& fit, const QSize& own)
    {
        return Pixels(PageImage::TargetSize(fit, own)) * 4;
    }
} // namespace

qint64 Of(QIODevice& page, const FitRequest& fit)
{
    const qint64 box = qint64(fit.box.width() * fit.devicePixelRatio + 1)
        * qint64(fit.box.height() * fit.devicePixelRatio + 1) * 4;
    const qint64 fileBytes = std::max<qint64>(page.size(), 0);
    qint64 cost = box;
    if (!page.seek(0))
        return cost;
    const QByteArray head = page.peek(PageImage::kHeadBytes);
    if (const std::optional<PageHeader::Facts> facts = PageHeader::Read(page)) {
        const QSize own = facts->size;
        if (PageImage::AcceptableSize(own)) {
            const qint64 rows = qint64(own.width()) * 4 * kStreamRows;
            if (head.startsWith("\xff\xd8\xff"))
                cost = Shown(fit, own) + rows + (facts->whole ? Pixels(own) * kProgressiveJpeg : 0);
            else if (head.startsWith("\x89PNG"))
                cost = Shown(fit, own) + rows + (facts->whole ? Pixels(own) * kInterlacedPng : 0);
            else if (AvifDecoder::Recognizes(head))
                cost = Shown(fit, own) + rows + fileBytes + Pixels(own) * kAvif;
            else if (JpegXlDecoder::Recognizes(head))
                cost = Shown(fit, own) + fileBytes + Pixels(own) * kJpegXl;
        }
    } else {
        page.seek(0);
        QImageReader reader(&page);
        reader.setAutoTransform(false);
        const QSize own = reader.size();
        if (PageImage::AcceptableSize(own))
            cost = Shown(fit, own) + fileBytes + Pixels(own) * kQt;
        else
            cost = box + fileBytes;
    }
    page.seek(0);
    return cost;
}

bool Stoppable(QIODevice& page)
{
    const QByteArray head = page.peek(PageImage::kHeadBytes);
    return head.startsWith("\xff\xd8\xff") || head.startsWith("\x89PNG")
        || JpegXlDecoder::Recognizes(head);
}

bool Plentiful(qint64 bytes)
{
    constexpr qint64 kTimes = 4;
    const qint64 left = AddressSpaceLeft();
    return left == std::numeric_limits<qint64>::max()
        || s_reserved.load() + kTimes * bytes + kSlack <= left;
}

Reservation::Reservation(qint64 bytes)
{
    const qint64 others = s_reserved.fetch_add(bytes) + bytes;
    if (bytes > 0 && others + kSlack <= AddressSpaceLeft())
        m_bytes = bytes;
    else
        s_reserved.fetch_sub(bytes);
}

Reservation::~Reservation()
{
    s_reserved.fetch_sub(m_bytes);
}

} // namespace DecodeCost
