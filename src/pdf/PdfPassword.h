#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A password for a PDF, in the bytes poppler is given. It is kept only while its book
// opens, and its buffer is overwritten when it goes. Copies are deep, so that wiping one
// never takes the bytes from another holder still loading with them (a render worker).
class PdfPassword
{
public:
    PdfPassword() = default;
    explicit PdfPassword(const QByteArray& bytes);
    PdfPassword(const PdfPassword& other);
    PdfPassword& operator=(const PdfPassword& other);
    ~PdfPassword();

    // What a PDF compares of a password at most: bytes of UTF-8 (AES-256), or of Latin-1
    // (older files).
    static constexpr qsizetype kMaxUtf8Bytes = 127;
    static constexpr qsizetype kMaxLatin1Bytes = 32;

    // The spellings of what the reader typed worth trying: UTF-8, as files protected with
    // AES-256 compare it, then Latin-1, as older files compare their bytes; each no
    // longer than such a file compares.
    static QList<PdfPassword> Spellings(const QString& typed);

    const QByteArray& Bytes() const { return m_bytes; }
    void Wipe();

private:
    QByteArray m_bytes;
};
