#pragma once

#include "voicefakes.h"
#include "voiceservice.h"

#include <QCoreApplication>

#include <memory>

namespace vexa::voice::fakes {

// A VoiceService over fakes, and the fakes to drive it.
struct VoiceRig
{
    std::shared_ptr<FakeCapture> capture = std::make_shared<FakeCapture>();
    std::shared_ptr<FakeRecognition> recognition = std::make_shared<FakeRecognition>();
    std::shared_ptr<FakeSynthesizer> synthesizer = std::make_shared<FakeSynthesizer>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::unique_ptr<VoiceService> service = std::make_unique<VoiceService>(
        VoicePlatform{capture, recognition, synthesizer, clock});

    ~VoiceRig()
    {
        service.reset();
        // A monitor cancelled or orphaned mid-sleep ends at its next wake-up.
        clock->advance(std::chrono::seconds(1));
    }

    // Lets posts from the "audio" and "recognizer" threads reach the service.
    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Advances in steps, so events posted on the way are handled in time order.
    void wait(std::chrono::milliseconds span)
    {
        using namespace std::chrono_literals;
        while (span > 0ms) {
            const auto step = std::min(span, std::chrono::milliseconds(10));
            clock->advance(step);
            settle();
            span -= step;
        }
    }
};

} // namespace vexa::voice::fakes
