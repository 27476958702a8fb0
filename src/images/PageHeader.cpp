#include "images/PageHeader.h"

#include "images/AvifDecoder.h"
#include "images/JpegXlDecoder.h"
#include "images/Orientation.h"
#include "images/PageImage.h"

#include <QIODevice>
#include <QtEndian>

#include <climits>
#include <string_view>

namespace PageHeader
{

namespace
{
    // Markers a hostile file may repeat without end; a real header has a few dozen.
    constexpr int kMaxSegments = 4096;

    bool ReadExactly(QIODevice& file, char* data, qint64 size)
    {
        return file.read(data, size) == size;
    }

    Facts PngFacts(QIODevice& file)
    {
        uchar head[29];
        if (!ReadExactly(file, reinterpret_cast<char*>(head), sizeof head)
            || std::string_view(reinterpret_cast<const char*>(head + 12), 4) != "IHDR")
            return {};
        const quint32 w = qFromBigEndian<quint32>(head + 16);
        const quint32 h = qFromBigEndian<quint32>(head + 20);
        if (w == 0 || h == 0 || w > INT_MAX || h > INT_MAX)
            return {};
        return { QSize(int(w), int(h)), head[28] != 0 };
    }

    Facts JpegFacts(QIODevice& file)
    {
        QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;
        bool exifSeen = false;
        if (!file.seek(2))
            return {};
        for (int segment = 0; segment < kMaxSegments; ++segment) {
            uchar marker[4];
            if (!ReadExactly(file, reinterpret_cast<char*>(marker), 2) || marker[0] != 0xff)
                return {};
            // Fill bytes before a marker.
            while (marker[1] == 0xff) {
                if (!ReadExactly(file, reinterpret_cast<char*>(marker + 1), 1))
                    return {};
            }
            const uchar code = marker[1];
            if (code == 0xd8 || code == 0x01 || (code >= 0xd0 && code <= 0xd7))
                continue;
            if (code == 0xd9 || code == 0xda)
                return {}; // the picture starts, or ends, without a frame header
            if (!ReadExactly(file, reinterpret_cast<char*>(marker + 2), 2))
                return {};
            const int length = qFromBigEndian<quint16>(marker + 2) - 2;
            if (length < 0)
                return {};
            const bool frame
                = code >= 0xc0 && code <= 0xcf && code != 0xc4 && code != 0xc8 && code != 0xcc;
            if (frame) {
                uchar sof[5];
                if (length < 5 || !ReadExactly(file, reinterpret_cast<char*>(sof), 5))
                    return {};
                const int h = qFromBigEndian<quint16>(sof + 1);
                const int w = qFromBigEndian<quint16>(sof + 3);
                if (w == 0 || h == 0)
                    return {};
                const bool progressive
                    = code == 0xc2 || code == 0xc6 || code == 0xca || code == 0xce;
                return { Orientation::Turned(turn) ? QSize(h, w) : QSize(w, h), progressive };
            }
            const qint64 next = file.pos() + length;
            if (code == 0xe1 && !exifSeen && length >= 6) {
                const QByteArray app1 = file.read(length);
                if (app1.size() != length)
                    return {};
                exifSeen = app1.startsWith(QByteArrayLiteral("Exif"));
                if (exifSeen)
                    turn = Orientation::FromExif(
                        reinterpret_cast<const uchar*>(app1.constData()), app1.size());
            }
            if (!file.seek(next))
                return {};
        }
        return {};
    }
} // namespace

std::optional<Facts> Read(QIODevice& file)
{
    if (!file.seek(0))
        return Facts();
    const QByteArray head = file.peek(PageImage::kHeadBytes);
    if (head.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n")))
        return PngFacts(file);
    if (head.startsWith(QByteArrayLiteral("\xff\xd8\xff")))
        return JpegFacts(file);
    if (AvifDecoder::Recognizes(head))
        return Facts { AvifDecoder::UprightSize(file), true };
    if (JpegXlDecoder::Recognizes(head))
        return Facts { JpegXlDecoder::UprightSize(file), true };
    return std::nullopt;
}

std::optional<QSize> UprightSize(QIODevice& file)
{
    const std::optional<Facts> facts = Read(file);
    return facts ? std::optional<QSize>(facts->size) : std::nullopt;
}

} // namespace PageHeader
