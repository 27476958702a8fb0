#include "platform/InputGate.h"

#include "platform/ReaderInput.h"

#include <QCoreApplication>
#include <QEvent>

InputGate::InputGate(QObject* parent)
    : QObject(parent)
{
}

InputGate::~InputGate()
{
    if (m_shut && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void InputGate::Guard(QObject* receiver)
{
    m_guarded.append(receiver);
}

void InputGate::Shut()
{
    if (m_shut)
        return;
    m_shut = true;
    QCoreApplication::instance()->installEventFilter(this);
}

void InputGate::Open()
{
    if (!m_shut)
        return;
    m_shut = false;
    QCoreApplication::instance()->removeEventFilter(this);
    while (!m_shut && !m_held.empty()) {
        Held held = std::move(m_held.front());
        m_held.pop_front();
        if (held.receiver)
            QCoreApplication::sendEvent(held.receiver, held.event.get());
    }
}

bool InputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_shut || !IsReaderInput(event) || !m_guarded.contains(watched))
        return false;
    m_held.push_back({ watched, std::unique_ptr<QEvent>(event->clone()) });
    event->accept();
    return true;
}
