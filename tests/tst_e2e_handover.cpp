#include "ArchiveSupport.h"
#include "DesktopDriver.h"
#include "HandoverClient.h"
#include "ImageSupport.h"

#include "browser/LastPlaces.h"
#include "view/PlaceKeeper.h"

#include <sys/stat.h>
#include <unistd.h>

// A later start hands its book or folder to the running copy, on a virtual X display.
class TestEndToEndHandOver : public QObject, public DesktopDriver
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    // Starts the program again in that folder with that argument; it hands it over.
    void HandOver(const QString& dir, const QString& name)
    {
        QProcess second;
        second.setProcessEnvironment(DisplayEnvironment());
        second.setWorkingDirectory(dir);
        second.start(LUMIVO_BINARY, name.isNull() ? QStringList() : QStringList { name });
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
    }

    // A message of the program over its main window (both are titled "Lumivo"), other
    // than the one before; 0 when none shows.
    Window MessageOver(Window main, Window before)
    {
        for (int waited = 0; waited < 10000; waited += 100) {
            for (const auto& [id, rect] : WindowsNamed("Lumivo")) {
                if (id != main && id != before)
                    return id;
            }
            QTest::qWait(100);
        }
        return 0;
    }

    // The page the book at path was left at, as it is on the disk now; 0 for none.
    static int LastPage(const QString& path)
    {
        QFile file(PlaceKeeper::FilePath());
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        const auto place
            = LastPlaces::Read(file.readAll()).FindFile(path, quint64(QFileInfo(path).size()));
        return place ? place->nPage : 0;
    }

    // Goes to a page with Ctrl+G, as a reader does.
    void GoTo(Window window, int page)
    {
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "ctrl+g" });
        QVERIFY(FindWindow("ページ指定") != 0);
        Xdotool({ "key", "ctrl+a" });
        Xdotool({ "type", QString::number(page) });
        Xdotool({ "key", "Return" });
        QTRY_VERIFY_WITH_TIMEOUT(WindowsNamed("ページ指定").isEmpty(), 5000);
    }

