// Reading every cell of a 1 000-row, 3-column list view of another process, measured in
// one run:
//   through the list view wrapper's item, beside the same number of plain cross-process
//   SendMessage round trips (WM_GETTEXTLENGTH to the list view), the two taken in turn;
//   from a VBScript test script run by Tevrin.exe, timed by the script itself, against
//   the wrapper path from C++;
//   and, in the same script, 10 000 calls of a cheap wrapper member (exists) against as
//   many calls of a plain in-process COM object (a dictionary's Exists), and against as
//   many calls of it from C++.
// The script's calls can come out faster than the same calls from C++: the script's
// watcher thread spins through short statements, and on a machine that puts idle
// processors to sleep (a virtual machine) that spares each cross-process call the wake-up
// of a processor, which the C++ loop, alone in its process, pays.
// Prints the times and the ratio per cell. TEVRIN_BENCH_DIST names another release
// folder to measure (its wrappers.dll is loaded directly; the script run uses the
// registered one).
#include "bench/BenchSupport.h"
#include "tests/e2e/ProcessRunner.h"
#include <windows.h>
#include <initguid.h>  // defines the GUIDs of the type library header here
#include "wrappers.h"
#include <wrl/client.h>
#include <cstdlib>
#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

const int kRows = 1000;
const int kColumns = 3;
const int kListViewId = 1013;  // the controls application's list view
const int kCheapCalls = 10000;

int Fail(const char* what) {
    std::fprintf(stderr, "listview_bench: %s\n", what);
    return 1;
}

