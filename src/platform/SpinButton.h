#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Up and down arrows that step the number in an edit field within a range, the way
// a spin button beside an edit does. Unlike a spin box it never changes what the
// reader typed until an arrow is used, so a number out of range can be refused.
class SpinButton : public QWidget
{
    Q_OBJECT
public:
    SpinButton(QLineEdit* buddy, QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    void Step(int delta);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QLineEdit* m_pBuddy;
    QToolButton* m_pUp;
    QToolButton* m_pDown;
    int m_nMin = 0;
    int m_nMax = 100;
};