private slots:
    void initTestCase() { OpenDisplay(92); }
    void init() { WaitUntilNoCopyRuns(); }
    void cleanupTestCase() { CloseDisplay(); }

    void aSecondStartHandsItsBookOver()
    {
        const QString dir = env->path("handed");
        WritePdf(dir + "/a.pdf", 4);
        WritePdf(dir + "/b.pdf", 4);
        QVERIFY(WriteArchive(dir + "/c.cbz", ArchiveFormat::Zip,
            { { "p1.png", PngDeclaring({ 80, 120 }, true) },
                { "p2.png", PngDeclaring({ 80, 120 }, true) } }));
        StartInFolder(dir);
        QProcess first;
        const Window window = StartAndFind(first, {}, "Lumivo");
        QVERIFY(window != 0);

        // From the Folder screen, and while reading another book, which closes keeping
        // its last place, and adds no Resume entry.
        HandOver(dir, "b.pdf");
        QCOMPARE(FindWindow("b.pdf - Lumivo"), window);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Next" });
        HandOver(dir, "a.pdf");
        QCOMPARE(FindWindow("a.pdf - Lumivo"), window);
        QTRY_COMPARE_WITH_TIMEOUT(LastPage(dir + "/b.pdf"), 3, 5000);
        QCOMPARE(Stored("Settings/Resume0"), QString());
        // A comic archive opens there as well.
        HandOver(dir, "c.cbz");
        QCOMPARE(FindWindow("c.cbz - Lumivo"), window);

        // While a dialog is open the book waits until the dialog closes.
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Escape" });
        QVERIFY(FindWindow("Lumivo") != 0);
        Xdotool({ "key", "Menu" });
        Xdotool({ "key", "Up", "Up", "Up", "Return" });
        const Window dialog = FindWindow("設定");
        QVERIFY(dialog != 0);
        HandOver(dir, "b.pdf");
        QCOMPARE(Xdotool({ "getwindowname", QString::number(window) }), QString("Lumivo"));
        Xdotool({ "windowfocus", "--sync", QString::number(dialog) });
        Xdotool({ "key", "Escape" });
        QCOMPARE(FindWindow("b.pdf - Lumivo"), window);

        CloseAndCheck(first, window);
    }

    void theLastPlaceIsKeptHoweverTheBookEnds()
    {
        const QString dir = env->path("places");
        const QString book = dir + "/long.pdf";
        WritePdf(book, 64);
        WritePdf(dir + "/other.pdf", 2);
        StartInFolder(dir);
        // Each way a book ends, at a page of its own.
        const QList<QPair<int, std::function<void(QProcess&, Window)>>> endings = {
            { 10,
                [&](QProcess& viewer, Window window) {
                    // Esc, then the program closed.
                    Xdotool({ "key", "Escape" });
                    QTRY_COMPARE_WITH_TIMEOUT(LastPage(book), 10, 5000);
                    CloseAndCheck(viewer, window);
                } },
            // The window closed while reading (Alt+F4, the pad's quit).
            { 20, [&](QProcess& viewer, Window window) { CloseAndCheck(viewer, window); } },
            // SIGTERM: a television box powering off.
            { 30, [](QProcess& viewer, Window) { viewer.terminate(); } },
            { 40,
                [&](QProcess& viewer, Window window) {
                    HandOver(dir, "other.pdf");
                    QCOMPARE(FindWindow("other.pdf - Lumivo"), window);
                    QTRY_COMPARE_WITH_TIMEOUT(LastPage(book), 40, 5000);
                    CloseAndCheck(viewer, window);
                } },
            // The plug pulled a few seconds after the last turn.
            { 50,
                [](QProcess& viewer, Window) {
                    QTest::qWait(PlaceKeeper::kSettleMs + 3000);
                    viewer.kill();
                } },
        };
        for (const auto& [page, end] : endings) {
            QProcess viewer;
            const Window window = StartAndFind(viewer, { book }, "long.pdf - Lumivo");
            QVERIFY(window != 0);
            GoTo(window, page);
            end(viewer, window);
            viewer.waitForFinished(10000);
            QCOMPARE(viewer.state(), QProcess::NotRunning);
            QCOMPARE(LastPage(book), page);
        }
        // Opened from the Folder screen it is at page 50: closed at once, that is where it
        // was left.
        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Home", "Return" });
        QCOMPARE(FindWindow("long.pdf - Lumivo"), window);
        Xdotool({ "key", "Escape" });
        QCOMPARE(FindWindow("Lumivo"), window);
        CloseAndCheck(viewer, window);
        QCOMPARE(LastPage(book), 50);
        // The Resume screen's entries are the reader's own: none were made.
        QCOMPARE(Stored("Settings/Resume0"), QString());
    }

    void anotherUsersCopyIsSaidSo()
    {
        if (::getuid() != 0)
            QSKIP("Starting a copy as another user needs root.");
        // The first copy runs as nobody, off screen, with a folder of its own for its
        // settings and for a copy of the program (the build may lie where only root may go).
        QByteArray home = "/tmp/lumivo-nobody-XXXXXX";
        QVERIFY(mkdtemp(home.data()));
        const QString binary = QString::fromLatin1(home) + "/lumivo";
        QVERIFY(QFile::copy(LUMIVO_BINARY, binary));
        QVERIFY(::chown(home.constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(binary).constData(), 0755) == 0);
        QProcessEnvironment nobody = QProcessEnvironment::systemEnvironment();
        nobody.insert("QT_QPA_PLATFORM", "offscreen");
        nobody.insert("HOME", home);
        nobody.insert("XDG_CONFIG_HOME", home);
        nobody.insert("XDG_RUNTIME_DIR", home);
        nobody.remove("DISPLAY");
        QProcess first;
        first.setProcessEnvironment(nobody);
        first.start("setpriv",
            { "--reuid=65534", "--regid=65534", "--clear-groups", binary, QString(home) });
        QVERIFY(first.waitForStarted());
        const bool runs = QTest::qWaitFor(
            [&first] {
                return first.state() != QProcess::Running
                    || SingleInstance(QStringLiteral("Lumivo.2016.Oberkan")).claim()
                    != SingleInstance::Claim::First;
            },
            10000);
        if (!runs || first.state() != QProcess::Running)
            QSKIP("This machine cannot run the program as another user.");

        QProcess second;
        StartViewer(second, {});
        const Window message = FindWindow("Lumivo");
        QVERIFY(message != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(message) });
        Xdotool({ "key", "Return" });
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(QString::fromUtf8(second.readAllStandardError())
                    .contains("別のユーザーの Lumivo が動作中です。"));
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QDir(QString::fromLatin1(home)).removeRecursively();
    }

    void aSignalEndsAnOpeningThatWaitsForItsDrive()
    {
        // A book on a drive that takes a fifth of a second a read: it is still opening,
        // behind the wait, when the system asks the program to end.
        const QString dir = env->path("slowly");
        WritePdf(dir + "/slow.pdf", 60);
        QProcessEnvironment slow = DisplayEnvironment();
        slow.insert("LD_PRELOAD", LUMIVO_SLOW_DRIVE_LIBRARY);
        slow.insert("LUMIVO_SLOW_DRIVE", dir);
        slow.insert("LUMIVO_SLOW_READ_US", "200000");
        QProcess viewer;
        QVERIFY(StartAndFind(viewer, { dir + "/slow.pdf" }, "Lumivo", slow) != 0);
        QTest::qWait(500);
        QCOMPARE(viewer.state(), QProcess::Running);
        viewer.terminate();
        QVERIFY(viewer.waitForFinished(5000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);
    }

    void aBookThatCannotOpenLeavesTheCopyRunning_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // written to name unless null
        // A question the program asks before it says it cannot open the book, and the key
        // that answers it.
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("answer");
        QTest::newRow("a missing file") << "gone.pdf" << QByteArray() << ""
                                        << "";
        QTest::newRow("a missing folder") << "gone/deeper" << QByteArray() << "Lumivo"
                                          << "Escape";
        QTest::newRow("a GIF, switched off by default") << "page.gif" << TwoFrameGif() << ""
                                                        << "";
        QTest::newRow("a damaged PDF")
            << "damaged.pdf" << QByteArray("%PDF-1.4\n1 0 obj <<\n") << ""
            << "";
        QTest::newRow("a PDF without pages")
            << "pageless.pdf"
            << PdfFromObjects(
                   { "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>" })
            << "ページ数"
            << "Return";
    }
    void aBookThatCannotOpenLeavesTheCopyRunning()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, asked);
        QFETCH(QString, answer);
        const QString dir = env->path("unopened");
        QDir(dir).removeRecursively();
        WritePdf(dir + "/good.pdf", 2);
        if (!bytes.isNull())
            QVERIFY(WriteBytes(dir + "/" + name, bytes));
        StartInFolder(dir);
        QProcess first;
        const Window window = StartAndFind(first, {}, "Lumivo");
        QVERIFY(window != 0);

        HandOver(dir, name);
        Window question = 0;
        if (!asked.isEmpty()) {
            question = asked == "Lumivo" ? MessageOver(window, 0) : FindWindow(asked);
            QVERIFY(question != 0);
            Xdotool({ "windowfocus", "--sync", QString::number(question) });
            Xdotool({ "key", answer });
        }
        const Window message = MessageOver(window, question);
        QVERIFY(message != 0);
        // While the message waits: a client that comes and goes at once, and a start that
        // brings the program forward and is answered.
        HandoverClient passing;
        QVERIFY(passing.Connect());
        passing.Close();
        HandOver(dir, {});
        Xdotool({ "windowfocus", "--sync", QString::number(message) });
        Xdotool({ "key", "Return" });
        QTRY_COMPARE_WITH_TIMEOUT(WindowsNamed("Lumivo").size(), 1, 10000);
        QCOMPARE(first.state(), QProcess::Running);

        HandOver(dir, "good.pdf");
        QCOMPARE(FindWindow("good.pdf - Lumivo"), window);
        CloseAndCheck(first, window);
    }
};

LUMIVO_TEST_MAIN(TestEndToEndHandOver)
#include "tst_e2e_handover.moc"
