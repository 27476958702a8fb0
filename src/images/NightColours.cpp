#include "images/NightColours.h"

#include <QImage>

#include <algorithm>
#include <array>

namespace NightColours
{
namespace
{
    // Channel values from 0..255 onto kDarkest..kLightest.
    const std::array<uchar, 256>& Range()
    {
        static const std::array<uchar, 256> table = [] {
            std::array<uchar, 256> t {};
            for (int v = 0; v < 256; ++v)
                t[v] = uchar(kDarkest + (v * (kLightest - kDarkest) + 127) / 255);
            return t;
        }();
        return table;
    }
} // namespace

void Apply(QImage& image, const QRect& area)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);
    const QRect within = (area.isEmpty() ? image.rect() : area).intersected(image.rect());
    const auto& range = Range();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            const QRgb p = line[x];
            const int r = qRed(p);
            const int g = qGreen(p);
            const int b = qBlue(p);
            // Lightness is (max + min) / 2; adding 255 - max - min to every channel turns
            // it over and leaves the channels' differences, and so the hue, as they were.
            const int shift = 255 - std::max({ r, g, b }) - std::min({ r, g, b });
            line[x] = qRgba(range[r + shift], range[g + shift], range[b + shift], qAlpha(p));
        }
    }
}

} // namespace NightColours
