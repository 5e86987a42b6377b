#include "editor/RunStateFollower.h"
#include <richedit.h>

namespace editor {

bool FollowRunState(HWND control, UINT filteredMessage, const IScriptRunState& runState) {
    if (filteredMessage == WM_MOUSEMOVE || !control) return false;
    const bool readOnly = (::GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0;
    const bool running = runState.IsScriptRunning();
    if (running == readOnly) return false;
    ::SendMessageW(control, EM_SETREADONLY, running ? TRUE : FALSE, 0);
    return true;
}

} // namespace editor
