#pragma once

#include <QList>
#include <QPixmap>

// A row of equal square icons cut from one image; pixels of the mask colour
// RGB(100,100,100) become transparent.
class IconStrip
{
public:
    IconStrip() = default;
    // Loads a strip whose icons are `size` pixels square. False when the image is missing.
    bool Load(const QString& fileName, int size);

    int size() const { return m_nSize; }
    int count() const { return int(m_icons.size()); }
    const QPixmap& icon(int index) const;

private:
    int m_nSize = 0;
    QList<QPixmap> m_icons;
};
