#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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
// abandoned. Results come back as queued signals.
namespace Poppler
{
class Document;
}

class PdfRenderer : public QObject
{
    Q_OBJECT
public:
    static const QColor kBackground;

    PdfRenderer();
    ~PdfRenderer() override;

    // Opens path on the worker. An empty path releases the document and returns once
    // it is released, so its file can be deleted.
    void Open(const QString& path);
    void Submit(const QList<RenderJob>& jobs);

signals:
    void rendered(const QString& key, const QImage& image, const QRect& area);

private:
    void Run();
    QImage Render(const RenderJob& job);
    static bool ShouldAbort(const QVariant& closure);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_opened;
    QString m_wantPath;
    QString m_docPath;
    bool m_loading = false;
    QList<RenderJob> m_jobs;
    QString m_runningKey;
    std::atomic<bool> m_abortRunning { false };
    bool m_stop = false;
    std::unique_ptr<Poppler::Document> m_doc; // touched by the worker only
    std::thread m_thread;
};
