#include "reader/PageStrip.h"

#include <QPainter>
#include <QWidget>

#include <cmath>

namespace
{
// A glide takes this long, eased out: quick to start, gentle to stop.
constexpr qint64 kGlideMs = 140;
// A screen's scroll keeps this share of the screen in sight, so the reader keeps the line.
constexpr qreal kOverlap = 0.1;
constexpr qreal kLine = 0.1;
// Bands made ahead in the direction of the scroll, and behind, in screens.
constexpr qreal kAhead = 2.0;
constexpr qreal kBehind = 0.5;
} // namespace

const QColor PageStrip::kBackground(96, 96, 96);

PageStrip::PageStrip(QWidget* host, StripTiles& tiles)
    : m_host(host)
    , m_tiles(tiles)
{
    m_frames.setTimerType(Qt::PreciseTimer);
    m_frames.setInterval(8);
    connect(&m_frames, &QTimer::timeout, this, &PageStrip::OnFrame);
    m_tiles.arrived = [this] {
        if (m_bOn) {
            WantTiles();
            m_host->update();
        }
    };
}

qreal PageStrip::ViewHeight() const
{
    return std::max(m_host->height(), 1);
}

void PageStrip::Start(
    const Rows& rows, const std::function<QSizeF(int)>& sizeOf, qreal gap, int page)
{
    m_bOn = true;
    m_layout = StripLayout(rows, sizeOf, m_host->width(), gap);
    m_bDownwards = true;
    m_nPage = 0;
    ShowPage(page);
}

void PageStrip::Relayout(const Rows& rows, const std::function<QSizeF(int)>& sizeOf, qreal gap)
{
    if (!m_bOn)
        return;
    // What is at the top of the window stays there, as far into its row as before.
    const int anchor = m_layout.PageAt(m_offset);
    const qreal oldHeight = m_layout.RowHeightOf(anchor);
    const qreal into = oldHeight > 0 ? (m_offset - m_layout.TopOf(anchor)) / oldHeight : 0;
    m_layout = StripLayout(rows, sizeOf, m_host->width(), gap);
    // A glide under way goes on, moved with the page: sizes read while scrolling through a
    // long book must not stop it.
    const qreal shift = m_layout.TopOf(anchor) + into * m_layout.RowHeightOf(anchor) - m_offset;
    m_glideFrom += shift;
    m_target = m_layout.Clamp(m_target + shift, ViewHeight());
    MoveTo(m_offset + shift);
}

void PageStrip::Stop()
{
    m_bOn = false;
    m_frames.stop();
    m_layout = {};
    m_tiles.Clear();
}

void PageStrip::ShowPage(int page)
{
    m_frames.stop();
    m_bDownwards = true;
    // The page gone to is the current one, though rows shorter than half the window put
    // the next across the middle: a place saved and opened again stays where it was.
    MoveTo(m_layout.TopOf(page), m_layout.PageAt(m_layout.TopOf(page)));
}

void PageStrip::Scroll(Step step)
{
    const qreal h = ViewHeight();
    switch (step) {
    case Step::LineUp:
        ScrollBy(-h * kLine);
        break;
    case Step::LineDown:
        ScrollBy(h * kLine);
        break;
    case Step::ScreenUp:
        ScrollBy(-h * (1 - kOverlap));
        break;
    case Step::ScreenDown:
        ScrollBy(h * (1 - kOverlap));
        break;
    case Step::Top:
        Glide(0);
        break;
    case Step::Bottom:
        Glide(m_layout.Height());
        break;
    }
}

void PageStrip::ScrollBy(qreal pixels)
{
    // Steps taken while a glide is under way add to where it goes.
    Glide(m_target + pixels);
}

void PageStrip::Glide(qreal target)
{
    if (!m_bOn)
        return;
    target = m_layout.Clamp(target, ViewHeight());
    if (!m_frames.isActive())
        m_target = m_offset;
    m_bDownwards = target >= m_offset;
    m_glideFrom = m_offset;
    m_target = target;
    m_glideClock.start();
    if (!m_frames.isActive())
        m_frames.start();
    OnFrame();
}

void PageStrip::OnFrame()
{
    const qreal t = std::min(qreal(m_glideClock.elapsed()) / kGlideMs, 1.0);
    const qreal eased = 1 - (1 - t) * (1 - t) * (1 - t);
    if (t >= 1)
        m_frames.stop();
    MoveTo(t >= 1 ? m_target : m_glideFrom + (m_target - m_glideFrom) * eased);
}

