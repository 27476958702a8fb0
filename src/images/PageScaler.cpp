#include "images/PageScaler.h"

#include "images/PageMemory.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace
{
// Down, bytes times weights adding up to 1 << 14 leave 8.8 fixed point; across, 8.8
// fixed point (at most 65,280) times weights adding up to 1 << 12 stays within 32 bits.
constexpr int kDownBits = 14;
constexpr int kAcrossBits = 12;
// Where a pixel's channels lie among its four bytes in memory.
constexpr bool kLittle = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
constexpr int kChannel[3] = { kLittle ? 2 : 1, 1 + !kLittle, kLittle ? 0 : 3 };
// Pictures from this size on get pages of their own from the system.
constexpr size_t kMappedFrom = size_t(256) << 10;

struct Mapping {
    void* pixels;
    size_t bytes;
};

quint32 Pixel(quint32 r, quint32 g, quint32 b)
{
    return 0xff000000u | (r << 16) | (g << 8) | b;
}
} // namespace

PageScaler::Taps PageScaler::MakeTaps(int from, int to, int bits)
{
    const int total = 1 << bits;
    std::vector<int> firsts(to);
    std::vector<std::vector<quint16>> weights(to);
    std::vector<double> share;
    int most = 1;
    for (int i = 0; i < to; ++i) {
        int first = 0;
        share.clear();
        if (to <= from) {
            // The source interval destination pixel i covers, in source pixels.
            const double lo = double(i) * from / to;
            const double hi = double(i + 1) * from / to;
            first = std::min(from - 1, int(std::floor(lo)));
            const int end = std::clamp(int(std::ceil(hi)), first + 1, from);
            for (int j = first; j < end; ++j)
                share.push_back(std::max(0.0, std::min(hi, j + 1.0) - std::max(lo, double(j))));
        } else {
            // The source position of the destination pixel's centre, between two pixels.
            const double at = (i + 0.5) * from / to - 0.5;
            first = std::clamp(int(std::floor(at)), 0, from - 1);
            const double part = std::clamp(at - first, 0.0, 1.0);
            share = { 1.0 - part };
            if (first + 1 < from)
                share.push_back(part);
        }
        double sum = 0;
        for (const double s : share)
            sum += s;
        // Rounding the running sum keeps the weights adding up to exactly 1 << bits.
        std::vector<quint16>& w = weights[i];
        double running = 0;
        int given = 0;
        for (size_t k = 0; k < share.size(); ++k) {
            running += share[k] / sum;
            const int upTo = k + 1 == share.size() ? total : int(std::lround(running * total));
            w.push_back(quint16(std::clamp(upTo - given, 0, total - given)));
            given += w.back();
        }
        // Pixels that count for nothing at either end are not read at all.
        while (w.size() > 1 && w.back() == 0)
            w.pop_back();
        while (w.size() > 1 && w.front() == 0) {
            w.erase(w.begin());
            ++first;
        }
        firsts[i] = first;
        most = std::max(most, int(w.size()));
    }
    Taps taps;
    taps.count = most;
    taps.first.resize(to);
    taps.weight.assign(size_t(to) * most, 0);
    for (int i = 0; i < to; ++i) {
        // Padding goes before the pixels where there is no room after them.
        const int first = std::min(firsts[i], from - most);
        taps.first[i] = first;
        std::copy(weights[i].begin(), weights[i].end(),
            taps.weight.begin() + qsizetype(i) * most + (firsts[i] - first));
    }
    return taps;
}

PageScaler::PageScaler(const QSize& from, const QSize& to, uchar* dest, qsizetype stride)
    : m_from(from)
    , m_to(to)
    , m_dest(dest)
    , m_stride(stride)
    , m_across(MakeTaps(from.width(), to.width(), kAcrossBits))
    , m_down(MakeTaps(from.height(), to.height(), kDownBits))
    , m_ring(size_t(m_down.count) * from.width())
    , m_column(size_t(4) * from.width())
{
}

quint32* PageScaler::Row()
{
    return m_ring.data() + size_t(m_rowsIn % m_down.count) * m_from.width();
}

void PageScaler::Push()
{
    if (m_rowsIn >= m_from.height())
        return;
    ++m_rowsIn;
    while (m_rowsOut < m_to.height() && m_down.first[m_rowsOut] + m_down.count <= m_rowsIn)
        EmitRow(m_rowsOut++);
}

void PageScaler::Push(const quint32* row)
{
    if (m_rowsIn >= m_from.height())
        return;
    std::copy(row, row + m_from.width(), Row());
    Push();
}

void PageScaler::EmitRow(int y)
{
    switch (m_down.count) {
    case 1:
        Down<1>(y);
        break;
    case 2:
        Down<2>(y);
        break;
    case 3:
        Down<3>(y);
        break;
    case 4:
        Down<4>(y);
        break;
    default:
        Down<0>(y);
        break;
    }
    quint32* out = reinterpret_cast<quint32*>(m_dest + m_stride * y);
    switch (m_across.count) {
    case 1:
        return Across<1>(out);
    case 2:
        return Across<2>(out);
    case 3:
        return Across<3>(out);
    case 4:
        return Across<4>(out);
    default:
        return Across<0>(out);
    }
}

