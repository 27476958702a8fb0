#include "images/NightColours.h"

#include <QImage>

#include <algorithm>

namespace NightColours
{
namespace
{
    // A channel value 0..255 onto kDarkest..kLightest: times (kLightest - kDarkest) / 255 in
    // fixed point, so that the loop has no table to look into and can run on vectors.
    constexpr uint kScale = (kLightest - kDarkest) * 257;

    inline uint Ranged(uint v)
    {
        return kDarkest + ((v * kScale + 32768) >> 16);
    }
} // namespace

void Apply(QImage& image, const QRect& area)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);
    const QRect within = (area.isEmpty() ? image.rect() : area).intersected(image.rect());
    for (int y = within.top(); y <= within.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            const QRgb p = line[x];
            const uint r = (p >> 16) & 0xff;
            const uint g = (p >> 8) & 0xff;
            const uint b = p & 0xff;
            // Lightness is (max + min) / 2; adding 255 - max - min to every channel turns
            // it over and leaves the channels' differences, and so the hue, as they were.
            const uint shift = 255 - std::max(r, std::max(g, b)) - std::min(r, std::min(g, b));
            line[x] = (p & 0xff000000) | Ranged(r + shift) << 16 | Ranged(g + shift) << 8
                | Ranged(b + shift);
        }
    }
}

} // namespace NightColours
