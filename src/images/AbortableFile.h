#pragma once

#include <QFile>

#include <functional>

// A file whose reads fail once the reader has given up on it, so that a decoder
// working through it stops at its next read instead of finishing a page nobody wants.
// Each read is marked on the thread's ReadWatch, so that a read that never returns can be
// told from a decode that is merely slow.
class AbortableFile : public QFile
{
public:
    explicit AbortableFile(std::function<bool()> abandoned);

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    std::function<bool()> m_abandoned;
};
