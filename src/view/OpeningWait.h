#pragma once

#include <QObject>

#include <functional>

class QEventLoop;
class QWidget;

// Waits for a book to open while the window goes on painting and answering the window
// system. Nothing the reader does acts meanwhile but Esc, which gives the opening up;
// closing the window gives it up too, and the window closes once the wait has ended.
class OpeningWait : public QObject
{
public:
    // widget: any widget of the window the wait belongs to.
    explicit OpeningWait(QWidget* widget);

    // Runs until ready() says yes, checked whenever Recheck() is called and now and
    // then besides. False when the reader gave up first.
    bool Run(const std::function<bool()>& ready);
    void Recheck();
    bool IsRunning() const { return m_loop != nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GiveUp();

    QWidget* m_widget;
    QEventLoop* m_loop = nullptr;
    std::function<bool()> m_ready;
    bool m_gaveUp = false;
    bool m_closeAfter = false;
};
