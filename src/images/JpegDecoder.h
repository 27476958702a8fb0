#pragma once

#include "images/DecodedPage.h"
#include "images/PageKey.h"

#include <functional>
#include <memory>

class QIODevice;

// Decodes a JPEG page with libjpeg-turbo: scaled inside the DCT to the smallest eighth
// that still covers the size shown, the rows scaled on to the exact size as they come,
// the picture turned upright by its Exif orientation. CMYK and YCCK files are left to
// Qt's reader. It prints nothing: a damaged file, a page nobody wants any more and a
// progressive file of too many scans simply fail.
class JpegDecoder
{
public:
    // Encoders write about ten scans (libjpeg's progression writes 10, 6 for grey);
    // sending every coefficient of three components in a scan of its own takes 192.
    // Each scan is a pass over the whole picture, so a file of thousands is made to
    // hold the reader up, and is taken for a damaged one.
    static constexpr int kMaxScans = 500;

    // Reads the file from where it stands; abandoned() is asked between rows and while
    // the scans of a progressive file come in.
    JpegDecoder(QIODevice& file, std::function<bool()> abandoned);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    DecodedPage Decode(const FitRequest& fit);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
