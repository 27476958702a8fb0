#pragma once

#include <QStringList>

#include <optional>

// The path arithmetic of moving up the Folder screen, free of any widget. The root
// "/" plays the part of a drive root, and the empty folder is the drive list.
namespace FolderNav
{

struct Move {
    QString folder; // the new current folder
    QString select; // the name to select in it
};

// Up one level: "/a/b" → "/a" selecting "b", "/a" → "/" selecting "a", "/" → the
// drive list selecting "/". Nothing on the drive list.
std::optional<Move> Up(const QString& current);
// To the drive list, selecting the drive whose root is the longest leading part of
// the folder. Nothing on the drive list or for a folder that is not a full path.
std::optional<Move> Top(const QString& current, const QStringList& driveRoots);

} // namespace FolderNav
