#pragma once

#include <QString>

namespace vexa::voice {

// A failure of a platform voice part, carried as a value. `description` is the text the user
// sees (Russian, as the platform part words it).
struct VoiceError
{
    QString description;
};

} // namespace vexa::voice
