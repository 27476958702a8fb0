#pragma once

#include <QColor>

// The colours of one list row when it is not selected.
struct CMyLParam {
    QColor m_crBk { 255, 255, 255 };
    QColor m_crText { 0, 0, 0 };
};
