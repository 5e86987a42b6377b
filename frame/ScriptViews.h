#pragma once
// The script document and view of the editor as the window uses them: the document
// template's classes, the test whether a view shows a script, and showing a line in it.
#include "framework/View.h"

namespace host { class ScriptHost; }

#if __has_include("editor/CMardelView.h")
#include "editor/CMardelDoc.h"
#include "editor/CMardelView.h"
using ScriptDocument = CMardelDoc;
using ScriptView = CMardelView;
inline ScriptView* AsScriptView(CView* view) { return dynamic_cast<CMardelView*>(view); }
inline void ShowScriptLine(CView* view, int line, bool markFrame) {
    if (ScriptView* script = AsScriptView(view)) script->ShowLine(line, markFrame);
}
// Views follow the host's run state, breakpoints and position.
inline void AttachScriptHost(host::ScriptHost* host) { CMardelView::SetScriptHost(host); }
#else
// The editor's script classes are not there yet: scripts open in plain rich-edit views.
#include "framework/RichEditDoc.h"
#include "framework/RichEditView.h"
#include <richedit.h>
using ScriptDocument = CRichEditDoc;
using ScriptView = CRichEditView;
inline ScriptView* AsScriptView(CView* view) { return dynamic_cast<CRichEditView*>(view); }
inline void ShowScriptLine(CView* view, int line, bool) {
    ScriptView* script = AsScriptView(view);
    if (!script || line < 1) return;
    HWND edit = script->richEdit();
    const LRESULT start = ::SendMessageW(edit, EM_LINEINDEX, line - 1, 0);
    if (start < 0) return;
    ::SendMessageW(edit, EM_SETSEL, start, start);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
inline void AttachScriptHost(host::ScriptHost*) {}
#endif
