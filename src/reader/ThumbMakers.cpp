#include "reader/ThumbMakers.h"

#include "browser/BrowserRules.h"
#include "images/ArchivePages.h"
#include "images/DecodeCost.h"
#include "images/FreedesktopThumbnails.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"
#include "images/PageSource.h"
#include "images/PageThumbFiles.h"
#include "pdf/PopplerDocuments.h"

#include <QFile>
#include <QFileInfo>

#include <poppler-qt6.h>

#include <algorithm>

namespace ThumbMakers
{

namespace
{

    struct Stat {
        bool exists = false;
        qint64 size = 0;
        qint64 mtimeMs = 0;
    };

    Stat StatOf(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.isFile())
            return {};
        return { true, info.size(), info.lastModified().toMSecsSinceEpoch() };
    }

    // Every picture leaves here as RGB32 on white, at most side pixels long, made on this
    // thread: Qt's own scaling and conversion spread over its pool, which cannot start
    // threads when memory is short, and the window's thread would wait for them to paint.
    QImage Fitted(const QImage& image, int side)
    {
        const QImage opaque = PageScaler::Opaque(image);
        if (opaque.isNull() || (opaque.width() <= side && opaque.height() <= side))
            return opaque;
        return PageScaler::Scaled(
            opaque, opaque.size().scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }

    // What one picture's decode may take: a page whose decode would take more (a huge
    // WebP read whole by Qt, a JPEG XL of tens of megapixels) stays a grey box rather than
    // take the memory the pages being read need.
    constexpr qint64 kLargestDecode = qint64(128) << 20;

    // A page's picture decoded to fit side: JPEG scaled down inside its decoder, only where
    // memory is plentiful.
    QImage Decoded(QIODevice& device, int side, const ThumbQueue::Abandoned& abandoned)
    {
        const FitRequest fit { QSize(side, side), 1, false, 1 };
        const qint64 cost = DecodeCost::Of(device, fit);
        if (cost > kLargestDecode || !DecodeCost::Plentiful(cost))
            return {};
        PageImage image;
        if (image.Load(device, fit, abandoned) != PageImage::kLoaded)
            return {};
        // Qt's own image: the decoders' mapped memory is for pages, not for hundreds of
        // small pictures.
        return Fitted(image.Pixels(), side).copy();
    }

    QImage DecodedFile(const QString& path, int side, const ThumbQueue::Abandoned& abandoned)
    {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
            return {};
        return Decoded(file, side, abandoned);
    }

    bool ShouldAbort(const QVariant& closure)
    {
        return (*static_cast<const ThumbQueue::Abandoned*>(closure.value<void*>()))();
    }

    QImage Rendered(const Poppler::Document& document, int page, int side,
        const ThumbQueue::Abandoned& abandoned)
    {
        const std::unique_ptr<Poppler::Page> shown(document.page(page - 1));
        if (!shown)
            return {};
        const QSizeF points = PopplerDocuments::PageSize(document, page);
        const double dpi = 72.0 * side / std::max({ points.width(), points.height(), 1.0 });
        QImage image = shown->renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0,
            nullptr, nullptr, &ShouldAbort,
            QVariant::fromValue(const_cast<void*>(static_cast<const void*>(&abandoned))));
        return abandoned() ? QImage() : Fitted(image, side);
    }

    // The cover of a book made once is kept for every program that shows covers.
    void KeepCover(
        const QString& cacheHome, const QString& path, const Stat& stat, const QImage& page)
    {
        if (cacheHome.isEmpty() || !stat.exists)
            return;
        const qint64 mtime = stat.mtimeMs / 1000;
        const FreedesktopThumbnails covers(cacheHome);
        if (covers.Read(path, mtime, FreedesktopThumbnails::Fit::Large).isNull())
            covers.Write(path, mtime, stat.size, page, FreedesktopThumbnails::Fit::Large);
    }

