#include "wrappers/controls/TreeItemCache.h"

namespace wrappers {

void TreeItemCache::refresh(HWND tree) {
    const LONG current = deletions_();
    if (tree != tree_ || current != generation_) {
        items_.clear();
        tree_ = tree;
        generation_ = current;
    }
}

void TreeItemCache::remember(HWND tree, HTREEITEM item, LONG seenAt) {
    if (!item) return;
    std::lock_guard<std::mutex> lock(mutex_);
    refresh(tree);
    if (seenAt != generation_) return;
    // Numbers are the handles' low 32 bits, as scripts see them.
    items_[static_cast<LONG>(reinterpret_cast<LONG_PTR>(item))] = item;
}

HTREEITEM TreeItemCache::find(HWND tree, LONG number) {
    std::lock_guard<std::mutex> lock(mutex_);
    refresh(tree);
    auto it = items_.find(number);
    return it == items_.end() ? nullptr : it->second;
}

void TreeItemCache::forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.clear();
    tree_ = nullptr;
}

} // namespace wrappers
