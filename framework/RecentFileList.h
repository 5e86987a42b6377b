#pragma once
// CRecentFileList: the most recently used files, most recent first, kept in the profile
// section "Recent File List" as File1..FileN. A file opened again moves to the top;
// names compare without case. UpdateMenu puts the entries into a File menu in place of
// the ID_FILE_MRU_FILE1 entry ("Recent File", grayed, when the list is empty).
#include <windows.h>
#include <string>
#include <vector>

class CProfile;

class CRecentFileList {
public:
    explicit CRecentFileList(size_t size = 4, UINT firstId = 57616) : size_(size), firstId_(firstId) {}

    void Add(const std::wstring& path);
    void Remove(size_t index);
    size_t size() const { return size_; }
    size_t count() const { return files_.size(); }
    const std::wstring& operator[](size_t i) const { return files_[i]; }
    const std::vector<std::wstring>& files() const { return files_; }

    void Load(const CProfile& profile);
    void Save(const CProfile& profile) const;
    // Returns true when the menu held the list's place.
    bool UpdateMenu(HMENU menu) const;
    UINT firstId() const { return firstId_; }

    static const wchar_t* Section() { return L"Recent File List"; }

private:
    size_t size_;
    UINT firstId_;
    std::vector<std::wstring> files_;
};
