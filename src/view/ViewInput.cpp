#include "app/MainFrame.h"
#include "platform/Prompt.h"
#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"
#include "view/ContextMenus.h"
#include "view/InputRules.h"
#include "view/KeyHelp.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

using namespace InputRules;
using namespace VirtualKeys;

int CTalvexView::InputScreen() const
{
    if (m_bContent)
        return OutlineShown() ? SCREEN_OUTLINE : (GridShown() ? SCREEN_GRID : SCREEN_CONTENT);
    return m_bResumeScreen ? SCREEN_RESUME : SCREEN_FOLDER;
}

void CTalvexView::keyPressEvent(QKeyEvent* e)
{
    const int vk = fromEvent(*e);
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    const bool alt = mods.testFlag(Qt::AltModifier);
    // Accelerators are translated before any key handler sees the key.
    if (const int id = AcceleratorCommand(vk, ctrl, shift, alt)) {
        OnCommand(id);
        return;
    }
    const bool repeat = m_keys.IsRepeat(*e);
    const bool handled = alt ? OnSysKeyDown(vk, repeat) : OnKeyDown(vk, repeat, ctrl, shift);
    if (handled)
        return;
    // The framework's own handling: Shift+F10 asks for the context menu.
    if (vk == VK_F10 && shift && !ctrl && !alt && !repeat) {
        OnContextMenu(QPoint(-1, -1));
        return;
    }
    QWidget::keyPressEvent(e);
}

bool CTalvexView::OnKeyDown(int vk, bool repeat, bool ctrl, bool shift)
{
    if (repeat)
        return true;
    const Screen screen = Screen(InputScreen());
    // Left and Right choose among the covers, which move themselves.
    if (CoversShown() && (vk == VK_LEFT || vk == VK_RIGHT) && !ctrl && !shift)
        return true;
    int action = KeyAction(vk, ctrl, shift, screen);
    if (screen == SCREEN_CONTENT)
        action = ReadingSideAction(action);
    if (action == ACT_DEFAULT)
        return false;
    RunAction(action);
    return true;
}

int CTalvexView::ReadingSideAction(int action) const
{
    return SideKeyAction(action, m_book.nZoom != 0, LeftIsNext(m_book.SpreadBinding()));
}

bool CTalvexView::OnSysKeyDown(int vk, bool repeat)
{
    if (vk == VK_RETURN && !repeat) {
        CMainFrame* frame = GetParentFrame();
        if (!frame)
            return true;
        if (!frame->m_bFullScreen) {
            frame->ToggleFullScreen();
            m_bUserFullScreen = true;
        } else {
            // A second Alt+Enter keeps the full screen but lets Ctrl+3 leave it.
            m_bUserFullScreen = false;
        }
        return true;
    }
    if (vk == VK_F4 && !repeat) {
        // Alt+F4 normally closes through the window manager; this is the same close.
        OnCommand(ID_EXIT_VIEWER);
        return true;
    }
    return false;
}

void CTalvexView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        OnLButtonDown(e->position().toPoint());
    QWidget::mousePressEvent(e);
}

void CTalvexView::OnLButtonDown(const QPoint& point)
{
    const int action = ClickAction(
        width(), height(), point.x(), point.y(), Screen(InputScreen()), m_book.nZoom != 0);
    if (action == ACT_TOGGLE_PAD)
        TogglePad(point);
    else
        RunAction(action);
}

void CTalvexView::wheelEvent(QWheelEvent* e)
{
    const QPoint delta = e->angleDelta();
    if (Scrolls() && InputScreen() == SCREEN_CONTENT) {
        ScrollWheel(delta.y(), e->pixelDelta().y());
        e->accept();
        return;
    }
    if (delta.y() != 0)
        OnMouseWheel(delta.y());
    else if (delta.x() != 0)
        OnMouseHWheel(-delta.x()); // Qt counts a tilt to the left as positive
    e->accept();
}

