#pragma once

#include <QtGlobal>

namespace vexa {

// The most a reply body may hold. The transport stops a reply as soon as its Content-Length
// or the bytes received pass this, so a hostile or broken server cannot fill the memory.
//
// The largest honest replies carry pictures: an image generation or edit answers with the
// picture as a Base64 data URL plus the account state. Pictures sent for editing are limited
// to 12 MB of JPEG (16 MB as Base64) and a generated 2048×2048 PNG runs to about 12 MB
// (16 MB as Base64); a chat list of a thousand long chats is around 10 MB. 64 MiB leaves
// fourfold room above any of them.
inline constexpr qint64 kMaxReplyBytes = 64 * 1024 * 1024;

} // namespace vexa
