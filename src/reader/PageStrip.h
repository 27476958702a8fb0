#pragma once

#include "reader/StripLayout.h"
#include "reader/StripTiles.h"

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QPainter;
class QWidget;

// The pages of a book fitted to the window's width and scrolled through, painted from the
// bands the tiles make: those in sight first, then a screen and a half in the direction of
// the scroll and half a screen the other way. Scrolling glides to where the keys and the
// wheel send it; the page whose row holds the middle of the window is the current one.
class PageStrip : public QObject
{
    Q_OBJECT
public:
    enum class Step { LineUp, LineDown, ScreenUp, ScreenDown, Top, Bottom };
    // What the painting met, for measuring.
    struct Counts {
        int frames = 0;
        // Frames that showed a band from a page at another size, or nothing at all.
        int standIns = 0;
        int blanks = 0;
    };
    using Rows = QList<QList<int>>;
    // Around the pages, and in place of one not there yet or that cannot be shown.
    static const QColor kBackground;

    PageStrip(QWidget* host, StripTiles& tiles);

    bool IsOn() const { return m_bOn; }
    // Lays the pages out in rows at the window's width and shows the top of page.
    void Start(const Rows& rows, const std::function<QSizeF(int)>& sizeOf, qreal gap, int page);
    // Lays them out anew (sizes read, the window resized, the rows paired otherwise),
    // keeping what is at the top of the window there.
    void Relayout(const Rows& rows, const std::function<QSizeF(int)>& sizeOf, qreal gap);
    void Stop();
    // Goes to the top of page at once.
    void ShowPage(int page);
    void Scroll(Step step);
    // Glides by pixels of the window, down for positive ones.
    void ScrollBy(qreal pixels);
    int CurrentPage() const { return m_nPage; }
    // The top of the window in the strip, and where it glides to.
    qreal Offset() const { return m_offset; }
    qreal Target() const { return m_target; }
    const StripLayout& Layout() const { return m_layout; }
    void Paint(QPainter& painter);
    Counts TakeCounts() { return std::exchange(m_counts, {}); }

signals:
    // The page in the middle of the window changed.
    void pageChanged(int page);

private:
    // current: the page to take for the current one; by default the one across the middle.
    void MoveTo(qreal offset, int current = 0);
    void Glide(qreal target);
    void OnFrame();
    void WantTiles();
    // The bands of the pages between top and bottom, from top down or bottom up.
    void AddTiles(QList<StripTile>& tiles, qreal top, qreal bottom, bool upwards) const;
    qreal ViewHeight() const;

    QWidget* m_host;
    StripTiles& m_tiles;
    bool m_bOn = false;
    StripLayout m_layout;
    qreal m_offset = 0;
    qreal m_target = 0;
    qreal m_glideFrom = 0;
    QElapsedTimer m_glideClock;
    QTimer m_frames;
    bool m_bDownwards = true;
    int m_nPage = 0;
    Counts m_counts;
};
