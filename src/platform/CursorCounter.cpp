#include "platform/CursorCounter.h"

#include <QCursor>
#include <QGuiApplication>

int CursorCounter::s_nCount = 0;

int CursorCounter::ShowCursor(bool show)
{
    const bool wasShown = s_nCount >= 0;
    s_nCount += show ? 1 : -1;
    const bool isShown = s_nCount >= 0;
    if (wasShown && !isShown)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else if (!wasShown && isShown)
        QGuiApplication::restoreOverrideCursor();
    return s_nCount;
}

int CursorCounter::ShowCursorNow()
{
    int count = ShowCursor(false);
    while (count < 1)
        count = ShowCursor(true);
    return count;
}

int CursorCounter::HideCursorNow()
{
    int count = ShowCursor(true);
    while (count > -2)
        count = ShowCursor(false);
    return count;
}
