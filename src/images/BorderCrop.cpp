#include "images/BorderCrop.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace BorderCrop
{
namespace
{
    // A line of pixels through the image: n pixels from first, step pixels apart.
    struct Line {
        const QRgb* first = nullptr;
        qsizetype step = 1;
        int n = 0;
        QRgb at(int i) const { return first[i * step]; }
    };

    bool Near(QRgb a, QRgb b)
    {
        return std::abs(qRed(a) - qRed(b)) <= kTolerance
            && std::abs(qGreen(a) - qGreen(b)) <= kTolerance
            && std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
    }

    // The middle value of each channel along the line: the paper's colour even where a few
    // pixels are print or dust.
    QRgb MedianColour(const Line& line)
    {
        std::array<std::array<int, 256>, 3> counts {};
        for (int i = 0; i < line.n; ++i) {
            const QRgb p = line.at(i);
            ++counts[0][qRed(p)];
            ++counts[1][qGreen(p)];
            ++counts[2][qBlue(p)];
        }
        std::array<int, 3> median {};
        for (int c = 0; c < 3; ++c) {
            int seen = 0;
            int v = 0;
            while (v < 255 && (seen += counts[c][v]) * 2 < line.n)
                ++v;
            median[c] = v;
        }
        return qRgb(median[0], median[1], median[2]);
    }

    bool Flat(const Line& line, QRgb colour)
    {
        const int allowed = line.n - int(std::ceil(line.n * kFlatShare));
        int off = 0;
        for (int i = 0; i < line.n; ++i) {
            if (!Near(line.at(i), colour) && ++off > allowed)
                return false;
        }
        return true;
    }

    // How many lines from the edge inwards belong to the band, reading at most limit of
    // them; lineAt(k) is the k-th line from the edge.
    template <typename LineAt> int Band(int limit, const LineAt& lineAt)
    {
        const QRgb colour = MedianColour(lineAt(0));
        int depth = 0;
        while (depth < limit && Flat(lineAt(depth), colour))
            ++depth;
        return depth;
    }
} // namespace

QRectF Content(const QImage& page)
{
    const QRectF whole(0, 0, 1, 1);
    if (page.isNull() || page.width() < 3 || page.height() < 3)
        return whole;
    const QImage pixels
        = page.format() == QImage::Format_RGB32 || page.format() == QImage::Format_ARGB32
        ? page
        : page.convertToFormat(QImage::Format_RGB32);
    const int w = pixels.width();
    const int h = pixels.height();
    const qsizetype stride = pixels.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto* bits = reinterpret_cast<const QRgb*>(pixels.constBits());
    // Along a line every pixel is looked at up to a thousand of them, then every second
    // or third: a page number or a panel's edge still spans many of those, and a large
    // page costs little more than a small one. Every line across the band is read.
    const int acrossRow = std::max(1, w / 1000);
    const int acrossColumn = std::max(1, h / 1000);
    const auto row = [&](int y, int x0, int x1) {
        return Line { bits + y * stride + x0, acrossRow, (x1 - x0 + acrossRow - 1) / acrossRow };
    };
    const auto column = [&](int x, int y0, int y1) {
        return Line { bits + y0 * stride + x, stride * acrossColumn,
            (y1 - y0 + acrossColumn - 1) / acrossColumn };
    };

    // The top band is read to the end, so a page of one colour is known as such.
    const int top = Band(h, [&](int k) { return row(k, 0, w); });
    if (top >= h)
        return whole;
    const int bottom = Band(h - top, [&](int k) { return row(h - 1 - k, 0, w); });
    const int y0 = top;
    const int y1 = h - bottom;
    const int left = Band(w, [&](int k) { return column(k, y0, y1); });
    const int right = Band(w - left, [&](int k) { return column(w - 1 - k, y0, y1); });

    const auto cut = [](int band, int side) {
        if (band < std::max(1.0, side * kThinnestBand))
            return 0.0;
        return std::min(double(band) / side, kLargestCrop);
    };
    const double l = cut(left, w);
    const double r = cut(right, w);
    const double t = cut(top, h);
    const double b = cut(bottom, h);
    return QRectF(l, t, 1 - l - r, 1 - t - b);
}

QRectF WithMargin(const QRectF& content, const QSizeF& page, double margin)
{
    if (page.isEmpty())
        return content;
    const double longer = std::max(page.width(), page.height()) * margin;
    const QRectF widened = content.adjusted(-longer / page.width(), -longer / page.height(),
        longer / page.width(), longer / page.height());
    return widened.intersected(QRectF(0, 0, 1, 1));
}

} // namespace BorderCrop
