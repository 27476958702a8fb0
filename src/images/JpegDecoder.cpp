#include "images/JpegDecoder.h"

#include "images/Orientation.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"

#include <QIODevice>

#include <csetjmp>
#include <cstdio>
#include <optional>
#include <vector>

#include <jpeglib.h>

namespace
{
constexpr size_t kBufferSize = 64 * 1024;
// A marker's length field counts two bytes of its own.
constexpr size_t kLongestMarker = 65533;
// Rows straight into RGB32 (0xffRRGGBB in a 32-bit word); libjpeg-turbo sets the
// unused byte to 0xff.
constexpr J_COLOR_SPACE kRgb32 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
} // namespace

// Everything libjpeg's callbacks reach, found through the decompressor's client_data.
// The decoding function longjmps back over libjpeg's frames when it fails, so what has
// to be freed lives here rather than on its stack.
struct JpegDecoder::State {
    jpeg_decompress_struct info {};
    struct Errors {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    } errors {};
    jpeg_source_mgr source {};
    jpeg_progress_mgr progress {};
    bool created = false;

    QIODevice* file = nullptr;
    std::function<bool()> abandoned;
    std::vector<JOCTET> buffer;
    std::vector<uchar> exif;
    bool exifSeen = false;
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;
    QImage pixels;
    std::optional<PageScaler> scaler;

    static State& Of(j_common_ptr info) { return *static_cast<State*>(info->client_data); }
    static State& Of(j_decompress_ptr info) { return *static_cast<State*>(info->client_data); }

    bool Abandoned() const { return abandoned && abandoned(); }

    [[noreturn]] static void Fail(j_common_ptr info) { std::longjmp(Of(info).errors.jump, 1); }
    // Warnings ("premature end of data segment") are for a terminal the reader
    // does not look at.
    static void Quiet(j_common_ptr) { }

    static void InitSource(j_decompress_ptr) { }
    static void TermSource(j_decompress_ptr) { }
    static boolean FillInput(j_decompress_ptr info)
    {
        State& state = Of(info);
        qint64 got = -1;
        try {
            if (!state.Abandoned())
                got = state.file->read(
                    reinterpret_cast<char*>(state.buffer.data()), qint64(state.buffer.size()));
        } catch (...) {
            got = -1;
        }
        if (got < 0)
            Fail(reinterpret_cast<j_common_ptr>(info));
        if (got == 0) {
            // A file cut short ends where it is cut, as libjpeg's own readers end it:
            // the rest of the picture stays grey.
            state.buffer[0] = 0xFF;
            state.buffer[1] = JPEG_EOI;
            got = 2;
        }
        info->src->next_input_byte = state.buffer.data();
        info->src->bytes_in_buffer = size_t(got);
        return TRUE;
    }
    static void SkipInput(j_decompress_ptr info, long count)
    {
        if (count <= 0)
            return;
        jpeg_source_mgr* src = info->src;
        if (size_t(count) <= src->bytes_in_buffer) {
            src->next_input_byte += count;
            src->bytes_in_buffer -= size_t(count);
            return;
        }
        // Large segments are passed over without being read.
        const qint64 beyond = qint64(count) - qint64(src->bytes_in_buffer);
        src->bytes_in_buffer = 0;
        QIODevice* file = Of(info).file;
        bool moved = false;
        try {
            moved = file->seek(file->pos() + beyond);
        } catch (...) {
            moved = false;
        }
        if (!moved)
            Fail(reinterpret_cast<j_common_ptr>(info));
    }

    static int NextByte(j_decompress_ptr info)
    {
        if (info->src->bytes_in_buffer == 0)
            info->src->fill_input_buffer(info);
        --info->src->bytes_in_buffer;
        return *info->src->next_input_byte++;
    }
    // APP1: the orientation is read from the first Exif segment, and every APP1 segment
    // is passed over after it. libjpeg's jpeg_save_markers would keep every one of them
    // in memory, however many a file holds.
    static boolean ReadApp1(j_decompress_ptr info)
    {
        State& state = Of(info);
        const int high = NextByte(info);
        const size_t length = size_t(std::max(0, (high << 8 | NextByte(info)) - 2));
        if (state.exifSeen || length == 0) {
            SkipInput(info, long(length));
            return TRUE;
        }
        size_t got = 0;
        while (got < length) {
            if (info->src->bytes_in_buffer == 0)
                info->src->fill_input_buffer(info);
            const size_t part = std::min(length - got, info->src->bytes_in_buffer);
            std::copy_n(info->src->next_input_byte, part, state.exif.data() + got);
            info->src->next_input_byte += part;
            info->src->bytes_in_buffer -= part;
            got += part;
        }
        state.exifSeen
            = length >= 6 && std::equal(state.exif.data(), state.exif.data() + 4, "Exif");
        if (state.exifSeen)
            state.turn = Orientation::FromExif(state.exif.data(), qsizetype(length));
        return TRUE;
    }

