#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

class QFont;
class QPainter;
class QString;

// How a cell of a grid of pictures is drawn, the same for pages and for covers.
namespace GridCells
{

inline const QColor kWaiting(96, 96, 96);
inline const QColor kFrame(255, 200, 40);

// The picture fitted into box and centred, sharp on a screen of any pixel ratio. Until it
// comes, a grey box with the item's number or name in it.
void DrawPicture(QPainter& painter, const QRect& box, const QImage& picture);
void DrawWaiting(QPainter& painter, const QRect& box, const QString& text, const QFont& font);
// The frame of the item chosen, drawn around box.
void DrawFrame(QPainter& painter, const QRect& box, int typeHeight);
// The size class pictures are made at for a side in device pixels: a few sizes, so that a
// window resized a little keeps what is made and kept on the disk.
int SideClass(int devicePixels);

} // namespace GridCells
