#include "pad/PadRules.h"
#include "view/PadCommands.h"
#include "view/TalvexView.h"

#include <QCoreApplication>
#include <QKeyEvent>

void CTalvexView::ApplyPadSize()
{
    m_dlgControl.resize(PadRules::PadSize(m_nPadSize));
    if (m_dlgControl.isVisible())
        m_dlgControl.update();
}

void CTalvexView::TogglePad(const QPoint& point)
{
    if (m_dlgControl.isVisible()) {
        m_dlgControl.hide();
        return;
    }
    // The click lands on the grip, so the new pad can be dragged at once.
    m_dlgControl.move(mapToGlobal(PadRules::PadOrigin(point, m_nPadSize)));
    m_dlgControl.show();
    m_dlgControl.raise();
}

void CTalvexView::DispatchPadCommand(int code)
{
    const PadCommands::PadAction action
        = PadCommands::PadCommand(code, InputRules::Screen(InputScreen()));
    if (action.listKey != 0) {
        QCoreApplication::postEvent(
            &KeyTarget(), new QKeyEvent(QEvent::KeyPress, action.listKey, Qt::NoModifier));
    } else if (action.action == InputRules::ACT_HIDE_PAD) {
        m_dlgControl.hide();
    } else if (InputScreen() == InputRules::SCREEN_CONTENT) {
        // ◀ and ▶ turn the page as Left and Right do.
        RunAction(ReadingSideAction(action.action));
    } else {
        RunAction(action.action);
    }
}
