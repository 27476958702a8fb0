#pragma once

#include <QStringList>

// The Japanese faces the interface is drawn in, best first.
inline QStringList UiFontFamilies()
{
    return { QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
        QStringLiteral("sans-serif") };
}
