#pragma once

#include <QString>

namespace vexa {

// Texts that name devices. The product's wording names the devices of one vendor; it is shown
// as written only on that vendor's systems, and elsewhere a truthful equivalent is.
struct PlatformTexts {
    // Under the title of the sign-in screen.
    static QString signInSubtitle();
};

} // namespace vexa
