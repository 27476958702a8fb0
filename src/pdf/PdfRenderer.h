#pragma once

#include "pdf/PdfOutline.h"
#include "pdf/PdfPassword.h"
#include "pdf/PopplerDocuments.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

// One page, or the visible part of it, in a rendered image.
struct RenderPiece {
    int pageIndex = 0; // 0-based
    double dpi = 72; // device pixels per inch
    QRect pageRect; // the whole page at that resolution, in image coordinates
    QRect clip; // the part of it shown, in image coordinates; empty for the whole page
};

// An image to render: the pieces of a spread over a background.
struct RenderJob {
    QString key;
    QRect area; // what the image covers, in the caller's coordinates
    QSize imageSize; // device pixels
    qreal devicePixelRatio = 1;
    QList<RenderPiece> pieces;
    // The pages' colours turned over for night reading (the background stays).
    bool night = false;
};

// Renders PDF pages on worker threads, one per core (two at most), each with a document of
// its own, so the reader's thread never waits for poppler. Each Submit replaces the waiting
// jobs: the first is what shows now, the rest is read-ahead, taken by whichever thread is
// free. A render that nobody wants any more is abandoned. Results come back as queued
// signals. Every document gets threads of its own; a thread whose document is let go
// finishes its render in the background, so closing a book and quitting never wait for
// poppler. Once the first render is done, the document's outline is read, with a document
// of its own, so that neither the page nor the reader waits for a long one. The reader's
// thread holds no document at all: sizes of pages are read here too.
class PdfRenderer : public QObject
{
    Q_OBJECT
public:
    static const QColor kBackground;

    PdfRenderer();
    ~PdfRenderer() override;

    // Opens path on new threads, with the password of a locked book; an empty path only
    // lets the document go. The threads forget the password once their documents are open.
    // A document of path opened already serves the first thread, which then starts at once.
    void Open(const QString& path, const PdfPassword& password = {},
        PopplerDocuments::Document opened = {});
    void Submit(const QList<RenderJob>& jobs);
    // Asks for the sizes of pages (counted from 1), before any render: reaching a page
    // far into a large or damaged file can take long, and must not hold the reader up.
    void WantSizes(const QList<int>& pages);
    // Asks for the sizes of pages in this order, read a slice at a time on a thread of
    // their own once the first page is rendered: those of a whole book, read for how its
    // pages pair. They replace those asked for so before and not read yet.
    void WantSizesLater(const QList<int>& pages);
    // Asks for what is left of pages (counted from 1) once their borders are cut, found on
    // small renders of them before any render of a spread.
    void WantContents(const QList<int>& pages);

    // Runs on the worker before each render (tests hold a render up with it).
    static void setRenderHook(std::function<void()> hook);

signals:
    void rendered(const QString& key, const QImage& image, const QRect& area);
    // Once per document opened, empty when it has no outline.
    void outlineRead(const QList<OutlineEntry>& entries);
    // Sizes of pages asked for, in points; a page without a usable size has A4's.
    void sizesRead(const QMap<int, QSizeF>& sizes);
    // Contents asked for, in fractions of each page; a page that cannot be rendered
    // keeps the whole.
    void contentsRead(const QMap<int, QRectF>& contents);

private:
    struct Shared;
    struct Worker;
    static void Run(const std::shared_ptr<Shared>& shared);
    static QImage Render(Worker& worker, const RenderJob& job);
    static QMap<int, QSizeF> ReadSizes(Worker& worker, const QList<int>& pages);
    static QRectF ReadContent(Worker& worker, int page);
    static void ReadSizesLater(const std::shared_ptr<Shared>& shared, bool takesPassword);
    // Reads sizes from the front of pages for a short slice of time, taking them off it.
    static QMap<int, QSizeF> ReadSizesFor(const Poppler::Document& document, QList<int>& pages);
    static void TellSizes(const std::shared_ptr<Shared>& shared, const QMap<int, QSizeF>& sizes);
    // The password for one more document; the last to take it wipes the shared copy.
    static PdfPassword TakePassword(Shared& shared);
    static void ReadOutline(const std::shared_ptr<Shared>& shared, const PdfPassword& password);
    void Retire();
    // Adds the pages not asked for yet to one of the lists the threads work through.
    void Want(QList<int> Shared::*wanted, const QList<int>& pages);

    std::shared_ptr<Shared> m_shared;
};
