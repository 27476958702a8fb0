#pragma once

#include <QList>
#include <QString>

// The drive list of the Folder screen: "/" first, then the home folder, then mounted
// volumes under /media, /run/media and /mnt and network file systems anywhere,
// ascending by mount path.
class Drives
{
public:
    struct Drive {
        QString root;
        QString displayName;
        bool operator==(const Drive&) const = default;
    };

    // Builds the list from the text of /proc/self/mounts and the home folder.
    static QList<Drive> FromMounts(const QString& mountsText, const QString& home);
    // The machine's drives now.
    static QList<Drive> Current();

private:
    static QString Unescape(const QString& field);
    static bool IsListedMount(const QString& path, const QString& type);
};
