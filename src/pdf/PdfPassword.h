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

    // The spellings of what the reader typed worth trying: UTF-8, as files protected with
    // AES-256 compare it, then Latin-1, as older files compare their bytes.
    static QList<PdfPassword> Spellings(const QString& typed);

    const QByteArray& Bytes() const { return m_bytes; }
    void Wipe();

private:
    QByteArray m_bytes;
};
