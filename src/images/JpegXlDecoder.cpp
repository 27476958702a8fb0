#include "images/JpegXlDecoder.h"

#include "images/PageImage.h"
#include "images/PageScaler.h"
#include "images/WholeFile.h"

#include <QIODevice>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include <jxl/decode.h>

namespace
{
// The file goes to libjxl this much at a time, so that a page nobody wants any more
// stops between pieces rather than at the end.
constexpr qsizetype kStep = 256 * 1024;
constexpr qsizetype kPieces = 64;
constexpr qsizetype kSmallestPiece = 64;
// The headers that tell the size come first: a few hundred bytes, or behind the boxes
// of a container. A file whose size lies further in is taken for a damaged one.
constexpr qsizetype kHeaderStep = 4096;
constexpr qsizetype kMaxHeaderBytes = qsizetype(1) << 20;
constexpr JxlPixelFormat kRgba { 4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0 };

struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDeleter>;

Decoder NewDecoder(int events)
{
    Decoder decoder(JxlDecoderCreate(nullptr));
    // libjxl turns the picture upright itself, and its basic info then gives the upright
    // size.
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS
        || JxlDecoderSetKeepOrientation(decoder.get(), JXL_FALSE) != JXL_DEC_SUCCESS)
        return {};
    return decoder;
}

// Hands libjxl the bytes up to end, starting with those it has not taken yet.
bool GiveUpTo(JxlDecoder* decoder, const QByteArray& bytes, qsizetype& given, qsizetype end)
{
    const qsizetype start = given - qsizetype(JxlDecoderReleaseInput(decoder));
    given = end;
    return JxlDecoderSetInput(decoder, reinterpret_cast<const uint8_t*>(bytes.constData()) + start,
               size_t(end - start))
        == JXL_DEC_SUCCESS;
}

QSize SizeOf(JxlDecoder* decoder)
{
    JxlBasicInfo info;
    if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS || info.xsize == 0
        || info.ysize == 0 || info.xsize > INT_MAX || info.ysize > INT_MAX)
        return {};
    return QSize(int(info.xsize), int(info.ysize));
}
} // namespace

JpegXlDecoder::JpegXlDecoder(QIODevice& file, std::function<bool()> abandoned)
    : m_file(file)
    , m_abandoned(std::move(abandoned))
{
}

DecodedPage JpegXlDecoder::Decode(const FitRequest& fit)
{
    const QByteArray bytes = WholeFile::Read(m_file);
    Decoder decoder = NewDecoder(JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
    if (bytes.isEmpty() || !decoder)
        return {};
    // libjxl decodes each part of the picture as its bytes come, so a file handed over
    // in many small pieces is given up between parts: a few kilobytes can hold a picture
    // that takes seconds. (Its parallel runner is no way to stop: libjxl aborts the
    // process when a runner fails in places.)
    const qsizetype step = std::clamp(bytes.size() / kPieces, kSmallestPiece, kStep);
    qsizetype given = 0;
    QSize own;
    std::vector<uchar> rgba;
    for (bool whole = false; !whole;) {
        if (Abandoned())
            return {};
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_NEED_MORE_INPUT:
            // A file cut short ends here. The input is never closed: libjxl would take
            // a file cut short for an error, and print one.
            if (given == bytes.size()
                || !GiveUpTo(decoder.get(), bytes, given, std::min(bytes.size(), given + step)))
                return {};
            break;
        case JXL_DEC_BASIC_INFO:
            // Refused before libjxl allocates anything for the frames.
            own = SizeOf(decoder.get());
            if (!PageImage::AcceptableSize(own))
                return {};
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &kRgba, &size) != JXL_DEC_SUCCESS
                || size != size_t(own.width()) * size_t(own.height()) * 4)
                return {};
            rgba.resize(size);
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &kRgba, rgba.data(), size)
                != JXL_DEC_SUCCESS)
                return {};
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            // The first frame; an animation's others are never decoded.
            whole = true;
            break;
        default:
            return {};
        }
    }
    decoder.reset();

    const QSize shown = PageImage::TargetSize(fit, own);
    QImage pixels = PageScaler::NewImage(shown);
    if (pixels.isNull())
        return {};
    PageScaler scaler(own, shown, pixels.bits(), pixels.bytesPerLine());
    const uchar* in = rgba.data();
    for (int y = 0; y < own.height(); ++y) {
        if (Abandoned())
            return {};
        quint32* row = scaler.Row();
        for (int x = 0; x < own.width(); ++x, in += 4)
            row[x] = qRgb(in[0], in[1], in[2]);
        scaler.Push();
    }
    return { DecodedPage::kDone, pixels, own };
}

bool JpegXlDecoder::Recognizes(const QByteArray& head)
{
    const JxlSignature signature = JxlSignatureCheck(
        reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()));
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

QSize JpegXlDecoder::UprightSize(QIODevice& file)
{
    Decoder decoder = NewDecoder(JXL_DEC_BASIC_INFO);
    if (!decoder)
        return {};
    QByteArray head;
    qsizetype given = 0;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO)
            return SizeOf(decoder.get());
        if (status != JXL_DEC_NEED_MORE_INPUT || head.size() >= kMaxHeaderBytes)
            return {};
        const QByteArray more = file.read(std::min(kHeaderStep, kMaxHeaderBytes - head.size()));
        if (more.isEmpty())
            return {};
        head += more;
        if (!GiveUpTo(decoder.get(), head, given, head.size()))
            return {};
    }
}
