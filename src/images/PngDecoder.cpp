#include "images/PngDecoder.h"

#include "images/PageImage.h"
#include "images/PageScaler.h"
#include "images/PngStream.h"

#include <optional>

#include <png.h>

namespace
{
// Chunks libpng keeps in memory are a palette or a transparency table at most; the
// stream shows it nothing larger.
constexpr png_alloc_size_t kChunkMemory = 64 * 1024;
} // namespace

// Everything libpng's callbacks reach. The decoding function longjmps back over
// libpng's frames when it fails, so what has to be freed lives here rather than on its
// stack.
struct PngDecoder::State {
    explicit State(QIODevice& file)
        : stream(file)
    {
    }

    png_structp png = nullptr;
    png_infop info = nullptr;
    PngStream stream;
    std::function<bool()> abandoned;
    QImage whole;
    QImage pixels;
    std::optional<PageScaler> scaler;

    bool Abandoned() const { return abandoned && abandoned(); }

    [[noreturn]] static void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void Quiet(png_structp, png_const_charp) { }
    static void Read(png_structp png, png_bytep data, size_t size)
    {
        auto* state = static_cast<State*>(png_get_io_ptr(png));
        qint64 got = -1;
        try {
            if (!state->Abandoned())
                got = state->stream.Read(reinterpret_cast<char*>(data), qint64(size));
        } catch (...) {
            got = -1;
        }
        if (got != qint64(size))
            png_error(png, nullptr);
    }
};

PngDecoder::PngDecoder(QIODevice& file, std::function<bool()> abandoned)
    : m_state(std::make_unique<State>(file))
{
    m_state->abandoned = std::move(abandoned);
}

PngDecoder::~PngDecoder()
{
    if (m_state->png)
        png_destroy_read_struct(&m_state->png, &m_state->info, nullptr);
}

DecodedPage PngDecoder::Decode(const FitRequest& fit)
{
    State& state = *m_state;
    if (!state.stream.Open())
        return {};
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, State::Fail, State::Quiet);
    if (!state.png)
        return {};
    // Only plain values live on this frame from here on: libpng's failures come back
    // here by longjmp, over frames that destroy nothing.
    if (setjmp(png_jmpbuf(state.png)))
        return {};
    state.info = png_create_info_struct(state.png);
    if (!state.info)
        return {};
    png_set_read_fn(state.png, &state, State::Read);
    png_set_user_limits(state.png, PageImage::kMaxSide, PageImage::kMaxSide);
    png_set_chunk_malloc_max(state.png, kChunkMemory);
    png_set_keep_unknown_chunks(state.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(state.png, state.info);

    const QSize own(int(png_get_image_width(state.png, state.info)),
        int(png_get_image_height(state.png, state.info)));
    if (!PageImage::AcceptableSize(own))
        return {};
    const QSize shown = PageImage::TargetSize(fit, own);

    png_set_expand(state.png);
    png_set_scale_16(state.png);
    png_set_strip_alpha(state.png);
    png_set_gray_to_rgb(state.png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(state.png);
    png_set_filler(state.png, 0xff, PNG_FILLER_AFTER);
#else
    png_set_filler(state.png, 0xff, PNG_FILLER_BEFORE);
#endif
    const int passes = png_set_interlace_handling(state.png);
    png_read_update_info(state.png, state.info);
    if (png_get_rowbytes(state.png, state.info) != size_t(own.width()) * 4)
        return {};

    state.pixels = PageScaler::NewImage(shown);
    if (state.pixels.isNull())
        return {};
    const bool direct = shown == own;
    if (passes > 1) {
        // Each pass fills some pixels of every row, so the rows are all held until the
        // last pass.
        if (!direct) {
            state.whole = PageScaler::NewImage(own);
            if (state.whole.isNull())
                return {};
        }
        QImage& into = direct ? state.pixels : state.whole;
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = 0; y < own.height(); ++y) {
                if (state.Abandoned())
                    return {};
                png_read_row(state.png, into.bits() + into.bytesPerLine() * y, nullptr);
            }
        }
        if (!direct) {
            state.scaler.emplace(own, shown, state.pixels.bits(), state.pixels.bytesPerLine());
            for (int y = 0; y < own.height(); ++y)
                state.scaler->Push(reinterpret_cast<const quint32*>(state.whole.constScanLine(y)));
            state.whole = QImage();
        }
    } else {
        if (!direct)
            state.scaler.emplace(own, shown, state.pixels.bits(), state.pixels.bytesPerLine());
        for (int y = 0; y < own.height(); ++y) {
            if (state.Abandoned())
                return {};
            png_bytep row = direct ? state.pixels.scanLine(y)
                                   : reinterpret_cast<png_bytep>(state.scaler->Row());
            png_read_row(state.png, row, nullptr);
            if (!direct)
                state.scaler->Push();
        }
    }
    return { DecodedPage::kDone, state.pixels, own };
}
