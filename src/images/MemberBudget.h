#pragma once

#include <QtGlobal>

#include <functional>

// The bytes of archive members held in memory at once, by every thread of the program
// together: members being read and the pages handed out until their decoders let go of
// them. A reader takes its share before it allocates and waits while others hold the
// rest, so that three threads reading three large members never add up to more than
// the program can spare.
class MemberBudget
{
public:
    // Two of the largest members a page may have (ArchivePages::kMaxMemberBytes).
    static constexpr qint64 kBytes = qint64(128) << 20;

    // A holder's part of the budget, given back when it ends.
    class Share
    {
    public:
        Share() = default;
        ~Share();
        Share(Share&& other) noexcept;
        Share& operator=(Share&& other) noexcept;
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        // Makes the share bytes large, waiting for others to give back what it lacks;
        // false when it never could be, when it waited too long or once abandoned.
        bool GrowTo(qint64 bytes, const std::function<bool()>& abandoned);
        qint64 Bytes() const { return m_bytes; }

    private:
        qint64 m_bytes = 0;
    };

    // What all shares hold now.
    static qint64 Held();
};
