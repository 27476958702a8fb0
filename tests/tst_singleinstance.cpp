#include "TestSupport.h"

#include "platform/SingleInstance.h"

#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>

namespace
{
const QString kId = QStringLiteral("Lumivo.2016.Oberkan");
}

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
        QVERIFY(first.listen());
        QSignalSpy activated(&first, &SingleInstance::activateRequested);

        QProcess second;
        second.start(LUMIVO_BINARY, {});
        QVERIFY(second.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
    }

    void anotherClaimInTheSameMachineIsRefused()
    {
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        SingleInstance second(kId);
        QCOMPARE(second.claim(), SingleInstance::Claim::AnotherRuns);
        // Nobody listens yet: the later start gives up quietly.
        QVERIFY(!second.askFirstToActivate(500));
        first.release();
        QCOMPARE(second.claim(), SingleInstance::Claim::First);
    }

    void lockOfACrashedProcessIsTakenOver()
    {
        const QString lockPath = QDir(QDir::tempPath()).filePath(kId + ".lock");
        QProcess gone;
        gone.start("true", {});
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(
            QByteArray::number(pid) + "\nlumivo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();

        SingleInstance next(kId);
        QCOMPARE(next.claim(), SingleInstance::Claim::First);
        QVERIFY(next.listen());
    }

    void lockThatCannotBeCreatedFails()
    {
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(env->path("no/such/folder")));
        SingleInstance instance(kId);
        const SingleInstance::Claim claim = instance.claim();
        qputenv("TMPDIR", saved);
        QCOMPARE(claim, SingleInstance::Claim::Failed);
    }
};

LUMIVO_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
