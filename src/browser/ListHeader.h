#pragma once

class QColor;
class QFont;
class QPainter;
class QString;

// The two lines above the list of a list screen: the screen's name, and below it where
// the list is, both in the screen's colour, in the type of a size index 0..4. fonts are
// the six of ListGeometry.
void DrawListHeader(QPainter& painter, const QFont* fonts, int sizeIndex, int width,
    const QColor& colour, const QString& label, const QString& line2);
