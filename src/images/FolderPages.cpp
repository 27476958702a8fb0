#include "images/FolderPages.h"

#include "images/AbortableFile.h"
#include "images/ImageRules.h"
#include "platform/Paths.h"

FolderPages::FolderPages(const QString& folder, const QStringList& names)
    : m_folder(folder)
    , m_names(names)
{
}

int FolderPages::Count() const
{
    return int(m_names.size());
}

QString FolderPages::PageId(int n) const
{
    return ImageRules::PagePath(m_folder, m_names, n);
}

QString FolderPages::RecordPath(int n) const
{
    return PageId(n);
}

std::unique_ptr<QIODevice> FolderPages::Open(
    const QString& pageId, const std::function<bool()>& abandoned) const
{
    auto file = std::make_unique<AbortableFile>(abandoned);
    if (!Paths::OpenForReading(*file, pageId))
        return nullptr;
    return file;
}
