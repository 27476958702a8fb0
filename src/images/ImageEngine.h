#pragma once

#include "images/PageImage.h"
#include "images/PageKey.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

// Decodes the pages of the open book on two threads of its own, never the reader's,
// and holds them within a byte budget. The reader says which pages it wants, in
// priority order; each call replaces the waiting work, and work under way that is
// still wanted goes on. A result arrives only for the book still open and a page still
// wanted. Closing the book returns at once: reads under way fail at their next step.
class ImageEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultBudget = qint64(192) << 20;

    explicit ImageEngine(qint64 budget = kDefaultBudget, QObject* parent = nullptr);
    ~ImageEngine() override;

    // The first inSight keys are on the screen and always held; the rest (read-ahead)
    // only while the budget allows.
    void Want(const QList<PageKey>& keys, int inSight);
    // The result for key, once decoded: a null image when the file could not be.
    std::optional<PageImage> Held(const PageKey& key) const;
    // The largest picture of a file held at any size.
    std::optional<PageImage> Largest(const QString& path) const;
    // Blocks until every key has its result; false when the time ran out first.
    bool WaitFor(const QList<PageKey>& keys, int timeoutMs);
    void Close();
    // Nothing waiting and nothing being decoded.
    bool IsIdle() const;
    qint64 HeldBytes() const;

    // Runs on the decoding thread before each decode (tests slow decoding down with it).
    static void setDecodeHook(std::function<void(const QString& path)> hook);

signals:
    // A page of the open book was decoded (or failed), and is still wanted.
    void pageDecoded(const QString& path);

private:
    struct Shared;
    static void Work(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::vector<std::thread> m_threads;
};
