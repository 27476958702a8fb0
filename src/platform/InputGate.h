#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <list>
#include <memory>

class QEvent;

// Holds back the reader's keys, clicks, wheel turns, menu requests and posted
// commands for some widgets while it is shut, and hands them over in their order once
// it opens, as if the program had been busy: a key pressed while a page was still
// being decoded acts on the page it was pressed after.
class InputGate : public QObject
{
public:
    explicit InputGate(QObject* parent = nullptr);
    ~InputGate() override;

    void Guard(QObject* receiver);
    void Shut();
    // Delivers what was held, oldest first, until something shuts the gate again.
    void Open();
    bool IsShut() const { return m_shut; }
    qsizetype HeldCount() const { return m_held.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    bool m_shut = false;
    QList<QPointer<QObject>> m_guarded;
    std::list<Held> m_held;
};
