#pragma once
// Command routing without message maps.
//
// A CCmdTarget keeps a small table of command handlers and update handlers:
//     AddCommand(ID_FILE_SAVE, [this] { Save(); });
//     AddUpdate(ID_FILE_SAVE, [this](CCmdUI& ui) { ui.Enable(IsModified()); });
// RouteCommand asks the target's own table and then its RouteNext targets (the frame
// routes to the active view, its document, the child frame, itself and the
// application). The first target with an entry wins. For update-UI, a command that some
// target handles but nobody updates is enabled; one that nobody handles is disabled.
#include <windows.h>
#include <functional>
#include <map>
#include <vector>

class CToolBar;

// One user-interface element being updated: a menu entry, a toolbar button or a
// status-bar indicator.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : id_(id) {}
    virtual ~CCmdUI() = default;
    UINT id() const { return id_; }
    virtual void Enable(bool on = true) { enabled_ = on; enableChanged_ = true; }
    // 0 unchecked, 1 checked.
    virtual void SetCheck(int check = 1) { checked_ = check; }
    virtual void SetText(const wchar_t*) {}
    bool enabled() const { return enabled_; }
    int checked() const { return checked_; }
    bool enableChanged() const { return enableChanged_; }

private:
    UINT id_;
    bool enabled_ = true;
    bool enableChanged_ = false;
    int checked_ = 0;
};

// Applies the result to a menu entry (by command id).
class CMenuCmdUI : public CCmdUI {
public:
    CMenuCmdUI(HMENU menu, UINT index, UINT id) : CCmdUI(id), menu_(menu), index_(index) {}
    void Enable(bool on = true) override;
    void SetCheck(int check = 1) override;
    void SetText(const wchar_t* text) override;

private:
    HMENU menu_;
    UINT index_;
};

class CCmdTarget {
public:
    enum class Route { Execute, Update, Probe };

    virtual ~CCmdTarget() = default;
    // Execute: run the handler; Update: run the update handler on ui; Probe: only ask
    // whether a handler exists. Returns true when this target or a later one answered.
    virtual bool RouteCommand(UINT id, Route route, CCmdUI* ui);

    bool ExecuteCommand(UINT id) { return RouteCommand(id, Route::Execute, nullptr); }
    // Runs the update handlers for ui (enable/disable rule above). Returns whether the
    // command has any handler.
    bool UpdateCommandUI(CCmdUI& ui);

protected:
    void AddCommand(UINT id, std::function<void()> handler);
    void AddCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
    void AddUpdate(UINT id, std::function<void(CCmdUI&)> handler);
    void AddUpdateRange(UINT first, UINT last, std::function<void(CCmdUI&)> handler);
    // Only this target's table.
    bool RouteOwn(UINT id, Route route, CCmdUI* ui);

private:
    struct Range { UINT first, last; std::function<void(UINT)> handler; };
    struct UpdateRange { UINT first, last; std::function<void(CCmdUI&)> handler; };
    std::map<UINT, std::function<void()>> commands_;
    std::map<UINT, std::function<void(CCmdUI&)>> updates_;
    std::vector<Range> ranges_;
    std::vector<UpdateRange> updateRanges_;
};
