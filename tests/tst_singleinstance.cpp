#include "TestSupport.h"

#include "platform/SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace
{
const QString kId = QStringLiteral("Lumivo.2016.Oberkan");

// Whether a viewer holds the mark right now.
bool ViewerRuns()
{
    SingleInstance probe(kId);
    return probe.claim() == SingleInstance::Claim::AnotherRuns;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void secondStartActivatesTheFirstAndExits()
    {
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        QSignalSpy activated(&first, &SingleInstance::activateRequested);

        QProcess second;
        second.start(LUMIVO_BINARY, {});
        QVERIFY(second.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(activated.at(0), QVariantList({ QString(), QString() }));

        // A book named relative to where the later start runs, and its launcher's token.
        WritePdf(env->path("given/book.pdf"), 1);
        QProcess third;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_ACTIVATION_TOKEN", "token-42");
        third.setProcessEnvironment(environment);
        third.setWorkingDirectory(env->path("given"));
        third.start(LUMIVO_BINARY, { "./book.pdf" });
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(third.state(), QProcess::NotRunning, 10000);
        QCOMPARE(third.exitCode(), 0);
        QCOMPARE(
            activated.at(1), QVariantList({ env->path("given/book.pdf"), QString("token-42") }));
    }

    void anotherUsersStartRaisesAndOpensNothing()
    {
        if (getuid() != 0)
            QSKIP("Starting a copy as another user needs root");
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        QSignalSpy activated(&first, &SingleInstance::activateRequested);
        // The other user needs a copy of the program where anybody may run it; the build
        // may lie in a folder only root can enter.
        QByteArray shared = "/tmp/lumivo-other-XXXXXX";
        QVERIFY(mkdtemp(shared.data()));
        const QString binary = QString::fromLatin1(shared) + "/lumivo";
        QVERIFY(QFile::copy(LUMIVO_BINARY, binary));
        const auto everybody = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
            | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(QString::fromLatin1(shared), everybody));
        QVERIFY(QFile::setPermissions(binary, everybody));
        QProcess other;
        QProcessEnvironment environment;
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", "/tmp");
        other.setProcessEnvironment(environment);
        other.start("runuser", { "-u", "nobody", "--", binary, "/tmp/theirs.pdf" });
        // Waiting with the event loop running, so that the request is read and answered.
        QTRY_COMPARE_WITH_TIMEOUT(other.state(), QProcess::NotRunning, 10000);
        QDir(QString::fromLatin1(shared)).removeRecursively();
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(activated.size(), 0);
    }

    void anotherClaimOnTheMachineIsRefused()
    {
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        SingleInstance second(kId);
        QCOMPARE(second.claim(), SingleInstance::Claim::AnotherRuns);
        first.release();
        QCOMPARE(second.claim(), SingleInstance::Claim::First);
        // A mark that cannot be made at all is a failure, not another viewer.
        SingleInstance impossible { QString() };
        QCOMPARE(impossible.claim(), SingleInstance::Claim::Failed);
    }

    void neitherTheTempFolderNorAKillLeavesItStale()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", env->path("one"));
        QDir().mkpath(env->path("one"));
        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(LUMIVO_BINARY, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(ViewerRuns(), 10000);

        // Another temp folder is the same machine: the second start leaves at once.
        environment.insert("TMPDIR", env->path("two"));
        QDir().mkpath(env->path("two"));
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(LUMIVO_BINARY, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);

        // Killed outright, the first leaves nothing behind: the next start runs.
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(!ViewerRuns());
        QProcess next;
        next.setProcessEnvironment(environment);
        next.start(LUMIVO_BINARY, {});
        QVERIFY(next.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(ViewerRuns(), 10000);
        next.terminate();
        QVERIFY(next.waitForFinished(10000));
        QCOMPARE(next.exitCode(), 0);
    }
};

LUMIVO_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
