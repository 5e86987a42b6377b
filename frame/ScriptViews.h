#pragma once
// The script document and view of the editor as the window uses them: the document
// template's classes, the test whether a view shows a script, and showing a line in it.
#include "editor/CMardelDoc.h"
#include "editor/CMardelView.h"

namespace host { class ScriptHost; }

using ScriptDocument = CMardelDoc;
using ScriptView = CMardelView;

inline ScriptView* AsScriptView(CView* view) { return dynamic_cast<CMardelView*>(view); }

// A request whose document's first view is not a script view is ignored.
inline void ShowScriptLine(CView* view, int line, bool markFrame) {
    if (ScriptView* script = AsScriptView(view)) script->ShowLine(line, markFrame);
}

// Views follow the host's run state, breakpoints and position.
inline void AttachScriptHost(host::ScriptHost* host) { CMardelView::SetScriptHost(host); }
