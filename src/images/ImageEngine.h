#pragma once

#include "images/PageImage.h"
#include "images/PageKey.h"
#include "images/PageSource.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// Decodes the pages of the open book on two threads of its own, never the reader's,
// and holds them within a byte budget. The reader says which pages it wants, in
// priority order; each call replaces the waiting work, work under way that is still
// wanted goes on, and work nobody wants any more stops at its next step where its
// decoder can stop. Read-ahead starts once the pages in sight are decoded; read-ahead
// whose decoder cannot stop keeps to one thread, so that a page coming in sight always
// finds a thread (taking the place of read-ahead that can stop). What every decode under
// way will take is told from the page's header and counted against the budget before it
// starts: read-ahead waits for room, a page in sight may go over only while it decodes
// alone, and a page whose decode alone would take more than PageImage::kLargestDecode, or
// that cannot be given the memory it needs, is a damaged page. A result arrives only for
// the book still open and a page still wanted. Closing the book returns at once. A
// thread stuck inside a read that never returns (a dead network drive, a pipe) is left
// behind and replaced; one that is only decoding slowly is not.
class ImageEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultBudget = qint64(192) << 20;
    static constexpr qint64 kLargestBudget = qint64(512) << 20;

    // The budget for a screen of that many device pixels: a page turn and a magnified
    // step must find their pages decoded, and on a large screen the spreads in sight,
    // ahead and behind, with the magnifier's copies of two of them, take twelve screens.
    static qint64 BudgetFor(const QSize& screenPixels);

    explicit ImageEngine(qint64 budget = kDefaultBudget, QObject* parent = nullptr);
    ~ImageEngine() override;

    // The first inSight keys are on the screen and always held; the rest (read-ahead)
    // only while the budget allows.
    void Want(const QList<PageKey>& keys, int inSight);
    void SetBudget(qint64 budget);
    // Where the keys' pages are read from from now on; until then, files by their paths.
    void SetSource(std::shared_ptr<const PageSource> source);
    // The result for key, once decoded: a null image when the file could not be.
    std::optional<PageImage> Held(const PageKey& key) const;
    // The largest picture of a file held at any size.
    std::optional<PageImage> Largest(const QString& path) const;
    // Blocks until every key has its result; false when the time ran out first.
    bool WaitFor(const QList<PageKey>& keys, int timeoutMs);
    void Close();
    // Nothing being decoded, and nothing waiting that could start.
    bool IsIdle() const;
    qint64 HeldBytes() const;
    // Threads that decode, and threads left behind in a read that never returned.
    int Workers() const;
    int LeftBehind() const;

    // Runs on the decoding thread at the start of each decode, once the page is open and
    // its decode admitted to the budget, with the test
    // of whether the page is still wanted (tests slow decoding down with it, and mark a
    // read with ReadWatch::Scope that never returns).
    using DecodeHook = std::function<void(const QString& path, const std::function<bool()>&)>;
    static void setDecodeHook(DecodeHook hook);

signals:
    // A page of the open book was decoded (or failed), and is still wanted.
    void pageDecoded(const QString& path);

private:
    struct Shared;
    struct Worker;
    struct Task;
    static void Work(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Worker>& me);
    // Starts threads until there are enough; false when none can be started at all.
    bool EnsureWorkers();
    // Leaves behind workers whose abandoned decode has not come back for too long.
    void ReplaceStuckWorkers();

    std::shared_ptr<Shared> m_shared;
    QTimer m_watch;
};
