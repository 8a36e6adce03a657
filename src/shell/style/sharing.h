#pragma once

#include <QString>
#include <QUrl>

namespace vexa::style {

// The address the share menu's "Отправить по почте" opens: a new mail with the text as its body.
QUrl mailUrl(const QString &body);

} // namespace vexa::style
