#include "app/WindowPlacement.h"

#include "platform/ScanNumbers.h"

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
    int v[10];
    for (int i = 0; i < 10; ++i)
        v[i] = ToIntField(scan.values[i]);
    return WindowPlacement { v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9] };
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
