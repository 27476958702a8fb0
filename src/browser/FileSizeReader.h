#pragma once

#include "platform/BackgroundTask.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

// Reads the sizes of a list's files off the reader's thread, so that a list shows at
// once and fills in as a slow drive answers. What is read is told a batch at a time; a
// drive that never answers holds up nothing but the reading.
class FileSizeReader : public QObject
{
    Q_OBJECT
public:
    explicit FileSizeReader(QObject* parent = nullptr);
    ~FileSizeReader() override;

    // Drops what was under way and reads these; "" needs no reading.
    void Start(const QStringList& paths);
    void Stop();
    bool IsReading() const { return m_task != nullptr; }

signals:
    // The sizes of paths first, first + 1 ...: -1 where there is no file (gone, a folder).
    void sizesRead(qsizetype first, const QList<qint64>& sizes);

private:
    void ReadNext();

    QStringList m_paths;
    qsizetype m_next = 0;
    std::unique_ptr<BackgroundTask> m_task;
};
