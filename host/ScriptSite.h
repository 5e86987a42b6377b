#pragma once
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include <wrl/client.h>
#include <string>
#include <vector>

namespace host {

class ScriptHost;

// The host side that a script engine talks to during one run: named items "Env" and
// "Sync", positions turned into debugger document contexts, and script errors turned
// into the host's report text. All its methods run on the script thread.
class ScriptSite : public common::ComObject<IActiveScriptSite, IActiveScriptSiteWindow, IActiveScriptSiteDebug> {
public:
    explicit ScriptSite(ScriptHost& host);

    void SetDebugApplication(IDebugApplication* application) { debugApplication_ = application; }
    void SetRootHelper(IDebugDocumentHelper* root) { rootHelper_ = root; }
    void AddHelper(IDebugDocumentHelper* helper) { helpers_.emplace_back(helper); }
    // Detaches and releases every document; called by the host at the end of the run.
    void ReleaseDocuments();

    // IActiveScriptSite
    STDMETHODIMP GetLCID(LCID* lcid) override;
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD returnMask, IUnknown** item, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetDocVersionString(BSTR* version) override;
    STDMETHODIMP OnScriptTerminate(const VARIANT* result, const EXCEPINFO* exception) override;
    STDMETHODIMP OnStateChange(SCRIPTSTATE state) override;
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override;
    STDMETHODIMP OnLeaveScript() override;

    // IActiveScriptSiteWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IActiveScriptSiteDebug
    STDMETHODIMP GetDocumentContextFromPosition(DWORD_PTR sourceContext, ULONG charOffset, ULONG numChars,
                                                IDebugDocumentContext** context) override;
    STDMETHODIMP GetApplication(IDebugApplication** application) override;
    STDMETHODIMP GetRootApplicationNode(IDebugApplicationNode** node) override;
    STDMETHODIMP OnScriptErrorDebug(IActiveScriptErrorDebug* error, BOOL* enterDebugger,
                                    BOOL* callOnScriptErrorWhenContinuing) override;

protected:
    ~ScriptSite() override;

private:
    ScriptHost& host_;
    Microsoft::WRL::ComPtr<IDispatch> env_;
    Microsoft::WRL::ComPtr<IDebugApplication> debugApplication_;
    Microsoft::WRL::ComPtr<IDebugDocumentHelper> rootHelper_;
    std::vector<Microsoft::WRL::ComPtr<IDebugDocumentHelper>> helpers_;
};

// The report text of a script error: "In %s (line %d char %d)\n%s: %s\n\n%s".
std::wstring FormatErrorReport(const std::wstring& file, int line, long charPosition, const std::wstring& source,
                               const std::wstring& description, const std::wstring& lineText);

} // namespace host
