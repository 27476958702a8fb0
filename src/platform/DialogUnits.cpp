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
    const auto fits = [&](int pixels) {
        const DialogUnits du(DialogFontOf(pixels));
        return du.X(units.width()) <= free.width() && du.Y(units.height()) <= free.height();
    };
    const auto needed = [&](int pixels) {
        const DialogUnits du(DialogFontOf(pixels));
        return QSize(du.X(units.width()), du.Y(units.height()));
    };
    return DialogFontOf(FittingSize(fits, needed, free));
}

void DialogUnits::FitFont(QWidget& dialog)
{
    const QSize free = FreeArea(dialog.parentWidget());
    const auto needed = [&dialog](int pixels) {
        dialog.setFont(DialogFontOf(pixels));
        return dialog.sizeHint();
    };
    const auto fits = [&](int pixels) {
        const QSize size = needed(pixels);
        return size.width() <= free.width() && size.height() <= free.height();
    };
    dialog.setFont(DialogFontOf(FittingSize(fits, needed, free)));
}

int DialogUnits::FittingSize(const std::function<bool(int)>& fits,
    const std::function<QSize(int)>& needed, const QSize& free)
{
    // A dialog grows with its type about in proportion: the size that fits is guessed
    // from the size the type would need, then stepped down. Each size tried loads the
    // font at that size, which is not free on a busy disk.
    int pixels = s_typeSize;
    const QSize full = needed(pixels);
    if (full.width() > free.width() || full.height() > free.height()) {
        const qreal scale = std::min(qreal(free.width()) / std::max(full.width(), 1),
            qreal(free.height()) / std::max(full.height(), 1));
        pixels = std::max(int(pixels * scale), kSmallestType);
    }
    while (pixels > kSmallestType && !fits(pixels))
        --pixels;
    return pixels;
}
