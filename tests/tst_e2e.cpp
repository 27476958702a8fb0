#include "ImageSupport.h"
#include "TestSupport.h"
#include "VirtualDisplay.h"

#include "pad/PadRules.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"

#include <QProcess>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <unistd.h>

// Starts the real program on a virtual X display and works it from outside, as a
// reader's desktop would.
class TestEndToEnd : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    VirtualDisplay m_x;
    Display* m_dpy = nullptr;

    QString Xdotool(const QStringList& args) { return m_x.Xdotool(args); }
    QProcessEnvironment DisplayEnvironment() const { return m_x.Environment(); }

    bool Launch(QProcess& viewer, const QStringList& args, const QProcessEnvironment& environment)
    {
        viewer.setProcessEnvironment(environment.isEmpty() ? DisplayEnvironment() : environment);
        viewer.start(LUMIVO_BINARY, args);
        return viewer.waitForStarted();
    }

    void StartViewer(QProcess& viewer, const QStringList& args)
    {
        QVERIFY(Launch(viewer, args, {}));
    }

    // A stored value as it is on the disk now.
    static QString Stored(const QString& name)
    {
        StoredSettings().sync();
        return StoredSettings().value(name).toString();
    }

    // Closes the window as a window manager's close button does; the program ends cleanly.
    void CloseAndCheck(QProcess& viewer, Window window)
    {
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);
    }

    // Starts the program and finds its window by title; 0 when it never shows.
    Window StartAndFind(QProcess& viewer, const QStringList& args, const QString& title,
        const QProcessEnvironment& environment = {})
    {
        return Launch(viewer, args, environment) ? FindWindow(title) : 0;
    }

    Window FindWindow(const QString& title)
    {
        const QString id
            = Xdotool({ "search", "--sync", "--onlyvisible", "--name", "^" + title + "$" });
        return id.split('\n').value(0).toULong();
    }

    // The colour of a pixel of the window as it is on the screen.
    QColor PixelOf(Window window, int x, int y)
    {
        XImage* image = XGetImage(m_dpy, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return {};
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return QColor((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    bool HasColour(Window window, const QRect& rect, const QColor& colour)
    {
        XImage* image = XGetImage(
            m_dpy, window, rect.x(), rect.y(), rect.width(), rect.height(), AllPlanes, ZPixmap);
        if (!image)
            return false;
        bool found = false;
        for (int y = 0; y < rect.height() && !found; ++y) {
            for (int x = 0; x < rect.width() && !found; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                found = QColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) == colour;
            }
        }
        XDestroyImage(image);
        return found;
    }

    // What the close button of a window manager sends.
    void AskToClose(Window window)
    {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_dpy, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(m_dpy, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_dpy, window, False, NoEventMask, &event);
        XFlush(m_dpy);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_x.Start(90));
        QTRY_VERIFY_WITH_TIMEOUT((m_dpy = XOpenDisplay(m_x.Name().toLatin1().constData())), 10000);
    }

    // A copy from the test before may still be ending: each test starts the first copy.
    void init()
    {
        QTRY_VERIFY_WITH_TIMEOUT(SingleInstance(QStringLiteral("Lumivo.2016.Oberkan")).claim()
                == SingleInstance::Claim::First,
            10000);
    }

    void cleanupTestCase()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
        m_x.Stop();
    }

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
    }

    // The visible top-level windows of that title and where they are on the screen.
    QList<QPair<Window, QRect>> WindowsNamed(const QString& title)
    {
        QList<QPair<Window, QRect>> found;
        const QString ids = Xdotool({ "search", "--onlyvisible", "--name", "^" + title + "$" });
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            XWindowAttributes a;
            if (XGetWindowAttributes(m_dpy, id.toULong(), &a))
                found.append({ id.toULong(), QRect(a.x, a.y, a.width, a.height) });
        }
        return found;
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

    void aSecondStartHandsItsBookOver()
    {
        const QString dir = env->path("handed");
        WritePdf(dir + "/a.pdf", 4);
        WritePdf(dir + "/b.pdf", 4);
        StartInFolder(dir);
        QProcess first;
        const Window window = StartAndFind(first, {}, "Lumivo");
        QVERIFY(window != 0);
        const auto handOver = [&](const QString& name) {
            QProcess second;
            second.setProcessEnvironment(DisplayEnvironment());
            second.setWorkingDirectory(dir);
            second.start(LUMIVO_BINARY, { name });
            QVERIFY(second.waitForFinished(10000));
            QCOMPARE(second.exitCode(), 0);
        };

        // From the Folder screen, and while reading another book, which closes unsaved.
        handOver("b.pdf");
        QCOMPARE(FindWindow("b.pdf - Lumivo"), window);
        handOver("a.pdf");
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
        handOver("b.pdf");
        QCOMPARE(Xdotool({ "getwindowname", QString::number(window) }), QString("Lumivo"));
        Xdotool({ "windowfocus", "--sync", QString::number(dialog) });
        Xdotool({ "key", "Escape" });
        QCOMPARE(FindWindow("b.pdf - Lumivo"), window);

        CloseAndCheck(first, window);
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
    }
};

LUMIVO_TEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
