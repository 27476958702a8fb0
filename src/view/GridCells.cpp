#include "view/GridCells.h"

#include <QFont>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace GridCells
{

void DrawPicture(QPainter& painter, const QRect& box, const QImage& picture)
{
    const QSizeF own = picture.size();
    const QSizeF shown = own.scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(box.left() + (box.width() - shown.width()) / 2,
        box.top() + (box.height() - shown.height()) / 2, shown.width(), shown.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    painter.restore();
}

void DrawWaiting(QPainter& painter, const QRect& box, const QString& text, const QFont& font)
{
    const int width = std::min(box.width(), box.height() * 3 / 4);
    const QRect grey(box.left() + (box.width() - width) / 2, box.top(), width, box.height());
    painter.fillRect(grey, kWaiting);
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(grey, Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.restore();
}

void DrawFrame(QPainter& painter, const QRect& box, int typeHeight)
{
    const int pen = std::max(typeHeight / 8, 3);
    painter.save();
    painter.setPen(QPen(kFrame, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(-pen / 2 - 1, -pen / 2 - 1, pen / 2 + 1, pen / 2 + 1));
    painter.restore();
}

int SideClass(int devicePixels)
{
    constexpr int kClasses[] = { 128, 192, 256, 384, 512, 768 };
    for (const int side : kClasses) {
        if (devicePixels <= side)
            return side;
    }
    return kClasses[std::size(kClasses) - 1];
}

} // namespace GridCells
