#include "app/CommandLine.h"

#include "Version.h"

#include <optional>

namespace CommandLine
{

namespace
{
    // Qt's own options on Linux (the application, widgets, the xcb plugin), and whether the
    // next argument is the option's value. A value may also follow "=" where Qt takes it so.
    std::optional<bool> QtOptionTakesValue(const QString& option)
    {
        static const QStringList withValue = { "-platform", "-platformpluginpath", "-platformtheme",
            "-plugin", "-qwindowgeometry", "-geometry", "-qwindowtitle", "-title", "-qwindowicon",
            "-icon", "-session", "-style", "-stylesheet", "-display", "-name", "-visual" };
        static const QStringList alone
            = { "-reverse", "-widgetcount", "-testability", "-nograb", "-dograb" };
        const QString name = option.section(QLatin1Char('='), 0, 0);
        if (withValue.contains(name))
            return name == option;
        if (alone.contains(option) || name == QLatin1String("-qmljsdebugger"))
            return false;
        return std::nullopt;
    }
} // namespace

Parsed Parse(const QStringList& arguments, bool beforeQt)
{
    Parsed parsed;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            return { Help, {}, {} };
        } else if (options && (a == QLatin1String("-v") || a == QLatin1String("--version"))) {
            return { Version, {}, {} };
        } else if (options && a.startsWith(QLatin1String("--"))) {
            return { Wrong, {}, QStringLiteral("unknown option %1").arg(a) };
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            const std::optional<bool> takesValue = QtOptionTakesValue(a);
            if (!beforeQt || !takesValue)
                return { Wrong, {}, QStringLiteral("unknown option %1").arg(a) };
            if (*takesValue)
                ++i;
        } else if (parsed.target.isEmpty()) {
            parsed.target = a;
        }
    }
    return parsed;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: lumivo [FILE | FOLDER]\n"
        "A full-screen reader for PDF books, comic archives and folders of pictures, in\n"
        "large Japanese type.\n"
        "\n"
        "  FILE          a PDF, a comic archive (ZIP/CBZ, RAR/CBR, 7z/CB7, TAR/CBT) or a\n"
        "                picture of an image book: shows its folder and opens the book\n"
        "                there (of several, the first)\n"
        "  FOLDER        shows that folder on the Folder screen\n"
        "  -h, --help    show this help and leave\n"
        "  -v, --version show the version and leave\n"
        "\n"
        "One Lumivo runs at a time: started again, it brings the running one to the front\n"
        "and hands it FILE or FOLDER.\n"
        "Settings and reading positions live in $XDG_CONFIG_HOME/Oberkan/Lumivo.conf\n"
        "(normally ~/.config/Oberkan/Lumivo.conf), the last place of each book in\n"
        "$XDG_STATE_HOME/lumivo/places (normally ~/.local/state/lumivo/places).\n"
        "\n"
        "Exit status: 0 done, or the running Lumivo has taken FILE or FOLDER (it shows its\n"
        "own message if it cannot open FILE); 1 this start could not start, or could not\n"
        "open FILE itself; 2 wrong arguments.\n");
}

QString VersionText()
{
    return QStringLiteral("lumivo %1.%2.%3.%4\n")
        .arg(g_dwFileVersionMS >> 16)
        .arg(g_dwFileVersionMS & 0xFFFF)
        .arg(g_dwFileVersionLS >> 16)
        .arg(g_dwFileVersionLS & 0xFFFF);
}

} // namespace CommandLine
