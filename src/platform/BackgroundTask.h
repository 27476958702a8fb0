#pragma once

#include <QObject>

#include <functional>
#include <memory>

// A piece of file or library work run on a thread of its own, so that the reader's
// thread never waits on a drive. The work is told whether it is still wanted; once
// given up it is left to end on its own, and what it leaves goes with it. Results go
// through state the work shares with the caller, never through the caller's stack.
class BackgroundTask : public QObject
{
    Q_OBJECT
public:
    using Abandoned = std::function<bool()>;
    using Work = std::function<void(const Abandoned& abandoned)>;

    // Starts at once. When no thread can be started the work runs here, before this
    // returns.
    explicit BackgroundTask(Work work, QObject* parent = nullptr);
    // Gives the work up when it has not ended; never waits for it.
    ~BackgroundTask() override;

    // Runs on the task's thread before each work (tests stand in a slow drive with it).
    static void setWorkHook(std::function<void()> hook);

    bool IsDone() const;
    // Blocks up to timeoutMs for the work to end; true once it has.
    bool WaitFor(int timeoutMs) const;
    void Abandon();

signals:
    // On the thread this lives on, once the work has ended and was not given up.
    void done();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
