#include "platform/KeyTracker.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

KeyTracker::KeyTracker(QObject* parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

KeyTracker::~KeyTracker()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool KeyTracker::IsRepeat(const QKeyEvent& press) const
{
    if (press.isAutoRepeat())
        return true;
    const Stamp stamp { press.type(), press.nativeScanCode(), press.timestamp() };
    return stamp.code != 0 && stamp == m_last && m_lastWasDown;
}

bool KeyTracker::eventFilter(QObject*, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationStateChange
        && static_cast<QApplicationStateChangeEvent*>(event)->applicationState()
            != Qt::ApplicationActive) {
        // Releases made elsewhere are never seen; start afresh when the reader comes back.
        m_down.clear();
        return false;
    }
    if (type == QEvent::WindowBlocked || type == QEvent::WindowUnblocked) {
        // While a modal window opens or closes, releases go to a window that is blocked
        // or gone, and Qt drops them unseen: a key that opened or closed a dialog would
        // otherwise count as held, and its next press as a repeat.
        m_down.clear();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Stamp stamp { type, key->nativeScanCode(), key->timestamp() };
    if (stamp.code == 0 || stamp == m_last)
        return false;
    m_last = stamp;
    if (type == QEvent::KeyPress) {
        m_lastWasDown = m_down.contains(stamp.code);
        m_down.insert(stamp.code);
    } else if (!key->isAutoRepeat()) {
        m_down.remove(stamp.code);
    }
    return false;
}
