#include "HandoverProbe.h"

#include "CorpusEnvironment.h"
#include "HandoverClient.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{
struct Outcome {
    bool connected = false;
    bool closed = false; // by the program
    QByteArray reply;
};

// Connects, writes the bytes, and reads until the program closes the connection.
Outcome Throw(const QByteArray& bytes, int timeoutMs)
{
    Outcome outcome;
    HandoverClient client;
    const QDeadlineTimer deadline(timeoutMs);
    while (!(outcome.connected = client.Connect()) && !deadline.hasExpired())
        QThread::msleep(10);
    if (!outcome.connected)
        return outcome;
    client.Send(bytes, timeoutMs);
    while (!(outcome.closed = client.Read(100)) && !deadline.hasExpired()) { }
    outcome.reply = client.Received();
    return outcome;
}

// Whether the outcome is the one expected; the problem otherwise.
bool Expect(const Outcome& outcome, const QByteArray& reply, QString& problem)
{
    if (!outcome.connected)
        problem = "could not connect";
    else if (!outcome.closed)
        problem = "the connection was never closed";
    else if (outcome.reply != reply)
        problem = "answered \"" + QString::fromLatin1(outcome.reply.left(40).toPercentEncoding())
            + "\"";
    return problem.isEmpty();
}
} // namespace

HandoverProbe::HandoverProbe(const QString& binary, int timeoutS)
    : m_binary(binary)
    , m_timeoutMs(timeoutS * 1000)
    , m_work(QDir::tempPath() + "/lumivo-corpus-handover")
{
}

QList<HandoverProbe::Case> HandoverProbe::Cases() const
{
    const int t = m_timeoutMs;
    const QByteArray work = QFile::encodeName(m_work);
    const auto answers = [t](const QByteArray& bytes, const QByteArray& reply) {
        return
            [t, bytes, reply](QString& problem) { return Expect(Throw(bytes, t), reply, problem); };
    };
    return {
        { "an endless line",
            [t](QString& problem) {
                HandoverClient client;
                if (!client.Connect())
                    return Expect({}, {}, problem);
                const QByteArray chunk(65536, 'x');
                const QDeadlineTimer deadline(t);
                bool cut = false;
                for (int i = 0; i < 1024 && !cut && !deadline.hasExpired(); ++i)
                    cut = !client.Send(chunk, 100);
                if (!cut)
                    problem = "64 MB of one line were taken";
                return cut;
            } },
        { "a burst of 500 requests in one message",
            answers(HandoverClient::Request({}).repeated(500), "done\n") },
        { "500 idle connections",
            [t](QString& problem) {
                std::vector<std::unique_ptr<HandoverClient>> held;
                const QDeadlineTimer deadline(t);
                while (held.size() < 500 && !deadline.hasExpired()) {
                    auto client = std::make_unique<HandoverClient>();
                    if (client->Connect())
                        held.push_back(std::move(client));
                    else
                        QThread::msleep(1);
                }
                for (const auto& client : held) {
                    while (!client->Read(100) && !deadline.hasExpired()) { }
                }
                const auto open = std::count_if(
                    held.cbegin(), held.cend(), [](const auto& client) { return !client->Read(); });
                if (held.size() < 500 || open > 0)
                    problem = QString("%1 connected, %2 never closed").arg(held.size()).arg(open);
                return problem.isEmpty();
            } },
        { "garbage",
            [t](QString& problem) {
                QByteArray bytes(65536, '\0');
                QRandomGenerator random(2026);
                for (char& c : bytes)
                    c = char(random.bounded(256));
                const Outcome outcome = Throw(bytes, t);
                return Expect(outcome, outcome.reply, problem);
            } },
        { "a path of 10,000 bytes",
            answers(HandoverClient::Request('/' + QByteArray(9999, 'a')), "refused\n") },
        { "a path at the bound, in no folder there is",
            answers(HandoverClient::Request('/' + QByteArray(4095, 'd')), "done\n") },
        { "a path with newlines and bytes that are not UTF-8",
            answers(HandoverClient::Request(work + "/a\nb\xff\xfe.pdf"), "done\n") },
        { "a relative path", answers(HandoverClient::Request("book.pdf"), "refused\n") },
        { "invalid base64", answers("activate L3Rt@@@= \n", "refused\n") },
        { "a token with control characters",
            answers(HandoverClient::Request({}, "\x1b]0;x\x07"), "refused\n") },
        { "half a request, then silence", answers("activate L3Rt", "") },
        { "half a request, then gone",
            [](QString& problem) {
                HandoverClient client;
                if (!client.Connect())
                    return Expect({}, {}, problem);
                return client.Send("activate L3Rt");
            } },
    };
}

