#include "view/CoverGrid.h"

#include "browser/ColorListCtrl.h"
#include "browser/IconStrip.h"
#include "browser/ListColours.h"
#include "view/GridCells.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

CoverGrid::CoverGrid(CColorListCtrl& list, QWidget* parent)
    : QWidget(parent)
    , m_list(list)
{
    hide();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_thumbs, &ThumbQueue::arrived, this, qOverload<>(&QWidget::update));
    // The list's rows and choice are the grid's: it follows them however they change.
    QAbstractItemModel* model = list.model();
    connect(model, &QAbstractItemModel::modelReset, this, &CoverGrid::Relayout);
    connect(model, &QAbstractItemModel::rowsInserted, this, &CoverGrid::Relayout);
    connect(model, &QAbstractItemModel::dataChanged, this, qOverload<>(&QWidget::update));
    connect(&list, &CColorListCtrl::itemChanged, this, &CoverGrid::FollowChoice);
    list.installEventFilter(this);
}

void CoverGrid::SetOn(bool on)
{
    m_bOn = on;
    m_list.setFocusProxy(on ? this : nullptr);
    setGeometry(m_list.geometry());
    setVisible(on && !m_list.isHidden());
    if (on && !m_list.isHidden()) {
        raise();
        if (m_list.hasFocus() || QWidget::hasFocus())
            setFocus();
        WantCovers();
    }
    if (!on)
        m_thumbs.Want({});
}

bool CoverGrid::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != &m_list || !m_bOn)
        return false;
    switch (e->type()) {
    case QEvent::Show:
        show();
        raise();
        WantCovers();
        break;
    case QEvent::Hide:
        // A book opening from the screen has the cores to itself: what is held goes, and
        // comes back from the disk.
        hide();
        m_thumbs.Want({});
        break;
    case QEvent::Move:
    case QEvent::Resize:
        setGeometry(m_list.geometry());
        break;
    default:
        break;
    }
    return false;
}

void CoverGrid::SetBooks(Covers covers)
{
    m_covers = std::move(covers);
    m_nSide = 0;
    m_nScroll = 0;
    Relayout();
}

void CoverGrid::Stop()
{
    m_thumbs.Stop();
    m_covers = {};
    m_nSide = 0;
}

void CoverGrid::Layout(const QFont& type, const IconStrip* icons)
{
    m_type = type;
    m_pIcons = icons;
    Relayout();
}

void CoverGrid::Relayout()
{
    m_grid = GridLayout(width(), height(), m_type.pixelSize(), m_list.GetItemCount(), false, 2);
    const int side = GridCells::SideClass(qCeil(m_grid.PictureSide() * devicePixelRatioF()));
    if (m_covers && side != m_nSide) {
        m_nSide = side;
        m_thumbs.Start(m_covers(side));
    }
    FollowChoice();
}

void CoverGrid::FollowChoice()
{
    SetScroll(m_grid.ScrollToShow(m_list.GetSelectedIndex(), m_nScroll));
}

void CoverGrid::SetScroll(int scroll)
{
    m_nScroll = m_grid.ClampScroll(scroll);
    WantCovers();
    update();
}

void CoverGrid::WantCovers()
{
    if (!m_covers || !isVisible())
        return;
    // A folder of thousands of books holds the covers of a few screens.
    m_thumbs.Want(m_grid.ItemsWanted(m_nScroll, 1, 1));
}

void CoverGrid::Choose(int item)
{
    if (item < 0 || item >= m_list.GetItemCount())
        return;
    m_list.SelectItem(item);
    m_list.EnsureVisible(item);
    FollowChoice();
}

