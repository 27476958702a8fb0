#pragma once

#include "pdf/PdfRenderer.h"
#include "reader/StripTiles.h"

#include <QHash>
#include <QObject>

#include <functional>

// The bands of a PDF's strip, each rendered on its own by the render threads at the width
// it is shown at: a page of any length takes no more memory than the bands around the
// window.
class PdfStripTiles : public QObject, public StripTiles
{
    Q_OBJECT
public:
    // sizeOf: a page's size in points, counted from 1.
    PdfStripTiles(PdfRenderer& renderer, std::function<QSizeF(int)> sizeOf);

    void SetNight(bool night) { m_bNight = night; }
    // Each band goes through the whole page's drawing: bands are tall, so that a page
    // takes few.
    int BandHeight() const override { return 2048; }
    void Want(const QList<StripTile>& tiles, int inSight) override;
    QImage Tile(const StripTile& tile) const override;
    QImage StandIn(int) const override { return {}; }
    void Clear() override;

    RenderJob JobFor(const StripTile& tile) const;

private:
    QString KeyOf(const StripTile& tile) const;
    void OnRendered(const QString& key, const QImage& image);

    PdfRenderer& m_renderer;
    std::function<QSizeF(int)> m_sizeOf;
    bool m_bNight = false;
    QHash<QString, QImage> m_made;
    QList<QString> m_wanted;
};
