#pragma once

#include <QColor>

// The colours of the rows of both list screens, and of the list behind them.
inline const QColor kListRowText(128, 220, 242);
inline const QColor kListBackground(0, 32, 64);
