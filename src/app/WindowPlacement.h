#pragma once

#include <QRect>
#include <QString>

#include <optional>

// The normal window's placement as it is stored in "WindowPos": flags, show command,
// minimised x and y, maximised x and y, normal left, top, right, bottom.
struct WindowPlacement {
    static constexpr int WPF_RESTORETOMAXIMIZED = 2;
    static constexpr int SW_SHOWNORMAL = 1;
    static constexpr int SW_SHOWMINIMIZED = 2;
    static constexpr int SW_SHOWMAXIMIZED = 3;
    static constexpr int SW_MINIMIZE = 6;
    static constexpr int SW_RESTORE = 9;

    int flags = 0;
    int showCmd = SW_SHOWNORMAL;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const WindowPlacement&) const = default;

    // Exactly the placement the window is in now, before any correction.
    static WindowPlacement Fetch(const QRect& normalRect, bool minimized, bool maximized);
    // Used only when at least ten numbers parse, as the stored format requires.
    static std::optional<WindowPlacement> Parse(const QString& text);
    QString Format() const;

    // The corrections made before a placement is kept: a maximised window is
    // remembered as such, and a minimised one is never restored minimised.
    void PrepareForSave(bool maximized);

    QRect NormalRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    // A stored rectangle brought within reach of the desktop: at most twice its size,
    // and overlapping its bounds, so that a damaged value cannot ask for a huge window.
    static QRect WithinDesktop(const QRect& rect, const QRect& desktop);
    bool OpensMaximized() const { return showCmd == SW_SHOWMAXIMIZED; }
};
