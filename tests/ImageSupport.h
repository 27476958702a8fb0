#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include "TestSupport.h"

// Picture files for the image tests, written here rather than downloaded.

// A colour of its own for each page number.
inline QColor PageColour(int page)
{
    return QColor(QColor::fromHsv((page * 47) % 360, 200, 230).rgb());
}

inline bool SameColour(const QColor& a, const QColor& b, int tolerance = 12)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

inline bool WritePicture(
    const QString& path, const QSize& size, const QColor& colour, const char* format = nullptr)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, format, 90);
}

inline quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray BigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

inline QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    return BigEndian32(quint32(data.size())) + type + data + BigEndian32(Crc32(type + data));
}

// A black-and-white PNG that declares size. With pixels, its rows are all there (and
// tiny once compressed); without, the file ends after its header.
inline QByteArray PngDeclaring(const QSize& size, bool withPixels)
{
    const QByteArray header = BigEndian32(quint32(size.width()))
        + BigEndian32(quint32(size.height())) + QByteArray("\x01\x00\x00\x00\x00", 5);
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header);
    if (withPixels) {
        const QByteArray rows(qsizetype(size.height()) * (1 + (size.width() + 7) / 8), '\0');
        png += PngChunk("IDAT", qCompress(rows, 1).mid(4));
    }
    return png + PngChunk("IEND", {});
}

// A 1 x 1 GIF of two frames: red, then blue.
inline QByteArray TwoFrameGif()
{
    QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
    gif += QByteArray("\xff\x00\x00\x00\x00\xff", 6);
    for (const char index : { '\x44', '\x4c' }) {
        gif += QByteArray("\x21\xf9\x04\x00\x0a\x00\x00\x00", 8);
        gif += QByteArray("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02", 12);
        gif += index;
        gif += QByteArray("\x01\x00", 2);
    }
    return gif + ';';
}

// An Exif segment's bytes after its length, holding one orientation tag (6: the
// camera was turned a quarter clockwise), in either byte order.
inline QByteArray ExifOrientation(quint8 orientation, bool bigEndian = false)
{
    if (bigEndian)
        return QByteArray("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 25)
            + char(orientation) + QByteArray(6, '\0');
    return QByteArray("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24)
        + char(orientation) + QByteArray(7, '\0');
}

// The JPEG with an Exif orientation tag.
inline QByteArray WithOrientation(
    const QByteArray& jpeg, quint8 orientation, bool bigEndian = false)
{
    const QByteArray exif = ExifOrientation(orientation, bigEndian);
    const quint16 length = quint16(exif.size() + 2);
    const QByteArray app1 = QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff);
    return jpeg.left(2) + app1 + exif + jpeg.mid(2);
}

// A TIFF of two grey 1 x 1 pages: white, then black.
inline QByteArray TwoPageTiff()
{
    const auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    const auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    QByteArray tiff = QByteArray("II*\x00", 4) + u32(8);
    const quint32 ifdSize = 2 + 8 * 12 + 4;
    for (int page = 0; page < 2; ++page) {
        const quint32 ifd = quint32(tiff.size());
        const quint32 pixel = ifd + ifdSize;
        const quint32 next = page == 0 ? pixel + 4 : 0;
        const auto tag = [&](quint16 id, quint16 type, quint32 value) {
            return u16(id) + u16(type) + u32(1) + u32(value);
        };
        tiff += u16(8) + tag(256, 4, 1) + tag(257, 4, 1) + tag(258, 3, 8) + tag(262, 3, 1)
            + tag(273, 4, pixel) + tag(277, 3, 1) + tag(278, 4, 1) + tag(279, 4, 1) + u32(next);
        tiff += page == 0 ? QByteArray("\xff\x00\x00\x00", 4) : QByteArray(4, '\0');
    }
    return tiff;
}