void CTalvexView::OnMouseWheel(int delta)
{
    if (Scrolls() && InputScreen() == SCREEN_CONTENT) {
        ScrollWheel(delta, 0);
        return;
    }
    const int lines = QApplication::wheelScrollLines();
    delta = GatherWheel(m_nWheelPending, delta, lines);
    if (delta == 0)
        return;
    const qint64 n = ScrollStep(delta, lines);
    if (InputScreen() == SCREEN_CONTENT) {
        RunAction(n > 0 ? ACT_STEP_DOWN : ACT_STEP_UP);
        return;
    }
    // The list pages as if the reader had pressed the key.
    const Qt::Key key = n < 0 ? Qt::Key_PageUp : Qt::Key_PageDown;
    QCoreApplication::postEvent(&KeyTarget(), new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

void CTalvexView::OnMouseHWheel(int delta)
{
    delta = GatherWheel(m_nHWheelPending, delta, 1);
    if (InputScreen() == SCREEN_CONTENT && delta != 0)
        RunAction(delta < 0 ? ACT_ZOOM_LEFT : ACT_ZOOM_RIGHT);
}

void CTalvexView::contextMenuEvent(QContextMenuEvent* e)
{
    OnContextMenu(e->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : e->globalPos());
}

void CTalvexView::OnContextMenu(const QPoint& globalPos)
{
    // The contents screen and the page grid have no menu: Enter, a click or Esc leave them.
    if (OutlineShown() || GridShown())
        return;
    const QPoint at = globalPos == QPoint(-1, -1) ? mapToGlobal(QPoint(50, 50)) : globalPos;
    ContextMenus::Context context;
    const CMainFrame* frame = GetParentFrame();
    context.fullScreen = frame && frame->m_bFullScreen;
    context.resumeScreen = m_bResumeScreen;
    context.atDriveList = m_strCurrentFolder.isEmpty();
    context.book = m_book;
    context.hasOutline = m_bContent && !m_pReader->Outline().isEmpty();
    context.nightMode = m_bNightMode;
    ContextMenus::MenuId menu = ContextMenus::MENU_CONTENT;
    if (!m_bContent) {
        context.selected = SelectedRecord();
        menu = m_bResumeScreen ? ContextMenus::MENU_RESUME : ContextMenus::MENU_FOLDER;
    }
    const std::unique_ptr<QMenu> popup = ContextMenus::Build(menu, context, this);
    m_bMenuOpen = true;
    const int id = Prompt::TrackMenu(*popup, at);
    m_bMenuOpen = false;
    if (id != 0)
        OnCommand(id);
}

const BookRecord* CTalvexView::SelectedRecord()
{
    const int row = CurrentList().GetSelectedIndex();
    const BookRecordList& items = m_bResumeScreen ? m_resumeItems : m_folderItems;
    return row >= 0 && row < items.size() ? &items[row] : nullptr;
}

void CTalvexView::RunAction(int action)
{
    if (Scrolls() && ScrollAction(action))
        return;
    switch (action) {
    case ACT_NONE:
    case ACT_DEFAULT:
        break;
    case ACT_CYCLE_LAYOUT:
        CycleLayout();
        break;
    case ACT_TOGGLE_ZOOM:
        ToggleZoom();
        break;
    case ACT_TOGGLE_BINDING:
        ToggleBinding();
        break;
    case ACT_STEP_UP:
        StepUp();
        break;
    case ACT_STEP_DOWN:
        StepDown();
        break;
    case ACT_ZOOM_LEFT:
        MoveZoomLeft();
        break;
    case ACT_ZOOM_RIGHT:
        MoveZoomRight();
        break;
    case ACT_KEY_HELP:
        m_keyHelp.Open(KeyHelp::ForScreen(Screen(InputScreen()), CoversShown()), m_fonts,
            ListGeometry::ForIndex(SizeIndex()).listFont);
        break;
    case ACT_SHOW_PLATE:
        ShowPageIndicator(false, {}, true);
        break;
    case ACT_LEAVE_FULLSCREEN: {
        CMainFrame* frame = GetParentFrame();
        if (frame && frame->m_bFullScreen && !m_bUserFullScreen)
            frame->ToggleFullScreen();
        break;
    }
    default:
        if (action >= ID_FULLSCREEN_TOGGLE)
            OnCommand(action);
        break;
    }
}
