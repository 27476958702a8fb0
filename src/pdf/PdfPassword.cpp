#include "pdf/PdfPassword.h"

#include <algorithm>
#include <cstring>

PdfPassword::PdfPassword(const QByteArray& bytes)
    : m_bytes(bytes.constData(), bytes.size())
{
}

PdfPassword::PdfPassword(const PdfPassword& other)
    : PdfPassword(other.m_bytes)
{
}

PdfPassword& PdfPassword::operator=(const PdfPassword& other)
{
    if (this != &other) {
        Wipe();
        m_bytes = QByteArray(other.m_bytes.constData(), other.m_bytes.size());
    }
    return *this;
}

PdfPassword::~PdfPassword()
{
    Wipe();
}

QList<PdfPassword> PdfPassword::Spellings(const QString& typed)
{
    QByteArray utf8 = typed.toUtf8();
    // AES-256 files compare at most 127 bytes of UTF-8, older ones 32 bytes: what is
    // typed beyond that opens nothing, and poppler must never see it (a long one
    // overran its stack). UTF-8 is cut between characters.
    qsizetype utf8Length = std::min(utf8.size(), kMaxUtf8Bytes);
    while (utf8Length > 0 && utf8Length < utf8.size() && (quint8(utf8[utf8Length]) & 0xc0) == 0x80)
        --utf8Length;
    QList<PdfPassword> spellings { PdfPassword(
        QByteArray::fromRawData(utf8.constData(), utf8Length)) };
    std::memset(utf8.data(), 0, size_t(utf8.size()));
    const bool latin1
        = std::all_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    if (latin1) {
        QByteArray bytes = QStringView(typed).left(kMaxLatin1Bytes).toLatin1();
        if (bytes != spellings.first().Bytes())
            spellings.append(PdfPassword(bytes));
        std::memset(bytes.data(), 0, size_t(bytes.size()));
    }
    return spellings;
}

void PdfPassword::Wipe()
{
    // The buffer is ours alone (copies are deep), so writing over it reaches no one else.
    if (!m_bytes.isEmpty())
        std::memset(m_bytes.data(), 0, size_t(m_bytes.size()));
    m_bytes.clear();
}
