#pragma once

#include <QString>

namespace vexa {

// Texts that name devices and vendors' services. The product's wording names the devices and
// speech services of one vendor; it is shown as written only on that vendor's systems, and
// elsewhere a truthful equivalent is.
struct PlatformTexts {
    // Under the title of the sign-in screen.
    static QString signInSubtitle();
    // Under the notice switches of the productivity sheet: where notices are shown.
    static QString noticesCaption();

    // The profile's voice settings: the button that opens the voice library, whether the system
    // has a cloud recogniser the user may allow (and the switch's label), and the caption under
    // the settings that says where speech is processed.
    static QString voiceLibraryButton();
    static bool offersCloudRecognition();
    static QString cloudRecognitionSwitch();
    static QString voiceSettingsCaption();
};

} // namespace vexa
