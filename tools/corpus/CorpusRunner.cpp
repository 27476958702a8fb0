#include "CorpusRunner.h"

#include "CorpusEnvironment.h"
#include "PageCases.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <csignal>

namespace
{
// A case's note naming the book it opens from the Resume screen rather than from the
// command line.
const QString kResumeNote = QStringLiteral("note-resume");
// The window shows its list while a book opens behind the opening wait; a list shown this
// long with no word from the program means the book was not taken.
constexpr qint64 kQuietRefusalMs = 5000;
// The time out's last seconds: the reader gives the opening up with Esc, and it must end.
constexpr qint64 kGiveUpMs = 5000;
} // namespace

CorpusRunner::CorpusRunner(const Options& options)
    : m_options(options)
    , m_timeoutMs(options.timeoutS * 1000)
{
}

bool CorpusRunner::StartDisplay()
{
    return m_display.Start(120);
}

void CorpusRunner::StopDisplay()
{
    m_display.Stop();
}

QProcessEnvironment CorpusRunner::Environment(const QString& work) const
{
    QProcessEnvironment env = CorpusEnvironment(m_display, work);
    if (m_options.slowReadUs > 0 || m_options.slowStatUs > 0) {
        env.insert(
            "LD_PRELOAD", QCoreApplication::applicationDirPath() + "/liblumivo_slowdrive.so");
        env.insert("LUMIVO_SLOW_READ_US", QString::number(m_options.slowReadUs));
        env.insert("LUMIVO_SLOW_STAT_US", QString::number(m_options.slowStatUs));
        env.insert("LUMIVO_SLOW_DRIVE", m_options.slowDrive);
        // A sanitizer build wants its runtime first; the slow drive comes before it.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    }
    return env;
}

CorpusRunner::Result CorpusRunner::Run(const QString& book, const QString& work)
{
    Result result;
    QDir(work).removeRecursively();
    QDir().mkpath(work + "/tmp");
    // Every image type enabled, so that every page of the corpus is read, and its header
    // too, for the pairing of wide pages; every page's borders are looked for, and its
    // colours turned for the night. Every book is scrolled at the width as well.
    // The Folder screen shows its books as covers, which are made of every book there.
    QByteArray settings = "[Settings]\nPicExt=31\nPicExtMore=7\nNaturalSort=1\nWidePageAlone=1\n"
                          "CropBorders=1\nNightMode=1\nFolderCovers=1\n";
    QString opened = book;
    const bool fromResume = QFileInfo(book).fileName() == kResumeNote;
    if (fromResume) {
        QFile note(book);
        if (note.open(QIODevice::ReadOnly))
            opened = QFileInfo(book).absolutePath() + "/"
                + QString::fromUtf8(note.readAll().trimmed());
        settings += "Resume0=\"2|1|-1|0|0|0|" + opened.toUtf8() + "\"\n";
    }
    QDir().mkpath(work + "/config/Oberkan");
    WriteBytes(work + "/config/Oberkan/Lumivo.conf", settings);
    PrepareCaseCache(opened, work + "/cache");
    QProcess viewer;
    viewer.setProcessEnvironment(Environment(work));
    viewer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList command = CaseCommand(m_options.binary, opened);
    if (fromResume)
        command.removeLast();
    viewer.start(command.first(), command.mid(1));
    if (!viewer.waitForStarted()) {
        result.outcome = Crashed;
        return result;
    }
    m_probing = false;
    Outcome outcome = Settle(viewer, fromResume, result.report);
    if (outcome == Shown && viewer.state() == QProcess::Running) {
        SwapCasePages(opened);
        const QString window = Find(".* - Lumivo$");
        Xdotool({ "windowfocus", "--sync", window });
        Xdotool({ "key", "--delay", "60", "Next", "Next", "Next", "End", "Home", "5", "Down",
            "Down", "Right", "Tab", "ctrl+o", "ctrl+w", "Next", "Down", "End", "Home", "ctrl+w",
            "ctrl+l", "End", "Prior", "Left", "Up", "Return", "ctrl+l", "Next", "Escape", "Escape",
            "Right", "Down", "Next" });
    }
    QThread::msleep(200);
    // The end is not the reader's wait.
    result.longestStallMs = m_probe.Stop();
    if (outcome >= Crashed) {
        result.outcome = Finish(viewer, work, result.report, outcome);
        return result;
    }
    ::kill(pid_t(viewer.processId()), SIGTERM);
    if (!viewer.waitForFinished(m_timeoutMs)) {
        result.outcome = Finish(viewer, work, result.report, Hung);
        return result;
    }
    const bool clean = viewer.exitStatus() == QProcess::NormalExit && viewer.exitCode() == 0;
    if (!clean)
        result.report
            += QString("exit status %1, code %2\n").arg(viewer.exitStatus()).arg(viewer.exitCode());
    result.outcome = Finish(viewer, work, result.report, clean ? outcome : Crashed);
    return result;
}

void CorpusRunner::Probe()
{
    if (m_probing)
        return;
    QString window = Find(".* - Lumivo$");
    if (window.isEmpty())
        window = MainWindow();
    if (window.isEmpty())
        return;
    m_probe.Start(m_display.Name(), window.toULong());
    m_probing = true;
}

CorpusRunner::Outcome CorpusRunner::Settle(QProcess& viewer, bool fromResume, QString& report)
{
    Outcome outcome = Refused;
    QElapsedTimer timer;
    timer.start();
    QElapsedTimer listShown;
    bool settled = false;
    bool asked = false;
    bool gaveUp = false;
    qint64 deadline = m_timeoutMs;
    while (!settled && timer.elapsed() < deadline && viewer.state() == QProcess::Running) {
        QCoreApplication::processEvents();
        Probe();
        const QString main = MainWindow();
        if (!gaveUp && timer.elapsed() >= m_timeoutMs - kGiveUpMs && !main.isEmpty()) {
            // Still opening, as a book on a slow drive may be: the reader gives up, and the
            // window must end the wait at once.
            Answer(main, "Escape");
            gaveUp = true;
            deadline = timer.elapsed() + kGiveUpMs;
            report += "given up while it opened\n";
            continue;
        }
        if (!Find(".* - Lumivo$").isEmpty()) {
            outcome = Shown;
            settled = true;
        } else if (const QString ask = Find("^(ページ数|パスワード)$"); !ask.isEmpty()) {
            Answer(ask, "Escape");
            settled = true;
        } else if (const QString box = MessageBox(); !box.isEmpty()) {
            Answer(box, "Return");
            settled = true;
        } else if (!main.isEmpty()) {
            // Start-up ended on a list screen: the book was not taken, or is to be opened
            // from the Resume screen now.
            if (!listShown.isValid())
                listShown.start();
            if (fromResume && !asked) {
                Answer(main, "Return");
                asked = true;
                listShown.restart();
            } else if (listShown.elapsed() >= kQuietRefusalMs || gaveUp) {
                settled = true;
            } else {
                viewer.waitForFinished(100);
            }
        } else {
            viewer.waitForFinished(100);
        }
    }
    if (viewer.state() != QProcess::Running) {
        report += QString("ended by itself: status %1, code %2\n")
                      .arg(viewer.exitStatus())
                      .arg(viewer.exitCode());
        return Crashed;
    }
    if (!settled)
        return Hung;
    // Start-up ends with the main window shown; only then does the program take a request
    // to end as a reader's.
    while (timer.elapsed() < 2 * m_timeoutMs && viewer.state() == QProcess::Running
        && Find(".* - Lumivo$").isEmpty() && MainWindow().isEmpty())
        viewer.waitForFinished(100);
    return viewer.state() == QProcess::Running ? outcome : Crashed;
}

CorpusRunner::Outcome CorpusRunner::Finish(
    QProcess& viewer, const QString& work, QString& report, Outcome outcome)
{
    if (viewer.state() == QProcess::Running) {
        viewer.kill();
        viewer.waitForFinished();
    }
    for (const QString& name : QDir(work).entryList({ "asan.*", "ubsan.*" }, QDir::Files)) {
        QFile log(work + "/" + name);
        if (!log.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLocal8Bit(log.readAll());
        if (text.contains("ERROR: ") || text.contains("runtime error"))
            report += text;
    }
    return outcome;
}

QString CorpusRunner::Xdotool(const QStringList& args)
{
    return m_display.Xdotool(args, 5000);
}

QString CorpusRunner::Find(const QString& title)
{
    return m_display.Windows(title).value(0);
}

QString CorpusRunner::TitledLumivo(bool main)
{
    for (const QString& id : m_display.Windows("^Lumivo$")) {
        const QString shape = Xdotool({ "getwindowgeometry", "--shell", id });
        const auto value = [&shape](const char* name) {
            const qsizetype at = shape.indexOf(QLatin1String(name));
            return at < 0 ? 0 : shape.mid(at + qstrlen(name)).section('\n', 0, 0).toInt();
        };
        if ((value("WIDTH=") >= 640 && value("HEIGHT=") >= 480) == main)
            return id;
    }
    return {};
}

void CorpusRunner::Answer(const QString& window, const char* key)
{
    Xdotool({ "windowfocus", "--sync", window });
    Xdotool({ "key", key });
}
