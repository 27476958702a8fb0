#include "HandoverClient.h"
#include "TestSupport.h"

#include "platform/SingleInstance.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
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

// A later start of the program with these arguments and environment additions.
void StartAgain(QProcess& start, const QStringList& args, const QStringList& additions = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& addition : additions)
        environment.insert(addition.section('=', 0, 0), addition.section('=', 1));
    start.setProcessEnvironment(environment);
    start.start(LUMIVO_BINARY, args);
}

// Connects while the event loop turns, so that a first in this process takes from its
// queue as the queue fills.
bool ConnectSoon(HandoverClient& client)
{
    const QDeadlineTimer deadline(10000);
    while (!client.Connect()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// A listener on the name of the kind any local program could hold.
int HoldName()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = kId.toLatin1();
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void aLaterStartHandsOverAndLeaves_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("path"); // as the first receives it, under the test's folder
        QTest::addColumn<QString>("token");
        QTest::newRow("plain") << QStringList() << QStringList() << ""
                               << "";
        QTest::newRow("a book named relative to where it starts, and the launcher's token")
            << QStringList { "./book.pdf" } << QStringList { "XDG_ACTIVATION_TOKEN=token-42" }
            << "given/book.pdf"
            << "token-42";
        // Qt's xcb plugin would take the startup id out of the environment, and fail with
        // no display to connect to: the hand-over happens before either could.
        QTest::newRow("without a display, with a startup id alone")
            << QStringList { "-platform", "xcb", "./book.pdf" }
            << QStringList { "DISPLAY=:404", "XDG_ACTIVATION_TOKEN=", "DESKTOP_STARTUP_ID=id_7" }
            << "given/book.pdf"
            << "id_7";
    }
    void aLaterStartHandsOverAndLeaves()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, environment);
        QFETCH(QString, path);
        QFETCH(QString, token);
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        first.serve();
        QSignalSpy activated(&first, &SingleInstance::activateRequested);
        WritePdf(env->path("given/book.pdf"), 1);

        QProcess later;
        later.setWorkingDirectory(env->path("given"));
        StartAgain(later, args, environment);
        QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 10000);
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 10000);
        QCOMPARE(
            activated.at(0), QVariantList({ path.isEmpty() ? QString() : env->path(path), token }));
    }

    void aStrangerHoldingTheNameHearsNothing()
    {
        const int held = HoldName();
        QVERIFY(held >= 0);
        const auto release = qScopeGuard([held] { ::close(held); });
        // Ours, as far as a later start that belongs to another user can tell.
        const SingleInstance later(kId, getuid() + 1);
        QCOMPARE(
            later.askFirst("/home/someone/private.pdf", "token"), SingleInstance::Answer::NotOurs);
        const int connection = ::accept4(held, nullptr, nullptr, SOCK_NONBLOCK);
        QVERIFY(connection >= 0);
        char byte;
        QCOMPARE(::recv(connection, &byte, 1, 0), ssize_t(0));
        ::close(connection);
    }

    void theFirstAnswersOnlyItsOwnUser()
    {
        SingleInstance first(kId, getuid() + 1);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        first.serve();
        QSignalSpy activated(&first, &SingleInstance::activateRequested);
        HandoverClient stranger;
        QVERIFY(stranger.Connect());
        QVERIFY(stranger.Send(HandoverClient::Request("/tmp/theirs.pdf")));
        QTRY_VERIFY_WITH_TIMEOUT(stranger.Read(), 10000);
        QCOMPARE(stranger.Received(), QByteArray());
        QTest::qWait(100);
        QCOMPARE(activated.size(), 0);
    }

    void anotherUsersStartRaisesAndOpensNothing()
    {
        if (getuid() != 0)
            QSKIP("Starting a copy as another user needs root");
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        first.serve();
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
        other.setProcessChannelMode(QProcess::SeparateChannels);
        other.start("runuser", { "-u", "nobody", "--", binary, "/tmp/theirs.pdf" });
        // Waiting with the event loop running, so that a request would be read and answered.
        QTRY_COMPARE_WITH_TIMEOUT(other.state(), QProcess::NotRunning, 10000);
        QDir(QString::fromLatin1(shared)).removeRecursively();
        // It says why it does not run, on the terminal where there is no screen.
        QCOMPARE(other.exitCode(), 1);
        QVERIFY(QString::fromUtf8(other.readAllStandardError())
                    .contains("別のユーザーの Lumivo が動作中です。"));
        QCOMPARE(activated.size(), 0);
    }

    void aNormalHandOverGetsThroughHostileClients_data()
    {
        QTest::addColumn<int>("connections");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("endless"); // the payload again and again, as long as it is taken
        QTest::addColumn<QByteArray>("reply"); // what each connection is told before it is closed
        QTest::addColumn<int>("acted"); // requests among them acted on
        const QByteArray burst = HandoverClient::Request("/burst.pdf").repeated(500);
        QTest::newRow("an endless line")
            << 1 << QByteArray(65536, 'x') << true << QByteArray("refused\n") << 0;
        QTest::newRow("a burst of requests") << 1 << burst << false << QByteArray("done\n") << 1;
        QTest::newRow("idle connections") << 200 << QByteArray() << false << QByteArray() << 0;
        QTest::newRow("a path longer than a file's")
            << 1 << HandoverClient::Request('/' + QByteArray(5000, 'a')) << false
            << QByteArray("refused\n") << 0;
        QTest::newRow("invalid base64")
            << 1 << QByteArray("activate L3g=!! \n") << false << QByteArray("refused\n") << 0;
    }
    void aNormalHandOverGetsThroughHostileClients()
    {
        QFETCH(int, connections);
        QFETCH(QByteArray, payload);
        QFETCH(bool, endless);
        QFETCH(QByteArray, reply);
        QFETCH(int, acted);
        SingleInstance first(kId);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        first.serve();
        QSignalSpy activated(&first, &SingleInstance::activateRequested);

        // Connected here; then written and read in a thread of their own while the first and
        // the normal start go on.
        std::vector<std::unique_ptr<HandoverClient>> clients;
        while (int(clients.size()) < connections) {
            clients.push_back(std::make_unique<HandoverClient>());
            QVERIFY(ConnectSoon(*clients.back()));
        }
        std::atomic<bool> stop = false;
        std::atomic<bool> done = false;
        std::thread hostile([&] {
            for (const auto& client : clients) {
                while (client->Send(payload, 100) && endless && !stop) { }
                while (!client->Read(100) && !stop) { }
            }
            done = true;
        });
        const auto finish = qScopeGuard([&] {
            stop = true;
            hostile.join();
        });

        QProcess later;
        StartAgain(later, { env->path("normal.pdf") });
        QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 15000);
        QCOMPARE(later.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(done, 15000);
        for (const auto& client : clients)
            QCOMPARE(client->Received(), reply);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1 + acted, 5000);
        QTest::qWait(100);
        QCOMPARE(activated.size(), 1 + acted);
        QVERIFY(std::any_of(activated.cbegin(), activated.cend(),
            [&](const QVariantList& a) { return a.value(0) == env->path("normal.pdf"); }));
    }

    void runningOutOfDescriptorsNeverEndsListening()
    {
        QProcess first;
        first.start(LUMIVO_BINARY, {});
        QVERIFY(first.waitForStarted());
        QProcess plain;
        QTRY_VERIFY_WITH_TIMEOUT(ViewerRuns(), 10000);
        StartAgain(plain, {});
        QVERIFY(plain.waitForFinished(10000));
        QCOMPARE(plain.exitCode(), 0);

        // Room for only a few connections more than it holds open now.
        const pid_t pid = pid_t(first.processId());
        const qsizetype open
            = QDir(QString("/proc/%1/fd").arg(pid))
                  .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                  .size();
        QVERIFY(open > 0);
        rlimit limit {};
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, nullptr, &limit), 0);
        limit.rlim_cur = rlim_t(open + 4);
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, &limit, nullptr), 0);

        // Many times that many connections, all held open at this end.
        std::vector<std::unique_ptr<HandoverClient>> held;
        while (held.size() < 300) {
            held.push_back(std::make_unique<HandoverClient>());
            QVERIFY(ConnectSoon(*held.back()));
        }
        QProcess later;
        StartAgain(later, {});
        QVERIFY(later.waitForFinished(15000));
        QCOMPARE(later.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
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
        // Answering a start, it has come up whole, and takes SIGTERM as the end of a session.
        QProcess answered;
        answered.setProcessEnvironment(environment);
        answered.start(LUMIVO_BINARY, {});
        QVERIFY(answered.waitForFinished(10000));
        QCOMPARE(answered.exitCode(), 0);
        next.terminate();
        QVERIFY(next.waitForFinished(10000));
        QCOMPARE(next.exitCode(), 0);
    }
};

LUMIVO_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
