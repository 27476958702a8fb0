#pragma once

#include <QEvent>

// The two messages posted to the viewer: a pad cell was pressed (the cell in value),
// and the settings slider moved (the pad size in percent in value). Posting rather than
// calling lets the pad finish with its own mouse handling before the viewer acts.
constexpr QEvent::Type WM_PAD_COMMAND = QEvent::Type(0x8004);
constexpr QEvent::Type WM_PAD_SIZE = QEvent::Type(0x8005);

class PadEvent : public QEvent
{
public:
    PadEvent(QEvent::Type type, int value)
        : QEvent(type)
        , m_nValue(value)
    {
    }
    int Value() const { return m_nValue; }
    PadEvent* clone() const override { return new PadEvent(*this); }

private:
    int m_nValue;
};