// A window wrapper from the wrappers.dll of the measured release folder.
HRESULT CreateWrapper(IWNDWrapper** wrapper) {
    const std::wstring path = bench::DistDir() + L"\\wrappers.dll";
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return HRESULT_FROM_WIN32(::GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(::GetProcAddress(module, "DllGetClassObject"));
    if (!get) return E_NOINTERFACE;
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(CLSID_WNDWrapper, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IWNDWrapper, reinterpret_cast<void**>(wrapper));
}

std::string ReadScript(HWND dialog) {
    return "Dim w, lv, r, c, n, t, start\r\n"
           "Set w = CreateObject(\"Wrappers.WNDWrapper\")\r\n"
           "w.connect " + std::to_string(reinterpret_cast<LONG_PTR>(dialog)) + "\r\n"
           "Set lv = w.dlgItem(" + std::to_string(kListViewId) + ")\r\n"
           "t = lv.item(0, 0)\r\n"  // loads the hook library into the application
           "n = 0\r\n"
           "start = Timer\r\n"
           "For r = 0 To " + std::to_string(kRows - 1) + "\r\n"
           "  For c = 0 To " + std::to_string(kColumns - 1) + "\r\n"
           "    t = lv.item(r, c)\r\n"
           "    n = n + Len(t)\r\n"
           "  Next\r\n"
           "Next\r\n"
           "Env.LogInfo \"characters \" & n & \" cell seconds \" & (Timer - start)\r\n"
           "Dim i, b, d\r\n"
           "start = Timer\r\n"
           "For i = 1 To " + std::to_string(kCheapCalls) + "\r\n"
           "  b = lv.exists(0, \"Button\")\r\n"
           "Next\r\n"
           "Env.LogInfo \"exists seconds \" & (Timer - start)\r\n"
           "Set d = CreateObject(\"Scripting.Dictionary\")\r\n"
           "start = Timer\r\n"
           "For i = 1 To " + std::to_string(kCheapCalls) + "\r\n"
           "  b = d.Exists(\"x\")\r\n"
           "Next\r\n"
           "Env.LogInfo \"plain seconds \" & (Timer - start)\r\n";
}

// Seconds the script reported after `key`, or a negative value.
double ScriptSeconds(const std::string& output, const char* key) {
    const size_t at = output.find(key);
    return at == std::string::npos ? -1 : std::atof(output.c_str() + at + std::strlen(key));
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
        if (FAILED(CreateWrapper(&root))) return Fail("cannot create a window wrapper from wrappers.dll");
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

        // Row by row, the wrapper's reads and as many plain round trips in turn, so that a
        // change in the machine's load weighs on both alike.
        double wrapperTime = 0, plainTime = 0;
        size_t characters = 0;
        LRESULT sum = 0;
        for (int row = 0; row < kRows; ++row) {
            bench::Clock::time_point start = bench::Clock::now();
            for (int col = 0; col < kColumns; ++col) {
                text = nullptr;
                if (FAILED(view->get_item(row, col, &text))) rc = Fail("a cell read failed");
                characters += ::SysStringLen(text);
                ::SysFreeString(text);
            }
            wrapperTime += bench::SecondsSince(start);
            start = bench::Clock::now();
            for (int col = 0; col < kColumns; ++col) sum += ::SendMessageW(list, WM_GETTEXTLENGTH, 0, 0);
            plainTime += bench::SecondsSince(start);
        }
        (void)sum;

        // The cheap member from C++, for the script's calls of it to be set against.
        ComPtr<IWNDWrapper> viewWindow;
        double existsCppTime = -1;
        if (SUCCEEDED(object.As(&viewWindow))) {
            VARIANT none;
            ::VariantInit(&none);
            V_VT(&none) = VT_I4;
            V_I4(&none) = 0;
            BSTR buttonClass = ::SysAllocString(L"Button");
            const bench::Clock::time_point start = bench::Clock::now();
            for (int i = 0; i < kCheapCalls; ++i) {
                VARIANT_BOOL found = VARIANT_FALSE;
                if (FAILED(viewWindow->get_exists(none, buttonClass, &found))) rc = Fail("exists failed");
            }
            existsCppTime = bench::SecondsSince(start);
            ::SysFreeString(buttonClass);
        }
        viewWindow.Reset();
        view.Reset();
        object.Reset();
        root.Reset();

        std::string output;
        const std::string scriptPath = bench::WriteTempFile("tevrin_bench_listview.vbs", ReadScript(dialog));
        const double runTime = bench::RunTevrin(scriptPath, &output);
        const double scriptTime = ScriptSeconds(output, "cell seconds ");
        const double existsTime = ScriptSeconds(output, "exists seconds ");
        const double plainCallTime = ScriptSeconds(output, "plain seconds ");

        const int cells = kRows * kColumns;
        std::printf("cells read through item:           %d in %.3f s (%.1f us each, %zu characters)\n", cells,
                    wrapperTime, 1e6 * wrapperTime / cells, characters);
        std::printf("plain cross-process SendMessage:   %d in %.3f s (%.1f us each)\n", cells, plainTime,
                    1e6 * plainTime / cells);
        std::printf("ratio item / SendMessage:          %.1f\n", plainTime > 0 ? wrapperTime / plainTime : 0.0);
        if (scriptTime < 0) {
            std::printf("VBScript run through Tevrin.exe failed:\n%s\n", output.c_str());
            rc = 1;
        } else {
            std::printf("VBScript reading the %d x %d list view through Tevrin.exe: %.2f s (whole run %.2f s)\n",
                        kRows, kColumns, scriptTime, runTime);
            std::printf("ratio script cell / C++ cell: %.1f\n", wrapperTime > 0 ? scriptTime / wrapperTime : 0.0);
            if (existsTime >= 0 && plainCallTime > 0) {
                std::printf("VBScript calls of exists:           %d in %.3f s (%.1f us each)\n", kCheapCalls, existsTime,
                            1e6 * existsTime / kCheapCalls);
                std::printf("VBScript calls of a dictionary:     %d in %.3f s (%.1f us each)\n", kCheapCalls,
                            plainCallTime, 1e6 * plainCallTime / kCheapCalls);
                std::printf("ratio script exists / plain in-process call: %.1f\n", existsTime / plainCallTime);
                if (existsCppTime > 0)
                    std::printf("C++ calls of exists:                %d in %.3f s (%.1f us each; script / C++ %.1f)\n",
                                kCheapCalls, existsCppTime, 1e6 * existsCppTime / kCheapCalls, existsTime / existsCppTime);
            }
        }

        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        app.wait(10000);
    }
    ::CoUninitialize();
    return rc;
}
