#include "pdf/PopplerDocuments.h"

#include "platform/Paths.h"

#include <poppler-qt6.h>

#include <chrono>
#include <cmath>

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
    const bool usable
        = !size.isEmpty() && std::isfinite(size.width()) && std::isfinite(size.height());
    return usable ? size : kA4;
}

Opened Open(const QString& path, const PdfPassword& password, int sizesNear, bool sizesBefore)
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
            opened.rightToLeft = document->textDirection() == Qt::RightToLeft;
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
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSizesBeforeMs);
    for (int page = sizesNear - 1;
         opened.document && sizesBefore && page >= 1 && std::chrono::steady_clock::now() < until;
         --page) {
        const auto known = opened.sizes.constFind(page);
        const QSizeF size
            = known != opened.sizes.constEnd() ? *known : PageSize(*opened.document, page);
        opened.sizes.insert(page, size);
        if (size.width() > size.height())
            break;
    }
    return opened;
}

Document Load(const QString& path, const PdfPassword& password)
{
    return Open(path, password).document;
}

} // namespace PopplerDocuments
