#pragma once

// Every message the code workspace shows from C++, in one place.

#include <QString>

namespace vexa::codetexts {

QString storageUnavailable();
QString openProjectsFailed(const QString &description);
QString createProjectFailed(const QString &description);
QString unsafeFileName();
QString fileExists();
QString createFileFailed(const QString &description);
QString notUtf8Text();
// Why the open file is shown read-only: its size, or lines too long to lay out at a keystroke.
QString largeFileReadOnly();
QString longLinesReadOnly();
QString saveFailed(const QString &description);
QString savedLocally();
QString importSummary(int count);
QString askFailed(const QString &description);

// The caption under the project name. The wording that names the vendor's computer is only
// true on that vendor's systems; elsewhere the same sentence says "this computer".
QString filesStayLocal();

// Captions of the conversation's entries.
QString userCaption();
QString assistantCaption();

} // namespace vexa::codetexts
