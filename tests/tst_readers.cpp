#include "ImageSupport.h"
#include "TestSupport.h"

#include "pdf/AcroAXDocShim.h"
#include "pdf/InqPasswordDlg.h"
#include "platform/InputGate.h"
#include "platform/OpeningWait.h"
#include "platform/Prompt.h"
#include "reader/ImageBookReader.h"
#include "reader/PdfReader.h"

#include <QLineEdit>
#include <QPushButton>

#include <QPainter>
#include <QSignalSpy>
#include <QWidget>

namespace
{
// A bare window the readers paint into, as the viewer's would be.
struct Host {
    QWidget widget;
    OpeningWait opening { &widget };
    InputGate gate;
    Host() { widget.resize(800, 600); }
    QImage Painted(ImageBookReader& reader)
    {
        QImage image(widget.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        reader.Paint(painter);
        return image;
    }
};
} // namespace

class TestReaders : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void anImageBookOpensTurnsAndClosesWithoutTheViewer()
    {
        const QString dir = env->path("pictures");
        for (int i = 1; i <= 5; ++i)
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 300, 400 }, PageColour(i)));
        QVERIFY(WritePicture(dir + "/p10.png", { 300, 400 }, PageColour(10)));
        Host host;
        ImageBookReader reader(&host.widget, host.opening, host.gate);
        BookRecord record;
        record.bImages = true;
        record.strPath = dir + "/p3.png";
        record.nPage = -1;
        record.nBind = -1;
        ImageBookReader::Options options;
        options.layout = LAYOUT_SINGLE;
        options.bind = BIND_LEFT;
        QCOMPARE(reader.Open(record, options), ImageBookReader::Opening::Opened);
        // Numbers in names in their natural order, the chosen picture its page.
        QCOMPARE(record.nPageCount, 6);
        QCOMPARE(record.nPage, 3);
        QCOMPARE(record.nLayout, int(LAYOUT_SINGLE));
        QCOMPARE(record.nBind, int(BIND_LEFT));
        QCOMPARE(reader.PagePath(6), dir + "/p10.png");
        reader.Enter(record);
        const QPoint middle(400, 300);
        QVERIFY(SameColour(host.Painted(reader).pixelColor(middle), PageColour(3)));

        // A turn shows its page once decoded, and says so before the input goes on.
        QSignalSpy shown(&reader, &ImageBookReader::spreadShown);
        record.nPage = 6;
        reader.SetTurnForward(true);
        reader.LoadPages(record);
        QTRY_VERIFY(!reader.PagesPending());
        QVERIFY(!shown.isEmpty());
        QVERIFY(!host.gate.IsShut());
        QCOMPARE(record.strPath, dir + "/p10.png");
        QVERIFY(SameColour(host.Painted(reader).pixelColor(middle), PageColour(10)));

        // In spreads bound on the left, the lower page on the left.
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
        record.nPage = 1;
        reader.LoadPages(record);
        QTRY_VERIFY(!reader.PagesPending());
        const QImage spread = host.Painted(reader);
        QVERIFY(SameColour(spread.pixelColor(250, 300), PageColour(1)));
        QVERIFY(SameColour(spread.pixelColor(550, 300), PageColour(2)));
        // Next lands on the higher page of the next pair.
        QCOMPARE(reader.Pairing(record).NextPage(1), 4);

        reader.Close();
        QCOMPARE(reader.m_imageEngine.HeldBytes(), 0);
        QCOMPARE(host.Painted(reader).pixelColor(middle), QColor(Qt::black));
    }

    void aBookThatIsNotThereFailsQuietly()
    {
        Host host;
        ImageBookReader reader(&host.widget, host.opening, host.gate);
        BookRecord record;
        record.bImages = true;
        record.strPath = env->path("gone") + "/p1.png";
        QCOMPARE(reader.Open(record, {}), ImageBookReader::Opening::Failed);
        QVERIFY(!reader.IsOpening());
    }

    void aPdfOpensIntoTheControlWithoutTheViewer()
    {
        const QString dir = env->path("pdfs");
        WritePdf(dir + "/ten.pdf", 10);
        QVERIFY(WriteBytes(dir + "/locked.pdf", LockedPdf("pw")));
        QVERIFY(WriteBytes(dir + "/broken.pdf", "%PDF-1.4 nothing more"));
        Host host;
        CAcroAXDocShim control(&host.widget);
        PdfReader reader(&host.widget, host.opening, control);
        QStringList said;
        int asked = 0;
        connect(&reader, &PdfReader::asking, this, [&asked] { ++asked; });
        Prompt::setResponder([&said](const Prompt::Request& request) {
            if (auto* password = qobject_cast<CInqPasswordDlg*>(request.dialog)) {
                password->edit()->setText("pw");
                password->okButton()->click();
                return int(QDialog::Accepted);
            }
            said << request.text;
            return int(Prompt::IDOK);
        });
        const auto open = [&reader](const QString& path) {
            BookRecord record;
            record.strPath = path;
            record.nPage = 1;
            return reader.Open(record, false);
        };
        QCOMPARE(open(dir + "/ten.pdf"), std::optional<int>(10));
        QCOMPARE(control.PageCount(), 10);
        QCOMPARE(asked, 0);
        // Its password asked for, with the window's list shown behind the question.
        QCOMPARE(open(dir + "/locked.pdf"), std::optional<int>(1));
        QCOMPARE(asked, 1);
        QCOMPARE(open(dir + "/broken.pdf"), std::optional<int>());
        QCOMPARE(said, QStringList { "ファイルを開けません。" });
        QCOMPARE(asked, 2);
        Prompt::setResponder(nullptr);
    }
};

LUMIVO_TEST_MAIN(TestReaders)
#include "tst_readers.moc"
