#include "wrappers/controls/ToolBarCtrl.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>
#include <vector>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ToolBar, ToolBarCtrl);

namespace {

const size_t kButtonTextSize = 2048;

// The buttons of a toolbar of another process, read through the binding's session
// block: a button record (or the rectangle of TB_GETITEMRECT) first, a text after it.
class ButtonReader {
public:
    ButtonReader(WindowBinding& binding, HWND toolbar)
        : toolbar_(toolbar), lease_(binding.session(), kTextOffset + kButtonTextSize) {}

    LONG count() { return static_cast<LONG>(sendDirect(toolbar_, TB_BUTTONCOUNT, 0, 0)); }

    // False when there is no button at that index.
    bool read(LONG index, TBBUTTON& button) {
        if (!sendDirect(toolbar_, TB_GETBUTTON, static_cast<WPARAM>(index), static_cast<LPARAM>(lease_.address())))
            return false;
        lease_.read(&button, sizeof button);
        return true;
    }

    std::wstring text(const TBBUTTON& button) {
        // A button without text leaves the buffer alone: it must not show the last one read.
        const char none = '\0';
        lease_.write(&none, 1, kTextOffset);
        sendDirect(toolbar_, TB_GETBUTTONTEXTA, static_cast<WPARAM>(button.idCommand),
                   static_cast<LPARAM>(lease_.addressAt(kTextOffset)));
        std::vector<char> buffer(kButtonTextSize + 1, '\0');
        lease_.read(buffer.data(), kButtonTextSize, kTextOffset);
        return common::AnsiToWide(buffer.data());
    }

    // The first button whose text matches.
    std::optional<LONG> find(const std::wstring& pattern) {
        const LONG buttons = count();
        TBBUTTON button = {};
        for (LONG index = 0; index < buttons; ++index) {
            if (read(index, button) && matchText(text(button), pattern)) return index;
        }
        return std::nullopt;
    }

    // The window that receives the toolbar's commands: TB_SETPARENT answers the
    // previous owner, which is put back at once.
    HWND owner() {
        const LRESULT previous = lease_.sendWith(toolbar_, TB_SETPARENT, 0, 0, nullptr, 0, nullptr, 0);
        lease_.sendWith(toolbar_, TB_SETPARENT, static_cast<WPARAM>(previous), 0, nullptr, 0, nullptr, 0);
        return reinterpret_cast<HWND>(previous);
    }

    RECT itemRect(LONG index) {
        RECT rect = {};
        lease_.write(&rect, sizeof rect);
        sendDirect(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(index), static_cast<LPARAM>(lease_.address()));
        lease_.read(&rect, sizeof rect);
        return rect;
    }

private:
    static constexpr size_t kTextOffset = (sizeof(TBBUTTON) + 15) / 16 * 16;

    HWND toolbar_;
    RemoteSession::Lease lease_;
};

VARIANT plainValue(const VARIANT& value) {
    VARIANT plain;
    ::VariantInit(&plain);
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(&value)))) plain.vt = VT_EMPTY;
    return plain;
}

} // namespace

std::optional<LONG> ToolBarCtrl::chooseButton(const VARIANT& item) {
    VARIANT chosen = plainValue(item);
    std::optional<LONG> index;
    if (chosen.vt == VT_I2) {
        index = chosen.iVal;
    } else if (chosen.vt == VT_I4) {
        index = chosen.lVal;
    } else if (chosen.vt == VT_BSTR) {
        const std::wstring pattern = common::BstrText(chosen.bstrVal);
        index = ButtonReader(binding(), window()).find(pattern);
    }
    ::VariantClear(&chosen);
    return index;
}

STDMETHODIMP ToolBarCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = static_cast<LONG>(sendDirect(window(), TB_BUTTONCOUNT, 0, 0));
        return S_OK;
    });
}

STDMETHODIMP ToolBarCtrl::select(VARIANT item) {
    return WrapperCall([&] {
        HWND toolbar = window();
        ButtonReader buttons(binding(), toolbar);
        HWND owner = buttons.owner();
        const bool post = binding().takeAsync();
        std::optional<LONG> index = chooseButton(item);
        TBBUTTON button = {};
        // Without an owner the command would go to this thread's own queue.
        if (!owner || !index || !buttons.read(*index, button) || (button.fsStyle & TBSTYLE_SEP)) return S_OK;
        const WPARAM command = static_cast<WPARAM>(button.idCommand);
        const LPARAM source = reinterpret_cast<LPARAM>(toolbar);
        DeliverCommand(owner, command, source, post, L"toolbar");
        return S_OK;
    });
}

STDMETHODIMP ToolBarCtrl::click(VARIANT item, LONG button) {
    return WrapperCall([&] {
        HWND toolbar = window();
        std::optional<LONG> index = chooseButton(item);
        ButtonReader buttons(binding(), toolbar);
        // An index past the last button has no rectangle: the click would land elsewhere.
        if (!index || *index < 0 || *index >= buttons.count()) throw WrapperError(L"Cannot find toolbar button.");
        RECT bar = {};
        ::GetWindowRect(toolbar, &bar);
        BringToForeground(toolbar);
        const RECT cell = buttons.itemRect(*index);
        POINT point = {bar.left + cell.left + (cell.right - cell.left) / 2,
                       bar.top + cell.top + (cell.bottom - cell.top) / 2};
        ClickAt(point, button, false, false, false, false);
        return S_OK;
    });
}

} // namespace wrappers
