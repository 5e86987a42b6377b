#include "framework/CmdTarget.h"

void CMenuCmdUI::Enable(bool on) {
    CCmdUI::Enable(on);
    ::EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
}

void CMenuCmdUI::SetCheck(int check) {
    CCmdUI::SetCheck(check);
    ::CheckMenuItem(menu_, index_, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuCmdUI::SetText(const wchar_t* text) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<wchar_t*>(text);
    ::SetMenuItemInfoW(menu_, index_, TRUE, &mii);
}

void CCmdTarget::AddCommand(UINT id, std::function<void()> handler) { commands_[id] = std::move(handler); }

void CCmdTarget::AddCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
    ranges_.push_back({first, last, std::move(handler)});
}

void CCmdTarget::AddUpdate(UINT id, std::function<void(CCmdUI&)> handler) { updates_[id] = std::move(handler); }

void CCmdTarget::AddUpdateRange(UINT first, UINT last, std::function<void(CCmdUI&)> handler) {
    updateRanges_.push_back({first, last, std::move(handler)});
}

bool CCmdTarget::RouteOwn(UINT id, Route route, CCmdUI* ui) {
    switch (route) {
    case Route::Execute: {
        auto it = commands_.find(id);
        if (it != commands_.end()) {
            auto handler = it->second; // the handler may change the table
            handler();
            return true;
        }
        for (const auto& r : ranges_) {
            if (id >= r.first && id <= r.last) {
                auto handler = r.handler;
                handler(id);
                return true;
            }
        }
        return false;
    }
    case Route::Update: {
        auto it = updates_.find(id);
        if (it != updates_.end()) {
            it->second(*ui);
            return true;
        }
        for (const auto& r : updateRanges_) {
            if (id >= r.first && id <= r.last) {
                r.handler(*ui);
                return true;
            }
        }
        return false;
    }
    case Route::Probe:
        if (commands_.count(id)) return true;
        for (const auto& r : ranges_)
            if (id >= r.first && id <= r.last) return true;
        return false;
    }
    return false;
}

bool CCmdTarget::RouteCommand(UINT id, Route route, CCmdUI* ui) { return RouteOwn(id, route, ui); }

bool CCmdTarget::UpdateCommandUI(CCmdUI& ui) {
    bool handled = RouteCommand(ui.id(), Route::Probe, nullptr);
    if (RouteCommand(ui.id(), Route::Update, &ui)) return handled;
    ui.Enable(handled);
    return handled;
}
