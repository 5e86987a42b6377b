#include "editor/ColoredRanges.h"
#include <algorithm>
#include <iterator>

namespace editor {

std::map<long, long>::iterator ColoredRanges::Containing(long pos) {
    auto it = intervals_.upper_bound(pos);
    if (it == intervals_.begin()) return intervals_.end();
    --it;
    return it->second >= pos ? it : intervals_.end();
}

bool ColoredRanges::Contains(long pos) const {
    return const_cast<ColoredRanges*>(this)->Containing(pos) != intervals_.end();
}

bool ColoredRanges::Add(long& start, long end) {
    if (intervals_.empty()) {
        intervals_[start] = end;
        return true;
    }
    auto a = Containing(start);
    auto b = Containing(end);
    if (a == intervals_.end()) {
        long newEnd = end;
        if (b != intervals_.end()) {
            newEnd = std::max(end, b->second);
            intervals_.erase(b);
        }
        // Intervals swallowed whole by [start, newEnd] go too, so the set stays disjoint.
        intervals_.erase(intervals_.lower_bound(start), intervals_.upper_bound(newEnd));
        intervals_[start] = newEnd;
        return true;
    }
    if (a->second >= end) return false;
    const long oldEnd = a->second;
    long newEnd = end;
    if (b != intervals_.end() && b != a) {
        newEnd = std::max(end, b->second);
        intervals_.erase(b);
    }
    // Drop intervals lying wholly between A and the new end.
    intervals_.erase(intervals_.upper_bound(a->first), intervals_.upper_bound(newEnd));
    a->second = newEnd;
    start = oldEnd + 1;
    return true;
}

std::vector<std::pair<long, long>> ColoredRanges::Gaps(long start, long end) const {
    std::vector<std::pair<long, long>> gaps;
    long from = start;
    // The interval that may hold start, then every one that begins inside [start, end].
    auto it = intervals_.upper_bound(start);
    if (it != intervals_.begin()) --it;
    for (; it != intervals_.end() && it->first <= end && from <= end; ++it) {
        if (it->second < from) continue;
        if (it->first > from) gaps.emplace_back(from, it->first - 1);
        from = it->second + 1;
    }
    if (from <= end) gaps.emplace_back(from, end);
    return gaps;
}

void ColoredRanges::Replaced(long start, long oldEnd, long newEnd) {
    const long shift = newEnd - oldEnd;
    std::map<long, long> kept;
    for (const auto& [first, last] : intervals_) {
        if (last < start) {
            kept[first] = last;
            continue;
        }
        if (first < start) kept[first] = start - 1;
        if (last >= oldEnd) {
            const long from = std::max(first, oldEnd);
            kept[from + shift] = last + shift;
        }
    }
    intervals_.swap(kept);
}

void ColoredRanges::ForgetFrom(long pos) {
    intervals_.erase(intervals_.lower_bound(pos), intervals_.end());
    if (intervals_.empty()) return;
    auto last = std::prev(intervals_.end());
    if (last->second >= pos) last->second = pos - 1;
}

} // namespace editor
