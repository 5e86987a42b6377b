#pragma once
// ApplicationsPane: a sorted list box that every refresh of the debugger panes empties.
#include "debugger/DebugPane.h"

namespace debugger {

class ApplicationsPane : public DebugPane {
public:
    explicit ApplicationsPane(host::ScriptHost& host);
    void Clear();
    void Refresh() override { Clear(); }

protected:
    void InitContent() override { Clear(); }
};

} // namespace debugger
