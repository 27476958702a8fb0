#include "images/AbortableFile.h"

AbortableFile::AbortableFile(const QString& path, std::function<bool()> abandoned)
    : QFile(path)
    , m_abandoned(std::move(abandoned))
{
}

qint64 AbortableFile::readData(char* data, qint64 maxSize)
{
    if (m_abandoned && m_abandoned())
        return -1;
    return QFile::readData(data, maxSize);
}