    // Looks for page of file in the cache, else makes it and keeps it there.
    QImage Cached(const Disk& disk, const QString& file, int page, int side,
        const std::function<QImage()>& make)
    {
        const Stat stat = disk.pages || !disk.cacheHome.isEmpty() ? StatOf(file) : Stat();
        QString key;
        if (disk.pages && stat.exists) {
            key = PageThumbFiles::BookKey(file, stat.size, stat.mtimeMs);
            const QImage kept = disk.pages->Read(key, page, side);
            if (!kept.isNull())
                return Fitted(kept, side);
        }
        const QImage made = Fitted(make(), side);
        if (made.isNull())
            return made;
        if (!key.isEmpty())
            disk.pages->Write(key, page, side, made);
        if (page == 1)
            KeepCover(disk.cacheHome, file, stat, made);
        return made;
    }

    QImage MadeCover(
        const QString& path, int side, int picExt, const ThumbQueue::Abandoned& abandoned)
    {
        if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            const PopplerDocuments::Document document = PopplerDocuments::Load(path);
            return document ? Rendered(*document, 1, side, abandoned) : QImage();
        }
        if (BrowserRules::IsArchiveName(path)) {
            const std::shared_ptr<ArchivePages> archive = ArchivePages::Scan(
                path,
                [picExt](const QString& name) {
                    return BrowserRules::ClassifyName(name, picExt).IsPicture();
                },
                abandoned);
            if (!archive || archive->Count() < 1)
                return {};
            const std::unique_ptr<QIODevice> first = archive->Open(archive->PageId(1), abandoned);
            return first ? Decoded(*first, side, abandoned) : QImage();
        }
        return DecodedFile(path, side, abandoned);
    }

} // namespace

bool LargeCover(int side)
{
    return side > int(FreedesktopThumbnails::Fit::Normal);
}

ThumbQueue::Factory ImagePages(std::shared_ptr<const PageSource> source, int side, Disk disk)
{
    return [source, side, disk]() -> ThumbQueue::Make {
        return [source, side, disk](int page, const ThumbQueue::Abandoned& abandoned) {
            const QString id = source->PageId(page);
            if (id.isEmpty())
                return QImage();
            // A folder's page is a file of its own; an archive's pages are its own.
            const QString file = source->RecordPath(page);
            const int numbered = file == id ? 1 : page;
            return Cached(disk, file, numbered, side, [&] {
                const std::unique_ptr<QIODevice> device = source->Open(id, abandoned);
                return device ? Decoded(*device, side, abandoned) : QImage();
            });
        };
    };
}

ThumbQueue::Factory PdfPages(const QString& path, const PdfPassword& password, int side, Disk disk)
{
    if (!password.Bytes().isEmpty())
        disk = {};
    return [path, password, side, disk]() -> ThumbQueue::Make {
        // Each thread opens the document once, when it is first asked for a page.
        auto document = std::make_shared<PopplerDocuments::Document>();
        auto tried = std::make_shared<bool>(false);
        return [path, password, side, disk, document, tried](
                   int page, const ThumbQueue::Abandoned& abandoned) {
            return Cached(disk, path, page, side, [&] {
                if (!*tried) {
                    *tried = true;
                    *document = PopplerDocuments::Load(path, password);
                }
                return *document ? Rendered(**document, page, side, abandoned) : QImage();
            });
        };
    };
}

ThumbQueue::Factory Covers(const QStringList& books, int side, int picExt, const QString& cacheHome)
{
    return [books, side, picExt, cacheHome]() -> ThumbQueue::Make {
        return [books, side, picExt, cacheHome](int item, const ThumbQueue::Abandoned& abandoned) {
            const QString path = books.value(item);
            if (path.isEmpty())
                return QImage();
            const Stat stat = StatOf(path);
            if (!stat.exists)
                return QImage();
            const FreedesktopThumbnails::Fit fit = LargeCover(side)
                ? FreedesktopThumbnails::Fit::Large
                : FreedesktopThumbnails::Fit::Normal;
            const FreedesktopThumbnails covers(cacheHome);
            const qint64 mtime = stat.mtimeMs / 1000;
            if (!cacheHome.isEmpty()) {
                const QImage kept = covers.Read(path, mtime, fit);
                if (!kept.isNull())
                    return Fitted(kept, int(fit));
            }
            const QImage made = Fitted(MadeCover(path, int(fit), picExt, abandoned), int(fit));
            if (!made.isNull() && !cacheHome.isEmpty())
                covers.Write(path, mtime, stat.size, made, fit);
            return made;
        };
    };
}

} // namespace ThumbMakers
