#include "TestSupport.h"

#include "app/CommandLine.h"

#include <QProcess>

namespace
{
struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result Run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}
} // namespace

// Lumivo as a desktop citizen: its command line anywhere, and what it installs.
class TestDesktop : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("beforeQt");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("target");
        QTest::newRow("nothing") << QStringList {} << false << int(CommandLine::Run) << "";
        QTest::newRow("two files")
            << QStringList { "a.pdf", "b.pdf" } << false << int(CommandLine::Run) << "a.pdf";
        QTest::newRow("help") << QStringList { "a.pdf", "--help" } << true << int(CommandLine::Help)
                              << "";
        QTest::newRow("version") << QStringList { "-v" } << true << int(CommandLine::Version) << "";
        QTest::newRow("Qt's own, before Qt") << QStringList { "-platform", "xcb", "a.pdf" } << true
                                             << int(CommandLine::Run) << "a.pdf";
        QTest::newRow("Qt's own with its value joined")
            << QStringList { "-style=fusion", "-reverse", "a.pdf" } << true << int(CommandLine::Run)
            << "a.pdf";
        QTest::newRow("one dash, not Qt's")
            << QStringList { "-x", "a.pdf" } << true << int(CommandLine::Wrong) << "";
        QTest::newRow("one dash, after Qt")
            << QStringList { "-x" } << false << int(CommandLine::Wrong) << "";
        QTest::newRow("unknown") << QStringList { "--frob" } << true << int(CommandLine::Wrong)
                                 << "";
        QTest::newRow("a file named like an option")
            << QStringList { "--", "--odd.pdf" } << false << int(CommandLine::Run) << "--odd.pdf";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, beforeQt);
        QFETCH(int, action);
        QFETCH(QString, target);
        const CommandLine::Parsed parsed
            = CommandLine::Parse(QStringList { "lumivo" } + args, beforeQt);
        QCOMPARE(int(parsed.action), action);
        QCOMPARE(parsed.target, target);
    }

    void helpAndVersionWithoutADisplay()
    {
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.remove("DISPLAY");
        bare.remove("WAYLAND_DISPLAY");
        bare.remove("QT_QPA_PLATFORM");
        const Result help = Run(LUMIVO_BINARY, { "--help" }, bare);
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.startsWith("Usage: lumivo [FILE | FOLDER]"));
        QVERIFY(help.out.contains("Exit status"));
        QVERIFY(help.out.contains("ZIP/CBZ, RAR/CBR, 7z/CB7, TAR/CBT"));
        const Result version = Run(LUMIVO_BINARY, { "--version" }, bare);
        QCOMPARE(version.code, 0);
        QVERIFY(QRegularExpression("^lumivo \\d+\\.\\d+\\.\\d+\\.\\d+\\n$")
                    .match(version.out)
                    .hasMatch());
        const Result wrong = Run(LUMIVO_BINARY, { "--frob" }, bare);
        QCOMPARE(wrong.code, 2);
        QVERIFY(wrong.err.startsWith("lumivo: unknown option --frob"));
    }

    void theInstallTree()
    {
        const QString prefix = env->path("prefix");
        const Result install
            = Run("cmake", { "--install", LUMIVO_BUILD_DIR, "--strip", "--prefix", prefix });
        QVERIFY2(install.code == 0, qPrintable(install.err));
        QStringList files;
        QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(prefix.size() + 1);
        files.sort();
        QStringList expected = { "bin/lumivo", "share/applications/com.oberkan.Lumivo.desktop",
            "share/doc/lumivo/changelog.Debian.gz", "share/doc/lumivo/copyright",
            "share/icons/hicolor/scalable/apps/com.oberkan.Lumivo.svg",
            "share/man/man1/lumivo.1.gz", "share/metainfo/com.oberkan.Lumivo.metainfo.xml" };
        for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 }) {
            expected << QString("share/icons/hicolor/%1x%1/apps/com.oberkan.Lumivo.png").arg(size);
            QCOMPARE(QImage(prefix + "/" + expected.last()).size(), QSize(size, size));
        }
        expected.sort();
        QCOMPARE(files, expected);
        const Result sections = Run("readelf", { "-S", prefix + "/bin/lumivo" });
        QCOMPARE(sections.code, 0);
        QVERIFY(!sections.out.contains(".symtab"));

        const Result desktop = Run(
            "desktop-file-validate", { prefix + "/share/applications/com.oberkan.Lumivo.desktop" });
        QVERIFY2(desktop.code == 0, qPrintable(desktop.out + desktop.err));
        const Result appstream = Run("appstreamcli",
            { "validate", "--no-net", prefix + "/share/metainfo/com.oberkan.Lumivo.metainfo.xml" });
        QVERIFY2(appstream.code == 0, qPrintable(appstream.out + appstream.err));
        const Result man = Run("sh",
            { "-c",
                "zcat " + prefix + "/share/man/man1/lumivo.1.gz | groff -man -Tutf8 -ww -z 2>&1" });
        QVERIFY2(man.out.isEmpty(), qPrintable(man.out));
    }

    void aLintianCleanPackage()
    {
        const QString out = env->path("package");
        const Result cpack = Run("cpack",
            { "-G", "DEB", "-B", out, "--config",
                QString(LUMIVO_BUILD_DIR) + "/CPackConfig.cmake" });
        QVERIFY2(cpack.code == 0, qPrintable(cpack.out + cpack.err));
        const QStringList debs = QDir(out).entryList({ "lumivo_*.deb" });
        QCOMPARE(debs.size(), 1);
        const QString deb = out + "/" + debs.first();
        const QString control = Run("dpkg-deb", { "-f", deb, "Depends" }).out;
        QVERIFY(
            control.contains("fonts-noto-cjk") && control.contains("qt6-image-formats-plugins"));
        QVERIFY(control.contains("libpoppler-qt6"));
        const Result lintian = Run("lintian", { "--tag-display-limit", "0", deb });
        QVERIFY2(!QRegularExpression("^E: ", QRegularExpression::MultilineOption)
                      .match(lintian.out)
                      .hasMatch(),
            qPrintable(lintian.out));
    }
};

LUMIVO_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
