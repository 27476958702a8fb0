#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

// Small pictures of many items (the pages of a book, the books of a folder), made on two
// threads of their own a notch below the page engines', so that a turn or an opening never
// waits for them. The items wanted are made in the order asked, those in sight first; only
// those last wanted are held, so that a grid of thousands of items takes the memory of
// the few screens around it. Nothing here reads a file on the window's thread: the makers
// do, on the workers.
class ThumbQueue : public QObject
{
    Q_OBJECT
public:
    using Abandoned = std::function<bool()>;
    // Makes one item's picture; a null image when it cannot be made.
    using Make = std::function<QImage(int item, const Abandoned& abandoned)>;
    // Gives each worker its own maker (a PDF's thread its own document), once per Start.
    using Factory = std::function<Make()>;

    static constexpr int kThreads = 2;

    explicit ThumbQueue(QObject* parent = nullptr);
    // Never waits: a maker under way ends on its own and its result goes nowhere.
    ~ThumbQueue() override;

    // A new set of items: everything held or asked for goes.
    void Start(Factory factory);
    void Stop();
    // The items wanted, those on the screen first. Each call replaces the one before;
    // items held and not wanted any more go.
    void Want(const QList<int>& items);
    // The item's picture once made; a null image until then.
    QImage Thumb(int item) const;
    // The item's picture could not be made.
    bool Failed(int item) const;
    qint64 HeldBytes() const;

signals:
    // Pictures of items wanted arrived.
    void arrived();

private:
    struct Shared;
    struct Result {
        int generation;
        int item;
        QImage image;
    };
    static bool StartThread(const std::shared_ptr<Shared>& shared);
    static void Work(const std::shared_ptr<Shared>& shared);
    void TakeResults();

    std::shared_ptr<Shared> m_shared;
    QHash<int, QImage> m_held;
    QSet<int> m_failed;
    QList<int> m_wanted;
};
