#pragma once

#include <QString>

class QFile;

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

// File names are bytes, often not UTF-8 (Shift-JIS names from old archives). A path
// read from the disk keeps every byte: bytes that are not UTF-8 become the code units
// U+DC80..U+DCFF, which no valid name contains, and go back to the same bytes.
QString FromNative(const QByteArray& bytes);
QByteArray ToNative(const QString& path);
// Whether the path holds such bytes.
bool HasRawBytes(const QString& path);
// For the screen: those bytes as the replacement character.
QString ForDisplay(const QString& path);
// For the settings file: a path that is UTF-8 as it is; any other as "base64:" and its
// bytes, which no absolute path can be taken for.
QString ToStored(const QString& path);
QString FromStored(const QString& text);

// The path made absolute against the working folder, cleaned of "." and "..".
QString Absolute(const QString& path);
// Opens a regular file for reading by its bytes, closed again with the QFile, without
// ever waiting: a FIFO, a device or a folder is refused.
bool OpenForReading(QFile& file, const QString& path);
// The same as a descriptor of the caller's to close, or -1.
int OpenRegularFile(const QString& path);
// The size of something that exists and is not a folder, or -1.
qint64 FileSize(const QString& path);
} // namespace Paths
