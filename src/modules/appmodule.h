#pragma once

// Parts of the app that bring large libraries with them, and that most sessions never use, are
// modules of their own, loaded on first use: the code tokenizer (GNU source-highlight and
// Boost.Regex) and the microphone (Qt Multimedia, PulseAudio and its codecs). Each module has
// one entry point, which returns a table of functions whose first member is the table's ABI
// number. The app and its modules are built from one tree, and a module of another build (a
// different number) is not used.
//
// Where a module is looked for, in order: beside an installed app (<bindir>/../<libdir>/vexa-ai),
// the build tree it was built in (tests, benchmarks, `./vexa run`), the install prefix.

#include <QString>
#include <QtGlobal>

#include <cstddef>

namespace vexa::modules {

// A module of the app: how it is named and found, and what its table must be.
struct ModuleFile {
    const char *fileName;  // as installed: "vexa-highlight-engine.so"
    const char *builtPath; // the module in the build tree
    const char *entry;     // its entry point's name
    quint32 abi;           // what the table's first member is in a module of this build
};

// The table of the first candidate that is a module of this build; null when there is none,
// with `whyNot` saying what each path tried lacked. The module stays loaded for the rest of the
// run. Safe from any thread; callers load each module once and keep its table.
const void *load(const ModuleFile &wanted, QString *whyNot);

template <typename Table>
const Table *load(const ModuleFile &wanted, QString *whyNot)
{
    static_assert(offsetof(Table, abi) == 0, "a module's table starts with its ABI number");
    return static_cast<const Table *>(load(wanted, whyNot));
}

} // namespace vexa::modules
