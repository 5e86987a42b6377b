#include "framework/RecentFileList.h"
#include "framework/Profile.h"
#include <algorithm>

void CRecentFileList::Add(const std::wstring& path) {
    if (path.empty()) return;
    auto same = [&](const std::wstring& f) { return ::lstrcmpiW(f.c_str(), path.c_str()) == 0; };
    files_.erase(std::remove_if(files_.begin(), files_.end(), same), files_.end());
    files_.insert(files_.begin(), path);
    if (files_.size() > size_) files_.resize(size_);
}

void CRecentFileList::Remove(size_t index) {
    if (index < files_.size()) files_.erase(files_.begin() + index);
}

void CRecentFileList::Load(const CProfile& profile) {
    files_.clear();
    for (size_t i = 0; i < size_; ++i) {
        std::wstring entry = L"File" + std::to_wstring(i + 1);
        std::wstring path = profile.GetString(Section(), entry.c_str());
        if (!path.empty() && files_.size() < size_) files_.push_back(path);
    }
}

void CRecentFileList::Save(const CProfile& profile) const {
    for (size_t i = 0; i < size_; ++i) {
        std::wstring entry = L"File" + std::to_wstring(i + 1);
        profile.WriteString(Section(), entry.c_str(), i < files_.size() ? files_[i].c_str() : nullptr);
    }
}

bool CRecentFileList::UpdateMenu(HMENU menu) const {
    int count = ::GetMenuItemCount(menu);
    int position = -1;
    for (int i = count - 1; i >= 0; --i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (id >= firstId_ && id < firstId_ + size_) {
            position = i;
            ::DeleteMenu(menu, i, MF_BYPOSITION);
        }
    }
    if (position < 0) return false;
    if (files_.empty()) {
        ::InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | MF_GRAYED, firstId_, L"Recent File");
        return true;
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        // "&" in a path would turn into a mnemonic.
        std::wstring shown;
        for (wchar_t c : files_[i]) {
            if (c == L'&') shown += L'&';
            shown += c;
        }
        std::wstring text = L"&" + std::to_wstring(i + 1) + L" " + shown;
        ::InsertMenuW(menu, position + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                      firstId_ + i, text.c_str());
    }
    return true;
}
