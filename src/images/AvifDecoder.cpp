#include "images/AvifDecoder.h"

#include "images/Orientation.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"
#include "images/WholeFile.h"

#include <QIODevice>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

#include <avif/avif.h>

namespace
{
// Rows turned into RGB at a time: the whole picture's colour would take four bytes a
// pixel beside the planes the decoder holds.
constexpr int kBandRows = 64;
// Rows above and below a band converted with it, so that chroma shared across the band's
// edge is upsampled as it is inside the picture.
constexpr int kBandMargin = 2;
// A view of the planes starts on a row of its own chroma, an even one when chroma is
// halved vertically; bands that start on even rows always do.
static_assert(kBandRows % 2 == 0 && kBandMargin % 2 == 0);
// The boxes before the pixels are small; a header that asks for more is a damaged one.
constexpr size_t kMaxHeaderRead = size_t(16) << 20;
// 0xffRRGGBB in a 32-bit word.
constexpr avifRGBFormat kRgb32
    = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;

struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
struct ImageDeleter {
    void operator()(avifImage* image) const { avifImageDestroy(image); }
};
using Decoder = std::unique_ptr<avifDecoder, DecoderDeleter>;
using Image = std::unique_ptr<avifImage, ImageDeleter>;

Decoder NewDecoder()
{
    Decoder decoder(avifDecoderCreate());
    if (!decoder)
        return {};
    // The engine decodes two pages at once already: the codec keeps to this thread.
    decoder->maxThreads = 1;
    decoder->imageSizeLimit = uint32_t(PageImage::kMaxPixels);
    decoder->imageDimensionLimit = PageImage::kMaxSide;
    // The orientation comes from irot and imir; the metadata items are never read.
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    // Files of older encoders that lack a box a strict reader insists on still show.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    return decoder;
}

// irot turns anticlockwise by quarters, then imir mirrors: mode 0 top to bottom, mode 1
// left to right.
QImageIOHandler::Transformations Turn(const avifImage& image)
{
    using H = QImageIOHandler;
    static constexpr H::Transformation kTurns[4][3] = {
        { H::TransformationNone, H::TransformationFlip, H::TransformationMirror },
        { H::TransformationRotate270, H::TransformationFlipAndRotate90,
            H::TransformationMirrorAndRotate90 },
        { H::TransformationRotate180, H::TransformationMirror, H::TransformationFlip },
        { H::TransformationRotate90, H::TransformationMirrorAndRotate90,
            H::TransformationFlipAndRotate90 },
    };
    const int quarters = (image.transformFlags & AVIF_TRANSFORM_IROT) ? image.irot.angle & 3 : 0;
    const int mirror = (image.transformFlags & AVIF_TRANSFORM_IMIR) ? 1 + (image.imir.mode & 1) : 0;
    return kTurns[quarters][mirror];
}

QSize StoredSize(const avifImage& image)
{
    if (image.width == 0 || image.height == 0 || image.width > INT_MAX || image.height > INT_MAX)
        return {};
    return QSize(int(image.width), int(image.height));
}

// Hands libavif the bytes it asks for straight from the device: for the size, the boxes
// before the pixels and not the pixels; for a decode, the pixels of the first picture
// alone, and nothing once nobody wants the page.
struct DeviceReader {
    avifIO io {};
    QIODevice* file = nullptr;
    QByteArray buffer;
    size_t largestRead = kMaxHeaderRead;
    const std::function<bool()>* abandoned = nullptr;

    DeviceReader(QIODevice& device, size_t largest, const std::function<bool()>* gone)
        : file(&device)
        , largestRead(largest)
        , abandoned(gone)
    {
        io.read = Read;
        io.sizeHint = quint64(std::max<qint64>(device.size(), 0));
        io.data = this;
    }

