#include "app/CommandLine.h"
#include "app/TalvexApp.h"
#include "platform/Allocator.h"
#include "platform/LeftRunning.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "platform/SingleInstance.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace
{
// The launcher's token, which lets the running copy come to the front. Read before the
// application object exists: Qt's xcb and Wayland plugins take these out of the
// environment as it is made.
QString LaunchToken()
{
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : token;
}

// Qt's own diagnostics (a runtime folder not set, a plugin's word on a damaged file) are
// not the reader's business: nothing but the program's "lumivo: " lines goes to stderr.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "lumivo: %s\n", qPrintable(message));
}

// Another user's copy runs: one copy runs per machine, and this user's request is not
// theirs to see. Said on the terminal, and in a message where there is a screen to show
// one on.
int AnotherUsersCopyRuns(int argc, char** argv)
{
    const QString text = QStringLiteral("別のユーザーの Lumivo が動作中です。");
    std::fprintf(stderr, "lumivo: %s\n", text.toUtf8().constData());
    if (qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        qInstallMessageHandler(QuietQt);
        CTalvexApp app(argc, argv);
        Prompt::MessageBox(nullptr, text, Prompt::ErrorIcon);
    }
    return CommandLine::kExitFailed;
}

// What a start that handed FILE or FOLDER to the running copy ends with.
int HandedOver(SingleInstance::Answer answer, const QString& target, int argc, char** argv)
{
    switch (answer) {
    case SingleInstance::Answer::Taken:
        return CommandLine::kExitOk;
    case SingleInstance::Answer::NotOurs:
        return AnotherUsersCopyRuns(argc, argv);
    case SingleInstance::Answer::Refused:
        std::fprintf(stderr, "lumivo: cannot open %s\n", qPrintable(target));
        return CommandLine::kExitFailed;
    case SingleInstance::Answer::Silent:
    case SingleInstance::Answer::Gone:
        break;
    }
    std::fputs("lumivo: the running Lumivo does not answer\n", stderr);
    return CommandLine::kExitFailed;
}
} // namespace

int main(int argc, char** argv)
{
    Allocator::Tune();
    // Help, the version and wrong arguments need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << Paths::FromNative(QByteArray(argv[i]));
    const CommandLine::Parsed parsed = CommandLine::Parse(arguments, true);
    switch (parsed.action) {
    case CommandLine::Help:
        std::fputs(qPrintable(CommandLine::HelpText()), stdout);
        return CommandLine::kExitOk;
    case CommandLine::Version:
        std::fputs(qPrintable(CommandLine::VersionText()), stdout);
        return CommandLine::kExitOk;
    case CommandLine::Wrong:
        std::fprintf(stderr, "lumivo: %s\nTry 'lumivo --help'.\n", qPrintable(parsed.problem));
        return CommandLine::kExitUsage;
    case CommandLine::Run:
        break;
    }

    const QString token = LaunchToken();
    const QString path = parsed.target.isEmpty() ? QString() : Paths::Absolute(parsed.target);
    auto instance = std::make_unique<SingleInstance>(QString::fromLatin1(CTalvexApp::kAppId));
    SingleInstance::Claim claim = instance->claim();
    // A copy runs already: this start hands it FILE or FOLDER and leaves, never having
    // connected to the display. A copy that ends just then frees the mark for this one.
    for (int attempt = 1; claim == SingleInstance::Claim::AnotherRuns; ++attempt) {
        const SingleInstance::Answer answer = instance->askFirst(path, token);
        if (answer != SingleInstance::Answer::Gone || attempt == 3)
            return HandedOver(answer, parsed.target, argc, argv);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        claim = instance->claim();
    }

    int code = 0;
    {
        qInstallMessageHandler(QuietQt);
        CTalvexApp app(argc, argv);
        if (app.InitInstance(std::move(instance), claim))
            app.exec();
        code = app.ExitInstance();
    }
    // Everything is saved. A render or a read still going on in the background would
    // find its libraries torn down under it; end without tearing them down.
    if (LeftRunning::Count() > 0)
        std::_Exit(code);
    return code;
}
