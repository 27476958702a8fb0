#include "pdf/PopplerDocuments.h"

#include "platform/Paths.h"

#include <poppler-qt6.h>

#include <fcntl.h>
#include <unistd.h>

namespace PopplerDocuments
{

std::mutex& Lock()
{
    static std::mutex lock;
    static const bool quiet = [] {
        // Damaged files are reported to the reader; poppler's own diagnostics are not.
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    Q_UNUSED(quiet);
    return lock;
}

std::unique_ptr<Poppler::Document> Load(const QString& path)
{
    const std::lock_guard<std::mutex> guard(Lock());
    std::unique_ptr<Poppler::Document> document;
    if (Paths::HasRawBytes(path)) {
        // Poppler opens files by a name it can spell; a name that is not UTF-8 is
        // reached through the descriptor of the file opened by its bytes.
        const int fd = ::open(Paths::ToNative(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            document = Poppler::Document::load(QStringLiteral("/proc/self/fd/%1").arg(fd));
            ::close(fd);
        }
    } else {
        document = Poppler::Document::load(path);
    }
    if (document && (document->isLocked() || document->numPages() < 1))
        document.reset();
    return document;
}

void Release(std::unique_ptr<Poppler::Document>& document)
{
    const std::lock_guard<std::mutex> guard(Lock());
    document.reset();
}

int CountPages(const QString& path)
{
    std::unique_ptr<Poppler::Document> document = Load(path);
    const int pages = document ? document->numPages() : 0;
    Release(document);
    return pages;
}

} // namespace PopplerDocuments
