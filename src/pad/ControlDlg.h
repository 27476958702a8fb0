#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

// The remote pad: a small floating window of 21 buttons that stays above the others,
// never takes the keyboard from the reader, and posts the number of the button pressed
// to its receiver. A command goes on release, and only if the pointer never left the
// button. The grip drags the window once the mouse moves with the button down.
class CControlDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CControlDlg(QWidget* parent);

    // Where WM_PAD_COMMAND goes.
    QPointer<QObject> m_pView;
    // The tooltip of a cell, "" for none: what it does on the screen shown, and its key.
    std::function<QString(int cell)> m_cellTip;
    int m_nPressed = -1;

    // Asks the window system to move a window with the mouse; false where it cannot
    // (no window manager, or one without the move request). Tests stand in for it.
    static void setSystemMove(std::function<bool(QWindow*)> move);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Release();

    static std::function<bool(QWindow*)> s_systemMove;

    QImage m_skin;
    // The grip held down: no move yet, or the pad following the mouse itself because no
    // window manager moves it. Once a manager moves it, the pad leaves it alone.
    enum class Grip { Idle, Held, Following };
    Grip m_grip = Grip::Idle;
    // Where the grip was pressed, inside the pad.
    QPoint m_grab;
};
