#pragma once

#include <QRect>

class QImage;

// Pages for a dark room: each pixel's lightness turned over with its hue and
// saturation kept, so white paper goes near black, black print near white and a red
// stays red. The ends are held off pure black and white, which glare in the dark.
namespace NightColours
{

constexpr int kDarkest = 20;
constexpr int kLightest = 225;

// Turns the pixels of image within area (the whole image when empty) over, in place.
void Apply(QImage& image, const QRect& area = {});

} // namespace NightColours
