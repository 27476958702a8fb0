#include "DesktopDriver.h"
#include "ImageSupport.h"

#include "pad/PadRules.h"

#include <QStandardPaths>

#include <X11/Xatom.h>

// The real program on a virtual display run by a real window manager, openbox, as most
// readers have one: the pad's grip asks the manager to move the pad, and the keyboard
// must stay with the reader whatever the manager is asked.
class TestUnderAWindowManager : public QObject, public DesktopDriver
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QProcess m_openbox;
    QString m_book;
    QSize m_padSize = PadRules::PadSize(50);

    // A window manager names its check window on the root window once it runs the screen.
    bool Managed()
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(m_dpy, DefaultRootWindow(m_dpy),
            XInternAtom(m_dpy, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False, XA_WINDOW, &type,
            &format, &items, &after, &data);
        if (data)
            XFree(data);
        return status == Success && items == 1;
    }

    QRect PadWindow()
    {
        for (const auto& [id, rect] : WindowsNamed("Lumivo")) {
            if (rect.size() == m_padSize)
                return rect;
        }
        return {};
    }

    QPoint GripOf(const QRect& pad)
    {
        return pad.topLeft() + PadRules::PadCellRect(PadRules::kGrip, m_padSize).center();
    }

    // Starts the program on the book's Folder screen and shows the pad; the pad's place.
    QRect StartWithThePad(QProcess& viewer, Window& window)
    {
        StartInFolder(m_book);
        StoredSettings().setValue("Settings/FontSize", "2:4:50");
        StoredSettings().sync();
        window = StartAndFind(viewer, {}, "Lumivo");
        if (window == 0)
            return {};
        Xdotool({ "windowactivate", "--sync", QString::number(window) });
        Xdotool({ "mousemove", "--window", QString::number(window), "300", "20", "click", "1" });
        if (!QTest::qWaitFor([&] { return PadWindow().isValid(); }, 5000))
            return {};
        return PadWindow();
    }

    // A key reaches the reader: Return opens the book, Esc closes it again.
    bool KeyOpens(Window window, const QString& key, const QString& title)
    {
        Xdotool({ "key", key });
        return QTest::qWaitFor(
            [&] {
                return Xdotool({ "getwindowname", QString::number(window) }) == title;
            },
            5000);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("openbox").isEmpty())
            QSKIP("openbox is not installed: tools/install-deps.sh installs it");
        OpenDisplay(84);
        m_openbox.setProcessEnvironment(DisplayEnvironment());
        m_openbox.start("openbox", { "--sm-disable" });
        QVERIFY(m_openbox.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Managed(), 10000);
        m_book = env->path("book");
        for (int i = 1; i <= 4; ++i)
            QVERIFY(WritePicture(m_book + QString("/p%1.png").arg(i), { 600, 900 }, PageColour(i)));
    }
    void init() { WaitUntilNoCopyRuns(); }
    void cleanupTestCase()
    {
        if (m_openbox.state() != QProcess::NotRunning) {
            m_openbox.terminate();
            m_openbox.waitForFinished();
        }
        CloseDisplay();
    }

    // A manager asked to move the pad must not be left moving it, holding the keyboard
    // and the next click, when the release comes before it takes the mouse.
    void quickGripGesturesLeaveTheKeyboardAlone_data()
    {
        QTest::addColumn<int>("sweep");
        // A remote or a touch pad sends its click as a press and a release at once.
        QTest::newRow("instant clicks") << 0;
        // A flick lets go as soon as it is under way.
        QTest::newRow("flicks") << 40;
    }
    void quickGripGesturesLeaveTheKeyboardAlone()
    {
        QFETCH(int, sweep);
        QProcess viewer;
        Window window = 0;
        QVERIFY(StartWithThePad(viewer, window).isValid());
        const QString book = "p1.png - Lumivo";
        for (int round = 0; round < 12; ++round) {
            const QRect pad = PadWindow();
            const QPoint grip = GripOf(pad);
            // To and fro, so that the pad stays on the screen.
            const QPoint to = grip + QPoint(round % 2 == 0 ? sweep : -sweep, sweep / 2);
            QStringList gesture = { "mousemove", QString::number(grip.x()),
                QString::number(grip.y()), "mousedown", "1" };
            if (to != grip)
                gesture << "mousemove" << QString::number((grip.x() + to.x()) / 2)
                        << QString::number((grip.y() + to.y()) / 2) << "mousemove"
                        << QString::number(to.x()) << QString::number(to.y());
            gesture += { "mouseup", "1" };
            Xdotool(gesture);
            // The reader's next key comes a moment later.
            QTest::qWait(100);
            const bool reading = round % 2 == 1;
            QVERIFY2(KeyOpens(window, reading ? "Escape" : "Return", reading ? "Lumivo" : book),
                qPrintable(QString("the keyboard is gone after gesture %1").arg(round + 1)));
            if (to == grip)
                QCOMPARE(PadWindow(), pad);
            else
                QVERIFY(PadWindow().isValid());
        }
        CloseAndCheck(viewer, window);
    }

    void aDragOnTheGripMovesThePad()
    {
        QProcess viewer;
        Window window = 0;
        const QRect pad = StartWithThePad(viewer, window);
        QVERIFY(pad.isValid());
        const QPoint grip = GripOf(pad);
        Xdotool({ "mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown",
            "1" });
        for (int step = 1; step <= 5; ++step) {
            Xdotool({ "mousemove", QString::number(grip.x() + 10 * step),
                QString::number(grip.y() + 6 * step) });
            QTest::qWait(50);
        }
        Xdotool({ "mouseup", "1" });
        // The move starts once the mouse has gone a little way, so the pad may lag by that
        // much; the grip stays under the mouse.
        const QPoint end = grip + QPoint(50, 30);
        QTRY_VERIFY_WITH_TIMEOUT(
            PadRules::PadCellRect(PadRules::kGrip, m_padSize).contains(end - PadWindow().topLeft()),
            5000);
        // The move is over: the keyboard is the reader's again.
        QVERIFY(KeyOpens(window, "Return", "p1.png - Lumivo"));
        CloseAndCheck(viewer, window);
    }
};

LUMIVO_TEST_MAIN(TestUnderAWindowManager)
#include "tst_e2e_wm.moc"
