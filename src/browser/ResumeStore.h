#pragma once

#include "browser/BookRecord.h"

#include <optional>

class Profile;

// The saved reading positions as they are stored: values "Resume0" to "Resume99",
// each "type|page|count|layout|zoom|size|path" or empty.
class ResumeStore
{
public:
    static constexpr int kMaxEntries = 100;

    static QString Format(const BookRecord& record);
    // Empty, malformed and path-less values give nothing.
    static std::optional<BookRecord> Parse(const QString& text);

    static BookRecordList LoadResumeEntries(const Profile& profile);
    // Writes all 100 values, empty past the end of the list, so a shorter list never
    // leaves old entries behind.
    static void SaveResumeEntries(Profile& profile, const BookRecordList& entries);
};
