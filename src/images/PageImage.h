#pragma once

#include "images/PageKey.h"

#include <QImage>
#include <QRectF>

#include <functional>

// One decoded page: the picture's own size, and its pixels at the size it is shown
// at (device pixels), so that painting it is a plain copy. Copies share the pixels.
class PageImage
{
public:
    enum Result { kLoaded = 0, kFailed = -1 };
    // Pictures larger than this are taken for damaged files and never decoded. A long
    // strip of a web comic may run past 32,767 pixels; JPEG stops at 65,535.
    static constexpr int kMaxSide = 65535;
    static constexpr qint64 kMaxPixels = 250'000'000;
    // The memory one decode may ever take, on its way and for its result: a page that
    // needs more is taken for a damaged one. The engine gives it only to a page decoded
    // alone; Qt's readers are held to it by their allocation limit.
    static constexpr qint64 kLargestDecode = qint64(512) << 20;
    // The first bytes of a file that tell its type: enough for an AVIF file's 'ftyp' box
    // with the brands it names.
    static constexpr qint64 kHeadBytes = 256;

    // Decodes the first frame of the file for the given fit, at the exact device size:
    // JPEG scaled inside the decoder, PNG row by row as it comes, AVIF and JPEG XL by
    // their libraries from the file read whole, other types (WebP among them) read whole
    // by Qt, all scaled on this thread. Only regular files are read. A file
    // whose declared size is too large, a damaged one and one that cannot be given the
    // memory it needs fail alike. Stops early, failing, once abandoned() says nobody
    // wants the page any more.
    int Load(
        const QString& path, const FitRequest& fit, const std::function<bool()>& abandoned = {});
    // The same for bytes already open: an archive's member, or a file.
    int Load(QIODevice& device, const FitRequest& fit, const std::function<bool()>& abandoned = {});
    bool IsNull() const { return m_pixels.isNull(); }
    // The picture's own size, upright.
    int GetWidth() const { return m_size.width(); }
    int GetHeight() const { return m_size.height(); }
    QSize Size() const { return m_size; }
    const QImage& Pixels() const { return m_pixels; }
    // What is left once the borders are cut, in fractions of the page; the whole page
    // unless it was decoded for a crop.
    QRectF Content() const { return m_content; }
    qint64 Bytes() const { return m_pixels.sizeInBytes(); }
    void Destroy();

    static bool AcceptableSize(const QSize& size);
    // The device pixels a picture of its own size takes when shown for fit.
    static QSize DeviceSize(const FitRequest& fit, const QSize& own);
    // The size a picture is decoded at: the device size, or one pixel where the fit
    // gives none (a box of no size).
    static QSize TargetSize(const FitRequest& fit, const QSize& own);

private:
    QImage m_pixels;
    QSize m_size { 0, 0 };
    QRectF m_content { 0, 0, 1, 1 };
};
