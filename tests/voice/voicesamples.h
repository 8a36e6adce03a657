#pragma once

#include "voiceinfo.h"

namespace vexa::voice::fakes {

inline VoiceInfo voice(QString id, QString name, QString language, int quality = 1,
                       int gender = 0, uint traits = 0)
{
    return VoiceInfo{std::move(id), std::move(name), std::move(language), quality, gender, traits};
}

} // namespace vexa::voice::fakes
