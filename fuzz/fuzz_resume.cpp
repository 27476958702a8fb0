// libFuzzer target: resume values as they may be found in a damaged settings file.
// Parsing never fails loudly, and what parses formats back to a value that parses to
// the same record.

#include "browser/ResumeStore.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto record = ResumeStore::Parse(text);
    if (!record)
        return 0;
    if (record->nPage > 1000000 || record->nPageCount > 1000000)
        std::abort();
    const auto again = ResumeStore::Parse(ResumeStore::Format(*record));
    if (!again || !(*again == *record))
        std::abort();
    return 0;
}
