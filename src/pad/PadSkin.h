#pragma once

#include <QImage>
#include <QSize>

class QPainter;

// The pad's face: 3 x 7 buttons on black, drawn as vectors so that they stay sharp at
// every size and pixel ratio.
namespace PadSkin
{

// The skin at size (logical pixels) for a screen of that pixel ratio; a null image
// when it cannot be made.
QImage Render(const QSize& size, qreal devicePixelRatio);
// Draws the skin in its own coordinates, 384 x 896.
void Paint(QPainter& painter);

} // namespace PadSkin
