#pragma once

#include <QFont>
#include <QRect>

// Dialog units of a font, as dialog layouts are measured: a quarter of the mean width
// of the Latin letters across, an eighth of the line height down.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int X(int du) const { return du * m_baseX / 4; }
    int Y(int du) const { return du * m_baseY / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }

    // The large bold type of the program's own dialogs.
    static QFont DialogFont();

private:
    int m_baseX;
    int m_baseY;
};
