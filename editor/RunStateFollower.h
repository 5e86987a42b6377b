#pragma once
#include <windows.h>

namespace editor {

// What the editor needs to know of the script host: whether a script is running.
class IScriptRunState {
public:
    virtual ~IScriptRunState() = default;
    virtual bool IsScriptRunning() const = 0;
};

// Makes the control read-only while a script runs and writable again afterwards. Called
// by the view for every filtered input message (EN_MSGFILTER) except mouse moves, so the
// state follows the host at the first key or click rather than being pushed to it.
// Returns true when the read-only state was changed.
bool FollowRunState(HWND control, UINT filteredMessage, const IScriptRunState& runState);

} // namespace editor
