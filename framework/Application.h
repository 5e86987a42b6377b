#pragma once
// CApplication: the one application object of a program.
//
// A program derives from it, creates one instance (it registers itself as Get()), and
// calls Start() from wWinMain. InitInstance sets up the profile, the document templates
// and the main frame; Run dispatches messages (giving windows PreTranslateMessage
// first, the main frame's accelerators included) and runs OnIdle when the queue is
// empty, which updates toolbar buttons and status-bar indicators; ExitInstance saves
// the recent-file list.
//
// Settings: SetRegistryKey(L"Norwend") puts the profile under
// HKEY_CURRENT_USER\Software\Norwend\<app title>; LoadStdProfileSettings(4) loads the
// recent-file list. The OLE lock count (LockApp/UnlockApp) keeps a COM server running
// without a window: when it falls to zero and no user controls the program, the main
// frame is closed.
//
// Commands handled here: ID_FILE_NEW, ID_FILE_OPEN, the recent files, ID_APP_EXIT.
// Message boxes and file dialogs go through the virtual DoMessageBox and
// PromptFileName so that tests can answer them.
#include "framework/CmdTarget.h"
#include "framework/Profile.h"
#include "framework/RecentFileList.h"
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CDocTemplate;
class CDocument;
class CMDIFrameWnd;

class CApplication : public CCmdTarget {
public:
    explicit CApplication(const wchar_t* appTitle);
    ~CApplication() override;
    static CApplication* Get();

    // Init, run, exit: the body of wWinMain.
    int Start();
    virtual bool InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    // Returns true while more idle work remains.
    virtual bool OnIdle(LONG count);
    // Gives framework windows from msg's window up to the main frame a look first.
    bool PumpPreTranslate(MSG* msg);

    const std::wstring& appTitle() const { return appTitle_; }
    CMDIFrameWnd* mainWnd() const { return mainWnd_; }
    void SetMainWnd(CMDIFrameWnd* frame) { mainWnd_ = frame; }

    // Profile.
    void SetRegistryKey(const wchar_t* company);
    void LoadStdProfileSettings(size_t recentFiles = 4);
    const CProfile& profile() const { return profile_; }
    int GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    std::wstring GetProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* defaultValue = L"") const;
    bool WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const;
    bool WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const;
    CRecentFileList& recentFiles() { return recentFiles_; }
    // The print-preview page count of the profile's "Settings" section.
    int previewPages() const { return previewPages_; }
    // Keeps the count (1 or 2) in the profile for the next preview and the next session.
    void SetPreviewPages(int pages);
    void AddToRecentFileList(const std::wstring& path);

    // Documents.
    void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& templates() const { return templates_; }
    // Opens a file, or activates its document when it is already open. Null on failure
    // (after the open-failure message).
    virtual CDocument* OpenDocumentFile(const std::wstring& path);
    CDocument* FindOpenDocument(const std::wstring& path) const;
    virtual void OnFileNew();
    virtual void OnFileOpen();
    virtual bool SaveAllModified();
    void CloseAllDocuments();

    // OLE lock count.
    void LockApp();
    void UnlockApp();
    LONG lockCount() const { return locks_; }
    bool CanExitApp() const { return locks_ == 0; }
    void SetUserControl(bool user) { userControl_ = user; }
    bool userControl() const { return userControl_; }

    // User interaction, overridable by tests.
    virtual int DoMessageBox(const std::wstring& text, UINT type);
    // Fills path from a common file dialog; false when cancelled.
    virtual bool PromptFileName(std::wstring& path, bool open, const CDocTemplate* docTemplate);

protected:
    CMDIFrameWnd* mainWnd_ = nullptr;

private:
    std::wstring appTitle_;
    CProfile profile_;
    CRecentFileList recentFiles_{4};
    bool profileLoaded_ = false;
    int previewPages_ = 0;
    std::vector<std::unique_ptr<CDocTemplate>> templates_;
    std::atomic<LONG> locks_{0};
    bool userControl_ = true;
    CApplication* previous_ = nullptr;
};
