#pragma once

#include <QString>

// The temporary copy of a PDF that the PDF control would not open from where it lies:
// "Lu" and six characters, ".tmp", in the temp folder.
namespace TempCopy
{

// A new empty copy file, or "" when none can be made.
QString Create();
void CopyOver(const QString& from, const QString& to);
// Copies left behind by a program that was killed. Only one viewer runs at a time, so
// none of them is in use; another user's cannot be removed, and are left alone.
void RemoveStale();

} // namespace TempCopy
