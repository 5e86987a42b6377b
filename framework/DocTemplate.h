#pragma once
// CDocTemplate: how documents of one kind are made: the document class, the child frame
// and the view, created by factories, and the resource id of the menu, accelerators and
// the description string "<window title>\n<doc name>\n<new name>\n<filter name>\n
// <filter ext>\n<file type id>\n<file type name>":
//     app.AddDocTemplate(std::make_unique<CDocTemplate>(129,
//         [] { return new CMardelDoc; }, [] { return new CChildFrame; },
//         [] { return new CMardelView; }));
// The template owns its documents; a new unnamed document is titled "<doc name><n>".
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocument;
class CMDIChildWnd;
class CView;

class CDocTemplate {
public:
    enum DocString { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    CDocTemplate(UINT resourceId, std::function<CDocument*()> newDocument,
                 std::function<CMDIChildWnd*()> newFrame, std::function<CView*()> newView);
    ~CDocTemplate();

    std::wstring GetDocString(DocString index) const;
    void SetDescription(const std::wstring& description) { description_ = description; }
    HMENU menu() const { return menu_; }
    HACCEL accelerators() const { return accel_; }

    // Null path: a new document. Returns null when the document could not be opened.
    CDocument* OpenDocumentFile(const wchar_t* path, bool makeVisible = true);
    CMDIChildWnd* CreateNewFrame(CDocument* document, bool makeVisible);
    const std::vector<CDocument*>& documents() const { return documents_; }
    void RemoveDocument(CDocument* document);
    bool SaveAllModified();
    void CloseAllDocuments();

private:
    UINT resourceId_;
    std::wstring description_;
    std::function<CDocument*()> newDocument_;
    std::function<CMDIChildWnd*()> newFrame_;
    std::function<CView*()> newView_;
    HMENU menu_ = nullptr;
    HACCEL accel_ = nullptr;
    std::vector<CDocument*> documents_;
    int untitled_ = 0;
};
