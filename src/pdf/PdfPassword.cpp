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
    QList<PdfPassword> spellings { PdfPassword(utf8) };
    std::memset(utf8.data(), 0, size_t(utf8.size()));
    const bool latin1
        = std::all_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    if (latin1 && typed.size() != spellings.first().Bytes().size()) {
        QByteArray bytes = typed.toLatin1();
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
