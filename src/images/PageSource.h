#pragma once

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>

// Where the pages of an image book come from: the image files of a folder, or the
// image members of an archive. The view, the engine and the shape reader ask only this,
// never which kind of book is open. Every method may be called from any thread.
class PageSource
{
public:
    virtual ~PageSource() = default;

    virtual int Count() const = 0;
    // The name of page n (counted from 1) among the pages of every book, which keys its
    // decoded pictures; "" outside the book.
    virtual QString PageId(int n) const = 0;
    // The path a book record names when the book is at page n.
    virtual QString RecordPath(int n) const = 0;
    // The page's bytes to read, or null when it cannot be read. Stops early, failing,
    // once abandoned() says nobody wants the page any more.
    virtual std::unique_ptr<QIODevice> Open(
        const QString& pageId, const std::function<bool()>& abandoned) const = 0;
};
