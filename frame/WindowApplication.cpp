#include "frame/WindowApplication.h"
#include "frame/CMainFrame.h"
#include "framework/Application.h"
#include "host/ResultsPane.h"

void WindowApplication::LogRecord(host::RecordKind kind, const std::wstring& text) {
    if (CMainFrame* frame = frame_) frame->results().AddRecord(kind, text);
    else ::OutputDebugStringW((text + L"\n").c_str());
}

void WindowApplication::ShowPosition(const std::string& file, int line, bool markFrame) {
    CMainFrame* frame = frame_;
    if (!frame) return;
    ShowPositionRequest request;
    request.file = file;
    request.line = line;
    request.markFrame = markFrame;
    frame->SendShowPosition(request);
}

void WindowApplication::RefreshDebugPanes() {
    if (CMainFrame* frame = frame_) frame->RefreshDebugPanes();
}

void WindowApplication::UpdateScriptViews(int hint) {
    if (CMainFrame* frame = frame_) frame->UpdateScriptViews(hint);
}

void WindowApplication::RefreshBreakpointViews() {
    if (CMainFrame* frame = frame_) frame->RefreshBreakpointViews();
}

bool WindowApplication::AskYesNo(const std::wstring& question) {
    return app_.DoMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void WindowApplication::ShowMessage(const std::wstring& text) { app_.DoMessageBox(text, MB_OK | MB_ICONEXCLAMATION); }

void WindowApplication::SetWaitCursor(bool on) {
    ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}
