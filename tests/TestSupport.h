#pragma once

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <utility>

// Every test process gets its own settings, home and temp folders, set before anything
// reads them, so that where the tests run changes nothing; all of it goes at the end.
class TestEnvironment
{
public:
    TestEnvironment()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath("config")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_root.filePath("state")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_root.filePath("cache")));
        QDir().mkpath(m_root.filePath("home"));
        qputenv("HOME", QFile::encodeName(m_root.filePath("home")));
        QDir().mkpath(m_root.filePath("tmp"));
        qputenv("TMPDIR", QFile::encodeName(m_root.filePath("tmp")));
    }
    ~TestEnvironment()
    {
        // By the bytes of the names: Qt's own clean-up skips names that are not UTF-8.
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(m_root.path()).toStdString(), ignored);
    }
    QString path(const QString& name) const { return m_root.filePath(name); }

private:
    QTemporaryDir m_root;
};

inline QSettings& StoredSettings()
{
    static QSettings settings(QStringLiteral("Oberkan"), QStringLiteral("Lumivo"));
    settings.sync();
    return settings;
}

// The settings, and the last places of the books read, gone.
inline void ClearStoredSettings()
{
    StoredSettings().clear();
    StoredSettings().sync();
    QFile::remove(qEnvironmentVariable("XDG_STATE_HOME") + "/lumivo/places");
}

// A profile that holds nothing but the folder the Folder screen starts in.
inline void StartInFolder(const QString& folder)
{
    ClearStoredSettings();
    StoredSettings().setValue("Settings/CurrentFolder", folder);
    StoredSettings().sync();
}

inline void WriteFile(const QString& path, qint64 size = 0)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (size > 0)
        QVERIFY(file.resize(size));
}

// A PDF of numbered pages; sizes in points, one per page, repeating the last.
inline void WritePdf(const QString& path, int pages, const QList<QSizeF>& sizes = { { 595, 842 } })
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(72);
    auto sizeOf = [&sizes](int i) { return sizes.value(i, sizes.last()); };
    writer.setPageSize(QPageSize(sizeOf(0), QPageSize::Point));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(sizeOf(i), QPageSize::Point));
            writer.newPage();
        }
        painter.setFont(QFont("sans", 48));
        painter.drawText(QRectF(0, 0, sizeOf(i).width(), sizeOf(i).height()), Qt::AlignCenter,
            QString::number(i + 1));
    }
}

// A PDF made of these objects, numbered from 1; object 1 is the catalog. A stream's
// dictionary ends with ">>stream" to have its data follow.
inline QByteArray PdfFromObjects(const QList<QByteArray>& objects, const QByteArray& trailer = {})
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj " + objects[i] + " endobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer << /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R " + trailer
        + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// RC4, as the standard security handler of PDF encrypts with it.
inline QByteArray Rc4(const QByteArray& key, const QByteArray& data)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 255;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), '\0');
    for (qsizetype n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        out[n] = char(data[n] ^ s[(s[i] + s[j]) & 255]);
    }
    return out;
}

// A one-page PDF, a blue square on white, that opens only with the user password (its
// bytes as given) or the owner password "owner": revision 2 of the standard security
// handler, 40-bit RC4. Its outline holds one entry, "Locked chapter", encrypted too.
// Blank landscape pages follow it up to pages.
inline QByteArray LockedPdf(const QByteArray& password = "lumivo", int pages = 1)
{
    const auto md5 = [](const QByteArray& bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    };
    const QByteArray padding
        = QByteArray::fromHex("28BF4E5E4E758A4164004E56FFFA01082E2E00B6D0683E802F0CA9FE6453697A");
    const auto padded = [&padding](const QByteArray& text) { return (text + padding).left(32); };
    const QByteArray id = QByteArray::fromHex("0123456789abcdef0123456789abcdef");
    const QByteArray owner = Rc4(md5(padded("owner")).left(5), padded(password));
    const QByteArray permissions = QByteArray::fromHex("fcffffff"); // -4, low byte first
    const QByteArray key = md5(padded(password) + owner + permissions + id).left(5);
    const QByteArray user = Rc4(key, padding);
    // Object 4, generation 0.
    const QByteArray objectKey = md5(key + QByteArray::fromHex("0400000000")).left(10);
    const QByteArray content = Rc4(objectKey, "0 0 1 rg 20 20 160 160 re f");
    const QByteArray titleKey = md5(key + QByteArray::fromHex("0700000000")).left(10);
    QByteArray kids = "3 0 R";
    QList<QByteArray> blank;
    for (int i = 0; i < pages - 1; ++i) {
        kids += " " + QByteArray::number(8 + i) + " 0 R";
        blank << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 300] >>";
    }
    return PdfFromObjects(
        QList<QByteArray> {
            "<< /Type /Catalog /Pages 2 0 R /Outlines 6 0 R >>",
            "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
            "<< /Length " + QByteArray::number(content.size()) + " >>stream\n" + content
                + "\nendstream",
            "<< /Filter /Standard /V 1 /R 2 /O <" + owner.toHex() + "> /U <" + user.toHex()
                + "> /P -4 >>",
            "<< /Type /Outlines /First 7 0 R /Last 7 0 R /Count 1 >>",
            "<< /Title <" + Rc4(titleKey, "Locked chapter").toHex()
                + "> /Parent 6 0 R /Dest [3 0 R /Fit] >>",
        } + blank,
        "/Encrypt 5 0 R /ID [<" + id.toHex() + "><" + id.toHex() + ">]");
}

// A page holding one grey picture of side x side pixels, tiny once compressed: slow
// for any renderer to take apart.
inline QByteArray HeavyPdf(int side)
{
    const QByteArray pixels = qCompress(QByteArray(qsizetype(side) * side, '\x80'), 9).mid(4);
    const QByteArray n = QByteArray::number(side);
    return PdfFromObjects({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 600] /Resources << /XObject << /I 5 0 R "
        ">> >> /Contents 4 0 R >>",
        "<< /Length 28 >>stream\nq 600 0 0 600 0 0 cm /I Do Q\nendstream",
        "<< /Type /XObject /Subtype /Image /Width " + n + " /Height " + n
            + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length "
            + QByteArray::number(pixels.size()) + " >>stream\n" + pixels + "\nendstream",
    });
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline void WriteLockedPdf(const QString& path, const QByteArray& password = "lumivo")
{
    QVERIFY(WriteBytes(path, LockedPdf(password)));
}

// The program's count of threads left to finish in the background (platform/LeftRunning.h;
// declared here so that the corpus tool, which shares these writers, needs none of it).
namespace LeftRunning
{
int Count();
}

#define LUMIVO_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        test.env = &environment;                                                                   \
        const int result = QTest::qExec(&test, argc, argv);                                        \
        /* A render let go finishes first: the libraries under it must not go before it. */        \
        if (!QTest::qWaitFor([] { return LeftRunning::Count() == 0; }, 30000))                     \
            std::_Exit(result);                                                                    \
        return result;                                                                             \
    }
