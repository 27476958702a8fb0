#include "view/OpeningWait.h"

#include "view/ReaderInput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace
{
// Pages arriving call Recheck(); this only catches what a signal cannot say, such as
// time passing.
constexpr int kPollMs = 100;
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
    m_loop = &loop;
    m_ready = ready;
    m_gaveUp = false;
    m_closeAfter = false;
    QCoreApplication::instance()->installEventFilter(this);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(this);
    m_loop = nullptr;
    m_ready = nullptr;
    // Quitting ends every loop; what is not ready by then counts as given up.
    const bool opened = !m_gaveUp && ready();
    if (m_closeAfter)
        QMetaObject::invokeMethod(m_widget->window(), &QWidget::close, Qt::QueuedConnection);
    return opened;
}

void OpeningWait::Recheck()
{
    if (m_loop && m_ready && m_ready())
        m_loop->quit();
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
