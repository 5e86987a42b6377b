#include "wrappers/controls/ToolBarCtrl.h"
#include "common/TextConv.h"
#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteBuffer.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>
#include <vector>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ToolBar, ToolBarCtrl);

namespace {

const size_t kButtonTextSize = 2048;

// The buttons of a toolbar of another process, read through blocks inside it.
class ButtonReader {
public:
    ButtonReader(const HookChannel& channel, HWND toolbar)
        : toolbar_(toolbar), process_(channel), record_(process_, sizeof(TBBUTTON)),
          text_(process_, kButtonTextSize) {}

    LONG count() { return static_cast<LONG>(sendDirect(toolbar_, TB_BUTTONCOUNT, 0, 0)); }

    // False when there is no button at that index.
    bool read(LONG index, TBBUTTON& button) {
        if (!sendDirect(toolbar_, TB_GETBUTTON, static_cast<WPARAM>(index), record_.lparam())) return false;
        record_.read(button);
        return true;
    }

    std::wstring text(const TBBUTTON& button) {
        // A button without text leaves the buffer alone: it must not show the last one read.
        const char none = '\0';
        text_.write(&none, 1);
        sendDirect(toolbar_, TB_GETBUTTONTEXTA, static_cast<WPARAM>(button.idCommand), text_.lparam());
        std::vector<char> buffer(kButtonTextSize + 1, '\0');
        text_.read(buffer.data(), kButtonTextSize);
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
        const LRESULT previous = sendRemote(process_, toolbar_, TB_SETPARENT, 0, 0, false);
        sendRemote(process_, toolbar_, TB_SETPARENT, static_cast<WPARAM>(previous), 0, false);
        return reinterpret_cast<HWND>(previous);
    }

    RECT itemRect(LONG index) {
        RECT rect = {};
        record_.write(rect);
        sendDirect(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(index), record_.lparam());
        record_.read(rect);
        return rect;
    }

private:
    HWND toolbar_;
    RemoteProcess process_;
    RemoteBuffer record_;  // a TBBUTTON, or the 16-byte rectangle of TB_GETITEMRECT
    RemoteBuffer text_;
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
        const std::wstring pattern(chosen.bstrVal ? chosen.bstrVal : L"", ::SysStringLen(chosen.bstrVal));
        index = ButtonReader(channelOf(binding()), window()).find(pattern);
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
        ButtonReader buttons(channelOf(binding()), toolbar);
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
        ButtonReader buttons(channelOf(binding()), toolbar);
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
