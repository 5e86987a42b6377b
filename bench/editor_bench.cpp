// Colouring cost of the script editor, measured in one run over the same 10 000-line
// VBScript text, in an editor whose host forwards the control's notifications as a
// script view does:
//   one scrolled screen (WM_VSCROLL page down and the paint that follows) and one
//   keystroke in the middle of a line (and its paint), each against the same rich edit
//   holding the same text with no colouring, and against regex_grep over one screen;
//   one caret move (the caret to the next line, and the paint that follows);
//   the repaint of one line, and of the whole screen, with nothing to colour, coloured
//   text against plain text: what the control itself costs to draw the coloured text,
//   under any colouring pass;
//   one screen by ColorVisible, and the whole file by ColorAll, against regex_grep over
//   the same text.
#include "editor/CSyntaxEditor.h"
#include <windows.h>
#include <richedit.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::wstring MakeScript(int lines) {
    const wchar_t* body[] = {
        L"' Checks the order dialog of the application under test",
        L"Dim wnd, count, name",
        L"Set wnd = CreateObject(\"Wrappers.WNDWrapper\")",
        L"count = count + 1 ' one more",
        L"If count > &H10 Then Env.LogError \"too many: \" & count",
        L"For i = 1 To 20: name = name & \"x\": Next",
        L"Call wnd.waitForWindow(\"Orders\", 3000)",
        L"End If",
    };
    std::wstring text;
    for (int i = 0; i < lines; ++i) {
        text += body[i % 8];
        text += L"\r";
    }
    return text;
}

unsigned CountGrep(const std::wstring& text, const boost::wregex& expression) {
    unsigned matches = 0;
    boost::regex_grep([&](const boost::wsmatch&) { ++matches; return true; }, text.cbegin(), text.cend(), expression);
    return matches;
}

editor::CSyntaxEditor* g_editor = nullptr;

