#pragma once

#include <QString>

#include <memory>
#include <mutex>

class GlobalParams;

// Poppler's core library, used to count the pages of a PDF without rendering it.
// The view owns one for its whole life. Poppler's Qt binding installs and removes a
// global parameters object of its own as its documents come and go, so ours is put
// in place only while a count runs and no document of the binding holds the slot.
class PopplerCore
{
public:
    PopplerCore();
    ~PopplerCore();
    PopplerCore(const PopplerCore&) = delete;
    PopplerCore& operator=(const PopplerCore&) = delete;

    // The page count, or 0 when poppler cannot open the file as a PDF (damaged, not
    // a PDF, or protected by a user password).
    int CountPages(const QString& path);

    // Held while documents of the Qt binding are created or destroyed, since that
    // replaces the global parameters object.
    static std::mutex& DocumentLock();

private:
    std::unique_ptr<GlobalParams> m_params;
};
