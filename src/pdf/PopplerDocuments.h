#pragma once

#include <QString>

#include <memory>
#include <mutex>

namespace Poppler
{
class Document;
}

// Documents of poppler's Qt binding. The binding sets up poppler's shared state when its
// first document is made and tears it down with the last, without a lock of its own, so
// documents are made and destroyed only under Lock() on every thread.
namespace PopplerDocuments
{

std::mutex& Lock();
// The document at path, or null when it is not a PDF poppler can open (damaged, or
// protected by a user password).
std::unique_ptr<Poppler::Document> Load(const QString& path);
void Release(std::unique_ptr<Poppler::Document>& document);
// The page count, or 0 when the file cannot be opened as a PDF.
int CountPages(const QString& path);

} // namespace PopplerDocuments
