#include "pad/ControlDlg.h"

#include "pad/PadEvent.h"
#include "pad/PadRules.h"
#include "pad/PadSkin.h"
#include "platform/DialogUnits.h"
#include "platform/SystemMove.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace
{
const QColor kHighlight(192, 255, 255, 128);
} // namespace

std::function<bool(QWindow*)> CControlDlg::s_systemMove = SystemMove::Start;

CControlDlg::CControlDlg(QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
            | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The pad is never the active window, where Qt shows no tooltips by default.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Lumivo"));
}

void CControlDlg::setSystemMove(std::function<bool(QWindow*)> move)
{
    s_systemMove = std::move(move);
}

bool CControlDlg::event(QEvent* e)
{
    if (e->type() != QEvent::ToolTip)
        return QWidget::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    const int cell = PadRules::PadHitTest(size(), help->pos().x(), help->pos().y());
    const QString tip = cell >= 0 && m_cellTip ? m_cellTip(cell) : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    // The program's only tooltips, in the large type of its dialogs.
    QToolTip::setFont(DialogUnits::DialogFont());
    QToolTip::showText(help->globalPos(), tip, this, PadRules::PadCellRect(cell, size()));
    return true;
}

void CControlDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal dpr = devicePixelRatioF();
    if (m_skin.size() != (QSizeF(size()) * dpr).toSize() || m_skin.devicePixelRatio() != dpr)
        m_skin = PadSkin::Render(size(), dpr);
    if (m_skin.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(QPoint(0, 0), m_skin);
    if (m_nPressed >= 0)
        painter.fillRect(PadRules::PadCellRect(m_nPressed, size()), kHighlight);
}

void CControlDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    const int cell = PadRules::PadHitTest(size(), at.x(), at.y());
    if (cell == PadRules::kGrip) {
        Release();
        // The move waits for the mouse to move: a window manager asked on the press may miss
        // a release that comes at once, as from a remote or a touch pad, and then holds
        // the keyboard and the next click until the move is ended.
        m_grip = Grip::Held;
        m_grab = at;
        return;
    }
    if (cell < 0)
        return;
    m_nPressed = cell;
    repaint(PadRules::PadCellRect(cell, size()));
}

void CControlDlg::mouseMoveEvent(QMouseEvent* e)
{
    if (m_grip != Grip::Idle && !(e->buttons() & Qt::LeftButton))
        m_grip = Grip::Idle;
    if (m_grip == Grip::Held) {
        if ((e->position().toPoint() - m_grab).manhattanLength()
            < QApplication::startDragDistance())
            return;
        if (s_systemMove(windowHandle())) {
            m_grip = Grip::Idle;
            return;
        }
        m_grip = Grip::Following;
    }
    if (m_grip == Grip::Following) {
        move(e->globalPosition().toPoint() - m_grab);
        return;
    }
    if (m_nPressed < 0)
        return;
    const QPoint at = e->position().toPoint();
    if (PadRules::PadHitTest(size(), at.x(), at.y()) != m_nPressed)
        Release();
}

void CControlDlg::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_grip = Grip::Idle;
    if (m_nPressed < 0)
        return;
    if (m_pView)
        QCoreApplication::postEvent(m_pView, new PadEvent(WM_PAD_COMMAND, m_nPressed));
    Release();
}

void CControlDlg::Release()
{
    if (m_nPressed < 0)
        return;
    const QRect cell = PadRules::PadCellRect(m_nPressed, size());
    m_nPressed = -1;
    repaint(cell);
}
