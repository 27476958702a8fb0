#pragma once

#include <QString>

// Path helpers over "/" paths. Names and paths compare without regard to letter case.
namespace Paths
{
// The text after the last "/"; empty when there is none.
QString FileNamePart(const QString& path);
// The text before the last "/"; empty when there is none. A file in the root gives
// the root "/" itself, so its folder stays a folder rather than the drive list.
QString FolderPart(const QString& path);
bool IsExistingFolder(const QString& path);
// Something that exists and is not a folder.
bool IsExistingFile(const QString& path);
bool IsDotEntry(const QString& name);
// folder + "/" + name, without doubling a trailing "/".
QString Join(const QString& folder, const QString& name);
bool SameName(const QString& a, const QString& b);
// A name beginning with "." is hidden.
bool IsHiddenName(const QString& name);
} // namespace Paths