bool CoverGrid::MoveKey(int key)
{
    const int selected = std::max(m_list.GetSelectedIndex(), 0);
    GridLayout::Move move;
    switch (key) {
    case Qt::Key_Left:
        if (selected == 0) {
            emit folderUp();
            return true;
        }
        move = GridLayout::Move::Left;
        break;
    case Qt::Key_Right:
        move = GridLayout::Move::Right;
        break;
    case Qt::Key_Up:
        move = GridLayout::Move::Up;
        break;
    case Qt::Key_Down:
        move = GridLayout::Move::Down;
        break;
    case Qt::Key_PageUp:
        move = GridLayout::Move::ScreenUp;
        break;
    case Qt::Key_PageDown:
        move = GridLayout::Move::ScreenDown;
        break;
    case Qt::Key_Home:
        move = GridLayout::Move::First;
        break;
    case Qt::Key_End:
        move = GridLayout::Move::Last;
        break;
    default:
        return false;
    }
    Choose(m_grid.Moved(selected, move));
    return true;
}

bool CoverGrid::event(QEvent* e)
{
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
        return QWidget::event(e);
    // The window that owns the grid decides about a key before the grid moves, as it does
    // for the list.
    auto* key = static_cast<QKeyEvent*>(e);
    if (parentWidget()) {
        const std::unique_ptr<QKeyEvent> copy(key->clone());
        QCoreApplication::sendEvent(parentWidget(), copy.get());
    }
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (e->type() == QEvent::KeyPress && mods == Qt::NoModifier && isVisible())
        MoveKey(key->key());
    e->accept();
    return true;
}

void CoverGrid::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    painter.fillRect(e->rect(), kListBackground);
    const int selected = m_list.GetSelectedIndex();
    const QFontMetrics metrics(m_type);
    painter.translate(0, -m_nScroll);
    for (const int item : m_grid.ItemsIn(m_nScroll, m_nScroll + height())) {
        const QRect box = m_grid.PictureRect(item);
        const int icon = m_list.GetItemIcon(item);
        const QImage cover = m_thumbs.Thumb(item);
        const QPixmap* mark = m_pIcons && icon >= 0 ? &m_pIcons->icon(icon) : nullptr;
        if (!cover.isNull()) {
            GridCells::DrawPicture(painter, box, cover);
            // Its kind and reading mark at the corner, as the list shows them.
            if (mark)
                painter.drawPixmap(box.left(), box.bottom() - mark->height() + 1, *mark);
        } else if (mark) {
            const QPixmap big = mark->scaled(box.size() / 2, Qt::KeepAspectRatio);
            painter.drawPixmap(box.center() - QPoint(big.width() / 2, big.height() / 2), big);
        }
        const QRect label = m_grid.LabelRect(item);
        painter.setFont(m_type);
        painter.setPen(item == selected ? GridCells::kFrame : kListRowText);
        // The name in two lines, the second cut with its extension kept in sight.
        const QString name = m_list.GetItemText(item, 0);
        int fits = 0;
        while (
            fits < name.size() && metrics.horizontalAdvance(name.left(fits + 1)) <= label.width())
            ++fits;
        const QString first = name.left(fits);
        const QString rest = CColorListCtrl::ElidedName(name.mid(fits), metrics, label.width());
        painter.drawText(QRect(label.left(), label.top(), label.width(), label.height() / 2),
            Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, first);
        painter.drawText(QRect(label.left(), label.top() + label.height() / 2, label.width(),
                             label.height() / 2),
            Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, rest);
        if (item == selected)
            GridCells::DrawFrame(painter, box, m_type.pixelSize());
    }
}

void CoverGrid::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint at = e->position().toPoint();
    Choose(m_grid.ItemAt(at.x(), at.y() + m_nScroll));
}

void CoverGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && m_grid.ItemAt(at.x(), at.y() + m_nScroll) >= 0)
        emit itemDoubleClicked();
}

void CoverGrid::wheelEvent(QWheelEvent* e)
{
    // The wheel goes to the parent window alone, which pages the grid as it does the list.
    e->ignore();
}

void CoverGrid::resizeEvent(QResizeEvent*)
{
    Relayout();
}
