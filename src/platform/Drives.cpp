#include "platform/Drives.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace
{
const QSet<QString>& NetworkTypes()
{
    static const QSet<QString> types { "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs",
        "sshfs", "davfs", "fuse.davfs2", "9p", "afs", "ncpfs", "fuse.rclone" };
    return types;
}

const QSet<QString>& PseudoTypes()
{
    static const QSet<QString> types { "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "cgroup",
        "cgroup2", "securityfs", "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs",
        "pstore", "bpf", "autofs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs", "ramfs",
        "overlay", "squashfs", "fuse.portal", "fuse.gvfsd-fuse" };
    return types;
}

bool IsUnder(const QString& path, const QString& folder)
{
    return path.startsWith(folder + QLatin1Char('/')) && path.size() > folder.size() + 1;
}
} // namespace

QString Drives::Unescape(const QString& field)
{
    // The kernel writes space, tab, newline and backslash in mount paths as octal escapes.
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('\\') && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool Drives::IsListedMount(const QString& path, const QString& type)
{
    if (NetworkTypes().contains(type))
        return true;
    if (PseudoTypes().contains(type))
        return false;
    return IsUnder(path, QStringLiteral("/media")) || IsUnder(path, QStringLiteral("/run/media"))
        || IsUnder(path, QStringLiteral("/mnt"));
}

QList<Drives::Drive> Drives::FromMounts(const QString& mountsText, const QString& home)
{
    QList<Drive> drives;
    drives.append({ QStringLiteral("/"), QStringLiteral("システム (/)") });
    const QString homePath = QDir::cleanPath(home);
    if (!home.isEmpty() && homePath != QLatin1String("/"))
        drives.append({ homePath, QStringLiteral("ホーム (%1)").arg(homePath) });

    QStringList mounts;
    for (const QString& line : mountsText.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 3)
            continue;
        const QString path = Unescape(fields[1]);
        // A "|" would break the "root|name" record of a drive entry.
        if (path.contains(QLatin1Char('|')) || path == QLatin1String("/") || path == homePath)
            continue;
        if (IsListedMount(path, fields[2]) && !mounts.contains(path))
            mounts.append(path);
    }
    std::sort(mounts.begin(), mounts.end());
    for (const QString& path : mounts) {
        drives.append({ path, QStringLiteral("%1 (%2)").arg(Paths::FileNamePart(path), path) });
    }
    return drives;
}

QList<Drives::Drive> Drives::Current()
{
    QFile file(QStringLiteral("/proc/self/mounts"));
    QString text;
    if (file.open(QIODevice::ReadOnly))
        text = QString::fromLocal8Bit(file.readAll());
    return FromMounts(text, QDir::homePath());
}
