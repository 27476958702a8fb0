#include "platform/ReaderInput.h"

#include <QEvent>

bool IsReaderInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return event->type() >= QEvent::User && event->type() <= QEvent::MaxUser;
    }
}
