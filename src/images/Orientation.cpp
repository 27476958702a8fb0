#include "images/Orientation.h"

#include "images/PageScaler.h"

#include <cstring>

namespace Orientation
{

namespace
{
    constexpr quint16 kOrientationTag = 0x0112;
    constexpr quint16 kShort = 3;

    // Reads numbers of the TIFF header's byte order, never past the end.
    class TiffBytes
    {
    public:
        TiffBytes(const uchar* data, qsizetype size, bool big)
            : m_data(data)
            , m_size(size)
            , m_big(big)
        {
        }
        bool U16(qint64 at, quint16& value) const
        {
            if (at < 0 || at + 2 > m_size)
                return false;
            const uchar* p = m_data + at;
            value = m_big ? quint16(p[0] << 8 | p[1]) : quint16(p[1] << 8 | p[0]);
            return true;
        }
        bool U32(qint64 at, quint32& value) const
        {
            quint16 first = 0;
            quint16 second = 0;
            if (!U16(at, first) || !U16(at + 2, second))
                return false;
            value = m_big ? quint32(first) << 16 | second : quint32(second) << 16 | first;
            return true;
        }

    private:
        const uchar* m_data;
        qsizetype m_size;
        bool m_big;
    };

    QImageIOHandler::Transformations FromTag(quint16 value)
    {
        switch (value) {
        case 2:
            return QImageIOHandler::TransformationMirror;
        case 3:
            return QImageIOHandler::TransformationRotate180;
        case 4:
            return QImageIOHandler::TransformationFlip;
        case 5:
            return QImageIOHandler::TransformationFlipAndRotate90;
        case 6:
            return QImageIOHandler::TransformationRotate90;
        case 7:
            return QImageIOHandler::TransformationMirrorAndRotate90;
        case 8:
            return QImageIOHandler::TransformationRotate270;
        default:
            return QImageIOHandler::TransformationNone;
        }
    }
} // namespace

QImageIOHandler::Transformations FromExif(const uchar* data, qsizetype size)
{
    static const char kExif[6] = { 'E', 'x', 'i', 'f', 0, 0 };
    if (size < 6 + 8 || std::memcmp(data, kExif, 6) != 0)
        return QImageIOHandler::TransformationNone;
    const uchar* tiff = data + 6;
    const qsizetype length = size - 6;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I'))
        return QImageIOHandler::TransformationNone;
    const TiffBytes bytes(tiff, length, big);
    quint16 magic = 0;
    quint32 directory = 0;
    quint16 entries = 0;
    if (!bytes.U16(2, magic) || magic != 42 || !bytes.U32(4, directory) || directory < 8
        || !bytes.U16(directory, entries))
        return QImageIOHandler::TransformationNone;
    for (qint64 i = 0; i < entries; ++i) {
        const qint64 entry = qint64(directory) + 2 + 12 * i;
        quint16 tag = 0;
        quint16 type = 0;
        quint32 count = 0;
        quint16 value = 0;
        if (!bytes.U16(entry, tag) || !bytes.U16(entry + 2, type) || !bytes.U32(entry + 4, count)
            || !bytes.U16(entry + 8, value))
            break;
        if (tag == kOrientationTag)
            return type == kShort && count == 1 ? FromTag(value)
                                                : QImageIOHandler::TransformationNone;
    }
    return QImageIOHandler::TransformationNone;
}

bool Turned(QImageIOHandler::Transformations how)
{
    return how.testFlag(QImageIOHandler::TransformationRotate90);
}

QImage Apply(const QImage& rgb32, QImageIOHandler::Transformations how)
{
    if (how == QImageIOHandler::TransformationNone)
        return rgb32;
    const int w = rgb32.width();
    const int h = rgb32.height();
    const bool mirror = how.testFlag(QImageIOHandler::TransformationMirror);
    const bool flip = how.testFlag(QImageIOHandler::TransformationFlip);
    const bool turned = Turned(how);
    QImage out = PageScaler::NewImage(turned ? QSize(h, w) : QSize(w, h));
    if (out.isNull())
        return {};
    // The source pixel of each destination pixel: turned a quarter clockwise, the
    // destination's (x, y) is the mirrored picture's (y, h - 1 - x).
    for (int y = 0; y < out.height(); ++y) {
        quint32* line = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            int u = turned ? y : x;
            int v = turned ? h - 1 - x : y;
            u = mirror ? w - 1 - u : u;
            v = flip ? h - 1 - v : v;
            line[x] = reinterpret_cast<const quint32*>(rgb32.constScanLine(v))[u];
        }
    }
    return out;
}

} // namespace Orientation
