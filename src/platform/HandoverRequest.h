#pragma once

#include <QByteArray>

#include <optional>

// What a later start sends the running copy: one line, "activate PATH TOKEN\n", the path's
// bytes and the launcher's activation token each in base64, either possibly empty. Any
// local process can write to the socket, so a line is read only up to a bound and taken
// only when every part of it is sound.
namespace HandoverRequest
{

struct Request {
    QByteArray path; // absolute, or empty for a plain activation
    QByteArray token;
};

constexpr qsizetype kMaxPath = 4096;
constexpr qsizetype kMaxToken = 1024;
// Room for the longest sound request; a line still without its end beyond this is refused.
constexpr qsizetype kMaxLine = 8192;

// A token the window system could have given: printable ASCII, bounded.
bool SoundToken(const QByteArray& token);
// An absolute path the file system could hold, or none.
bool SoundPath(const QByteArray& path);

// The line with its end, or empty when the request could not be sound.
QByteArray Encode(const Request& request);
// The request a line (without its end) holds, if it is sound.
std::optional<Request> Decode(const QByteArray& line);

} // namespace HandoverRequest
