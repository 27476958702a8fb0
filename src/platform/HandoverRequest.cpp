#include "platform/HandoverRequest.h"

#include <QList>

#include <algorithm>

namespace HandoverRequest
{

namespace
{
    const QByteArray kVerb = "activate";

    std::optional<QByteArray> FromBase64(const QByteArray& text)
    {
        auto decoded
            = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return *decoded;
    }
} // namespace

bool SoundToken(const QByteArray& token)
{
    if (token.size() > kMaxToken)
        return false;
    return std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

bool SoundPath(const QByteArray& path)
{
    return path.isEmpty()
        || (path.startsWith('/') && path.size() <= kMaxPath && !path.contains('\0'));
}

QByteArray Encode(const Request& request)
{
    if (!SoundPath(request.path) || !SoundToken(request.token))
        return {};
    return kVerb + ' ' + request.path.toBase64() + ' ' + request.token.toBase64() + '\n';
}

std::optional<Request> Decode(const QByteArray& line)
{
    const QList<QByteArray> words = line.split(' ');
    if (words.size() != 3 || words[0] != kVerb)
        return std::nullopt;
    const std::optional<QByteArray> path = FromBase64(words[1]);
    const std::optional<QByteArray> token = FromBase64(words[2]);
    if (!path || !token || !SoundPath(*path) || !SoundToken(*token))
        return std::nullopt;
    return Request { *path, *token };
}

} // namespace HandoverRequest
