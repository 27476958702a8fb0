#pragma once

// The mouse cursor's display counter: the cursor shows while the count is 0 or more
// and is blank below 0.
class CursorCounter
{
public:
    // Raises (show) or lowers (hide) the count by one; returns the new count.
    static int ShowCursor(bool show);
    // Leaves the cursor shown with a count of at least 1, however often it was hidden.
    static int ShowCursorNow();
    // Leaves the cursor hidden with a count of at most -2, however often it was shown.
    static int HideCursorNow();

private:
    static int s_nCount;
};
