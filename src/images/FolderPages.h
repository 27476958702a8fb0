#pragma once

#include "images/PageSource.h"

#include <QStringList>

// The pages of a folder book: image files of one folder, in the order given. Any page
// id is the path of a file, so a source of no pages opens files by their paths.
class FolderPages : public PageSource
{
public:
    FolderPages() = default;
    FolderPages(const QString& folder, const QStringList& names);

    int Count() const override;
    QString PageId(int n) const override;
    QString RecordPath(int n) const override;
    std::unique_ptr<QIODevice> Open(
        const QString& pageId, const std::function<bool()>& abandoned) const override;

private:
    QString m_folder;
    QStringList m_names;
};
