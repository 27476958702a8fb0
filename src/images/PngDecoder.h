#pragma once

#include "images/DecodedPage.h"
#include "images/PageKey.h"

#include <functional>
#include <memory>

class QIODevice;

// Decodes a PNG page with libpng, every kind of pixel alike (grey, grey and alpha,
// palette, RGB, RGBA; 1 to 16 bits; with or without tRNS): expanded to 8-bit RGB, the
// alpha dropped so that a transparent pixel shows the colour it carries, the rows
// scaled to the size shown as they come, so memory stays near the size shown. An
// interlaced file is decoded whole first. Nothing is printed: a damaged file or a page
// nobody wants any more simply fails.
class PngDecoder
{
public:
    // Reads the file from its start; abandoned() is asked between rows.
    PngDecoder(QIODevice& file, std::function<bool()> abandoned);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    DecodedPage Decode(const FitRequest& fit);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
