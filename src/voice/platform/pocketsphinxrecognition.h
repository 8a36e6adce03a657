#pragma once

#include "../speechrecognition.h"
#include "speechmodels.h"

#include <functional>

namespace vexa::voice {

// On-device recognition with PocketSphinx. Each recognition decodes on a pool thread: the model
// loads there, audio is cut into utterances by the decoder's own voice detector, and the text of
// finished utterances plus the current partial hypothesis is reported after every chunk.
// Nothing leaves the machine, so there is no authorization to ask and no online mode.
class PocketSphinxRecognition final : public SpeechRecognitionService
{
public:
    using ModelLookup = std::function<std::optional<SpeechModel>(const QString &languageTag)>;

    PocketSphinxRecognition();
    explicit PocketSphinxRecognition(ModelLookup lookup);

    QCoro::Task<SpeechAuthorization> requestAuthorization() override;
    std::shared_ptr<SpeechRecognizer> makeRecognizer(const QString &locale) override;

private:
    ModelLookup m_lookup;
};

} // namespace vexa::voice
