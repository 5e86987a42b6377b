#pragma once
#include <windows.h>
#include <commctrl.h>
#include <vector>

namespace ostrel {

// Visits tree view items depth first, in the order the tree shows them: `first`, its
// descendants, then its later siblings and theirs (with a tree's root item, the whole
// tree). `next(relation, item, &found)` asks the control for the item in relation
// TVGN_NEXT or TVGN_CHILD to `item` (none: a null item) and returns false when it could
// not; `visit(item)` returns true to end the walk there. Returns false when a request
// failed. Items are HTREEITEM, or the integers that carry them across processes.
template <typename Item, typename Next, typename Visit>
bool WalkTreeItems(Item first, Next next, Visit visit) {
    std::vector<Item> pending;  // next siblings still to visit, innermost last
    Item item = first;
    while (item) {
        if (visit(item)) return true;
        Item sibling{}, child{};
        if (!next(TVGN_NEXT, item, &sibling) || !next(TVGN_CHILD, item, &child)) return false;
        if (child) {
            if (sibling) pending.push_back(sibling);
            item = child;
        } else if (sibling) {
            item = sibling;
        } else if (!pending.empty()) {
            item = pending.back();
            pending.pop_back();
        } else {
            item = Item{};
        }
    }
    return true;
}

} // namespace ostrel