int HandoverProbe::Run()
{
    if (!m_display.Start(130)) {
        std::fprintf(stderr, "lumivo_corpus: cannot start Xvfb\n");
        return 2;
    }
    if (!StartProgram()) {
        std::printf("the program did not start\n");
        return Finish(1);
    }
    int failed = 0;
    const QList<Case> cases = Cases();
    for (const Case& c : cases) {
        QString problem;
        if (!c.attack(problem)) {
            ++failed;
        } else if (m_program.state() != QProcess::Running) {
            problem = "the program ended";
            ++failed;
        } else if (!AnswersALaterStart({})) {
            problem = "a later start was not answered";
            ++failed;
        }
        std::printf("%s: %s\n", c.name, problem.isEmpty() ? "held" : qPrintable(problem));
        std::fflush(stdout);
        if (m_program.state() != QProcess::Running)
            break;
    }
    const bool opened = m_program.state() == QProcess::Running && BookOpens();
    std::printf("%lld cases: %lld held, %d failed; a book handed over afterwards %s\n",
        cases.size(), cases.size() - failed, failed, opened ? "opened" : "did not open");
    return Finish(failed + (opened ? 0 : 1));
}

bool HandoverProbe::StartProgram()
{
    QDir(m_work).removeRecursively();
    QDir().mkpath(m_work + "/tmp");
    QDir().mkpath(m_work + "/config/Oberkan");
    WriteBytes(m_work + "/config/Oberkan/Lumivo.conf", "[Settings]\nCurrentFolder=/\n");
    m_program.setProcessEnvironment(Environment());
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(m_binary, {});
    if (!m_program.waitForStarted())
        return false;
    const QDeadlineTimer deadline(m_timeoutMs);
    while (m_display.Windows("^Lumivo$").isEmpty() && !deadline.hasExpired())
        m_program.waitForFinished(100);
    return m_program.state() == QProcess::Running && AnswersALaterStart({});
}

QProcessEnvironment HandoverProbe::Environment() const
{
    return CorpusEnvironment(m_display, m_work);
}

bool HandoverProbe::AnswersALaterStart(const QStringList& args)
{
    QProcess later;
    later.setProcessEnvironment(Environment());
    later.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    later.start(m_binary, args);
    if (!later.waitForFinished(m_timeoutMs)) {
        later.kill();
        later.waitForFinished();
        return false;
    }
    return later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0;
}

bool HandoverProbe::DismissAMessage()
{
    for (const QString& id : m_display.Windows("^Lumivo$")) {
        const QString shape = m_display.Xdotool({ "getwindowgeometry", "--shell", id });
        const auto value = [&shape](const char* name) {
            const qsizetype at = shape.indexOf(QLatin1String(name));
            return at < 0 ? 0 : shape.mid(at + qstrlen(name)).section('\n', 0, 0).toInt();
        };
        if (value("WIDTH=") >= 640 && value("HEIGHT=") >= 480)
            continue;
        // Escape answers every message with its safe choice (Cancel rather than Retry).
        m_display.Xdotool({ "windowfocus", "--sync", id });
        m_display.Xdotool({ "key", "Escape" });
        return true;
    }
    return false;
}

bool HandoverProbe::BookOpens()
{
    WritePdf(m_work + "/good.pdf", 2);
    if (!AnswersALaterStart({ m_work + "/good.pdf" }))
        return false;
    // Paths handed over before it wait for the messages they brought to be answered.
    const QDeadlineTimer deadline(m_timeoutMs);
    while (m_display.Windows("^good.pdf - Lumivo$").isEmpty()) {
        if (deadline.hasExpired() || m_program.state() != QProcess::Running)
            return false;
        DismissAMessage();
        QThread::msleep(200);
    }
    return true;
}

int HandoverProbe::Finish(int failed)
{
    if (m_program.state() == QProcess::Running) {
        ::kill(pid_t(m_program.processId()), SIGTERM);
        if (!m_program.waitForFinished(m_timeoutMs)) {
            m_program.kill();
            m_program.waitForFinished();
        }
        if (m_program.exitStatus() != QProcess::NormalExit || m_program.exitCode() != 0) {
            std::printf("the program did not end cleanly on SIGTERM\n");
            ++failed;
        }
    }
    int reports = 0;
    for (const QString& name : QDir(m_work).entryList({ "asan.*", "ubsan.*" }, QDir::Files)) {
        QFile log(m_work + "/" + name);
        if (!log.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = log.readAll();
        if (text.contains("ERROR: ") || text.contains("runtime error")) {
            std::printf("%s", text.constData());
            ++reports;
        }
    }
    m_display.Stop();
    QDir(m_work).removeRecursively();
    return failed + reports > 0 ? 1 : 0;
}
