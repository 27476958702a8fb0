#include "DesktopDriver.h"
#include "ImageSupport.h"

#include "browser/ListGeometry.h"
#include "pad/PadRules.h"
#include "platform/Paths.h"
#include "platform/UiFont.h"
#include "view/IndicatorRules.h"
#include "view/PageIndicator.h"

#include <csignal>
#include <unistd.h>

// Starts the real program on a virtual X display and works it from outside, as a
// reader's desktop would.
class TestEndToEnd : public QObject, public DesktopDriver
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void initTestCase() { OpenDisplay(90); }
    void init() { WaitUntilNoCopyRuns(); }
    void cleanupTestCase() { CloseDisplay(); }

    void startShowCloseAndKeep()
    {
        const QString dir = env->path("books");
        WriteFile(dir + "/first.pdf", 2048);
        WriteFile(dir + "/second.pdf", 4096);
        StartInFolder(dir);

        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        QCOMPARE(Xdotool({ "getwindowname", QString::number(window) }), QString("Lumivo"));
        QTRY_VERIFY_WITH_TIMEOUT(PixelOf(window, 2, 2) == QColor(Qt::black), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            HasColour(window, QRect(6, 0, 150, 40), QColor(111, 160, 192)), 5000);

        // A second start brings the first forward and leaves at once.
        QProcess second;
        StartViewer(second, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);

        Xdotool({ "key", "--window", QString::number(window), "Up" });
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);

        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), dir);
        QCOMPARE(StoredSettings().value("Settings/FullScreen").toInt(), 0);
        const QStringList pos = StoredSettings().value("Settings/WindowPos").toString().split(':');
        QCOMPARE(pos.size(), 10);
        QCOMPARE(pos[1], QString("1"));
        QVERIFY(pos[8].toInt() - pos[6].toInt() >= 640);
        QCOMPARE(StoredSettings().value("Settings/Resume99", "unset").toString(), QString());
    }

    void missingFileEndsStartWithoutLosingValues()
    {
        ClearStoredSettings();
        StoredSettings().setValue("Settings/CurrentFolder", "/books");
        StoredSettings().setValue("Settings/Resume0", "2|7|90|2|0|100|/books/a.pdf");
        StoredSettings().sync();

        QProcess viewer;
        StartViewer(viewer, { env->path("missing.pdf") });
        QVERIFY(FindWindow("Lumivo") != 0); // the message
        Xdotool({ "key", "Return" });
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitCode(), 1);

        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), QString("/books"));
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("2|7|90|2|0|100|/books/a.pdf"));
    }

    void resumeScreenListsSwitchesAndDeletes()
    {
        const QString dir = env->path("shelf");
        WriteFile(dir + "/a.pdf", 10);
        WriteFile(dir + "/b.pdf", 10);
        ClearStoredSettings();
        StoredSettings().setValue("Settings/Resume0", "2|3|9|2|0|10|" + dir + "/a.pdf");
        StoredSettings().setValue("Settings/Resume1", "2|5|9|2|0|10|" + dir + "/b.pdf");
        StoredSettings().sync();

        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        const QRect label(6, 0, 150, 40);
        const QColor resumeLabel(192, 160, 111);
        const QColor folderLabel(111, 160, 192);
        QTRY_VERIFY_WITH_TIMEOUT(HasColour(window, label, resumeLabel), 5000);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });

        Xdotool({ "key", "Tab" });
        QTRY_VERIFY_WITH_TIMEOUT(HasColour(window, label, folderLabel), 5000);
        Xdotool({ "key", "Tab" });
        QTRY_VERIFY_WITH_TIMEOUT(HasColour(window, label, resumeLabel), 5000);

        // The first entry is selected; the dialog's default button deletes it.
        Xdotool({ "key", "BackSpace" });
        QVERIFY(FindWindow("Resume Delete") != 0);
        Xdotool({ "key", "Return" });
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume1").isEmpty(), 5000);
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            "2|5|9|2|0|10|" + dir + "/b.pdf");
        // The keys come back to the window the dialog came from.
        Xdotool({ "key", "BackSpace" });
        QVERIFY(FindWindow("Resume Delete") != 0);
        Xdotool({ "key", "Escape" });

        CloseAndCheck(viewer, window);
    }

    void readingAPdfFromTheCommandLine()
    {
        const QString path = env->path("reading/novel.pdf");
        WritePdf(path, 12);
        ClearStoredSettings();

        QProcess viewer;
        const Window window = StartAndFind(viewer, { path }, "novel.pdf - Lumivo");
        QVERIFY(window != 0);
        // The cover page on white paper, beside the grey of the empty column.
        QTRY_VERIFY_WITH_TIMEOUT(HasColour(window, QRect(400, 200, 200, 50), Qt::white), 5000);
        QVERIFY(HasColour(window, QRect(100, 200, 100, 50), QColor(96, 96, 96)));
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Next", "Next", "Next" });
        Xdotool({ "key", "ctrl+s" });
        QVERIFY(FindWindow("Lumivo") != 0);
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").startsWith("2|7|12|2|0|"), 5000);
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("2|7|12|2|0|%1|%2").arg(QFileInfo(path).size()).arg(path));

        CloseAndCheck(viewer, window);
    }

    // The page indicator's plate for the book as it is, drawn here with the program's own
    // type over what lies beneath it in the window.
    static QImage PlateOver(const QImage& beneath, const BookRecord& book)
    {
        QWidget parent;
        parent.resize(beneath.size());
        PageIndicator indicator(&parent);
        const auto font = [](int index) {
            QFont f;
            f.setFamilies(UiFontFamilies());
            f.setPixelSize(ListGeometry::kFontHeights[index]);
            f.setStyleStrategy(QFont::PreferAntialias);
            return f;
        };
        const SizeGeometry g = ListGeometry::ForIndex(2);
        indicator.Flash(
            IndicatorRules::Compose(book, false, SpreadPairing(book.nLayout, book.nPageCount)),
            font(g.line1Font), font(g.line2Font));
        if (!QTest::qWaitFor([&indicator] { return !indicator.Plate().isNull(); }, 5000))
            return {};
        QImage composed = beneath;
        QPainter(&composed).drawPixmap(indicator.geometry().topLeft(), indicator.Plate());
        return composed;
    }

    static qint64 Difference(const QImage& a, const QImage& b)
    {
        qint64 sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                    + qAbs(qBlue(p) - qBlue(q));
            }
        }
        return sum;
    }

    void goingToAPageTellsWhereTheReaderIs()
    {
        const QString path = env->path("goto/manual.pdf");
        WritePdf(path, 120);
        ClearStoredSettings();
        QProcess viewer;
        const Window window = StartAndFind(viewer, { path }, "manual.pdf - Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "ctrl+g" });
        QVERIFY(FindWindow("ページ指定") != 0);
        Xdotool({ "key", "ctrl+a" });
        Xdotool({ "type", "100" });
        Xdotool({ "key", "Return" });
        QVERIFY(FindWindow("manual.pdf - Lumivo") == window);

        // The plate as it shows for a moment, and the window once it has faded.
        XWindowAttributes attributes;
        XGetWindowAttributes(m_dpy, window, &attributes);
        const QRect client(0, 0, attributes.width, attributes.height);
        QTest::qWait(400);
        const QImage shown = Grab(window, client);
        QTest::qWait(3000);
        const QImage beneath = Grab(window, client);
        QVERIFY(Difference(shown, beneath) > 0);
        BookRecord book;
        book.nType = TYPE_FILE;
        book.nLayout = LAYOUT_SPREAD_COVER;
        book.nPageCount = 120;
        book.nPage = 100;
        const QImage right = PlateOver(beneath, book);
        book.nPage = 102;
        const QImage wrong = PlateOver(beneath, book);
        QVERIFY(!right.isNull() && !wrong.isNull());
        // It reads as pages 100-101 of 120, not as the next spread.
        QVERIFY2(Difference(shown, right) * 3 < Difference(shown, wrong),
            qPrintable(QString("%1 against %2")
                           .arg(Difference(shown, right))
                           .arg(Difference(shown, wrong))));

        Xdotool({ "key", "ctrl+s" });
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").startsWith("2|100|120|"), 5000);
        CloseAndCheck(viewer, window);
    }

    void readingAnImageBook()
    {
        const QString dir = env->path("photos");
        for (int i = 1; i <= 6; ++i)
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 600, 900 }, PageColour(i)));
        StartInFolder(dir);

        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Return" });
        QCOMPARE(FindWindow("p1.png - Lumivo"), window);
        XWindowAttributes attributes;
        XGetWindowAttributes(m_dpy, window, &attributes);
        const int y = attributes.height / 2;
        const auto left = [&] { return PixelOf(window, attributes.width / 4, y); };
        const auto right = [&] { return PixelOf(window, attributes.width * 3 / 4, y); };
        // The cover alone on the left, then pages 2 and 3 right to left, then left to right.
        QTRY_COMPARE_WITH_TIMEOUT(left(), PageColour(1), 5000);
        QCOMPARE(right(), QColor(96, 96, 96));
        Xdotool({ "key", "Next" });
        QTRY_COMPARE_WITH_TIMEOUT(left(), PageColour(3), 5000);
        QCOMPARE(right(), PageColour(2));
        Xdotool({ "key", "ctrl+o" });
        QTRY_COMPARE_WITH_TIMEOUT(left(), PageColour(2), 5000);
        QCOMPARE(right(), PageColour(3));
        Xdotool({ "key", "ctrl+s" });
        QVERIFY(FindWindow("Lumivo") != 0);
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").endsWith("|" + dir + "/p3.png"), 5000);
        QVERIFY(StoredSettings().value("Settings/Resume0").toString().startsWith("258|3|6|"));

        CloseAndCheck(viewer, window);
        // Reading is quiet: nothing on stderr but the program's own words, and none here.
        QCOMPARE(viewer.readAllStandardError(), QByteArray());
    }

    QRect PadWindow(const QSize& size)
    {
        for (const auto& [id, rect] : WindowsNamed("Lumivo")) {
            if (rect.size() == size)
                return rect;
        }
        return {};
    }

    void workedByThePadAndTheSettings()
    {
        const QString dir = env->path("padbook");
        for (int i = 1; i <= 6; ++i)
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 600, 900 }, PageColour(i)));
        StartInFolder(dir);
        StoredSettings().setValue("Settings/FontSize", "2:4:50");
        StoredSettings().sync();
        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });

        // A click on the Folder screen's header brings the pad at its size.
        const QSize padSize = PadRules::PadSize(50);
        Xdotool({ "mousemove", "--window", QString::number(window), "300", "20", "click", "1" });
        QTRY_VERIFY_WITH_TIMEOUT(PadWindow(padSize).isValid(), 5000);
        QRect pad = PadWindow(padSize);
        const auto clickCell = [&](int cell) {
            const QPoint at = pad.topLeft() + PadRules::PadCellRect(cell, padSize).center();
            Xdotool(
                { "mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1" });
        };

        // Open the first book with the keyboard, then turn with the pad's "next".
        Xdotool({ "key", "Return" });
        QCOMPARE(FindWindow("p1.png - Lumivo"), window);
        XWindowAttributes a;
        XGetWindowAttributes(m_dpy, window, &a);
        const auto left = [&] { return PixelOf(window, a.width / 8, a.height / 2); };
        QTRY_COMPARE_WITH_TIMEOUT(left(), PageColour(1), 5000);
        clickCell(11);
        QTRY_COMPARE_WITH_TIMEOUT(left(), PageColour(3), 5000);

        // The grip drags it.
        const QPoint grip
            = pad.topLeft() + PadRules::PadCellRect(PadRules::kGrip, padSize).center();
        Xdotool({ "mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown",
            "1" });
        Xdotool({ "mousemove", QString::number(grip.x() + 60), QString::number(grip.y() + 40) });
        Xdotool({ "mousemove", QString::number(grip.x() + 100), QString::number(grip.y() + 80) });
        Xdotool({ "mouseup", "1" });
        QTRY_COMPARE_WITH_TIMEOUT(
            PadWindow(padSize).topLeft(), pad.topLeft() + QPoint(100, 80), 5000);
        pad = PadWindow(padSize);

        // Esc on the pad closes the book; the menu's settings change the normal font size.
        clickCell(20);
        QVERIFY(FindWindow("Lumivo") != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Menu" });
        Xdotool({ "key", "Up", "Up", "Up", "Return" });
        QVERIFY(FindWindow("設定") != 0);
        Xdotool({ "key", "Down", "Return" });
        QTRY_COMPARE_WITH_TIMEOUT(Stored("Settings/FontSize"), QString("3:4:50"), 5000);

        CloseAndCheck(viewer, window);
    }

    void theFirstOfTwoFilesOpensUnderItsOwnName()
    {
        const QString first = env->path("names/[*] first.pdf");
        WritePdf(first, 3);
        WritePdf(env->path("names/second.pdf"), 3);
        ClearStoredSettings();
        QProcess viewer;
        const Window window = StartAndFind(
            viewer, { first, env->path("names/second.pdf") }, ".*first.pdf - Lumivo");
        QVERIFY(window != 0);
        QCOMPARE(Xdotool({ "getwindowname", QString::number(window) }),
            QString("[*] first.pdf - Lumivo"));
        CloseAndCheck(viewer, window);
    }

    void aBookWhoseNameIsNotUtf8()
    {
        // "テスト.pdf" in Shift-JIS, as old archives name their files.
        const QString dir = env->path("sjis");
        WritePdf(dir + "/plain.pdf", 3);
        const QByteArray raw = QFile::encodeName(dir) + "/\x83\x65\x83\x58\x83\x67.pdf";
        QCOMPARE(::rename(QFile::encodeName(dir + "/plain.pdf").constData(), raw.constData()), 0);
        StartInFolder(dir);

        QProcess viewer;
        Window window = StartAndFind(viewer, {}, "Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Return" });
        QCOMPARE(FindWindow(".*X.*\\.pdf - Lumivo"), window);
        Xdotool({ "key", "Next", "ctrl+s" });
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").startsWith("2|3|3|"), 5000);
        const QString stored = StoredSettings().value("Settings/Resume0").toString();
        QCOMPARE(Paths::ToNative(Paths::FromStored(stored.section('|', 6))), raw);
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));

        // A new run finds it on the Resume screen, opens it at its page and deletes it.
        QProcess again;
        window = StartAndFind(again, {}, "Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        Xdotool({ "key", "Return" });
        QCOMPARE(FindWindow(".*X.*\\.pdf - Lumivo"), window);
        Xdotool({ "key", "Escape" });
        QVERIFY(FindWindow("Lumivo") != 0);
        Xdotool({ "key", "BackSpace" });
        QVERIFY(FindWindow("Resume Delete") != 0);
        Xdotool({ "key", "Return" });
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").isEmpty(), 5000);
        AskToClose(window);
        QVERIFY(again.waitForFinished(10000));

        // Named on the command line, byte for byte.
        QProcess named;
        named.setProcessEnvironment(DisplayEnvironment());
        named.start("sh",
            { "-c", QString("exec \"$0\" \"$(printf '%1/\\203e\\203X\\203g.pdf')\"").arg(dir),
                LUMIVO_BINARY });
        QVERIFY(named.waitForStarted());
        window = FindWindow(".*X.*\\.pdf - Lumivo");
        QVERIFY(window != 0);
        AskToClose(window);
        QVERIFY(named.waitForFinished(10000));
    }

    void aHeldKeyActsOnceUnderLoad()
    {
        const QString path = env->path("held/long.pdf");
        WritePdf(path, 36);
        ClearStoredSettings();
        QProcess viewer;
        const Window window = StartAndFind(viewer, { path }, "long.pdf - Lumivo");
        QVERIFY(window != 0);
        Xdotool({ "windowfocus", "--sync", QString::number(window) });
        // Three busy loops on the two cores, as a loaded machine has.
        QList<QProcess*> loops;
        for (int i = 0; i < 3; ++i) {
            loops << new QProcess(this);
            loops.last()->start("sh", { "-c", "while :; do :; done" });
        }
        Xdotool({ "keydown", "Next" });
        QTest::qWait(2000);
        Xdotool({ "keyup", "Next" });
        for (QProcess* loop : loops) {
            loop->kill();
            loop->waitForFinished();
            delete loop;
        }
        Xdotool({ "key", "ctrl+s" });
        QTRY_VERIFY_WITH_TIMEOUT(Stored("Settings/Resume0").startsWith("2|3|36|"), 5000);
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));
    }

    void highDensityScreensKeepTheLayout_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("listTop");
        // The Folder screen's list starts 68 logical pixels down, inside a dark frame of
        // one: its first light pixel is 69 logical pixels down, in device pixels here.
        QTest::newRow("96 dpi") << 96 << "" << 69;
        QTest::newRow("144 dpi") << 144 << "" << 104;
        QTest::newRow("192 dpi") << 192 << "" << 138;
        QTest::newRow("scale factor 2") << 96 << "2" << 138;
    }
    void highDensityScreensKeepTheLayout()
    {
        QFETCH(int, dpi);
        QFETCH(QString, scale);
        QFETCH(int, listTop);
        const QByteArray resources = "Xft.dpi:\t" + QByteArray::number(dpi) + "\n";
        XChangeProperty(m_dpy, DefaultRootWindow(m_dpy),
            XInternAtom(m_dpy, "RESOURCE_MANAGER", False), XInternAtom(m_dpy, "STRING", False), 8,
            PropModeReplace, reinterpret_cast<const unsigned char*>(resources.constData()),
            int(resources.size()));
        XFlush(m_dpy);
        StartInFolder(env->path("dpi"));
        QDir().mkpath(env->path("dpi"));
        QProcessEnvironment environment = DisplayEnvironment();
        if (!scale.isEmpty())
            environment.insert("QT_SCALE_FACTOR", scale);
        QProcess viewer;
        const Window window = StartAndFind(viewer, {}, "Lumivo", environment);
        QVERIFY(window != 0);
        // The first pixel that is not the header's black, down a column clear of text.
        const auto firstLit = [&] {
            for (int y = 0; y < 400; ++y) {
                if (PixelOf(window, 620, y) != QColor(Qt::black))
                    return y;
            }
            return -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(firstLit(), listTop, 5000);
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));
        XDeleteProperty(
            m_dpy, DefaultRootWindow(m_dpy), XInternAtom(m_dpy, "RESOURCE_MANAGER", False));
        XFlush(m_dpy);
    }

    void terminationKeepsTheValues()
    {
        ClearStoredSettings();
        StoredSettings().setValue("Settings/FullScreen", 1);
        StoredSettings().setValue("Settings/Resume0", "2|7|90|2|0|100|/books/a.pdf");
        StoredSettings().sync();

        QProcess viewer;
        StartViewer(viewer, {});
        QVERIFY(FindWindow("Lumivo") != 0);
        ::kill(pid_t(viewer.processId()), SIGTERM);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitCode(), 0);

        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/FullScreen").toInt(), 1);
        // Kept, and marked missing since no such file exists here.
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("3|7|90|2|0|100|/books/a.pdf"));
        QVERIFY(StoredSettings().contains("Settings/CurrentFolder"));

        // The end also comes while a book named on the command line is answered with a
        // message, before the program has settled: the message goes with it.
        const QString broken = env->path("ending/broken.pdf");
        QDir().mkpath(env->path("ending"));
        WriteBytes(broken, "%PDF-1.4 cut short");
        QProcess asking;
        StartViewer(asking, { broken });
        QTRY_VERIFY_WITH_TIMEOUT(WindowsNamed("Lumivo").size() == 2, 10000);
        ::kill(pid_t(asking.processId()), SIGTERM);
        QVERIFY(asking.waitForFinished(10000));
        QCOMPARE(asking.exitCode(), 0);
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("3|7|90|2|0|100|/books/a.pdf"));
    }
};

LUMIVO_TEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
