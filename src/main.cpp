#include "app/CommandLine.h"
#include "app/TalvexApp.h"
#include "platform/LeftRunning.h"
#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>

#include <malloc.h>

int main(int argc, char** argv)
{
    // glibc gives every thread that allocates an arena of its own, each reserving 64 MB
    // of address space (128 MB while it is made). Under a tight address-space limit the
    // decoding threads' arenas left the window's own allocations without room, and Qt
    // crashed. Our threads allocate a few large buffers each; two arenas are plenty.
    mallopt(M_ARENA_MAX, 2);
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

    int code = 0;
    {
        CTalvexApp app(argc, argv);
        if (app.InitInstance())
            app.exec();
        code = app.ExitInstance();
    }
    // Everything is saved. A render or a read still going on in the background would
    // find its libraries torn down under it; end without tearing them down.
    if (LeftRunning::Count() > 0)
        std::_Exit(code);
    return code;
}
