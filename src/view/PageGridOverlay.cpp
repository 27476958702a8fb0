#include "view/PageGridOverlay.h"

#include "browser/ListColours.h"
#include "browser/ListGeometry.h"
#include "browser/ListHeader.h"
#include "view/GridCells.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

namespace
{
const QColor kGridLabel(176, 150, 220);
} // namespace

PageGridOverlay::PageGridOverlay(QWidget* parent)
    : QWidget(parent)
{
    hide();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_thumbs, &ThumbQueue::arrived, this, qOverload<>(&QWidget::update));
}

void PageGridOverlay::Open(int count, int page, const QList<int>& reading, bool rightToLeft,
    const QString& bookName, Pictures pictures)
{
    m_nCount = std::max(count, 0);
    m_nFramed = std::clamp(page - 1, 0, std::max(m_nCount - 1, 0));
    m_reading = reading;
    m_bRightToLeft = rightToLeft;
    m_strBookName = bookName;
    m_pictures = std::move(pictures);
    m_nSide = 0;
    m_nScroll = 0;
    Relayout();
    // The page being read comes up in the middle of the screen.
    const QRect cell = m_grid.CellRect(m_nFramed);
    SetScroll(cell.center().y() - (height() - GridTop()) / 2);
    raise();
    show();
    setFocus();
}

void PageGridOverlay::Close()
{
    hide();
    m_thumbs.Stop();
    m_pictures = {};
}

void PageGridOverlay::Layout(const QFont* fonts, int sizeIndex)
{
    m_pFonts = fonts;
    m_nSizeIndex = sizeIndex;
    Relayout();
}

int PageGridOverlay::GridTop() const
{
    return ListGeometry::ForIndex(m_nSizeIndex).listTop;
}

void PageGridOverlay::Relayout()
{
    if (!m_pFonts)
        return;
    const QFont& type = m_pFonts[ListGeometry::ForIndex(m_nSizeIndex).listFont];
    m_grid = GridLayout(width(), height() - GridTop(), type.pixelSize(), m_nCount, m_bRightToLeft);
    const int side = GridCells::SideClass(qCeil(m_grid.PictureSide() * devicePixelRatioF()));
    if (side != m_nSide && m_pictures) {
        m_nSide = side;
        m_thumbs.Start(m_pictures(side));
    }
    SetScroll(m_grid.ScrollToShow(m_nFramed, m_nScroll));
}

void PageGridOverlay::SetScroll(int scroll)
{
    m_nScroll = m_grid.ClampScroll(scroll);
    WantPictures();
    update();
}

void PageGridOverlay::WantPictures()
{
    if (!m_pictures)
        return;
    const QList<int> items = m_grid.ItemsWanted(m_nScroll, 2, 1);
    QList<int> pages;
    pages.reserve(items.size());
    for (const int item : std::as_const(items))
        pages.append(item + 1);
    m_thumbs.Want(pages);
}

void PageGridOverlay::MoveFrame(GridLayout::Move move)
{
    const int moved = m_grid.Moved(m_nFramed, move);
    if (moved < 0)
        return;
    m_nFramed = moved;
    SetScroll(m_grid.ScrollToShow(m_nFramed, m_nScroll));
}

void PageGridOverlay::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    painter.fillRect(e->rect(), kListBackground);
    if (!m_pFonts)
        return;
    const SizeGeometry g = ListGeometry::ForIndex(m_nSizeIndex);
    DrawListHeader(painter, m_pFonts, m_nSizeIndex, width(), kGridLabel,
        QStringLiteral("ページ一覧"),
        QStringLiteral("%1 / %2  %3").arg(FramedPage()).arg(m_nCount).arg(m_strBookName));
    const QFont& type = m_pFonts[g.listFont];
    const QFont& small = m_pFonts[g.headerFont];
    const int top = GridTop();
    painter.setClipRect(0, top, width(), height() - top);
    painter.translate(0, top - m_nScroll);
    for (const int item : m_grid.ItemsIn(m_nScroll, m_nScroll + height() - top)) {
        const int page = item + 1;
        const QRect box = m_grid.PictureRect(item);
        const QImage picture = m_thumbs.Thumb(page);
        if (!picture.isNull())
            GridCells::DrawPicture(painter, box, picture);
        else
            GridCells::DrawWaiting(painter, box,
                m_thumbs.Failed(page) ? QStringLiteral("%1\n×").arg(page) : QString::number(page),
                small);
        const bool reading = m_reading.contains(page);
        painter.setFont(type);
        painter.setPen(reading ? GridCells::kFrame : kListRowText);
        painter.drawText(m_grid.LabelRect(item), Qt::AlignCenter,
            reading ? QStringLiteral("▶ %1").arg(page) : QString::number(page));
        if (item == m_nFramed)
            GridCells::DrawFrame(painter, box, type.pixelSize());
    }
}

void PageGridOverlay::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier && e->key() == Qt::Key_L) {
        emit closed();
        return;
    }
    if (mods != Qt::NoModifier) {
        e->ignore();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Left:
        MoveFrame(GridLayout::Move::Left);
        break;
    case Qt::Key_Right:
        MoveFrame(GridLayout::Move::Right);
        break;
    case Qt::Key_Up:
        MoveFrame(GridLayout::Move::Up);
        break;
    case Qt::Key_Down:
        MoveFrame(GridLayout::Move::Down);
        break;
    case Qt::Key_PageUp:
        MoveFrame(GridLayout::Move::ScreenUp);
        break;
    case Qt::Key_PageDown:
        MoveFrame(GridLayout::Move::ScreenDown);
        break;
    case Qt::Key_Home:
        MoveFrame(GridLayout::Move::First);
        break;
    case Qt::Key_End:
        MoveFrame(GridLayout::Move::Last);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!e->isAutoRepeat())
            emit chosen(FramedPage());
        break;
    case Qt::Key_Escape:
        if (!e->isAutoRepeat())
            emit closed();
        break;
    default:
        e->ignore();
        break;
    }
}

void PageGridOverlay::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    const int item = m_grid.ItemAt(at.x(), at.y() - GridTop() + m_nScroll);
    if (at.y() < GridTop() || item < 0)
        return;
    m_nFramed = item;
    update();
    emit chosen(FramedPage());
}

void PageGridOverlay::wheelEvent(QWheelEvent* e)
{
    // A notch scrolls a row, a touchpad as far as it moves.
    const QPoint pixels = e->pixelDelta();
    if (pixels.y() != 0) {
        SetScroll(m_nScroll - pixels.y());
    } else {
        m_nWheelPending += e->angleDelta().y();
        const int notches = m_nWheelPending / 120;
        m_nWheelPending -= notches * 120;
        if (notches != 0)
            SetScroll(m_nScroll - notches * m_grid.CellHeight());
    }
    e->accept();
}

void PageGridOverlay::resizeEvent(QResizeEvent*)
{
    Relayout();
}
