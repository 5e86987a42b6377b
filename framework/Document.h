#pragma once
// CDocument: the data behind one or more views: path, title, modified flag.
//
// Derived documents override OnNewDocument, OnOpenDocument and OnSaveDocument. Save and
// Save As prompt through the application's file dialog; closing a modified document
// asks "Save changes to <title>?" (Yes saves, No discards, Cancel keeps it open).
// Commands handled here: ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_CLOSE.
// A document is deleted by its template when its last view goes.
#include "framework/CmdTarget.h"
#include <string>
#include <vector>

class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    const std::wstring& GetPathName() const { return path_; }
    // Sets the path and the title (its file name); optionally adds it to the recent files.
    virtual void SetPathName(const std::wstring& path, bool addToRecent = true);
    const std::wstring& GetTitle() const { return title_; }
    virtual void SetTitle(const std::wstring& title);
    bool IsModified() const { return modified_; }
    virtual void SetModifiedFlag(bool modified = true);

    CDocTemplate* docTemplate() const { return template_; }
    const std::vector<CView*>& views() const { return views_; }
    CView* FirstView() const { return views_.empty() ? nullptr : views_.front(); }
    void AddView(CView* view);
    void RemoveView(CView* view);
    // hint: the document's own meaning; sender is not updated.
    void UpdateAllViews(CView* sender, LPARAM hint = 0);

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::wstring& path);
    virtual bool OnSaveDocument(const std::wstring& path);
    // Destroys the views' frames; the document goes with the last view.
    virtual void OnCloseDocument();
    // Asks to save a modified document; false when the user cancelled or saving failed.
    virtual bool SaveModified();
    // Saves under path, or asks for a name when path is empty.
    bool DoSave(const std::wstring& path, bool replacePath = true);
    bool DoFileSave();
    // The name the Save As dialog proposes: the path, or the title of an unnamed document.
    virtual std::wstring ProposedFileName() const { return path_.empty() ? title_ : path_; }

    bool RouteCommand(UINT id, Route route, CCmdUI* ui) override;

private:
    friend class CDocTemplate;
    CDocTemplate* template_ = nullptr;
    std::wstring path_;
    std::wstring title_;
    bool modified_ = false;
    bool closing_ = false;
    std::vector<CView*> views_;
};