// The script view's part: the control's notifications go to the editor component.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_editor && message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (g_editor->OnNotify(header->code, header, &result)) return result;
    } else if (g_editor && message == WM_COMMAND && lParam) {
        bool handled = false;
        LRESULT result = g_editor->OnMessage(message, wParam, lParam, &handled);
        if (handled) return result;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

const int kPages = 40;
const int kKeys = 20;

// A host window and its rich edit holding the script, shown and painted.
struct EditWindow {
    HWND host = nullptr;
    HWND edit = nullptr;
};

EditWindow CreateEditWindow(const std::wstring& script) {
    EditWindow w;
    w.host = ::CreateWindowW(L"EditorBenchHost", L"editor bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    RECT client{};
    ::GetClientRect(w.host, &client);
    w.edit = ::CreateWindowExW(0, L"RichEdit20W", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                               0, 0, client.right, client.bottom, w.host, nullptr, nullptr, nullptr);
    ::SendMessageW(w.edit, EM_EXLIMITTEXT, 0, 64 * 1024 * 1024);
    ::SetWindowTextW(w.edit, script.c_str());
    return w;
}

// Milliseconds per page down from the top of the file, each with the paint that follows.
double PageDowns(HWND edit) {
    ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
    Pump();
    ::UpdateWindow(edit);
    auto t0 = Clock::now();
    for (int i = 0; i < kPages; ++i) {
        ::SendMessageW(edit, WM_VSCROLL, SB_PAGEDOWN, 0);
        Pump();
        ::UpdateWindow(edit);
    }
    return Millis(t0, Clock::now()) / kPages;
}

// Milliseconds per character typed in the middle of a line of the middle of the file,
// each with the paint that follows. The characters start a comment-free word, so the
// line's colours change as they are typed.
double Keystrokes(HWND edit, long lines) {
    ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageW(edit, EM_LINESCROLL, 0, lines / 2);
    const long first = static_cast<long>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    const long at = static_cast<long>(::SendMessageW(edit, EM_LINEINDEX, first + 5, 0)) + 4;
    ::SendMessageW(edit, EM_SETSEL, at, at);
    Pump();
    ::UpdateWindow(edit);
    auto t0 = Clock::now();
    for (int i = 0; i < kKeys; ++i) {
        ::SendMessageW(edit, WM_CHAR, L"If x Then "[i % 10], 1);
        Pump();
        ::UpdateWindow(edit);
    }
    return Millis(t0, Clock::now()) / kKeys;
}

// Milliseconds per repaint of one line band in the middle of the screen (or of the
// whole screen when `band` is false), with nothing else to do: what the control costs to
// draw the text as it stands.
double Repaints(HWND edit, bool band = true) {
    RECT rect{};
    ::GetClientRect(edit, &rect);
    if (band) {
        rect.top = rect.bottom / 2;
        rect.bottom = rect.top + 14;
    }
    Pump();
    ::UpdateWindow(edit);
    auto t0 = Clock::now();
    for (int i = 0; i < kKeys; ++i) {
        ::InvalidateRect(edit, &rect, FALSE);
        ::UpdateWindow(edit);
    }
    return Millis(t0, Clock::now()) / kKeys;
}

} // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    if (!::LoadLibraryW(L"riched20.dll")) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EditorBenchHost";
    ::RegisterClassW(&wc);
    const int kLines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::wstring script = MakeScript(kLines);

    // The plain control first, alone on the screen.
    double plainPage = 0, plainKey = 0, plainRepaint = 0, plainScreen = 0;
    {
        EditWindow plain = CreateEditWindow(script);
        ::SetFocus(plain.edit);
        Pump();
        plainPage = PageDowns(plain.edit);
        plainKey = Keystrokes(plain.edit, kLines);
        plainRepaint = Repaints(plain.edit);
        plainScreen = Repaints(plain.edit, false);
        ::DestroyWindow(plain.host);
        Pump();
    }

    EditWindow window = CreateEditWindow(script);
    HWND host = window.host, edit = window.edit;
    editor::CSyntaxEditor editor;
    if (FAILED(editor.Attach(edit, L"languages", L"tagclass", nullptr, nullptr))) {
        std::fprintf(stderr, "editor_bench: languages.ini and tagclass.ini must lie beside the program\n");
        return 1;
    }
    editor.SetLanguageByExtension(L"vbs");
    ::SetFocus(edit);
    g_editor = &editor;
    Pump();

    editor::ComPtr<ITextDocument> document;
    editor.GetTextDocument(&document);
    editor::TextModel text(edit, document);
    const boost::wregex& expression = editor.Definitions().Languages().at(L"vbs").MainExpression;

    // regex_grep over one screen's lines (the middle of the file).
    ::SendMessageW(edit, EM_LINESCROLL, 0, kLines / 2);
    Pump();
    long screenStart = 0, screenEnd = 0;
    text.VisibleRange(screenStart, screenEnd);
    text.ExpandToLines(screenStart, screenEnd);
    std::wstring screenText = text.Text(screenStart, screenEnd);
    std::replace(screenText.begin(), screenText.end(), L'\r', L'\n');
    std::vector<double> grepTimes;
    unsigned screenMatches = 0;
    for (int i = 0; i < 9; ++i) {
        auto t0 = Clock::now();
        screenMatches = CountGrep(screenText, expression);
        grepTimes.push_back(Millis(t0, Clock::now()));
    }
    const double grepScreen = Median(grepTimes);
    const long screenLines = text.LineFromChar(screenEnd - 1) - text.LineFromChar(screenStart) + 1;

    // Scrolled screens: page down from the top of the file, each followed by its paint.
    editor.ForgetColored(0, -1);
    const unsigned long passesBeforeScroll = editor.ColorPasses();
    const double perScreen = PageDowns(edit);
    const unsigned long scrollPasses = editor.ColorPasses() - passesBeforeScroll;

    // Caret moves: down one line at a time through the screen now shown, each followed
    // by its paint.
    const long firstVisible = static_cast<long>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    const int kMoves = 20;
    const unsigned long passesBeforeMoves = editor.ColorPasses();
    auto m0 = Clock::now();
    for (int i = 0; i < kMoves; ++i) {
        const long at = text.LineStart(firstVisible + 2 + i % 10);
        text.SetSelection(at, at);
        Pump();
        ::UpdateWindow(edit);
    }
    const double perMove = Millis(m0, Clock::now()) / kMoves;
    const unsigned long movePasses = editor.ColorPasses() - passesBeforeMoves;

    const double perKey = Keystrokes(edit, kLines);
    const double colouredRepaint = Repaints(edit);
    const double colouredScreen = Repaints(edit, false);

    // ColorVisible of one screen and ColorAll of the whole file, forced.
    ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageW(edit, EM_LINESCROLL, 0, kLines / 2);
    Pump();
    std::vector<double> visibleTimes;
    for (int i = 0; i < 5; ++i) {
        editor.ForgetColored(0, -1);
        auto t0 = Clock::now();
        editor.ColorVisible();
        visibleTimes.push_back(Millis(t0, Clock::now()));
    }
    const double screen = Median(visibleTimes);

    std::printf("editor colouring, %d-line VBScript file (%zu characters); one screen = %ld lines, %u matches\n",
                kLines, script.size(), screenLines, screenMatches);
    std::printf("regex_grep over one screen's lines:     %8.3f ms\n", grepScreen);
    std::printf("scrolled screen (page down + paint):    %8.2f ms  ratio %.1f  (%lu colouring passes in %d pages)\n",
                perScreen, grepScreen > 0 ? perScreen / grepScreen : 0.0, scrollPasses, kPages);
    std::printf("caret move (+ paint):                   %8.2f ms  ratio %.1f  (%lu colouring passes in %d moves)\n",
                perMove, grepScreen > 0 ? perMove / grepScreen : 0.0, movePasses, kMoves);
    std::printf("plain control: page down + paint %.2f ms, keystroke + paint %.2f ms\n", plainPage, plainKey);
    std::printf("coloured keystroke (+ paint):           %8.2f ms\n", perKey);
    // The floor under the keystroke: the control drawing a line of coloured text.
    std::printf("line repaint, nothing to colour:         %8.2f ms  coloured text / plain text %.2f\n", colouredRepaint,
                plainRepaint > 0 ? colouredRepaint / plainRepaint : 0.0);
    // The floor under the scrolled screen: the control drawing a screen of coloured text.
    std::printf("screen repaint, nothing to colour:       %8.2f ms  coloured text / plain text %.2f\n", colouredScreen,
                plainScreen > 0 ? colouredScreen / plainScreen : 0.0);
    std::printf("ratio coloured page down / plain page down: %.2f\n", plainPage > 0 ? perScreen / plainPage : 0.0);
    std::printf("ratio coloured keystroke / plain keystroke: %.2f\n", plainKey > 0 ? perKey / plainKey : 0.0);
    std::printf("ColorVisible of one screen:             %8.2f ms  ratio %.1f\n", screen,
                grepScreen > 0 ? screen / grepScreen : 0.0);
    // The whole-file pass can take long: show the screen figures first.
    std::fflush(stdout);

    std::wstring wholeText = script;
    std::replace(wholeText.begin(), wholeText.end(), L'\r', L'\n');
    editor.ForgetColored(0, -1);
    auto a0 = Clock::now();
    editor.ColorAll();
    auto a1 = Clock::now();
    const unsigned wholeMatches = CountGrep(wholeText, expression);
    auto a2 = Clock::now();
    const double all = Millis(a0, a1), grepAll = Millis(a1, a2);
    std::printf("whole file (%u matches): ColorAll %.1f ms, regex_grep %.2f ms, ratio %.1f\n", wholeMatches, all, grepAll,
                grepAll > 0 ? all / grepAll : 0.0);

    g_editor = nullptr;
    ::DestroyWindow(host);
    ::OleUninitialize();
    return 0;
}
