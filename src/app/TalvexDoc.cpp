#include "app/TalvexDoc.h"

#include "platform/BackgroundTask.h"
#include "platform/Paths.h"

#include <atomic>
#include <memory>

#include <unistd.h>

namespace
{
constexpr int kCheckMs = 10000;
} // namespace

void CTalvexDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit titleChanged();
}

bool CTalvexDoc::OnOpenDocument(const QString& path)
{
    const QString absolute = Paths::Absolute(path);
    auto readable = std::make_shared<std::atomic<bool>>(false);
    const BackgroundTask check([absolute, readable](const BackgroundTask::Abandoned&) {
        *readable = (Paths::IsExistingFile(absolute) || Paths::IsExistingFolder(absolute))
            && access(Paths::ToNative(absolute).constData(), R_OK) == 0;
    });
    // No window shows yet, so nothing freezes meanwhile; a drive that does not answer
    // must still not keep the program from starting, and counts as one that cannot be
    // read.
    if (!check.WaitFor(kCheckMs) || !*readable)
        return false;
    m_strPathName = absolute;
    return true;
}
