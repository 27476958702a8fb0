#pragma once

#include "images/PageShape.h"
#include "images/PageSource.h"

#include <QObject>
#include <QSize>

#include <functional>
#include <memory>

// Reads the shapes of a book's pages from their files' headers, on a thread of its
// own, so that a book of many pages opens at once. The page opened at and the few
// after it come first, then the pages before it (they decide how it pairs), then the
// rest. A read that never returns holds up nothing but this thread, which is left
// behind once the book closes.
class PageShapeReader : public QObject
{
    Q_OBJECT
public:
    explicit PageShapeReader(QObject* parent = nullptr);
    ~PageShapeReader() override;

    // Starts on the pages of a book; what was read of the book before is dropped.
    void Start(std::shared_ptr<const PageSource> pages, int fromPage);
    // Returns at once; nothing more arrives.
    void Stop();
    // One shape per page, as far as they are read.
    PageShapes Shapes() const;
    // One size per page, upright, as far as they are read; an invalid one for a page not
    // read yet or whose header cannot be read.
    QList<QSize> Sizes() const;

    // The shape of one file: wide when it is wider than tall once turned upright. JPEG,
    // PNG, AVIF and JPEG XL headers are read here, other types by Qt's readers.
    static PageShape ShapeOf(const QString& path, const std::function<bool()>& abandoned = {});
    static PageShape ShapeOf(QIODevice& page);
    static QSize UprightSize(QIODevice& page);
    // The order pages are read in, counted from 0.
    static QList<int> ReadingOrder(int count, int fromPage);

signals:
    // More shapes are known. A burst of them is told once.
    void shapesRead();

private:
    struct Shared;
    static void Read(const std::shared_ptr<Shared>& shared, const PageSource& pages);

    std::shared_ptr<Shared> m_shared;
};
