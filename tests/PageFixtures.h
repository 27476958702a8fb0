#pragma once

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>

#include "ImageSupport.h"

#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

// Page files of every PNG pixel kind and hostile pages, for the decoding tests and the
// corpus, written here rather than downloaded.

// One kind of PNG pixel: colour type, bit depth, a tRNS chunk, interlacing.
struct PngKind {
    const char* name;
    int colourType;
    int depth;
    bool transparency;
    bool interlaced;
};

inline QList<PngKind> AllPngKinds()
{
    return {
        { "grey 1", PNG_COLOR_TYPE_GRAY, 1, false, false },
        { "grey 2", PNG_COLOR_TYPE_GRAY, 2, false, false },
        { "grey 4", PNG_COLOR_TYPE_GRAY, 4, false, false },
        { "grey 8", PNG_COLOR_TYPE_GRAY, 8, false, false },
        { "grey 16", PNG_COLOR_TYPE_GRAY, 16, false, false },
        { "grey 8 with tRNS", PNG_COLOR_TYPE_GRAY, 8, true, false },
        { "grey and alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false },
        { "grey and alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false },
        { "rgb 8", PNG_COLOR_TYPE_RGB, 8, false, false },
        { "rgb 16", PNG_COLOR_TYPE_RGB, 16, false, false },
        { "rgb 8 with tRNS", PNG_COLOR_TYPE_RGB, 8, true, false },
        { "rgba 8", PNG_COLOR_TYPE_RGBA, 8, false, false },
        { "rgba 16", PNG_COLOR_TYPE_RGBA, 16, false, false },
        { "palette 1", PNG_COLOR_TYPE_PALETTE, 1, false, false },
        { "palette 2", PNG_COLOR_TYPE_PALETTE, 2, false, false },
        { "palette 4", PNG_COLOR_TYPE_PALETTE, 4, false, false },
        { "palette 8", PNG_COLOR_TYPE_PALETTE, 8, false, false },
        { "palette 1 with tRNS", PNG_COLOR_TYPE_PALETTE, 1, true, false },
        { "palette 2 with tRNS", PNG_COLOR_TYPE_PALETTE, 2, true, false },
        { "palette 4 with tRNS", PNG_COLOR_TYPE_PALETTE, 4, true, false },
        { "palette 8 with tRNS", PNG_COLOR_TYPE_PALETTE, 8, true, false },
        { "grey 1, interlaced", PNG_COLOR_TYPE_GRAY, 1, false, true },
        { "rgba 16, interlaced", PNG_COLOR_TYPE_RGBA, 16, false, true },
        { "palette 8 with tRNS, interlaced", PNG_COLOR_TYPE_PALETTE, 8, true, true },
    };
}

// A picture of 8 x 8 blocks in two to four levels (colours, greys or palette entries):
// cream and brown as on a scan, then #40a040 and a crimson. Where the kind has alpha
// the brown is transparent (carrying its colour) and the crimson half so.
inline QByteArray PngOfKind(const PngKind& kind, const QSize& size = QSize(64, 48))
{
    static const QRgb kColours[4]
        = { qRgb(245, 235, 210), qRgb(107, 66, 38), qRgb(0x40, 0xa0, 0x40), qRgb(200, 30, 90) };
    static const int kGreys[4] = { 20, 90, 160, 230 };
    static const int kAlpha[4] = { 255, 0, 255, 128 };
    const bool palette = kind.colourType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = !(kind.colourType & PNG_COLOR_MASK_COLOR);
    const int levels = (palette || grey) && kind.depth < 2 ? 2 : 4;
    const int maximum = (1 << kind.depth) - 1;
    const auto sample = [&](int level, int channel) {
        if (palette)
            return level;
        const bool alpha = channel == 3 || (grey && channel == 1);
        if (alpha)
            return kAlpha[level] * maximum / 255;
        if (grey && kind.depth < 8)
            return level * maximum / (levels - 1);
        const int value = grey ? kGreys[level] : (kColours[level] >> (16 - 8 * channel)) & 0xff;
        // 16-bit samples get a low byte of their own, which reducing them must round.
        return kind.depth == 16 ? value << 8 | 0x93 : value;
    };

    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp p, png_bytep data, size_t length) {
            static_cast<QByteArray*>(png_get_io_ptr(p))
                ->append(reinterpret_cast<const char*>(data), qsizetype(length));
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), kind.depth,
        kind.colourType, kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color entries[4];
    png_byte alphas[4];
    for (int i = 0; i < 4; ++i) {
        entries[i] = { png_byte(qRed(kColours[i])), png_byte(qGreen(kColours[i])),
            png_byte(qBlue(kColours[i])) };
        alphas[i] = png_byte(kAlpha[i]);
    }
    if (palette)
        png_set_PLTE(png, info, entries, levels);
    if (kind.transparency) {
        png_color_16 colour {};
        colour.gray = png_uint_16(sample(1, 0));
        colour.red = png_uint_16(sample(1, 0));
        colour.green = png_uint_16(sample(1, 1));
        colour.blue = png_uint_16(sample(1, 2));
        png_set_tRNS(png, info, alphas, palette ? levels : 0, &colour);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const int bits = kind.depth * channels;
    std::vector<png_byte> row((size_t(size.width()) * bits + 7) / 8);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < size.height(); ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < size.width(); ++x) {
                const int level = (x / 8 + 3 * (y / 8)) % levels;
                for (int c = 0; c < channels; ++c) {
                    const int value = sample(level, c);
                    const size_t at = size_t(x * channels + c) * kind.depth;
                    if (kind.depth == 16) {
                        row[at / 8] = png_byte(value >> 8);
                        row[at / 8 + 1] = png_byte(value & 0xff);
                    } else {
                        row[at / 8] |= png_byte(value << (8 - kind.depth - at % 8));
                    }
                }
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// Writes picture as a PNG holding a text chunk of textSize bytes ahead of its pixels.
// The text is a hole in the file (zeros after the keyword), so that even hundreds of
// megabytes are written at once and take no room on the disk.
inline bool WritePngWithText(const QString& path, const QImage& picture, qint64 textSize)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return false;
    // The signature and IHDR come first, 8 + 25 bytes.
    constexpr qsizetype kHead = 33;
    const QByteArray keyword("Comment\0", 8);
    QFile file(path);
    if (textSize < keyword.size() || !file.open(QIODevice::WriteOnly))
        return false;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>("tEXt"), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(keyword.constData()), uInt(keyword.size()));
    static const std::vector<Bytef> zeros(1 << 20, 0);
    for (qint64 left = textSize - keyword.size(); left > 0;) {
        const qint64 part = std::min<qint64>(left, qint64(zeros.size()));
        crc = crc32(crc, zeros.data(), uInt(part));
        left -= part;
    }
    file.write(png.left(kHead));
    file.write(BigEndian32(quint32(textSize)) + "tEXt" + keyword);
    file.seek(file.pos() + textSize - keyword.size());
    file.write(BigEndian32(quint32(crc)));
    file.write(png.mid(kHead));
    return file.error() == QFileDevice::NoError;
}

// A progressive JPEG of the picture.
inline QByteArray ProgressiveJpeg(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    writer.write(picture);
    return bytes;
}

// A JPEG cut around its first scan: head (which ends with that scan), tail, and the
// scan's own bytes, so that head + scan repeated + tail is the JPEG with more scans,
// each one more pass over the picture that adds nothing.
struct FirstScan {
    QByteArray head;
    QByteArray scan;
    QByteArray tail;
    // How many scans the JPEG has; 0 when its markers cannot be followed.
    int scans = 0;
};

inline FirstScan FindFirstScan(const QByteArray& jpeg)
{
    const auto byte = [&jpeg](qsizetype at) { return uchar(jpeg[at]); };
    FirstScan found;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF && byte(at + 1) != 0xD9) {
        qsizetype next = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
        if (byte(at + 1) == 0xDA) {
            // The entropy-coded data runs to the next marker other than a restart.
            while (next + 1 < jpeg.size()
                && !(byte(next) == 0xFF && byte(next + 1) != 0
                    && (byte(next + 1) < 0xD0 || byte(next + 1) > 0xD7)))
                ++next;
            if (++found.scans == 1) {
                found.head = jpeg.left(next);
                found.scan = jpeg.mid(at, next - at);
                found.tail = jpeg.mid(next);
            }
        }
        at = next;
    }
    return found;
}

// The JPEG with its first scan sent again until it has scans scans in all; empty when
// its markers cannot be followed.
inline QByteArray WithScans(const QByteArray& jpeg, int scans)
{
    const FirstScan first = FindFirstScan(jpeg);
    if (first.scans == 0 || scans < first.scans)
        return {};
    return first.head + first.scan.repeated(scans - first.scans) + first.tail;
}

// A CMYK JPEG of one colour, as print workflows write them.
inline QByteArray CmykJpeg(const QSize& size, const uchar cmyk[4])
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* data = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &data, &length);
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(size.width()) * 4);
    for (int x = 0; x < size.width(); ++x)
        std::copy(cmyk, cmyk + 4, row.begin() + 4 * x);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(length));
    std::free(data);
    return bytes;
}
