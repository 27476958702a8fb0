#pragma once

#include <QEvent>
#include <QObject>
#include <QSet>

class QKeyEvent;

// Which keys are down, from every key press and release the application sees, so that
// a key held down counts as held whatever the window system says of its repeats: a
// press of a key that never came up is a repeat. Keys the program makes itself carry
// no scan code and are never taken for held ones.
class KeyTracker : public QObject
{
public:
    explicit KeyTracker(QObject* parent = nullptr);
    ~KeyTracker() override;

    // The key-down is a repeat of a key already down.
    bool IsRepeat(const QKeyEvent& press) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Stamp {
        QEvent::Type type = QEvent::None;
        quint32 code = 0;
        quint64 time = 0;
        bool operator==(const Stamp&) const = default;
    };

    QSet<quint32> m_down;
    // The last key event seen: the same event passes several receivers on its way.
    Stamp m_last;
    bool m_lastWasDown = false;
};