    // Called while a progressive file's scans come in and between output rows.
    static void Progress(j_common_ptr common)
    {
        const auto info = reinterpret_cast<j_decompress_ptr>(common);
        if (info->input_scan_number > kMaxScans || Of(common).Abandoned())
            Fail(common);
    }
};

JpegDecoder::JpegDecoder(QIODevice& file, std::function<bool()> abandoned)
    : m_state(std::make_unique<State>())
{
    m_state->file = &file;
    m_state->abandoned = std::move(abandoned);
    m_state->buffer.resize(kBufferSize);
    m_state->exif.resize(kLongestMarker);
}

JpegDecoder::~JpegDecoder()
{
    if (m_state->created)
        jpeg_destroy_decompress(&m_state->info);
}

DecodedPage JpegDecoder::Decode(const FitRequest& fit)
{
    State& state = *m_state;
    jpeg_decompress_struct& info = state.info;
    info.err = jpeg_std_error(&state.errors.manager);
    state.errors.manager.error_exit = State::Fail;
    state.errors.manager.output_message = State::Quiet;
    info.client_data = &state;
    // Only plain values live on this frame from here on: libjpeg's failures come back
    // here by longjmp, over frames that destroy nothing.
    if (setjmp(state.errors.jump))
        return {};
    jpeg_create_decompress(&info);
    state.created = true;
    state.source.init_source = State::InitSource;
    state.source.fill_input_buffer = State::FillInput;
    state.source.skip_input_data = State::SkipInput;
    state.source.resync_to_restart = jpeg_resync_to_restart;
    state.source.term_source = State::TermSource;
    info.src = &state.source;
    state.progress.progress_monitor = State::Progress;
    info.progress = &state.progress;
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, State::ReadApp1);
    jpeg_read_header(&info, TRUE);

    const bool colour = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB;
    if (!(colour && info.num_components == 3)
        && !(info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1))
        return { DecodedPage::kNotMine, {}, {} };
    const bool turned = Orientation::Turned(state.turn);
    const QSize declared(int(info.image_width), int(info.image_height));
    const QSize own = turned ? declared.transposed() : declared;
    if (!PageImage::AcceptableSize(own))
        return {};
    const QSize shown = PageImage::TargetSize(fit, own);
    const QSize want = turned ? shown.transposed() : shown;

    info.out_color_space = kRgb32;
    // The smallest scale of N/8 that still covers the size wanted; libjpeg-turbo scales
    // from 1/8 to 16/8. Its 5/8 to 7/8 are plain C and slower than 8/8 itself (a
    // 2000 x 3000 scan: 32 to 38 ms against 27 ms), so those sizes come from 8/8 and the
    // scaler, which is faster all told.
    info.scale_denom = 8;
    for (int n = 1; n <= 16; ++n) {
        if (n >= 5 && n <= 7)
            continue;
        info.scale_num = unsigned(n);
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= want.width() && int(info.output_height) >= want.height())
            break;
    }
    jpeg_start_decompress(&info);
    const QSize decoded(int(info.output_width), int(info.output_height));
    state.pixels = PageScaler::NewImage(want);
    if (state.pixels.isNull())
        return {};
    uchar* const bits = state.pixels.bits();
    const qsizetype stride = state.pixels.bytesPerLine();
    const bool direct = decoded == want;
    if (!direct)
        state.scaler.emplace(decoded, want, bits, stride);
    while (info.output_scanline < info.output_height) {
        if (state.Abandoned())
            return {};
        JSAMPROW row = direct ? bits + stride * info.output_scanline
                              : reinterpret_cast<JSAMPROW>(state.scaler->Row());
        jpeg_read_scanlines(&info, &row, 1);
        if (!direct)
            state.scaler->Push();
    }
    jpeg_abort_decompress(&info);
    return { DecodedPage::kDone, Orientation::Apply(state.pixels, state.turn), own };
}
