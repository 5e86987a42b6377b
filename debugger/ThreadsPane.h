#pragma once
// ThreadsPane ("Application Threads"): the threads of the run's debug application at a
// break, with their system id, suspend count and the description of their top frame.
#include "debugger/DebugPane.h"
#include "debugger/SortableList.h"

namespace debugger {

class ThreadsPane : public DebugPane {
public:
    explicit ThreadsPane(host::ScriptHost& host);
    void Refresh() override;
    SortableList& list() { return list_; }

protected:
    void InitContent() override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    void OnDestroy() override;

private:
    SortableList list_;
};

} // namespace debugger
