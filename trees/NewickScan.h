#pragma once

// The item scanner under the three Newick readers (cluster trees in two
// flavours, drawn trees). It walks tree text that CheckTreeText accepted,
// group by group with an explicit stack, and hands each item to the reader:
// a leaf as its raw field ("name" or "name:length"), a group as its tail
// (the text after its ")" up to the next "," or the end of the enclosing
// group: an optional label, then ":" and the length). Items come in reading
// order, depth first, so readers number nodes as they meet them.
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
    struct Frame {
        Handle parent;
        std::size_t i;
        std::size_t end;
    };
    auto isBlankOnly = [](std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; };
    std::vector<Frame> stack{Frame{root, begin, end}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.i >= frame.end) {
            stack.pop_back();
            continue;
        }
        const std::string_view scope = shape.substr(0, frame.end);  // searches stay inside the group
        if (shape[frame.i] == '(') {
            std::size_t close = match[frame.i];
            if (close == std::string_view::npos || close >= frame.end) {
                close = frame.end;  // unmatched: the group runs to the end of its parent
            }
            const std::size_t tailStart = close < frame.end ? close + 1 : frame.end;
            std::size_t tailEnd = scope.find(',', tailStart);
            if (tailEnd == std::string_view::npos || tailEnd > frame.end) {
                tailEnd = frame.end;
            }
            const std::size_t innerBegin = frame.i + 1;
            frame.i = tailEnd < frame.end ? tailEnd + 1 : frame.end;
            Handle child = onGroup(frame.parent, shape.substr(tailStart, tailEnd - tailStart));
            stack.push_back(Frame{child, innerBegin, close});
            continue;
        }
        std::size_t runEnd = scope.find('(', frame.i);
        if (runEnd == std::string_view::npos || runEnd > frame.end) {
            runEnd = frame.end;
        }
        const bool runEndsGroup = runEnd == frame.end;
        std::size_t fieldStart = frame.i;
        const Handle parent = frame.parent;
        frame.i = runEnd;
        while (fieldStart < runEnd) {
            std::size_t comma = scope.find(',', fieldStart);
            if (comma == std::string_view::npos || comma > runEnd) {
                comma = runEnd;
            }
            const std::string_view field = text.substr(fieldStart, comma - fieldStart);
            if (!field.empty() && !isBlankOnly(field)) {
                const std::string_view fieldShape = shape.substr(fieldStart, comma - fieldStart);
                onLeaf(parent, LeafItem{field, fieldShape, runEndsGroup && comma == runEnd});
            }
            fieldStart = comma + 1;
        }
    }
}

} // namespace trees::detail
