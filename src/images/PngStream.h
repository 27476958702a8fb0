#pragma once

#include <QList>

class QIODevice;

// A PNG file as its decoder is shown it: the signature, the critical chunks ahead of
// the image data and tRNS (all a page needs), then the image data to the end of the
// file. Every other chunk before the image data (text, colour profiles, private
// chunks) is passed over by seeking past it, unread, so that a file holding a
// 400 MB text chunk costs no more than its picture. Chunks after the image data are
// never reached: the decoder stops when the rows are complete.
class PngStream
{
public:
    // Critical chunks ahead of the image data are small (a header of 13 bytes, a
    // palette of at most 768); anything larger is damage.
    static constexpr quint32 kMaxCritical = 64 * 1024;
    static constexpr quint32 kMaxTransparency = 256;
    // Real files hold a few dozen chunks before their image data.
    static constexpr int kMaxChunks = 10000;

    explicit PngStream(QIODevice& file);

    // Walks the chunk headers from the start of the file. False when it is no PNG or
    // is damaged beyond reading (a critical chunk too large, too many chunks).
    bool Open();
    // The next bytes shown: size of them, fewer at the end of the file, -1 when the
    // file cannot be read.
    qint64 Read(char* data, qint64 size);

private:
    struct Part {
        qint64 offset;
        // -1: to the end of the file.
        qint64 size;
    };
    void Show(qint64 offset, qint64 size);

    QIODevice& m_file;
    QList<Part> m_parts;
    qsizetype m_part = 0;
    qint64 m_within = 0;
};