    static avifResult Read(
        avifIO* io, uint32_t readFlags, uint64_t offset, size_t size, avifROData* out)
    {
        DeviceReader& self = *static_cast<DeviceReader*>(io->data);
        const qint64 end = self.file->size();
        if (readFlags != 0 || end < 0 || offset > quint64(end)
            || (self.abandoned && *self.abandoned && (*self.abandoned)()))
            return AVIF_RESULT_IO_ERROR;
        const size_t want = size_t(std::min<quint64>(size, quint64(end) - offset));
        if (want > self.largestRead)
            return AVIF_RESULT_IO_ERROR;
        try {
            self.buffer.resize(qsizetype(want));
        } catch (const std::bad_alloc&) {
            return AVIF_RESULT_OUT_OF_MEMORY;
        }
        if (!self.file->seek(qint64(offset))
            || self.file->read(self.buffer.data(), qint64(want)) != qint64(want))
            return AVIF_RESULT_IO_ERROR;
        out->data = reinterpret_cast<const uint8_t*>(self.buffer.constData());
        out->size = want;
        return AVIF_RESULT_OK;
    }
};
} // namespace

AvifDecoder::AvifDecoder(QIODevice& file, std::function<bool()> abandoned)
    : m_file(file)
    , m_abandoned(std::move(abandoned))
{
}

DecodedPage AvifDecoder::Decode(const FitRequest& fit)
{
    // The reader outlives the decoder, which looks at it once more as it goes.
    DeviceReader reader(m_file, size_t(WholeFile::kMaxBytes), &m_abandoned);
    Decoder decoder = NewDecoder();
    if (!decoder || Abandoned())
        return {};
    avifDecoderSetIO(decoder.get(), &reader.io);
    if (avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
        return {};
    const QSize stored = StoredSize(*decoder->image);
    const QImageIOHandler::Transformations turn = Turn(*decoder->image);
    const bool turned = Orientation::Turned(turn);
    const QSize own = turned ? stored.transposed() : stored;
    if (!PageImage::AcceptableSize(own) || Abandoned()
        || avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK)
        return {};
    const avifImage& image = *decoder->image;
    // The pictures inside may disagree with the size the boxes declared.
    if (StoredSize(image) != stored || Abandoned())
        return {};

    const QSize shown = PageImage::TargetSize(fit, own);
    QImage pixels = PageScaler::NewImage(turned ? shown.transposed() : shown);
    QImage band = PageScaler::NewImage(QSize(stored.width(), kBandRows + 2 * kBandMargin));
    Image view(avifImageCreateEmpty());
    if (pixels.isNull() || band.isNull() || !view)
        return {};
    PageScaler scaler(stored, pixels.size(), pixels.bits(), pixels.bytesPerLine());
    for (int top = 0; top < stored.height(); top += kBandRows) {
        if (Abandoned())
            return {};
        const int bottom = std::min(stored.height(), top + kBandRows);
        const int from = std::max(0, top - kBandMargin);
        const int to = std::min(stored.height(), bottom + kBandMargin);
        const avifCropRect rect { 0, uint32_t(from), uint32_t(stored.width()),
            uint32_t(to - from) };
        if (avifImageSetViewRect(view.get(), &image, &rect) != AVIF_RESULT_OK)
            return {};
        avifRGBImage rgb;
        avifRGBImageSetDefaults(&rgb, view.get());
        rgb.depth = 8;
        rgb.format = kRgb32;
        rgb.pixels = band.bits();
        rgb.rowBytes = uint32_t(band.bytesPerLine());
        if (avifImageYUVToRGB(view.get(), &rgb) != AVIF_RESULT_OK)
            return {};
        for (int y = top; y < bottom; ++y)
            scaler.Push(reinterpret_cast<const quint32*>(band.constScanLine(y - from)));
    }
    return { DecodedPage::kDone, Orientation::Apply(pixels, turn), own };
}

bool AvifDecoder::Recognizes(const QByteArray& head)
{
    const avifROData data { reinterpret_cast<const uint8_t*>(head.constData()),
        size_t(head.size()) };
    return avifPeekCompatibleFileType(&data);
}

QSize AvifDecoder::UprightSize(QIODevice& file)
{
    // The reader outlives the decoder, which looks at it once more as it goes.
    DeviceReader reader(file, kMaxHeaderRead, nullptr);
    Decoder decoder = NewDecoder();
    if (!decoder)
        return {};
    avifDecoderSetIO(decoder.get(), &reader.io);
    if (avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
        return {};
    const QSize stored = StoredSize(*decoder->image);
    return Orientation::Turned(Turn(*decoder->image)) ? stored.transposed() : stored;
}
