#include "browser/IconStrip.h"

#include <QImage>

bool IconStrip::Load(const QString& fileName, int size)
{
    m_icons.clear();
    m_nSize = size;
    QImage strip(fileName);
    if (strip.isNull() || size <= 0)
        return false;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(100, 100, 100);
    for (int y = 0; y < strip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            if ((line[x] | 0xFF000000u) == mask)
                line[x] = 0;
        }
    }
    for (int x = 0; x + size <= strip.width(); x += size)
        m_icons.append(QPixmap::fromImage(strip.copy(x, 0, size, size)));
    return true;
}

const QPixmap& IconStrip::icon(int index) const
{
    static const QPixmap none;
    return index >= 0 && index < m_icons.size() ? m_icons[index] : none;
}
