#include "DesktopDriver.h"

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
        second.start(LUMIVO_BINARY, { name });
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
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
        StartInFolder(dir);
        QProcess first;
        const Window window = StartAndFind(first, {}, "Lumivo");
        QVERIFY(window != 0);

        // From the Folder screen, and while reading another book, which closes unsaved.
        HandOver(dir, "b.pdf");
        QCOMPARE(FindWindow("b.pdf - Lumivo"), window);
        HandOver(dir, "a.pdf");
        QCOMPARE(FindWindow("a.pdf - Lumivo"), window);
        StoredSettings().sync();
        QVERIFY(StoredSettings().value("Settings/Resume0").toString().isEmpty());

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
};

LUMIVO_TEST_MAIN(TestEndToEndHandOver)
#include "tst_e2e_handover.moc"
