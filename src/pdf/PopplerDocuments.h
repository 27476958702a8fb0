#pragma once

#include "pdf/PdfPassword.h"

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

enum class Access { Open, Locked, Unreadable };
struct Examined {
    Access access = Access::Unreadable;
    int pages = 0; // 0 when the file is not open or poppler cannot tell its count
};

std::mutex& Lock();
// What poppler makes of the file with that password (empty for none): open, locked
// by a password it does not take, or no PDF poppler can read at all.
Examined Examine(const QString& path, const PdfPassword& password);
// The document at path, or null when it is not a PDF poppler can show (damaged, without
// pages, or locked by a password it does not take). The password opens a document that
// asks for its user or its owner password.
std::unique_ptr<Poppler::Document> Load(const QString& path, const PdfPassword& password = {});
void Release(std::unique_ptr<Poppler::Document>& document);

} // namespace PopplerDocuments
