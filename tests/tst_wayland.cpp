#include "TestSupport.h"

#include <QProcess>

#include <csignal>

// The basics under Wayland, on weston's headless compositor: start, open a PDF from the
// command line, and end on SIGTERM with the values kept. Weston offers no way to type
// into a client, so no keys are sent here; screenshots show what is on the screen.
class TestWayland : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QProcess m_weston;
    QString m_runtime;
    const QString m_socket = QStringLiteral("lumivo-test");

    QProcessEnvironment WaylandEnvironment() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove("DISPLAY");
        e.insert("XDG_RUNTIME_DIR", m_runtime);
        e.insert("WAYLAND_DISPLAY", m_socket);
        e.insert("QT_QPA_PLATFORM", "wayland");
        return e;
    }

    // A screenshot of the whole output, or a null image.
    QImage Screen()
    {
        const QString dir = env->path("shots");
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QProcess shooter;
        shooter.setProcessEnvironment(WaylandEnvironment());
        shooter.setWorkingDirectory(dir);
        shooter.start("weston-screenshooter", {});
        if (!shooter.waitForFinished(5000))
            return {};
        const QStringList shots = QDir(dir).entryList({ "*.png" });
        return shots.isEmpty() ? QImage() : QImage(dir + "/" + shots.first());
    }

    static bool Has(const QImage& image, const QColor& colour)
    {
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                if (image.pixelColor(x, y) == colour)
                    return true;
            }
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        m_runtime = env->path("runtime");
        QDir().mkpath(m_runtime);
        QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_weston.setProcessEnvironment(WaylandEnvironment());
        m_weston.start("weston",
            { "--backend=headless-backend.so", "--use-pixman", "--debug", "--idle-time=0",
                "--width=1280", "--height=800", "--socket=" + m_socket });
        QVERIFY(m_weston.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_runtime + "/" + m_socket), 10000);
    }

    void cleanupTestCase()
    {
        m_weston.terminate();
        m_weston.waitForFinished();
    }

    void openAPdfAndEndOnSigterm()
    {
        const QString path = env->path("books/wayland.pdf");
        WritePdf(path, 6);
        ClearStoredSettings();
        QProcess viewer;
        viewer.setProcessEnvironment(WaylandEnvironment());
        viewer.start(LUMIVO_BINARY, { path });
        QVERIFY(viewer.waitForStarted());
        // The page shows on white paper beside the grey of the empty column.
        QTRY_VERIFY_WITH_TIMEOUT(
            Has(Screen(), Qt::white) && Has(Screen(), QColor(96, 96, 96)), 15000);
        QCOMPARE(viewer.state(), QProcess::Running);
        ::kill(pid_t(viewer.processId()), SIGTERM);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), env->path("books"));
        QCOMPARE(StoredSettings().value("Settings/FullScreen").toInt(), 0);
        QCOMPARE(StoredSettings().value("Settings/WindowPos").toString().split(':').size(), 10);
    }
};

LUMIVO_TEST_MAIN(TestWayland)
#include "tst_wayland.moc"