// The source rows of destination row y, weighed and added, byte by byte, into the
// column row (8.8 fixed point).
template <int kCount> void PageScaler::Down(int y)
{
    const int count = kCount > 0 ? kCount : m_down.count;
    const size_t size = size_t(4) * m_from.width();
    const quint16* weight = m_down.weight.data() + qsizetype(y) * count;
    const uchar* in[kCount > 0 ? kCount : 1];
    quint16* column = m_column.data();
    const auto ringRow = [&](int k) {
        return reinterpret_cast<const uchar*>(
            m_ring.data() + size_t((m_down.first[y] + k) % count) * m_from.width());
    };
    if constexpr (kCount == 1) {
        in[0] = ringRow(0);
        for (size_t i = 0; i < size; ++i)
            column[i] = quint16(in[0][i] << 8);
    } else if constexpr (kCount > 1) {
        for (int k = 0; k < kCount; ++k)
            in[k] = ringRow(k);
        for (size_t i = 0; i < size; ++i) {
            quint32 sum = 0;
            for (int k = 0; k < kCount; ++k)
                sum += quint32(in[k][i]) * weight[k];
            column[i] = quint16((sum + (1u << (kDownBits - 9))) >> (kDownBits - 8));
        }
    } else {
        std::vector<quint32> sums(size, 0);
        for (int k = 0; k < count; ++k) {
            const uchar* row = ringRow(k);
            const quint32 w = weight[k];
            for (size_t i = 0; i < size; ++i)
                sums[i] += row[i] * w;
        }
        for (size_t i = 0; i < size; ++i)
            column[i] = quint16((sums[i] + (1u << (kDownBits - 9))) >> (kDownBits - 8));
    }
}

// The column row weighed across into the destination row.
template <int kCount> void PageScaler::Across(quint32* out) const
{
    const int width = m_to.width();
    const int count = kCount > 0 ? kCount : m_across.count;
    const int* first = m_across.first.data();
    const quint16* weight = m_across.weight.data();
    const quint16* column = m_column.data();
    constexpr int kShift = 8 + kAcrossBits;
    constexpr quint32 kHalf = 1u << (kShift - 1);
    for (int x = 0; x < width; ++x) {
        const quint16* in = column + size_t(4) * first[x];
        const quint16* w = weight + qsizetype(x) * count;
        quint32 sum[3] = {};
        for (int k = 0; k < count; ++k) {
            for (int c = 0; c < 3; ++c)
                sum[c] += quint32(in[4 * k + kChannel[c]]) * w[k];
        }
        out[x] = Pixel(
            (sum[0] + kHalf) >> kShift, (sum[1] + kHalf) >> kShift, (sum[2] + kHalf) >> kShift);
    }
}

QImage PageScaler::Scaled(const QImage& rgb32, const QSize& to)
{
    QImage out = NewImage(to);
    if (out.isNull() || rgb32.isNull())
        return {};
    PageScaler scaler(rgb32.size(), to, out.bits(), out.bytesPerLine());
    for (int y = 0; y < rgb32.height(); ++y)
        scaler.Push(reinterpret_cast<const quint32*>(rgb32.constScanLine(y)));
    return out;
}

QImage PageScaler::Opaque(const QImage& image)
{
    if (image.isNull() || image.format() == QImage::Format_RGB32)
        return image;
    QImage out = NewImage(image.size());
    if (out.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y) {
        // One row at a time: Qt spreads the conversion of a whole picture over its pool.
        QImage row(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), image.format());
        row.setColorTable(image.colorTable());
        const QImage premultiplied = row.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (premultiplied.isNull())
            return {};
        const auto* from = reinterpret_cast<const quint32*>(premultiplied.constBits());
        auto* to = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 p = from[x];
            const quint32 clear = 255 - qAlpha(p);
            to[x] = qRgb(int(qRed(p) + clear), int(qGreen(p) + clear), int(qBlue(p) + clear));
        }
    }
    return out;
}

QImage PageScaler::NewImage(const QSize& size)
{
    if (size.isEmpty())
        return {};
    const qsizetype stride = qsizetype(size.width()) * 4;
    const size_t bytes = size_t(stride) * size_t(size.height());
    if (bytes < kMappedFrom) {
        void* pixels = std::malloc(bytes);
        if (!pixels)
            return {};
        return QImage(
            static_cast<uchar*>(pixels), size.width(), size.height(), stride, QImage::Format_RGB32,
            [](void* p) { std::free(p); }, pixels);
    }
    // A page's pixels come from PageMemory (see there why).
    auto* mapping = new (std::nothrow) Mapping { PageMemory::Map(bytes), bytes };
    if (mapping && !mapping->pixels) {
        delete mapping;
        mapping = nullptr;
    }
    if (!mapping)
        return {};
    return QImage(
        static_cast<uchar*>(mapping->pixels), size.width(), size.height(), stride,
        QImage::Format_RGB32,
        [](void* info) {
            auto* done = static_cast<Mapping*>(info);
            PageMemory::Unmap(done->pixels, done->bytes);
            delete done;
        },
        mapping);
}
