#include "browser/FileSizeReader.h"

#include "platform/Paths.h"

#include <QElapsedTimer>

namespace
{
// A batch is told once it has taken this long, so a slow drive fills the list in steps.
constexpr qint64 kBatchMs = 60;
} // namespace

FileSizeReader::FileSizeReader(QObject* parent)
    : QObject(parent)
{
}

FileSizeReader::~FileSizeReader() = default;

void FileSizeReader::Start(const QStringList& paths)
{
    Stop();
    m_paths = paths;
    ReadNext();
}

void FileSizeReader::Stop()
{
    m_task.reset();
    m_paths.clear();
    m_next = 0;
}

void FileSizeReader::ReadNext()
{
    if (m_next >= m_paths.size()) {
        Stop();
        return;
    }
    const qsizetype first = m_next;
    const QStringList paths = m_paths.mid(first);
    auto sizes = std::make_shared<QList<qint64>>();
    m_task = std::make_unique<BackgroundTask>(
        [paths, sizes](const BackgroundTask::Abandoned& abandoned) {
            QElapsedTimer batch;
            batch.start();
            for (const QString& path : paths) {
                if (abandoned() || (!sizes->isEmpty() && batch.elapsed() >= kBatchMs))
                    return;
                sizes->append(path.isEmpty() ? -1 : Paths::FileSize(path));
            }
        });
    connect(m_task.get(), &BackgroundTask::done, this, [this, first, sizes] {
        // The task telling this goes once it is done telling.
        m_task.release()->deleteLater();
        m_next = first + sizes->size();
        // Told after the next batch has started: a slot may start another list.
        ReadNext();
        emit sizesRead(first, *sizes);
    });
}