void PageStrip::MoveTo(qreal offset, int current)
{
    const qreal h = ViewHeight();
    m_offset = std::round(m_layout.Clamp(offset, h) * m_host->devicePixelRatioF())
        / m_host->devicePixelRatioF();
    if (!m_frames.isActive())
        m_target = m_offset;
    WantTiles();
    m_host->update();
    const int page = current > 0 ? current : m_layout.PageAt(m_offset + h / 2);
    if (page != m_nPage && page > 0) {
        m_nPage = page;
        emit pageChanged(page);
    }
}

void PageStrip::AddTiles(QList<StripTile>& tiles, qreal top, qreal bottom, bool upwards) const
{
    const qreal dpr = m_host->devicePixelRatioF();
    const int band = m_tiles.BandHeight();
    QList<StripLayout::Placed> placed = m_layout.In(top, bottom);
    if (upwards)
        std::reverse(placed.begin(), placed.end());
    for (const StripLayout::Placed& p : placed) {
        const QSize size(
            std::max(qRound(p.rect.width() * dpr), 1), std::max(qRound(p.rect.height() * dpr), 1));
        const int first = int(std::max((top - p.rect.top()) * dpr, 0.0) / band);
        const int last
            = int(std::min((bottom - p.rect.top()) * dpr, qreal(size.height() - 1)) / band);
        for (int i = 0; i <= last - first; ++i) {
            const StripTile tile { p.page, size, upwards ? last - i : first + i, band };
            if (!tiles.contains(tile))
                tiles.append(tile);
        }
    }
}

void PageStrip::WantTiles()
{
    const qreal h = ViewHeight();
    QList<StripTile> tiles;
    AddTiles(tiles, m_offset, m_offset + h, false);
    const int inSight = int(tiles.size());
    if (m_bDownwards) {
        AddTiles(tiles, m_offset + h, m_offset + h * (1 + kAhead), false);
        AddTiles(tiles, m_offset - h * kBehind, m_offset, true);
    } else {
        AddTiles(tiles, m_offset - h * kAhead, m_offset, true);
        AddTiles(tiles, m_offset + h, m_offset + h * (1 + kBehind), false);
    }
    m_tiles.Want(tiles, inSight);
}

void PageStrip::Paint(QPainter& painter)
{
    const qreal dpr = m_host->devicePixelRatioF();
    const qreal h = ViewHeight();
    const QRect client = m_host->rect();
    ++m_counts.frames;
    bool standIn = false;
    bool blank = false;
    // Painted in device pixels, each band at a whole pixel, so that bands join without a
    // seam and a band is a plain copy.
    painter.save();
    painter.scale(1 / dpr, 1 / dpr);
    const QRect device(QPoint(0, 0), (QSizeF(client.size()) * dpr).toSize());
    QRegion background(device);
    const int top = qRound(m_offset * dpr);
    const int bandHeight = m_tiles.BandHeight();
    for (const StripLayout::Placed& p : m_layout.In(m_offset, m_offset + h)) {
        const QPoint at(qRound(p.rect.left() * dpr), qRound(p.rect.top() * dpr) - top);
        const QSize size(
            std::max(qRound(p.rect.width() * dpr), 1), std::max(qRound(p.rect.height() * dpr), 1));
        const int first = std::max(-at.y(), 0) / bandHeight;
        const int last = std::min(device.height() - at.y(), size.height() - 1) / bandHeight;
        QImage whole;
        for (int band = first; band <= last; ++band) {
            const StripTile tile { p.page, size, band, bandHeight };
            const QRect to = tile.Rect().translated(at);
            const QImage made = m_tiles.Tile(tile);
            if (!made.isNull()) {
                painter.drawImage(to.topLeft(), made);
                background -= to;
                continue;
            }
            if (whole.isNull())
                whole = m_tiles.StandIn(p.page);
            if (whole.isNull()) {
                blank = true;
                continue;
            }
            standIn = true;
            const QRect r = tile.Rect();
            const QRectF from(0, qreal(r.top()) * whole.height() / size.height(), whole.width(),
                qreal(r.height()) * whole.height() / size.height());
            // A stand-in for a frame or two: drawn quickly rather than smoothly.
            painter.drawImage(QRectF(to), whole, from);
            background -= to;
        }
    }
    for (const QRect& r : background)
        painter.fillRect(r, kBackground);
    painter.restore();
    m_counts.standIns += standIn ? 1 : 0;
    m_counts.blanks += blank ? 1 : 0;
}
