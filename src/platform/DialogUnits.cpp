#include "platform/DialogUnits.h"

#include "platform/UiFont.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QFont DialogUnits::DialogFont()
{
    QFont font;
    font.setFamilies(UiFontFamilies());
    font.setPixelSize(20);
    font.setBold(true);
    return font;
}
