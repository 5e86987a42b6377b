// Colouring cost of the script editor beside the bare regular-expression search it is
// built on, measured in one run over the same 10 000-line VBScript text:
//   one screen (ColorVisible) against regex_grep over that screen's lines,
//   the whole file (ColorAll) against regex_grep over the whole text.
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

} // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    if (!::LoadLibraryW(L"riched20.dll")) return 2;
    HWND host = ::CreateWindowW(L"STATIC", L"editor bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    RECT client{};
    ::GetClientRect(host, &client);
    HWND edit = ::CreateWindowExW(0, L"RichEdit20W", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                  0, 0, client.right, client.bottom, host, nullptr, nullptr, nullptr);
    editor::CSyntaxEditor editor;
    if (FAILED(editor.Attach(edit, L"languages", L"tagclass", nullptr, nullptr))) {
        std::fprintf(stderr, "editor_bench: languages.ini and tagclass.ini must lie beside the program\n");
        return 1;
    }
    const int kLines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::wstring script = MakeScript(kLines);
    ::SendMessageW(edit, EM_EXLIMITTEXT, 0, 64 * 1024 * 1024);
    ::SetWindowTextW(edit, script.c_str());
    editor.SetLanguageByExtension(L"vbs");
    // Scroll to the middle: a screen with text above and below it.
    ::SendMessageW(edit, EM_LINESCROLL, 0, kLines / 2);

    editor::ComPtr<ITextDocument> document;
    editor.GetTextDocument(&document);
    editor::TextModel text(edit, document);
    long screenStart = 0, screenEnd = 0;
    text.VisibleRange(screenStart, screenEnd);
    text.ExpandToLines(screenStart, screenEnd);
    std::wstring screenText = text.Text(screenStart, screenEnd);
    std::replace(screenText.begin(), screenText.end(), L'\r', L'\n');
    std::wstring wholeText = script;
    std::replace(wholeText.begin(), wholeText.end(), L'\r', L'\n');
    const boost::wregex& expression = editor.Definitions().Languages().at(L"vbs").MainExpression;

    const int kRepeats = 5;
    std::vector<double> screenTimes, screenGrep;
    unsigned screenMatches = 0;
    for (int i = 0; i < kRepeats; ++i) {
        editor.ForgetColored(0, -1);
        auto t0 = Clock::now();
        editor.ColorVisible();
        auto t1 = Clock::now();
        screenMatches = CountGrep(screenText, expression);
        auto t2 = Clock::now();
        screenTimes.push_back(Millis(t0, t1));
        screenGrep.push_back(Millis(t1, t2));
    }
    std::sort(screenTimes.begin(), screenTimes.end());
    std::sort(screenGrep.begin(), screenGrep.end());
    const double screen = screenTimes[kRepeats / 2], grepScreen = screenGrep[kRepeats / 2];

    const long screenLines = text.LineFromChar(screenEnd - 1) - text.LineFromChar(screenStart) + 1;
    std::printf("editor colouring, %d-line VBScript file (%zu characters)\n", kLines, script.size());
    std::printf("one screen (%ld lines, %u matches): ColorVisible %.2f ms, regex_grep %.3f ms, ratio %.1f (median of %d)\n",
                screenLines, screenMatches, screen, grepScreen, grepScreen > 0 ? screen / grepScreen : 0.0, kRepeats);
    // The whole-file pass can take long: show the screen figures first.
    std::fflush(stdout);

    editor.ForgetColored(0, -1);
    auto a0 = Clock::now();
    editor.ColorAll();
    auto a1 = Clock::now();
    const unsigned wholeMatches = CountGrep(wholeText, expression);
    auto a2 = Clock::now();
    const double all = Millis(a0, a1), grepAll = Millis(a1, a2);
    std::printf("whole file (%u matches): ColorAll %.1f ms, regex_grep %.2f ms, ratio %.1f\n", wholeMatches, all, grepAll,
                grepAll > 0 ? all / grepAll : 0.0);
    std::printf("whole file against one screen: ColorAll / ColorVisible %.1f\n", screen > 0 ? all / screen : 0.0);

    ::DestroyWindow(host);
    ::OleUninitialize();
    return 0;
}
