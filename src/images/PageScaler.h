#pragma once

#include <QImage>

#include <vector>

// Resizes an RGB32 picture row by row, as a decoder hands the rows over, so that a page
// never has to be held at its full size: area averaging along an axis that shrinks
// (each source pixel counts by the part of it a destination pixel covers), bilinear
// along one that grows. It runs on the calling thread alone; QImage::scaled would
// spread over Qt's global thread pool, which cannot start threads when memory is short.
class PageScaler
{
public:
    // Writes to.height() rows of to.width() pixels, 0xffRRGGBB, at dest, stride bytes
    // apart. Both sizes are at least 1 x 1.
    PageScaler(const QSize& from, const QSize& to, uchar* dest, qsizetype stride);

    // Where the next source row goes: from.width() pixels 0x??RRGGBB (the top byte is
    // not read). A decoder writes it there, then calls Push().
    quint32* Row();
    // Takes the row written at Row() and writes every destination row that it
    // completes. Rows past the source's height are ignored.
    void Push();
    // Copies a row to Row() and takes it.
    void Push(const quint32* row);

    // The whole picture at once; a null image when the result cannot be allocated.
    static QImage Scaled(const QImage& rgb32, const QSize& to);
    // A picture of any format as RGB32, its transparent parts on white as on paper,
    // converted a row at a time on the calling thread.
    static QImage Opaque(const QImage& image);
    // An RGB32 picture of this size, or a null one when there is no memory for it,
    // without Qt's warning on the terminal.
    static QImage NewImage(const QSize& size);

private:
    // How destination pixels along one axis are made of source pixels: destination i
    // takes count source pixels from first[i] on, with the weights (adding up to
    // 1 << bits) from weight[i * count] on. Every pixel takes the same count, padded
    // with weights of 0, so that the loops over them unroll.
    struct Taps {
        std::vector<int> first;
        std::vector<quint16> weight;
        int count = 1;
    };
    static Taps MakeTaps(int from, int to, int bits);
    void EmitRow(int y);
    template <int kCount> void Down(int y);
    template <int kCount> void Across(quint32* out) const;

    QSize m_from;
    QSize m_to;
    uchar* m_dest;
    qsizetype m_stride;
    Taps m_across;
    Taps m_down;
    // The last source rows, as many as one destination row is made of.
    std::vector<quint32> m_ring;
    // One destination row resized down but not yet across: four 8.8 fixed-point
    // channels a source pixel.
    std::vector<quint16> m_column;
    int m_rowsIn = 0;
    int m_rowsOut = 0;
};
