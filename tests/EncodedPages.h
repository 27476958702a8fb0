#pragma once

#include "ImageSupport.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

#include <avif/avif.h>
#include <jxl/encode.h>

// Pages as WebP, AVIF and JPEG XL, encoded here with Qt, libavif and libjxl, and the
// damaged ones made by hand.

inline QByteArray WebpOf(const QImage& picture, int quality = 90)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "WEBP", quality);
    return bytes;
}

// The AVIF of a picture, 4:2:0, turned on display by quarters anticlockwise (irot).
inline QByteArray AvifOf(const QImage& picture, int quarters = 0)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    avifImage* image = avifImageCreate(
        uint32_t(rgb.width()), uint32_t(rgb.height()), 8, AVIF_PIXEL_FORMAT_YUV420);
    avifRGBImage pixels;
    avifRGBImageSetDefaults(&pixels, image);
    pixels.format = AVIF_RGB_FORMAT_RGB;
    pixels.pixels = const_cast<uint8_t*>(rgb.constBits());
    pixels.rowBytes = uint32_t(rgb.bytesPerLine());
    QByteArray bytes;
    if (avifImageRGBToYUV(image, &pixels) == AVIF_RESULT_OK) {
        if (quarters != 0) {
            image->transformFlags |= AVIF_TRANSFORM_IROT;
            image->irot.angle = uint8_t(quarters);
        }
        avifEncoder* encoder = avifEncoderCreate();
        encoder->maxThreads = 1;
        encoder->speed = AVIF_SPEED_FASTEST;
        encoder->minQuantizer = encoder->maxQuantizer = 8;
        avifRWData out = AVIF_DATA_EMPTY;
        if (avifEncoderWrite(encoder, image, &out) == AVIF_RESULT_OK)
            bytes = QByteArray(reinterpret_cast<const char*>(out.data), qsizetype(out.size));
        avifRWDataFree(&out);
        avifEncoderDestroy(encoder);
    }
    avifImageDestroy(image);
    return bytes;
}

// The JPEG XL of a picture with an Exif-style orientation (1 upright, 6 turned a quarter
// clockwise on display), as a bare codestream or in a container.
inline QByteArray JxlOf(const QImage& picture, int orientation = 1, bool container = false)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(rgb.width());
    info.ysize = uint32_t(rgb.height());
    info.bits_per_sample = 8;
    info.orientation = JxlOrientation(orientation);
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    // Qt's rows are 4-byte aligned.
    const JxlPixelFormat format { 3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4 };
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
    JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3);
    QByteArray bytes(4096, '\0');
    size_t used = 0;
    if (JxlEncoderUseContainer(encoder, container) == JXL_ENC_SUCCESS
        && JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS
        && JxlEncoderSetColorEncoding(encoder, &colour) == JXL_ENC_SUCCESS
        && JxlEncoderAddImageFrame(settings, &format, rgb.constBits(), size_t(rgb.sizeInBytes()))
            == JXL_ENC_SUCCESS) {
        JxlEncoderCloseInput(encoder);
        JxlEncoderStatus status = JXL_ENC_NEED_MORE_OUTPUT;
        while (status == JXL_ENC_NEED_MORE_OUTPUT) {
            auto* next = reinterpret_cast<uint8_t*>(bytes.data()) + used;
            size_t room = size_t(bytes.size()) - used;
            status = JxlEncoderProcessOutput(encoder, &next, &room);
            used = size_t(bytes.size()) - room;
            if (status == JXL_ENC_NEED_MORE_OUTPUT)
                bytes.resize(bytes.size() * 2);
        }
        if (status != JXL_ENC_SUCCESS)
            used = 0;
    }
    JxlEncoderDestroy(encoder);
    bytes.resize(qsizetype(used));
    return bytes;
}

inline QByteArray Little24(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes.left(3);
}

inline QByteArray RiffChunk(const QByteArray& type, const QByteArray& data)
{
    const quint32 size = quint32(data.size());
    QByteArray chunk = type + Little24(size) + char(size >> 24) + data;
    return data.size() % 2 ? chunk + '\0' : chunk;
}

// An animated WebP whose frames are the pictures, all of the first one's size.
inline QByteArray AnimatedWebp(const QList<QImage>& frames)
{
    const QSize size = frames.value(0).size();
    QByteArray body = RiffChunk("VP8X",
        QByteArray("\x02\0\0\0", 4) + Little24(quint32(size.width() - 1))
            + Little24(quint32(size.height() - 1)));
    body += RiffChunk("ANIM", QByteArray(6, '\0'));
    // Each still's one chunk, after "RIFF", its size and "WEBP".
    for (const QImage& frame : frames)
        body += RiffChunk("ANMF",
            QByteArray(6, '\0') + Little24(quint32(size.width() - 1))
                + Little24(quint32(size.height() - 1)) + Little24(100) + '\0'
                + WebpOf(frame, 100).mid(12));
    const quint32 riff = quint32(body.size() + 4);
    return "RIFF" + Little24(riff) + char(riff >> 24) + "WEBP" + body;
}

// An AVIF whose image spatial extents box declares size; its pixels stay those of the
// small picture it was made from.
inline QByteArray AvifDeclaring(const QSize& size)
{
    QImage small(QSize(16, 16), QImage::Format_RGB32);
    small.fill(Qt::gray);
    QByteArray avif = AvifOf(small);
    const qsizetype ispe = avif.indexOf("ispe");
    if (ispe < 0)
        return {};
    return avif.replace(
        ispe + 8, 8, BigEndian32(quint32(size.width())) + BigEndian32(quint32(size.height())));
}

// A bare JPEG XL codestream that declares size and ends after its headers.
inline QByteArray JxlDeclaring(const QSize& size)
{
    QByteArray bytes("\xff\x0a", 2);
    quint64 bits = 0;
    int count = 0;
    const auto put = [&](quint64 value, int width) {
        bits |= value << count;
        count += width;
    };
    // SizeHeader: not a multiple of 8, each side as 18 bits (selector 2), no ratio;
    // then ImageMetadata with every field at its default.
    put(0, 1);
    put(2, 2);
    put(quint64(size.height() - 1), 18);
    put(0, 3);
    put(2, 2);
    put(quint64(size.width() - 1), 18);
    put(1, 1);
    for (int i = 0; i < count; i += 8)
        bytes += char(bits >> i & 0xff);
    return bytes + QByteArray(16, '\0');
}
