#pragma once

#include <QRectF>

class QImage;

// The flat bands along a page's edges that scanners and paper leave: white, black or
// any one colour (cream paper, grey), told apart from the page's content on its
// decoded pixels. A line along an edge belongs to the band while almost all of its
// pixels lie near the colour of that edge's outermost line, so scanner noise, dust and
// a few pixels of a page number do not end it. A band thinner than a line or two of
// print (a frame drawn at the very edge, a scanner's lid) is left alone, no side loses
// more than a third, and a page of one colour keeps the whole.
namespace BorderCrop
{

// How far a pixel's channels may stray from the band's colour: JPEG artefacts and
// yellowed paper stay within it, the grey of anti-aliased print does not.
constexpr int kTolerance = 40;
// The share of a line's pixels that must lie near the colour.
constexpr double kFlatShare = 0.995;
constexpr double kLargestCrop = 1.0 / 3;
// Bands thinner than this share of the side are lines, not borders.
constexpr double kThinnestBand = 0.005;

// What is left of the page once its bands are cut, in fractions of its width and
// height: (0, 0, 1, 1) for a page with none.
QRectF Content(const QImage& page);

// The content widened by margin (a fraction of the page's longer side, so the margin
// is as wide on every side), within the page.
QRectF WithMargin(const QRectF& content, const QSizeF& page, double margin);

} // namespace BorderCrop
