#pragma once
#include <map>
#include <utility>
#include <vector>

namespace editor {

// Disjoint closed intervals [start, end] of character positions that are coloured already.
class ColoredRanges {
public:
    // Records [start, end]. Returns true when part of it still needs colouring; start is
    // then moved past the part already covered. end is never changed.
    bool Add(long& start, long end);
    // The parts of [start, end] that no recorded interval covers, in order.
    std::vector<std::pair<long, long>> Gaps(long start, long end) const;
    void Clear() { intervals_.clear(); }
    // The text [start, oldEnd) was replaced by the text now at [start, newEnd): the new
    // text is not coloured, and what lay after the old one moves by newEnd - oldEnd.
    void Replaced(long start, long oldEnd, long newEnd);
    // Nothing from pos on is coloured any more.
    void ForgetFrom(long pos);
    bool Empty() const { return intervals_.empty(); }
    // True when pos lies in a recorded interval.
    bool Contains(long pos) const;
    const std::map<long, long>& Intervals() const { return intervals_; }

private:
    // The interval containing pos, or end().
    std::map<long, long>::iterator Containing(long pos);

    std::map<long, long> intervals_;  // start -> end
};

} // namespace editor
