#include "images/AbortableFile.h"

#include "images/ReadWatch.h"

AbortableFile::AbortableFile(std::function<bool()> abandoned)
    : m_abandoned(std::move(abandoned))
{
}

qint64 AbortableFile::readData(char* data, qint64 maxSize)
{
    if (m_abandoned && m_abandoned())
        return -1;
    const ReadWatch::Scope reading;
    return QFile::readData(data, maxSize);
}
