#include "browser/ListHeader.h"

#include "browser/ListGeometry.h"

#include <QPainter>

void DrawListHeader(QPainter& painter, const QFont* fonts, int sizeIndex, int width,
    const QColor& colour, const QString& label, const QString& line2)
{
    const SizeGeometry g = ListGeometry::ForIndex(sizeIndex);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(colour);
    painter.setFont(fonts[g.line1Font]);
    painter.drawText(QRect(6, 0, width - 6, g.line1Height), flags, label);
    painter.setFont(fonts[g.line2Font]);
    painter.drawText(QRect(6, g.line1Height, width - 6, g.line2Height), flags, line2);
}
