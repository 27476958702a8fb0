#include "reader/ThumbMakers.h"

#include "browser/BrowserRules.h"
#include "images/ArchivePages.h"
#include "images/FreedesktopThumbnails.h"
#include "images/PageImage.h"
#include "images/PageSource.h"
#include "images/PageThumbFiles.h"
#include "pdf/PopplerDocuments.h"

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

    QImage Fitted(const QImage& image, int side)
    {
        if (image.isNull() || (image.width() <= side && image.height() <= side))
            return image;
        return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    // A page's picture decoded to fit side: JPEG scaled down inside its decoder. The result
    // is Qt's own image: the decoders' mapped memory is for pages, not for hundreds of
    // small pictures.
    QImage Decoded(QIODevice& device, int side, const ThumbQueue::Abandoned& abandoned)
    {
        PageImage image;
        if (image.Load(device, { QSize(side, side), 1, false, 1 }, abandoned) != PageImage::kLoaded)
            return {};
        return image.Pixels().copy();
    }

    QImage DecodedFile(const QString& path, int side, const ThumbQueue::Abandoned& abandoned)
    {
        PageImage image;
        if (image.Load(path, { QSize(side, side), 1, false, 1 }, abandoned) != PageImage::kLoaded)
            return {};
        return image.Pixels().copy();
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
                return kept;
        }
        const QImage made = make();
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
                    return kept;
            }
            const QImage made = MadeCover(path, int(fit), picExt, abandoned);
            if (!made.isNull() && !cacheHome.isEmpty())
                covers.Write(path, mtime, stat.size, made, fit);
            return made;
        };
    };
}

} // namespace ThumbMakers
