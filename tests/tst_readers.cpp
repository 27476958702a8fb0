#include "ImageSupport.h"
#include "TestSupport.h"

#include "pdf/AcroAXDocShim.h"
#include "pdf/InqPasswordDlg.h"
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
        ImageBookReader reader(&host.widget, host.opening);
        BookRecord record;
        record.bImages = true;
        record.strPath = dir + "/p3.png";
        record.nPage = -1;
        record.nBind = -1;
        BookReader::Options options;
        options.layoutImage = LAYOUT_SINGLE;
        options.bind = BIND_LEFT;
        QCOMPARE(reader.Open(record, options), BookReader::Opening::Opened);
        // Numbers in names in their natural order, the chosen picture its page.
        QCOMPARE(record.nPageCount, 6);
        QCOMPARE(record.nPage, 3);
        QCOMPARE(record.nLayout, int(LAYOUT_SINGLE));
        QCOMPARE(record.nBind, int(BIND_LEFT));
        QCOMPARE(reader.PagePath(6), dir + "/p10.png");
        reader.Enter(record);
        const QPoint middle(400, 300);
        QVERIFY(SameColour(host.Painted(reader).pixelColor(middle), PageColour(3)));

        // A turn holds the input back until its page is decoded, and says when it shows.
        QSignalSpy waits(&reader, &BookReader::spreadWaits);
        QSignalSpy shown(&reader, &BookReader::spreadShown);
        QSignalSpy arrived(&reader, &BookReader::pagesArrived);
        record.nPage = 6;
        reader.SetTurnForward(true);
        reader.Turn(record, true);
        QTRY_VERIFY(!reader.PagesPending());
        QCOMPARE(shown.size(), 1);
        QVERIFY(!arrived.isEmpty());
        QVERIFY(!waits.isEmpty());
        QCOMPARE(record.strPath, dir + "/p10.png");
        QVERIFY(SameColour(host.Painted(reader).pixelColor(middle), PageColour(10)));

        // In spreads bound on the left, the lower page on the left.
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
        record.nPage = 1;
        reader.ApplyLayout(record);
        QTRY_VERIFY(!reader.PagesPending());
        const QImage spread = host.Painted(reader);
        QVERIFY(SameColour(spread.pixelColor(250, 300), PageColour(1)));
        QVERIFY(SameColour(spread.pixelColor(550, 300), PageColour(2)));
        // Next lands on the higher page of the next pair.
        QCOMPARE(reader.Pairing(record).NextPage(1), 4);

        reader.Close();
        QCOMPARE(reader.m_imageEngine.HeldBytes(), 0);
        // Nothing but the background once it has gone.
        QCOMPARE(host.Painted(reader).pixelColor(middle), QColor(96, 96, 96));
    }

    void aBookThatIsNotThereIsSaidSo()
    {
        Host host;
        ImageBookReader reader(&host.widget, host.opening);
        QStringList said;
        Prompt::setResponder([&said](const Prompt::Request& request) {
            said << request.text;
            return int(Prompt::IDOK);
        });
        BookRecord record;
        record.bImages = true;
        record.strPath = env->path("gone") + "/p1.png";
        QCOMPARE(reader.Open(record, {}), BookReader::Opening::Failed);
        QVERIFY(!reader.PagesPending());
        QCOMPARE(said, QStringList { "ファイルを開けません。" });
        Prompt::setResponder(nullptr);
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
        BookRecord record;
        const auto open = [&reader, &record](const QString& path) {
            record = BookRecord();
            record.strPath = path;
            record.nPage = 1;
            return reader.Open(record, {}) == BookReader::Opening::Opened
                ? std::optional<int>(record.nPageCount)
                : std::nullopt;
        };
        QCOMPARE(open(dir + "/ten.pdf"), std::optional<int>(10));
        QCOMPARE(control.PageCount(), 10);
        QCOMPARE(asked, 0);
        // Entered, it takes the layout the settings give a book without an entry.
        QSignalSpy shown(&reader, &BookReader::spreadShown);
        reader.Enter(record);
        QCOMPARE(record.nLayout, int(LAYOUT_SPREAD_COVER));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(reader.Pairing(record).NextPage(1), 3);
        record.nPage = 5;
        reader.Turn(record, true);
        QCOMPARE(control.CurrentPage(), 5);
        reader.Close();
        QCOMPARE(control.PageCount(), 0);
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
