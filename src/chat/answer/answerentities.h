#pragma once

#include <QString>

#include <md4c.h>

namespace vexa::answer {

// An HTML entity as md4c reports it ("&amp;", "&#x41;", "&#65;") turned into its characters.
// Numeric references outside Unicode (or 0, or a surrogate) become U+FFFD; a name the table
// does not know stays as written.
QString decodeEntity(const QString &entity);

// An attribute of md4c's (a link's address, a picture's source) as text, entities decoded.
QString attributeText(const MD_ATTRIBUTE &attribute);

} // namespace vexa::answer
