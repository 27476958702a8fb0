#pragma once

#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/Prompt.h"

#include <QDialog>

#include <functional>

#include <sys/stat.h>

// The shelf of PDFs the PDF suites read, and the answers they give the program's
// messages and dialogs.

// A PDF poppler reads whose page tree holds no page.
inline QByteArray PagelessPdf()
{
    return PdfFromObjects(
        { "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>" });
}

inline QString Stored(int i)
{
    return StoredSettings().value(QString("Settings/Resume%1").arg(i)).toString();
}

class PdfShelf : public QObject
{
public:
    TestEnvironment* env = nullptr;

protected:
    QString m_dir;
    QStringList m_prompts;
    QStringList m_calls;
    int m_beeps = 0;
    std::function<int(QDialog&)> m_onDialog;

    // Records the control's calls as "Method(argument)".
    void Follow(Viewer& v)
    {
        QObject::connect(&v.view->m_wndPdf, &CAcroAXDocShim::dispatched,
            [this](const QString& method, const QVariant& argument) {
                m_calls << method + "(" + argument.toString() + ")";
            });
    }

    void WriteShelf()
    {
        m_dir = env->path("shelf");
        WritePdf(m_dir + "/ten.pdf", 10);
        WritePdf(m_dir + "/one.pdf", 1);
        WritePdf(m_dir + "/two.pdf", 2);
        WritePdf(m_dir + "/mixed.pdf", 2, { { 595, 842 }, { 842, 595 } });
        WriteFile(m_dir + "/empty.pdf");
        QFile text(m_dir + "/notes.pdf");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("These are notes, not a PDF.\n");
        text.close();
        QFile damaged(m_dir + "/damaged.pdf");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 9 0 R >>\nxref garbage\n");
        damaged.close();
        WriteLockedPdf(m_dir + "/locked.pdf", "s3cret-pw");
        WriteLockedPdf(m_dir + "/latin.pdf", "caf\xe9");
        // AES-256 (revision 6) that no password opens: what poppler is handed of a long
        // one is all that matters.
        const QByteArray a = QByteArray(48, 'a').toHex(), b = QByteArray(32, 'b').toHex();
        QVERIFY(WriteBytes(m_dir + "/aes256.pdf",
            PdfFromObjects(
                { "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
                    "<< /Filter /Standard /V 5 /R 6 /Length 256 /O <" + a + "> /U <" + a + "> /OE <"
                        + b + "> /UE <" + b + "> /Perms <" + QByteArray(16, 'c').toHex()
                        + "> /P -4 /CF << /StdCF << /CFM /AESV3 /Length 32 >> >> "
                          "/StmF /StdCF /StrF /StdCF >>" },
                "/Encrypt 4 0 R /ID [<00112233445566778899aabbccddeeff>"
                "<00112233445566778899aabbccddeeff>]")));
        QVERIFY(::mkfifo(QFile::encodeName(m_dir + "/pipe.pdf").constData(), 0600) == 0);
        QVERIFY(WriteBytes(m_dir + "/pageless.pdf", PagelessPdf()));
        QVERIFY(WriteBytes(m_dir + "/treeless.pdf", PdfFromObjects({ "<< /Type /Catalog >>" })));
        Prompt::setBeeper([this] { ++m_beeps; });
    }

    // Before each test: the Folder screen on the shelf, nothing said yet, dialogs declined.
    void Reset()
    {
        PdfRenderer::setRenderHook(nullptr);
        StartInFolder(m_dir);
        m_prompts.clear();
        m_calls.clear();
        m_beeps = 0;
        m_onDialog = nullptr;
        CAcroAXDocShim::setPathFilter(nullptr);
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (request.menu)
                return 0;
            m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }
};
