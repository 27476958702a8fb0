#include "reader/PdfStripTiles.h"

PdfStripTiles::PdfStripTiles(PdfRenderer& renderer, std::function<QSizeF(int)> sizeOf)
    : m_renderer(renderer)
    , m_sizeOf(std::move(sizeOf))
{
    connect(&m_renderer, &PdfRenderer::rendered, this,
        [this](const QString& key, const QImage& image, const QRect&) { OnRendered(key, image); });
}

QString PdfStripTiles::KeyOf(const StripTile& tile) const
{
    return QStringLiteral("strip|%1|%2x%3|%4|%5")
        .arg(tile.page)
        .arg(tile.pageSize.width())
        .arg(tile.pageSize.height())
        .arg(tile.band)
        .arg(m_bNight ? 1 : 0);
}

RenderJob PdfStripTiles::JobFor(const StripTile& tile) const
{
    const QRect band = tile.Rect();
    RenderJob job;
    job.key = KeyOf(tile);
    job.area = band;
    job.imageSize = band.size();
    job.night = m_bNight;
    RenderPiece piece;
    piece.pageIndex = tile.page - 1;
    const QSizeF points = m_sizeOf(tile.page);
    piece.dpi = 72.0 * tile.pageSize.width() / std::max(points.width(), 1.0);
    // The whole page lies around the band, above and below the image.
    piece.pageRect = QRect(QPoint(0, -band.top()), tile.pageSize);
    piece.clip = QRect(QPoint(0, 0), band.size());
    job.pieces.append(piece);
    return job;
}

void PdfStripTiles::Want(const QList<StripTile>& tiles, int)
{
    QList<QString> keys;
    QList<RenderJob> jobs;
    for (const StripTile& tile : tiles) {
        const QString key = KeyOf(tile);
        keys.append(key);
        if (!m_made.contains(key))
            jobs.append(JobFor(tile));
    }
    m_made.removeIf(
        [&keys](QHash<QString, QImage>::iterator made) { return !keys.contains(made.key()); });
    m_wanted = keys;
    m_renderer.Submit(jobs);
}

QImage PdfStripTiles::Tile(const StripTile& tile) const
{
    return m_made.value(KeyOf(tile));
}

void PdfStripTiles::Clear()
{
    m_made.clear();
    m_wanted.clear();
    m_renderer.Submit({});
}

void PdfStripTiles::OnRendered(const QString& key, const QImage& image)
{
    if (image.isNull() || !m_wanted.contains(key))
        return;
    m_made.insert(key, image);
    if (arrived)
        arrived();
}
