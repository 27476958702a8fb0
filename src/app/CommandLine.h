#pragma once

#include <QString>
#include <QStringList>

// The command line, read before anything needs a display: help and the version work
// anywhere. Exit codes: 0 done (or taken by the running copy, which answers before it
// opens anything), 1 this start could not start or open what it was given, 2 wrong
// arguments.
namespace CommandLine
{

enum Action { Run, Help, Version, Wrong };

struct Parsed {
    Action action = Run;
    QString target; // the first FILE or FOLDER, or ""
    QString problem; // for Wrong
};

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// arguments[0] is the program. Before Qt has taken its own options (one dash:
// -platform xcb, -style=fusion …), those are passed over with their values; after, any
// option with one dash left is wrong, as unknown options always are.
Parsed Parse(const QStringList& arguments, bool beforeQt);
QString HelpText();
QString VersionText();

} // namespace CommandLine
