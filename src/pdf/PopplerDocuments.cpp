#include "pdf/PopplerDocuments.h"

#include "platform/Paths.h"

#include <poppler-qt6.h>

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

void Releaser::operator()(Poppler::Document* document) const
{
    const std::lock_guard<std::mutex> guard(Lock());
    delete document;
}

QSizeF PageSize(const Poppler::Document& document, int page)
{
    const std::unique_ptr<Poppler::Page> p(
        page >= 1 && page <= document.numPages() ? document.page(page - 1) : nullptr);
    const QSizeF size = p ? p->pageSizeF() : QSizeF();
    return size.isEmpty() ? kA4 : size;
}

Opened Open(const QString& path, const PdfPassword& password, int sizesNear)
{
    // Poppler would open a pipe and wait on it for good. The file is opened here by its
    // bytes, without waiting, and poppler reads it through that descriptor: the same
    // file even when the path is replaced meanwhile, and any name however it is spelt.
    const int fd = Paths::OpenRegularFile(path);
    if (fd < 0)
        return {};
    const QByteArray& bytes = password.Bytes();
    Opened opened;
    {
        const std::lock_guard<std::mutex> guard(Lock());
        std::unique_ptr<Poppler::Document> document
            = Poppler::Document::load(QStringLiteral("/proc/self/fd/%1").arg(fd), bytes, bytes);
        if (document && document->isLocked()) {
            opened.access = Access::Locked;
        } else if (document) {
            opened.access = Access::Open;
            opened.pages = std::max(document->numPages(), 0);
            if (opened.pages > 0)
                opened.document.reset(document.release());
        }
        document.reset();
    }
    ::close(fd);
    for (int page = std::max(sizesNear - kSizesBehind, 1); opened.document && sizesNear > 0
         && page <= std::min(sizesNear + kSizesAhead, opened.pages);
         ++page)
        opened.sizes.insert(page, PageSize(*opened.document, page));
    return opened;
}

Document Load(const QString& path, const PdfPassword& password)
{
    return Open(path, password).document;
}

} // namespace PopplerDocuments
