// Reading every cell of a 1 000-row, 3-column list view of another process through the
// list view wrapper's item, beside the same number of plain cross-process
// WM_GETTEXTLENGTH round trips, in one run. Prints both times and their ratio.
#include "tests/e2e/ProcessRunner.h"
#include <windows.h>
#include <initguid.h>  // defines the GUIDs of the type library header here
#include "wrappers.h"
#include <windows.h>
#include <wrl/client.h>
#include <chrono>
#include <cstdio>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

const int kRows = 1000;
const int kColumns = 3;
const int kListViewId = 1013;  // the controls application's list view

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Fail(const char* what) {
    std::fprintf(stderr, "listview_bench: %s\n", what);
    return 1;
}

} // namespace

int main() {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return Fail("COM did not start");
    int rc = 0;
    {
        e2e::ProcessRunner app;
        if (!app.start(L"\"" + std::wstring(TEVRIN_BIN_DIR) + L"\\controls.exe\" /rows " + std::to_wstring(kRows)))
            return Fail("cannot start controls.exe");
        HWND dialog = app.waitForWindow(L"#32770", 60000);
        if (!dialog) return Fail("controls.exe showed no dialog");
        HWND list = ::GetDlgItem(dialog, kListViewId);

        ComPtr<IWNDWrapper> root;
        if (FAILED(::CoCreateInstance(CLSID_WNDWrapper, nullptr, CLSCTX_INPROC_SERVER, IID_IWNDWrapper,
                                      reinterpret_cast<void**>(root.GetAddressOf()))))
            return Fail("Wrappers.WNDWrapper is not registered");
        root->connect(static_cast<LONG>(reinterpret_cast<LONG_PTR>(dialog)));
        ComPtr<IDispatch> object;
        ComPtr<IListViewCtrl> view;
        if (FAILED(root->get_dlgItem(kListViewId, &object)) || FAILED(object.As(&view)))
            return Fail("no list view wrapper");
        LONG count = 0;
        view->get_count(&count);
        if (count != kRows) return Fail("the list view has not the expected rows");

        // Warm-up: the first request loads the hook library into the application.
        BSTR text = nullptr;
        view->get_item(0, 0, &text);
        ::SysFreeString(text);

        auto start = std::chrono::steady_clock::now();
        size_t characters = 0;
        for (int row = 0; row < kRows; ++row) {
            for (int col = 0; col < kColumns; ++col) {
                text = nullptr;
                if (FAILED(view->get_item(row, col, &text))) rc = Fail("a cell read failed");
                characters += ::SysStringLen(text);
                ::SysFreeString(text);
            }
        }
        const double wrapperTime = Seconds(start);

        start = std::chrono::steady_clock::now();
        LRESULT sum = 0;
        for (int i = 0; i < kRows * kColumns; ++i) sum += ::SendMessageW(list, WM_GETTEXTLENGTH, 0, 0);
        const double plainTime = Seconds(start);

        std::printf("cells read through item:           %d in %.3f s (%.1f us each, %zu characters)\n",
                    kRows * kColumns, wrapperTime, 1e6 * wrapperTime / (kRows * kColumns), characters);
        std::printf("plain WM_GETTEXTLENGTH round trips: %d in %.3f s (%.1f us each)\n", kRows * kColumns, plainTime,
                    1e6 * plainTime / (kRows * kColumns));
        std::printf("ratio item / round trip:            %.1f\n", plainTime > 0 ? wrapperTime / plainTime : 0.0);
        (void)sum;

        view.Reset();
        object.Reset();
        root.Reset();
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        app.wait(10000);
    }
    ::CoUninitialize();
    return rc;
}
