#include "wrappers/controls/MenuCtrl.h"
#include "common/Bstr.h"
#include "common/ComObject.h"
#include "common/TextConv.h"
#include "ostrel/ostrel.h"
#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/MatchText.h"
#include <vector>

using Microsoft::WRL::ComPtr;

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Menu, MenuCtrl);

namespace {

// Menu texts are read into buffers of this many characters.
const int kMenuTextLength = 1024;
// WM_INITMENUPOPUP only fills a popup; an application that does not answer in this
// time is read as it is.
const DWORD kInitPopupTimeout = 10000;

// The value of a VARIANT that a script may have passed by reference.
VARIANT plainValue(const VARIANT& value) {
    VARIANT plain;
    ::VariantInit(&plain);
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(&value)))) plain.vt = VT_EMPTY;
    return plain;
}

} // namespace

bool MenuReader::readsDirectly(HMENU menu) const {
    // Where the system keeps menus per process, the handle is not a menu here.
    return !channel_.hookedWindow || ::IsMenu(menu);
}

ULONG_PTR MenuReader::query(HMENU menu, ULONG_PTR what, int position, RemoteBuffer* text) {
    if (!process_) process_ = std::make_unique<RemoteProcess>(channel_);
    RemoteBuffer block(*process_, sizeof(OstrelRequest));
    OstrelRequest request{};
    request.window = reinterpret_cast<ULONG_PTR>(menu);
    request.message = what;
    request.wParam = static_cast<ULONG_PTR>(position);
    if (text) {
        request.lParam = static_cast<LONG_PTR>(text->address());
        request.unused[1] = text->size();
    }
    block.write(request);
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(channel_.hookedWindow, g_nMsgMenuInfo, 0, block.lparam(), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               kHookRequestTimeout, &ignored))
        throw RemoteError(::IsWindow(channel_.hookedWindow) ? L"The application did not answer in time"
                                                             : L"The window of the application no longer exists");
    block.read(request);
    if (request.unused[0] != 1) throw RemoteError(L"The menu of the application could not be read");
    return request.wParam;
}

int MenuReader::count(HMENU menu) {
    if (readsDirectly(menu)) return ::GetMenuItemCount(menu);
    return static_cast<int>(static_cast<LONG_PTR>(query(menu, kOstrelMenuItemCount, 0, nullptr)));
}

HMENU MenuReader::subMenu(HMENU menu, int position) {
    if (readsDirectly(menu)) return ::GetSubMenu(menu, position);
    return reinterpret_cast<HMENU>(query(menu, kOstrelMenuSubMenu, position, nullptr));
}

UINT MenuReader::itemId(HMENU menu, int position) {
    if (readsDirectly(menu)) return ::GetMenuItemID(menu, position);
    return static_cast<UINT>(query(menu, kOstrelMenuItemId, position, nullptr));
}

std::wstring MenuReader::text(HMENU menu, int position) {
    std::vector<char> buffer(kMenuTextLength + 1, '\0');
    if (readsDirectly(menu)) {
        ::GetMenuStringA(menu, static_cast<UINT>(position), buffer.data(), kMenuTextLength, MF_BYPOSITION);
    } else {
        if (!process_) process_ = std::make_unique<RemoteProcess>(channel_);
        RemoteBuffer remote(*process_, kMenuTextLength);
        query(menu, kOstrelMenuString, position, &remote);
        remote.read(buffer.data(), kMenuTextLength);
    }
    buffer[kMenuTextLength] = '\0';
    return common::AnsiToWide(buffer.data());
}

std::optional<int> MenuReader::find(HMENU menu, const std::wstring& pattern, bool popupsOnly) {
    const int items = count(menu);
    for (int position = 0; position < items; ++position) {
        if (!matchText(text(menu, position), pattern)) continue;
        if (popupsOnly && !subMenu(menu, position)) continue;
        return position;
    }
    return std::nullopt;
}

ComPtr<IDispatch> menuOf(WrapperCore& source, const VARIANT& wndID) {
    HWND owner;
    HMENU current;
    HookChannel channel;
    {
        std::lock_guard<std::recursive_mutex> lock(source.mutex());
        owner = source.binding().window;
        current = source.binding().menu;
        channel = channelOf(source.binding());
    }
    HMENU found = nullptr;
    if (!current) {
        found = ::GetMenu(owner);
    } else {
        MenuReader reader(channel);
        VARIANT id = plainValue(wndID);
        std::optional<int> position;
        if (id.vt == VT_I4) {
            position = static_cast<int>(id.lVal);
        } else if (id.vt == VT_BSTR) {
            const std::wstring pattern = common::BstrText(id.bstrVal);
            ::VariantClear(&id);
            position = reader.find(current, pattern, true);
            if (!position) throw WrapperError(L"Cannot find menu item.");
        }
        ::VariantClear(&id);
        if (position) {
            found = reader.subMenu(current, *position);
            // The application fills its popups when they open; without one nothing is sent.
            if (found) {
                DWORD_PTR ignored = 0;
                ::SendMessageTimeoutA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(found),
                                      static_cast<LPARAM>(*position), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                      kInitPopupTimeout, &ignored);
            }
        }
    }
    WrapperObject* made = makeUnboundWrapper(WrapperKind::Menu);
    ComPtr<IWNDWrapper> wrapper;
    wrapper = common::Adopt(made->wrapperInterface());
    made->core().bindTo(owner);
    {
        std::lock_guard<std::recursive_mutex> lock(made->core().mutex());
        made->core().binding().menu = found;
    }
    ComPtr<IDispatch> result;
    common::ThrowIfFailed(wrapper.As(&result));
    return result;
}

STDMETHODIMP MenuCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = MenuReader(channelOf(binding())).count(binding().menu);
        return S_OK;
    });
}

STDMETHODIMP MenuCtrl::select(VARIANT item) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND owner = window();
        HMENU menu = binding().menu;
        MenuReader reader(channelOf(binding()));
        VARIANT chosen = plainValue(item);
        std::optional<int> position;
        if (chosen.vt == VT_I4) {
            position = static_cast<int>(chosen.lVal);
        } else if (chosen.vt == VT_BSTR) {
            position = reader.find(menu, common::BstrText(chosen.bstrVal), false);
        }
        ::VariantClear(&chosen);
        // A position past the end is no item at all, not a popup.
        if (!position || *position < 0 || *position >= reader.count(menu)) throw WrapperError(L"Cannot find menu item.");
        const UINT command = reader.itemId(menu, *position);
        if (command == static_cast<UINT>(-1)) throw WrapperError(L"Menu item is not a command.");
        const LPARAM source = reinterpret_cast<LPARAM>(owner);
        DeliverCommand(owner, command, source, post, L"menu");
        return S_OK;
    });
}

} // namespace wrappers
