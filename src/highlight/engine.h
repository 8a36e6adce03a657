#pragma once

#include "highlight.h"

#include <QtGlobal>

#include <optional>

// Colouring runs GNU source-highlight, which with Boost.Regex keeps about a megabyte resident
// once loaded, and most sessions show no code at all. So that part is a module of its own
// (vexa-highlight-engine.so), which highlight.cpp loads on the first colouring and then calls
// through this table. The app and the module are built from one tree: kEngineAbi changes
// whenever the table or the types it passes do, and a module of another build is not used.
namespace vexa::highlight::detail {

inline constexpr quint32 kEngineAbi = 1;

struct Engine {
    quint32 abi;
    Result (*highlight)(const QString &language, const QString &code, Budget budget);
    std::optional<Result> (*highlightIfReady)(const QString &language, const QString &code, Budget budget);
    LinesResult (*highlightLines)(const QString &language, const QStringList &lines, int startState,
                                  Budget budget);
};

} // namespace vexa::highlight::detail

// The module's one entry point.
extern "C" const vexa::highlight::detail::Engine *vexa_highlight_engine();
