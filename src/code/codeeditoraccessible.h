#pragma once

namespace vexa {

class CodeEditorView;

// The code editor's accessibility interface (see codeeditoraccessible.cpp): installed once, before
// the first editor is made; the editor reports its edits and cursor moves through the functions
// below while a screen reader listens.
void installCodeEditorAccessibility();
void notifyCodeEditorTextChanged(CodeEditorView *view, int position, int removed, int added);
void notifyCodeEditorCursorMoved(CodeEditorView *view);

} // namespace vexa
