// A VBScript run by Tevrin.exe visiting every item of a tree view of another process
// through the tree wrapper (its text, and its first child), per item against one plain
// cross-process SendMessage to the same tree, for trees of three levels and growing size
// (the controls application's /treeitems). The script gets the item handles from here,
// read with plain messages; the wrapper has seen none of them before.
//   scripts/wine-run build/bin/tree_bench.exe [items ...]     (default 500 2000 5000)
// TEVRIN_BENCH_DIST names another release folder to measure (see BenchSupport.h).
#include "bench/BenchSupport.h"
#include "tests/e2e/ProcessRunner.h"
#include "ostrel/TreeWalk.h"
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kTreeId = 1014;  // the controls application's tree view
const int kPlainMessages = 3000;

int Fail(const char* what) {
    std::fprintf(stderr, "tree_bench: %s\n", what);
    return 1;
}

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Every item, depth first, as scripts see handles (32-bit numbers).
std::vector<long> Handles(HWND tree) {
    std::vector<long> handles;
    auto next = [&](UINT relation, HTREEITEM item, HTREEITEM* found) {
        *found = Next(tree, relation, item);
        return true;
    };
    ostrel::WalkTreeItems(Next(tree, TVGN_ROOT, nullptr), next, [&](HTREEITEM item) {
        handles.push_back(static_cast<long>(reinterpret_cast<LONG_PTR>(item)));
        return false;
    });
    return handles;
}

std::string VisitScript(HWND dialog, const std::vector<long>& handles) {
    std::string list;
    for (long h : handles) list += (list.empty() ? "" : ", ") + std::to_string(h);
    return "Dim w, tv, h, i, t, c, n, start\r\n"
           "Set w = CreateObject(\"Wrappers.WNDWrapper\")\r\n"
           "w.connect " + std::to_string(reinterpret_cast<LONG_PTR>(dialog)) + "\r\n"
           "Set tv = w.dlgItem(" + std::to_string(kTreeId) + ")\r\n"
           "h = Array(" + list + ")\r\n"
           "t = tv.item(\"R0\")\r\n"  // loads the hook library into the application
           "n = 0\r\n"
           "start = Timer\r\n"
           "For i = 0 To UBound(h)\r\n"
           "  t = tv.item(h(i))\r\n"
           "  c = tv.findItem(\"\\.*\", h(i))\r\n"
           "  n = n + Len(t)\r\n"
           "Next\r\n"
           "Env.LogInfo \"characters \" & n & \" tree seconds \" & (Timer - start)\r\n";
}

double Seconds(const std::string& output, const char* key) {
    const size_t at = output.find(key);
    return at == std::string::npos ? -1 : std::atof(output.c_str() + at + std::strlen(key));
}

// Measures one tree size; false when the run failed.
bool Measure(int size) {
    e2e::ProcessRunner app;
    if (!app.start(L"\"" + std::wstring(TEVRIN_BIN_DIR) + L"\\controls.exe\" /treeitems " + std::to_wstring(size)))
        return Fail("cannot start controls.exe") == 0;
    HWND dialog = app.waitForWindow(L"#32770", 60000);
    if (!dialog) return Fail("controls.exe showed no dialog") == 0;
    HWND tree = ::GetDlgItem(dialog, kTreeId);
    const std::vector<long> handles = Handles(tree);

    LRESULT sum = 0;
    const bench::Clock::time_point start = bench::Clock::now();
    for (int i = 0; i < kPlainMessages; ++i) sum += ::SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    const double perMessage = bench::SecondsSince(start) / kPlainMessages;
    (void)sum;

    std::string output;
    const std::string path = bench::WriteTempFile("tevrin_bench_tree.vbs", VisitScript(dialog, handles));
    bench::RunTevrin(path, &output);
    const double seconds = Seconds(output, "tree seconds ");
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    app.wait(10000);
    if (seconds < 0) {
        std::printf("VBScript run through Tevrin.exe failed:\n%s\n", output.c_str());
        return false;
    }
    const double perItem = seconds / handles.size();
    std::printf("tree of %5zu items: visit %.2f s, %.1f us an item; plain SendMessage %.1f us\n", handles.size(),
                seconds, perItem * 1e6, perMessage * 1e6);
    std::printf("ratio tree item / SendMessage at %d items: %.1f\n", size, perItem / perMessage);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {500, 2000, 5000};
    int rc = 0;
    for (int size : sizes)
        if (!Measure(size)) rc = 1;
    return rc;
}
