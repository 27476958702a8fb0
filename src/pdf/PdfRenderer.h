#pragma once

#include "pdf/PdfOutline.h"

#include <QImage>
#include <QList>
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
};

// An image to render: the pieces of a spread over a background.
struct RenderJob {
    QString key;
    QRect area; // what the image covers, in the caller's coordinates
    QSize imageSize; // device pixels
    qreal devicePixelRatio = 1;
    QList<RenderPiece> pieces;
};

// Renders PDF pages on a worker thread with a document of its own, so the reader's
// thread never waits for poppler. Each Submit replaces the waiting jobs: the first is
// what shows now, the rest is read-ahead. A render that nobody wants any more is
// abandoned. Results come back as queued signals. Every document gets a worker of its
// own; a worker whose document is let go finishes its render in the background, so
// closing a book and quitting never wait for poppler. Once the first render is done, the
// worker reads the document's outline, so that neither the page nor the reader waits for
// a long one.
class PdfRenderer : public QObject
{
    Q_OBJECT
public:
    static const QColor kBackground;

    PdfRenderer();
    ~PdfRenderer() override;

    // Opens path on a new worker; an empty path only lets the document go.
    void Open(const QString& path);
    void Submit(const QList<RenderJob>& jobs);

    // Runs on the worker before each render (tests hold a render up with it).
    static void setRenderHook(std::function<void()> hook);

signals:
    void rendered(const QString& key, const QImage& image, const QRect& area);
    // Once per document opened, empty when it has no outline.
    void outlineRead(const QList<OutlineEntry>& entries);

private:
    struct Worker;
    static void Run(const std::shared_ptr<Worker>& worker);
    static QImage Render(Worker& worker, const RenderJob& job);
    void Retire();

    std::shared_ptr<Worker> m_worker;
};
