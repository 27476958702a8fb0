#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>

// A band of a page shown at a width, in device pixels: the rows from band * height down,
// as far as the page goes.
struct StripTile {
    int page = 0;
    // The whole page at the size it is shown at.
    QSize pageSize;
    int band = 0;
    int height = 1024;
    QRect Rect() const
    {
        const int top = band * height;
        return QRect(0, top, pageSize.width(), std::min(height, pageSize.height() - top));
    }
    bool operator==(const StripTile&) const = default;
};

// Where the bands of a strip of pages come from: pages decoded or rendered off the
// window's thread, and cut into bands at the size they are shown, so that painting a band
// is a copy.
class StripTiles
{
public:
    virtual ~StripTiles() = default;
    // The height of the bands, in device pixels.
    virtual int BandHeight() const = 0;
    // The bands wanted, in order; the first inSight are on the screen. Each call replaces
    // the one before; bands not wanted any more may go.
    virtual void Want(const QList<StripTile>& tiles, int inSight) = 0;
    // The band once made; a null image until then.
    virtual QImage Tile(const StripTile& tile) const = 0;
    // Until the band is made: the whole page at another size, or a null image.
    virtual QImage StandIn(int page) const = 0;
    virtual void Clear() = 0;

    // Called when a band or a page wanted arrives.
    std::function<void()> arrived;
};
