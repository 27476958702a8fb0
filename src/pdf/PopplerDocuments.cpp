#include "pdf/PopplerDocuments.h"

#include "platform/Paths.h"

#include <poppler-qt6.h>

#include <fcntl.h>
#include <unistd.h>

namespace PopplerDocuments
{

namespace
{
    // Under Lock(). A locked document answers nothing but isLocked(): poppler crashes
    // when asked its page count.
    std::unique_ptr<Poppler::Document> Open(const QString& path, const PdfPassword& password)
    {
        const QByteArray& bytes = password.Bytes();
        if (!Paths::HasRawBytes(path))
            return Poppler::Document::load(path, bytes, bytes);
        // Poppler opens files by a name it can spell; a name that is not UTF-8 is
        // reached through the descriptor of the file opened by its bytes.
        const int fd = ::open(Paths::ToNative(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        std::unique_ptr<Poppler::Document> document
            = Poppler::Document::load(QStringLiteral("/proc/self/fd/%1").arg(fd), bytes, bytes);
        ::close(fd);
        return document;
    }
} // namespace

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

Examined Examine(const QString& path, const PdfPassword& password)
{
    const std::lock_guard<std::mutex> guard(Lock());
    std::unique_ptr<Poppler::Document> document = Open(path, password);
    Examined examined;
    if (document && document->isLocked()) {
        examined.access = Access::Locked;
    } else if (document) {
        examined.access = Access::Open;
        examined.pages = std::max(document->numPages(), 0);
    }
    document.reset();
    return examined;
}

std::unique_ptr<Poppler::Document> Load(const QString& path, const PdfPassword& password)
{
    const std::lock_guard<std::mutex> guard(Lock());
    std::unique_ptr<Poppler::Document> document = Open(path, password);
    if (document && (document->isLocked() || document->numPages() < 1))
        document.reset();
    return document;
}

void Release(std::unique_ptr<Poppler::Document>& document)
{
    const std::lock_guard<std::mutex> guard(Lock());
    document.reset();
}

} // namespace PopplerDocuments
