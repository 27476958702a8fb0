#pragma once

#include <QImage>
#include <QImageIOHandler>

// How a photograph is turned upright: the orientation tag its camera wrote into the
// Exif segment, and the pixels turned by it. The same transformations as Qt's readers
// report, applied as they apply them: mirrored or flipped first, then turned a quarter
// clockwise.
namespace Orientation
{
// The transformation asked for by the bytes of an APP1 segment after its length
// ("Exif", two zero bytes, then a TIFF header and its first directory). None when they
// hold no valid orientation tag, however damaged they are.
QImageIOHandler::Transformations FromExif(const uchar* data, qsizetype size);
// Whether the width and height trade places.
bool Turned(QImageIOHandler::Transformations how);
// The RGB32 picture transformed; a null image when there is no memory for it.
QImage Apply(const QImage& rgb32, QImageIOHandler::Transformations how);
} // namespace Orientation
