#include "platform/OpeningWait.h"

#include "platform/ReaderInput.h"
#include "platform/WaitCursor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace
{
// Pages arriving call Recheck(); this only catches what a signal cannot say, such as
// time passing.
constexpr int kPollMs = 100;
// A drive that answers within this is waited for as if it were memory: no cursor, no
// loop, and nothing the reader does in between goes astray.
constexpr int kQuickMs = 30;
} // namespace

OpeningWait::OpeningWait(QWidget* widget)
    : m_widget(widget)
{
}

bool OpeningWait::Run(const std::function<bool()>& ready)
{
    if (ready())
        return true;
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, &OpeningWait::Recheck);
    poll.start(kPollMs);
    // A wait inside another keeps the outer one's state for when it ends.
    QEventLoop* outerLoop = std::exchange(m_loop, &loop);
    std::function<bool()> outerReady = std::exchange(m_ready, ready);
    const bool outerGaveUp = std::exchange(m_gaveUp, false);
    const bool outerCloseAfter = std::exchange(m_closeAfter, false);
    if (!outerLoop)
        QCoreApplication::instance()->installEventFilter(this);
    loop.exec();
    if (!outerLoop)
        QCoreApplication::instance()->removeEventFilter(this);
    // Quitting ends every loop; what is not ready by then counts as given up.
    const bool opened = !m_gaveUp && ready();
    const bool closeAfter = m_closeAfter;
    m_loop = outerLoop;
    m_ready = std::move(outerReady);
    m_gaveUp = outerGaveUp;
    m_closeAfter = outerCloseAfter;
    if (closeAfter && outerLoop) {
        // Closing the window ends the waits around this one too.
        m_closeAfter = true;
        GiveUp();
    } else if (closeAfter) {
        QMetaObject::invokeMethod(m_widget->window(), &QWidget::close, Qt::QueuedConnection);
    }
    return opened;
}

void OpeningWait::Recheck()
{
    if (m_loop && m_ready && m_ready())
        m_loop->quit();
}

bool OpeningWait::Await(BackgroundTask& task)
{
    if (task.WaitFor(kQuickMs))
        return true;
    const WaitCursor busy;
    const QMetaObject::Connection told
        = connect(&task, &BackgroundTask::done, this, &OpeningWait::Recheck);
    const bool ended = Run([&task] { return task.IsDone(); });
    disconnect(told);
    if (!ended)
        task.Abandon();
    return ended;
}

void OpeningWait::GiveUp()
{
    m_gaveUp = true;
    if (m_loop)
        m_loop->quit();
}

bool OpeningWait::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && watched == m_widget->window()) {
        m_closeAfter = true;
        GiveUp();
        event->ignore();
        return true;
    }
    // Releases go through: they act on nothing, and whoever tracks held keys needs them.
    if (!IsReaderInput(event) || event->type() == QEvent::KeyRelease)
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
        GiveUp();
    event->accept();
    return true;
}
