#include "browser/ResumeLookup.h"

ResumeLookup::ResumeLookup(const BookRecordList& resumeItems)
{
    for (const BookRecord& entry : resumeItems) {
        const QString key = entry.strPath.toCaseFolded();
        if (!m_first.contains(key))
            m_first.insert(key, entry);
    }
}

void ResumeLookup::Apply(BookRecord& record) const
{
    if (!m_first.isEmpty()) {
        const auto it = m_first.constFind(record.strPath.toCaseFolded());
        if (it != m_first.constEnd()) {
            record.nPage = it->nPage;
            record.nPageCount = it->nPageCount;
            record.nLayout = it->nLayout;
            record.nZoom = it->nZoom;
            // A manga read right to left opens that way again, as it opens on its page.
            record.bRightToLeft = it->bRightToLeft;
            record.bCrop = it->bCrop;
            record.bFitWidth = it->bFitWidth;
            return;
        }
    }
    record.nPage = -1;
    record.nPageCount = -1;
    record.nLayout = 0;
    record.nZoom = 0;
    record.bRightToLeft = false;
    record.bCrop = false;
    record.bFitWidth = false;
}

bool ResumeLookup::Has(const QString& path) const
{
    return m_first.contains(path.toCaseFolded());
}
