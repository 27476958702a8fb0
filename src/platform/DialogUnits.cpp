#include "platform/DialogUnits.h"

#include "platform/UiFont.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace
{
constexpr int kSmallestType = 12;
// Room for the window manager's title bar and borders around a dialog.
constexpr int kFrameAllowance = 48;

QFont DialogFontOf(int pixels)
{
    QFont font;
    font.setFamilies(UiFontFamilies());
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

QSize FreeArea(const QWidget* near)
{
    const QScreen* screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return { INT_MAX, INT_MAX };
    const QSize free = screen->availableGeometry().size();
    return { free.width() - kFrameAllowance / 2, free.height() - kFrameAllowance };
}
} // namespace

int DialogUnits::s_typeSize = 20;

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QFont DialogUnits::DialogFont()
{
    return DialogFontOf(s_typeSize);
}

void DialogUnits::SetTypeSize(int pixels)
{
    s_typeSize = std::max(pixels, kSmallestType);
}

QFont DialogUnits::FittingFont(const QSize& units, const QWidget* near)
{
    return FittingFont(units, FreeArea(near));
}

QFont DialogUnits::FittingFont(const QSize& units, const QSize& free)
{
    // Down a pixel at a time: each size lays the dialog out a little smaller.
    for (int pixels = s_typeSize; pixels > kSmallestType; --pixels) {
        const QFont font = DialogFontOf(pixels);
        const DialogUnits du(font);
        if (du.X(units.width()) <= free.width() && du.Y(units.height()) <= free.height())
            return font;
    }
    return DialogFontOf(kSmallestType);
}

void DialogUnits::FitFont(QWidget& dialog)
{
    const QSize free = FreeArea(dialog.parentWidget());
    for (int pixels = s_typeSize; pixels >= kSmallestType; --pixels) {
        dialog.setFont(DialogFontOf(pixels));
        const QSize needed = dialog.sizeHint();
        if (needed.width() <= free.width() && needed.height() <= free.height())
            return;
    }
}
