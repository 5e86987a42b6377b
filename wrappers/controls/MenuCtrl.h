#pragma once
#include "wrappers/core/WrapperBase.h"
#include "wrappers/hook/RemoteBuffer.h"
#include <memory>
#include <optional>
#include <string>

namespace wrappers {

// Wrapper of a menu (made only by the menu property): the menu of its binding, whose
// commands go to the bound window.
class MenuCtrl final : public WrapperBase<IMenuCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP select(VARIANT item) override;
};

// The menu property of every wrapper: the bound window's menu bar, or on a menu wrapper
// one of its popups (initialised by the application first). Throws WrapperError.
Microsoft::WRL::ComPtr<IDispatch> menuOf(WrapperCore& source, const VARIANT& wndID);

// Reads the menus of the application under test by position. Menus of another process
// are read with the menu functions where the system allows it, else inside that process
// through the hook library.
class MenuReader {
public:
    explicit MenuReader(const HookChannel& channel) : channel_(channel) {}

    int count(HMENU menu);
    HMENU subMenu(HMENU menu, int position);
    UINT itemId(HMENU menu, int position);
    std::wstring text(HMENU menu, int position);
    // The first position whose text matches, optionally only among popup items.
    std::optional<int> find(HMENU menu, const std::wstring& pattern, bool popupsOnly);

private:
    bool readsDirectly(HMENU menu) const;
    ULONG_PTR query(HMENU menu, ULONG_PTR what, int position, RemoteBuffer* text);

    HookChannel channel_;
    std::unique_ptr<RemoteProcess> process_;
};

} // namespace wrappers
