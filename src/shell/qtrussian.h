#pragma once

namespace vexa {

// Qt's own texts (its file dialogs, buttons, dates and sizes) in Russian, as the rest of the app
// is, whatever the system's language: Debian's catalogues of Qt (qt6-translations-l10n), the few
// texts of Qt Quick's file dialog they lack, and Russian as the default locale.
void installRussianQtTexts();

} // namespace vexa
