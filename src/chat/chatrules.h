#pragma once

// The chat screen's text rules, free of any widget: what the search keeps, what a copied
// dialog reads like, how a quote and a dictated phrase land in the composer.

#include "chatrecords.h"

#include <QLocale>
#include <QString>

namespace vexa::chat {

// True when only white space and line breaks (or nothing) remain.
bool isBlank(const QString &text);

// The query the filter uses: the typed text without surrounding blanks.
QString searchQuery(const QString &typed);
// Text folded for case-insensitive search under `locale` (a Turkish "I" folds to a dotless
// "ı" there); both the query and the texts go through it.
QString foldCase(const QString &text, const QLocale &locale);

// "Вы: …" and "Vexa: …" blocks separated by one empty line.
QString conversationExport(const QList<ChatEntry> &entries);

// The composer text that asks about an answer: a fixed lead-in, the answer's first
// kQuoteLength user-perceived characters, and an empty line to type under.
inline constexpr qsizetype kQuoteLength = 160;
QString quotedDraft(const QString &answer);

// What the composer shows while dictating: the text typed before dictation started, then the
// live transcript, one space between them when both have words.
QString dictatedDraft(const QString &prefix, const QString &transcript);

// The first `limit` user-perceived characters (grapheme clusters) of text.
QString graphemePrefix(const QString &text, qsizetype limit);

} // namespace vexa::chat
