#pragma once

#include "platform/BackgroundTask.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QWidget;

// Waits for a book to open, or for a drive to answer, while the window goes on painting
// and answering the window system. Nothing the reader does acts meanwhile but Esc, which
// gives the wait up; closing the window gives it up too, and the window closes once the
// wait has ended. Waits may nest: Esc gives up the innermost.
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

    // Waits for the task with the busy cursor; a task that ends at once is waited for
    // without a cursor or a loop. A task given up is abandoned. False when given up.
    bool Await(BackgroundTask& task);
    // Runs work off this thread and waits for its result; nothing when given up.
    template <typename T, typename F> std::optional<T> Compute(F work)
    {
        auto result = std::make_shared<std::optional<T>>();
        BackgroundTask task(
            [result, work = std::move(work)](
                const BackgroundTask::Abandoned& abandoned) { *result = work(abandoned); });
        if (!Await(task))
            return std::nullopt;
        return std::move(*result);
    }

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
