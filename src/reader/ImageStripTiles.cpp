#include "reader/ImageStripTiles.h"

#include <cmath>

ImageStripTiles::ImageStripTiles(ImageEngine& engine, std::function<QString(int)> pathOf)
    : m_engine(engine)
    , m_pathOf(std::move(pathOf))
{
    connect(&m_bands, &CutPages::made, this, [this] {
        if (arrived)
            arrived();
    });
}

void ImageStripTiles::SetLook(qreal devicePixelRatio, bool night)
{
    m_dpr = devicePixelRatio;
    m_bNight = night;
}

QSize ImageStripTiles::DecodeBox(const QSize& shown, qreal devicePixelRatio)
{
    QSizeF box(shown.width() / devicePixelRatio, shown.height() / devicePixelRatio);
    const qreal pixels = qreal(shown.width()) * shown.height();
    if (pixels > kLargestPage)
        box *= std::sqrt(kLargestPage / pixels);
    return QSize(
        std::max(int(std::ceil(box.width())), 1), std::max(int(std::ceil(box.height())), 1));
}

PageKey ImageStripTiles::KeyOf(const StripTile& tile) const
{
    const QString path = m_pathOf(tile.page);
    if (path.isEmpty())
        return {};
    return { path, { DecodeBox(tile.pageSize, m_dpr), 1, false, m_dpr, false, m_bNight } };
}

QRectF ImageStripTiles::PartOf(const StripTile& tile)
{
    const QRect r = tile.Rect();
    const qreal h = tile.pageSize.height();
    return QRectF(0, r.top() / h, 1, r.height() / h);
}

std::optional<QImage> ImageStripTiles::Decoded(const StripTile& tile) const
{
    const PageKey key = KeyOf(tile);
    if (key.path.isEmpty())
        return std::nullopt;
    const std::optional<PageImage> held = m_engine.Held(key);
    if (!held || held->IsNull())
        return std::nullopt;
    return held->Pixels();
}

void ImageStripTiles::Want(const QList<StripTile>& tiles, int inSight)
{
    QList<PageKey> keys;
    int pagesInSight = 0;
    QList<CutPages::Piece> pieces;
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const PageKey key = KeyOf(tiles[i]);
        if (key.path.isEmpty())
            continue;
        if (!keys.contains(key)) {
            keys.append(key);
            if (i < inSight)
                pagesInSight = int(keys.size());
        }
        if (const std::optional<QImage> decoded = Decoded(tiles[i]))
            pieces.append({ *decoded, PartOf(tiles[i]), tiles[i].Rect().size() });
    }
    m_engine.Want(keys, pagesInSight);
    m_bands.Want(pieces);
}

QImage ImageStripTiles::Tile(const StripTile& tile) const
{
    const std::optional<QImage> decoded = Decoded(tile);
    return decoded ? m_bands.Finished(*decoded, PartOf(tile), tile.Rect().size()) : QImage();
}

QImage ImageStripTiles::StandIn(int page) const
{
    const std::optional<PageImage> held = m_engine.Largest(m_pathOf(page));
    return held ? held->Pixels() : QImage();
}

void ImageStripTiles::Clear()
{
    m_bands.Clear();
}

void ImageStripTiles::OnDecoded()
{
    // The strip asks for its bands again, those of the pages decoded since among them.
    if (arrived)
        arrived();
}
