#pragma once

#include <QtGlobal>

#include <atomic>

// Tells, for a thread that decodes pages, whether it is inside a read of the file system
// and since when. A decoder that ignores the reader's giving up is merely slow and comes
// back; a thread inside one read for long is stuck on a dead drive or a pipe, and only
// such a thread is worth leaving behind.
class ReadWatch
{
public:
    // Milliseconds on a steady clock since the read began; 0 while no read is under way.
    using Mark = std::atomic<qint64>;

    // This thread's reads are marked on mark from now on; nullptr: nowhere.
    static void Attach(Mark* mark);
    static qint64 Now();

    // A read under way on this thread, for as long as the scope lasts. Scopes nest: the
    // outermost one's start counts.
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Mark* m_mark = nullptr;
    };
};
