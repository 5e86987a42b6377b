#pragma once
// The item handles a tree view wrapper has seen in its tree, so that a script's number
// can be checked without walking the whole tree at every call. The control trusts the
// handle it is given (a wrong one can bring the application down), so a handle counts
// only while no tree item may have been deleted since it was seen: the cache is told how
// many deletions there have been so far and forgets everything when that changes, and
// when the wrapper moves to another tree.
//
//   const LONG seenAt = cache.now();       // before asking the control for handles
//   ... cache.remember(tree, item, seenAt) for each handle the control gave ...
//   HTREEITEM item = cache.find(tree, number);   // null: not known, walk the tree
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace wrappers {

class TreeItemCache {
public:
    // `deletions` answers the number of tree item deletions seen so far.
    explicit TreeItemCache(std::function<LONG()> deletions) : deletions_(std::move(deletions)) {}

    // The deletion count to stamp handles with that are read from now on.
    LONG now() const { return deletions_(); }
    // Keeps a handle read from `tree` after `seenAt` was taken; a deletion since then
    // may have taken it, so it is not kept.
    void remember(HWND tree, HTREEITEM item, LONG seenAt);
    // The handle that `number` stands for, if it is still a known item of `tree`.
    HTREEITEM find(HWND tree, LONG number);
    void forget();

private:
    // Drops what no longer holds; with the lock held.
    void refresh(HWND tree);

    std::function<LONG()> deletions_;
    std::mutex mutex_;
    HWND tree_ = nullptr;
    LONG generation_ = 0;
    std::unordered_map<LONG, HTREEITEM> items_;
};

} // namespace wrappers
