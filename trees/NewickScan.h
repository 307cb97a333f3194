#pragma once

// The item scanner under the three Newick readers (cluster trees in two
// flavours, drawn trees). It walks tree text that CheckTreeText accepted,
// group by group with an explicit stack, and hands each item to the reader:
// a leaf as its raw field ("name" or "name:length"), a group as its tail
// (the text after its ")" up to the next "," or the end of the enclosing
// group: an optional label, then ":" and the length). Items come in reading
// order, depth first, so readers number nodes as they meet them. A leaf
// without a name ("(,b)", "(:1,b)") comes as its field all the same, empty
// or blank before any ":".
//
// The scanner searches the masked twin of the text (Newick::MaskQuotedNames,
// the same length), so that a quoted name holding "(", "," or ":" stays one
// name; a leaf comes with its field from the text and from the twin, so that
// a reader splits the name from its length in the twin and takes the name
// from the text.

#include <cstddef>
#include <string_view>
#include <vector>

namespace trees::detail {

struct LeafItem {
    std::string_view field;  // "name" or "name:length", blanks kept
    std::string_view shape;  // the same stretch of the masked twin
    bool endsGroup = false;  // the last item of its group, nothing after it
};

// onLeaf(Handle parent, const LeafItem&); onGroup(Handle parent, std::string_view tail) -> Handle,
// the tail taken from the twin. `shape` is the masked twin of `text`, `match`
// is MatchBrackets(shape); [begin, end) is the content of the root group.
template <class Handle, class LeafFn, class GroupFn>
void ScanItems(std::string_view text, std::string_view shape, const std::vector<std::size_t>& match,
               std::size_t begin, std::size_t end, Handle root, LeafFn onLeaf, GroupFn onGroup)
{
    // `i` is where the group's next item starts; a group is done when it has
    // no more items. A group whose content is blank holds no item; in any
    // other group every stretch before, between and after its commas is an
    // item, so an empty stretch is a leaf with an empty name.
    struct Frame {
        Handle parent;
        std::size_t i;
        std::size_t end;
        bool done;
    };
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto openGroup = [&](Handle parent, std::size_t from, std::size_t to) {
        std::size_t first = from;
        while (first < to && isBlank(shape[first])) {
            ++first;
        }
        return Frame{parent, from, to, first == to};
    };
    std::vector<Frame> stack{openGroup(root, begin, end)};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.done) {
            stack.pop_back();
            continue;
        }
        const std::string_view scope = shape.substr(0, frame.end);  // searches stay inside the group
        std::size_t first = frame.i;
        while (first < frame.end && isBlank(shape[first])) {
            ++first;
        }
        if (first < frame.end && shape[first] == '(') {
            std::size_t close = match[first];
            if (close == std::string_view::npos || close >= frame.end) {
                close = frame.end;  // unmatched: the group runs to the end of its parent
            }
            const std::size_t tailStart = close < frame.end ? close + 1 : frame.end;
            std::size_t tailEnd = scope.find(',', tailStart);
            if (tailEnd == std::string_view::npos || tailEnd > frame.end) {
                tailEnd = frame.end;
            }
            frame.done = tailEnd >= frame.end;
            frame.i = frame.done ? frame.end : tailEnd + 1;
            const Handle parent = frame.parent;
            Handle child = onGroup(parent, shape.substr(tailStart, tailEnd - tailStart));
            stack.push_back(openGroup(child, first + 1, close));
            continue;
        }
        // A leaf runs to the next "," of its group, or to the group's end; a
        // "(" inside it (text the check refuses) ends it and starts the next item.
        std::size_t stop = scope.find_first_of(",(", frame.i);
        if (stop == std::string_view::npos || stop > frame.end) {
            stop = frame.end;
        }
        const bool last = stop == frame.end;
        const std::size_t fieldStart = frame.i;
        frame.done = last;
        frame.i = stop < frame.end && shape[stop] == ',' ? stop + 1 : stop;
        onLeaf(frame.parent, LeafItem{text.substr(fieldStart, stop - fieldStart),
                                      shape.substr(fieldStart, stop - fieldStart), last});
    }
}

} // namespace trees::detail
