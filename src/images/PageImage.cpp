#include "images/PageImage.h"

#include "images/AbortableFile.h"
#include "images/ImageRules.h"
#include "platform/Paths.h"

#include <QImageReader>

namespace
{
// Enough for the largest picture accepted, decoded whole: the declared size has
// been checked already, and Qt's own default would refuse genuine large scans.
constexpr int kAllocationLimitMb = int(PageImage::kMaxPixels * 4 / (1 << 20)) + 1;

QImage Read(AbortableFile& file, const QSize& scaled)
{
    file.seek(0);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (scaled.isValid())
        reader.setScaledSize(scaled);
    return reader.read();
}
} // namespace

bool PageImage::AcceptableSize(const QSize& size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide
        && size.height() <= kMaxSide && qint64(size.width()) * size.height() <= kMaxPixels;
}

QSize PageImage::DeviceSize(const FitRequest& fit, const QSize& own)
{
    const QSize shown = ImageRules::ShownSize(fit.box, own, fit.zoomFactor, fit.enlarge);
    if (shown.isEmpty())
        return {};
    const qreal dpr = fit.devicePixelRatio;
    return QSize(
        std::max(1, qRound(shown.width() * dpr)), std::max(1, qRound(shown.height() * dpr)));
}

int PageImage::Load(
    const QString& path, const FitRequest& fit, const std::function<bool()>& abandoned)
{
    Destroy();
    AbortableFile file(abandoned);
    if (!Paths::OpenForReading(file, path))
        return kFailed;
    QSize own;
    QSize scaled;
    {
        QImageReader probe(&file);
        probe.setAutoTransform(true);
        const QSize declared = probe.size();
        if (declared.isValid()) {
            if (!AcceptableSize(declared))
                return kFailed;
            const bool turned = probe.transformation() & QImageIOHandler::TransformationRotate90;
            own = turned ? declared.transposed() : declared;
            const QSize target = DeviceSize(fit, own);
            // Decoding below the file's size is what makes large pages cheap; the
            // reader wants the size before its own turning of the picture.
            if (target.isValid() && target.width() < own.width() && target.height() < own.height())
                scaled = turned ? target.transposed() : target;
        }
    }
    QImage image = Read(file, scaled);
    if (image.isNull() && scaled.isValid())
        image = Read(file, QSize());
    file.close();
    if (image.isNull())
        return kFailed;
    if (!own.isValid()) {
        own = image.size();
        if (!AcceptableSize(own))
            return kFailed;
    }
    // Transparent pixels show the colour they carry, as a plain copy would.
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const QSize device = DeviceSize(fit, own);
    if (device.isValid() && image.size() != device)
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_pixels = image;
    m_size = own;
    return kLoaded;
}

void PageImage::Destroy()
{
    m_pixels = QImage();
    m_size = QSize(0, 0);
}
