#pragma once

#include <QString>

namespace vexa {

// Texts that name devices. The product's wording names the devices of one vendor; it is shown
// as written only on that vendor's systems, and elsewhere a truthful equivalent is.
struct PlatformTexts {
    // Under the title of the sign-in screen.
    static QString signInSubtitle();
    // Under the notice switches of the productivity sheet: where notices are shown.
    static QString noticesCaption();
};

} // namespace vexa
