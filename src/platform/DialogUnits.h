#pragma once

#include <QFont>
#include <QRect>

#include <functional>

class QWidget;

// Dialog units of a font, as dialog layouts are measured: a quarter of the mean width
// of the Latin letters across, an eighth of the line height down.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int X(int du) const { return du * m_baseX / 4; }
    int Y(int du) const { return du * m_baseY / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }

    // The large bold type of the program's own dialogs: the size the lists read in,
    // which the window sets as it changes, so that a dialog reads from the same distance.
    static QFont DialogFont();
    static void SetTypeSize(int pixels);
    // The dialog type, or a smaller one until a dialog of units (in dialog units) fits
    // the free area of the screen near lies on, its frame included.
    static QFont FittingFont(const QSize& units, const QWidget* near);
    // The same within a free area of the given size.
    static QFont FittingFont(const QSize& units, const QSize& free);
    // The dialog type, or a smaller one until the dialog's own size fits that area.
    static void FitFont(QWidget& dialog);

private:
    // The largest type size, up to the dialogs' own, that fits; fits and needed are asked
    // of a size in pixels.
    static int FittingSize(const std::function<bool(int)>& fits,
        const std::function<QSize(int)>& needed, const QSize& free);

    static int s_typeSize;
    int m_baseX;
    int m_baseY;
};
