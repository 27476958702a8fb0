#pragma once

#include <QHashFunctions>
#include <QSize>
#include <QString>

// How a page is to be shown: fitted into a box of this size (in logical pixels, with
// the magnifier's factor), enlarged or not, on a screen of this pixel ratio. The
// decoder works out the device size from it once it knows the picture's own size.
struct FitRequest {
    QSize box;
    int zoomFactor = 1;
    bool enlarge = false;
    qreal devicePixelRatio = 1;
    // Find the page's borders (the box then has room for the page enlarged by the cut),
    // and turn its colours over for night reading.
    bool crop = false;
    bool night = false;
    bool operator==(const FitRequest&) const = default;
};

// One decoded page of the open book, at one shown size. The held pages go when the book
// closes, so a page rewritten on the disk is decoded anew when the book opens again.
struct PageKey {
    QString path;
    FitRequest fit;
    bool operator==(const PageKey&) const = default;
};

inline size_t qHash(const PageKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.path, key.fit.box.width(), key.fit.box.height(), key.fit.zoomFactor,
        key.fit.enlarge, key.fit.devicePixelRatio, key.fit.crop, key.fit.night);
}
