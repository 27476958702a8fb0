#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "platform/Prompt.h"
#include "view/CommandIds.h"
#include "view/InputRules.h"
#include "view/TalvexView.h"

void CTalvexView::OnCommand(int id)
{
    // Commands of the list screens do nothing while reading, and the other way round.
    switch (id) {
    case ID_FULLSCREEN_TOGGLE:
        ToggleFullScreenByReader();
        return;
    case ID_EXIT_VIEWER:
        if (CMainFrame* frame = GetParentFrame())
            QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
        return;
    default:
        break;
    }
    if (OutlineShown()) {
        if (id == ID_OPEN_ITEM)
            OpenOutlineEntry();
        else if (id == ID_OUTLINE_CLOSE)
            CloseOutline();
        return;
    }
    if (GridShown()) {
        if (id == ID_OPEN_ITEM)
            OpenGridPage(m_pageGrid.FramedPage());
        else if (id == ID_PAGE_GRID)
            ClosePageGrid();
        return;
    }
    if (!m_bContent) {
        switch (id) {
        case ID_OPEN_ITEM:
        case ID_FOLDER_EXPAND:
            OpenSelectedEntry();
            break;
        case ID_SWITCH_SCREEN_KEEP:
            SwitchScreenKeep();
            break;
        case ID_SWITCH_SCREEN_RESET:
            SwitchScreenReset();
            break;
        case ID_FOLDER_UP:
            FolderUp();
            break;
        case ID_FOLDER_TOP:
            FolderTop();
            break;
        case ID_RESUME_DELETE:
            OnResumeDelete();
            break;
        case ID_SETTINGS:
            OnSettings();
            break;
        case ID_APP_ABOUT: {
            CAboutDlg dlg(window());
            Prompt::RunModal(dlg);
            break;
        }
        default:
            break;
        }
        return;
    }
    if (Scrolls() && ScrollCommand(id))
        return;
    switch (id) {
    case ID_CLOSE_NO_RESUME:
        CloseBook(CLOSE_NO_RESUME);
        break;
    case ID_CLOSE_OVERWRITE_RESUME:
        CloseBook(CLOSE_OVERWRITE_RESUME);
        break;
    case ID_CLOSE_ADD_RESUME:
        CloseBook(CLOSE_ADD_RESUME);
        break;
    case ID_PAGE_NEXT:
        GoNextPage();
        break;
    case ID_PAGE_PREV:
        GoPrevPage();
        break;
    case ID_SKIP_FORWARD:
        GoSkipForward();
        break;
    case ID_SKIP_BACK:
        GoSkipBack();
        break;
    case ID_PAGE_FIRST:
        GoFirstPage();
        break;
    case ID_PAGE_LAST:
        GoLastPage();
        break;
    case ID_GO_TO_PAGE:
        GoToPage();
        break;
    case ID_SHOW_OUTLINE:
        ShowOutline();
        break;
    case ID_PAGE_GRID:
        ShowPageGrid();
        break;
    case ID_LAYOUT_SINGLE:
    case ID_LAYOUT_SPREAD_COVER:
    case ID_LAYOUT_SPREAD_NOCOVER:
        m_book.nLayout = id == ID_LAYOUT_SINGLE
            ? LAYOUT_SINGLE
            : (id == ID_LAYOUT_SPREAD_COVER ? LAYOUT_SPREAD_COVER : LAYOUT_SPREAD_NOCOVER);
        ApplyLayout();
        break;
    case ID_BIND_RIGHT:
    case ID_BIND_LEFT:
        if (m_book.nLayout != LAYOUT_SINGLE) {
            m_book.SetSpreadBinding(id == ID_BIND_RIGHT ? BIND_RIGHT : BIND_LEFT);
            ApplyLayout();
        }
        break;
    case ID_CROP_BORDERS:
        ToggleCrop();
        break;
    case ID_NIGHT_MODE:
        ToggleNight();
        break;
    case ID_FIT_WIDTH:
        ToggleFitWidth();
        break;
    default:
        if (const int zoom = InputRules::ZoomOfCommand(id); zoom >= 0)
            ApplyZoom(zoom);
        break;
    }
}

void CTalvexView::ToggleFullScreenByReader()
{
    CMainFrame* frame = GetParentFrame();
    if (!frame)
        return;
    frame->ToggleFullScreen();
    m_bUserFullScreen = frame->m_bFullScreen;
}

void CTalvexView::ToggleZoom()
{
    ApplyZoom(m_book.nZoom == 0 ? 5 : 0);
}

void CTalvexView::CycleLayout()
{
    m_book.nLayout
        = m_book.nLayout + 1 > LAYOUT_SPREAD_NOCOVER ? LAYOUT_SINGLE : m_book.nLayout + 1;
    ApplyLayout();
}

void CTalvexView::ToggleBinding()
{
    if (m_book.nLayout == LAYOUT_SINGLE)
        return;
    m_book.SetSpreadBinding(m_book.SpreadBinding() == BIND_RIGHT ? BIND_LEFT : BIND_RIGHT);
    ApplyLayout();
}
