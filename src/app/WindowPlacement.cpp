#include "app/WindowPlacement.h"

#include "platform/ScanNumbers.h"

#include <algorithm>

WindowPlacement WindowPlacement::Fetch(const QRect& normalRect, bool minimized, bool maximized)
{
    WindowPlacement wp;
    if (minimized) {
        wp.showCmd = SW_SHOWMINIMIZED;
        wp.flags = maximized ? WPF_RESTORETOMAXIMIZED : 0;
    } else if (maximized) {
        wp.showCmd = SW_SHOWMAXIMIZED;
    }
    wp.left = normalRect.left();
    wp.top = normalRect.top();
    wp.right = normalRect.left() + normalRect.width();
    wp.bottom = normalRect.top() + normalRect.height();
    return wp;
}

std::optional<WindowPlacement> WindowPlacement::Parse(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const NumberScan scan = NumberScan::Read(text, QLatin1Char(':'), 10);
    if (scan.values.size() != 10)
        return std::nullopt;
    // No screen is this large; the bound keeps the rectangle's arithmetic from overflowing.
    constexpr int kLimit = 1 << 24;
    int v[10];
    for (int i = 0; i < 10; ++i)
        v[i] = std::clamp(ToIntField(scan.values[i]), -kLimit, kLimit);
    return WindowPlacement { v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9] };
}

QRect WindowPlacement::WithinDesktop(const QRect& rect, const QRect& desktop)
{
    const int w = std::clamp(rect.width(), 1, std::max(2 * desktop.width(), 1));
    const int h = std::clamp(rect.height(), 1, std::max(2 * desktop.height(), 1));
    const int x
        = std::clamp(rect.x(), desktop.left() - w + 1, desktop.left() + desktop.width() - 1);
    const int y = std::clamp(rect.y(), desktop.top() - h + 1, desktop.top() + desktop.height() - 1);
    return QRect(x, y, w, h);
}

QString WindowPlacement::Format() const
{
    return QStringLiteral("%1:%2:%3:%4:%5:%6:%7:%8:%9:%10")
        .arg(flags)
        .arg(showCmd)
        .arg(minX)
        .arg(minY)
        .arg(maxX)
        .arg(maxY)
        .arg(left)
        .arg(top)
        .arg(right)
        .arg(bottom);
}

void WindowPlacement::PrepareForSave(bool maximized)
{
    if (maximized) {
        flags |= WPF_RESTORETOMAXIMIZED;
    } else if (showCmd == SW_MINIMIZE || showCmd == SW_SHOWMINIMIZED) {
        showCmd = flags == WPF_RESTORETOMAXIMIZED ? SW_SHOWMAXIMIZED : SW_RESTORE;
    }
}
