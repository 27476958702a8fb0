#pragma once

#include <QAction>
#include <QMenu>
#include <QWheelEvent>
#include <QtTest>

// Input as the reader gives it, for the widget tests.

inline void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(target, key, mods);
}

// One notch of the wheel at a point of target: vertical with dy, sideways with dx.
inline void Wheel(QWidget* target, const QPoint& at, int dx, int dy)
{
    QWheelEvent event(QPointF(at), target->mapToGlobal(QPointF(at)), QPoint(), QPoint(dx, dy),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

// The item of a menu, nested ones included, that carries a command id.
inline const QAction* FindAction(const QMenu& menu, int id)
{
    for (const QAction* action : menu.actions()) {
        if (action->menu()) {
            if (const QAction* inner = FindAction(*action->menu(), id))
                return inner;
        } else if (action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}
