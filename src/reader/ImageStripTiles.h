#pragma once

#include "images/ImageEngine.h"
#include "reader/CutPages.h"
#include "reader/StripTiles.h"

#include <functional>

// The bands of an image book's strip: its pages decoded by the page engine at the width
// they are shown at (never beyond their own size, nor beyond kLargestPage pixels), and
// cut into bands scaled to that width on a thread of their own.
class ImageStripTiles : public QObject, public StripTiles
{
    Q_OBJECT
public:
    // A page longer than this is decoded smaller and its bands enlarged: a strip of
    // 800 x 60,000 shown 4K wide would take more than two gigabytes.
    static constexpr qint64 kLargestPage = 24'000'000;

    // pathOf: the file of a page, counted from 1.
    ImageStripTiles(ImageEngine& engine, std::function<QString(int)> pathOf);

    void SetLook(qreal devicePixelRatio, bool night);
    // A band is a copy of the page's pixels scaled: short bands cost nothing more.
    int BandHeight() const override { return 1024; }
    void Want(const QList<StripTile>& tiles, int inSight) override;
    QImage Tile(const StripTile& tile) const override;
    QImage StandIn(int page) const override;
    void Clear() override;
    // A page arrived from the engine.
    void OnDecoded();

    // The page at the size a band of it is decoded for.
    PageKey KeyOf(const StripTile& tile) const;
    static QSize DecodeBox(const QSize& shown, qreal devicePixelRatio);

private:
    static QRectF PartOf(const StripTile& tile);
    std::optional<QImage> Decoded(const StripTile& tile) const;

    ImageEngine& m_engine;
    std::function<QString(int)> m_pathOf;
    qreal m_dpr = 1;
    bool m_bNight = false;
    CutPages m_bands;
};
