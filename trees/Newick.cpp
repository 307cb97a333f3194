#include "trees/Newick.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "analysis/MyNode.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace trees::Newick {

using analysis::MyNode;

namespace {

// Fixed notation with `decimals` digits, correctly rounded from the binary
// value (an exact half goes to the even digit).
std::string fixedText(double value, int decimals, std::string_view source)
{
    if (!std::isfinite(value)) {
        throw platform::Error(platform::err::Overflow, std::string(source),
                              "A branch length is not a finite number.");
    }
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        throw platform::Error::runtime(platform::err::Overflow, std::string(source));
    }
    std::string text(buffer, result.ptr);
    // A negative value that rounds to zero is written without its sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void badText(std::string_view source, std::string description)
{
    throw platform::Error(BadTreeText, std::string(source), std::move(description));
}

std::string at(std::size_t position)
{
    return "Character " + std::to_string(position + 1) + ": ";
}

// Characters that may follow a quoted name (after blanks): what ends a
// label, a comment, or "(" (which CheckTreeText then names).
bool endsQuotedName(char c)
{
    return c == '(' || c == ')' || c == ',' || c == ':' || c == ';' || c == '[';
}

// For every character of the text, whether it belongs to a quoted name
// (its quotes included), up to the first ";" outside quoted names.
std::vector<bool> quotedNameCharacters(std::string_view text, std::string_view source)
{
    std::vector<bool> quoted(text.size(), false);
    bool labelStart = true;
    std::size_t p = 0;
    while (p < text.size()) {
        const char c = text[p];
        if (c == ';') {
            break;
        }
        if (c == '[') {
            // A comment leaves the place in the label as it was.
            const std::size_t close = text.find(']', p);
            p = close == std::string_view::npos ? text.size() : close + 1;
            continue;
        }
        if (c == '\'' && labelStart) {
            const std::size_t open = p++;
            while (true) {
                if (p >= text.size()) {
                    badText(source, at(open) + "the quoted name that begins here has no closing quote.");
                }
                if (text[p] == '\'' && (p + 1 >= text.size() || text[p + 1] != '\'')) {
                    break;
                }
                p += text[p] == '\'' ? 2 : 1;
            }
            ++p;
            std::fill(quoted.begin() + static_cast<std::ptrdiff_t>(open),
                      quoted.begin() + static_cast<std::ptrdiff_t>(p), true);
            std::size_t next = p;
            while (next < text.size() && isBlank(text[next])) {
                ++next;
            }
            if (next < text.size() && !endsQuotedName(text[next])) {
                badText(source,
                        at(next) + "a name goes on after its closing quote; \",\", \")\" or \":\" was expected.");
            }
            labelStart = false;
            continue;
        }
        if (c == '(' || c == ',' || c == ')') {
            labelStart = true;
        } else if (!isBlank(c)) {
            labelStart = false;
        }
        ++p;
    }
    return quoted;
}

} // namespace

std::string QuoteName(std::string_view name)
{
    if (name.find_first_of(" \t\r\n()[]':;,") == std::string_view::npos) {
        return std::string(name);
    }
    std::string out;
    out.reserve(name.size() + 2);
    out += '\'';
    for (char c : name) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    out += '\'';
    return out;
}

std::string UnquoteName(std::string_view label)
{
    std::string_view core = label;
    while (!core.empty() && isBlank(core.front())) {
        core.remove_prefix(1);
    }
    while (!core.empty() && isBlank(core.back())) {
        core.remove_suffix(1);
    }
    if (core.empty()) {
        return std::string();
    }
    if (core.size() < 2 || core.front() != '\'' || core.back() != '\'') {
        return std::string(label);
    }
    core = core.substr(1, core.size() - 2);
    std::string name;
    name.reserve(core.size());
    for (std::size_t i = 0; i < core.size(); ++i) {
        name += core[i];
        if (core[i] == '\'' && i + 1 < core.size() && core[i + 1] == '\'') {
            ++i;
        }
    }
    return name;
}

std::string MaskQuotedNames(std::string_view text, std::string_view source)
{
    const std::vector<bool> quoted = quotedNameCharacters(text, source);
    std::string masked(text);
    for (std::size_t i = 0; i < masked.size(); ++i) {
        if (quoted[i]) {
            masked[i] = 'Q';
        }
    }
    return masked;
}

std::string RemoveOutsideQuotedNames(std::string_view text, std::string_view drop, std::string_view source)
{
    const std::vector<bool> quoted = quotedNameCharacters(text, source);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted[i] || drop.find(text[i]) == std::string_view::npos) {
            out += text[i];
        }
    }
    return out;
}

double ReadLength(std::string_view text, std::string_view source)
{
    try {
        return platform::rt::Val(text);
    } catch (const platform::Error&) {
        badText(source, "The branch length \"" + std::string(text) + "\" is too large.");
    }
}

std::string FormatLen5(double value)
{
    std::string text = fixedText(value, 5, "FormatLen5");
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

std::string FormatFixed5(double value)
{
    return fixedText(value, 5, "FormatFixed5");
}

std::vector<std::size_t> MatchBrackets(std::string_view text)
{
    std::vector<std::size_t> match(text.size(), std::string_view::npos);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') {
            open.push_back(i);
        } else if (text[i] == ')' && !open.empty()) {
            match[open.back()] = i;
            open.pop_back();
        }
    }
    return match;
}

std::string StripBracketComments(std::string_view text, std::string_view source)
{
    const std::vector<bool> quoted = quotedNameCharacters(text, source);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted[i]) {
            out += text[i];
        } else if (text[i] == '[') {
            const std::size_t close = text.find(']', i);
            if (close == std::string_view::npos) {
                break;
            }
            i = close;
        } else if (text[i] != ' ') {
            out += text[i];
        }
    }
    return out;
}

std::string RemoveBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

void CheckTreeText(std::string_view original, std::string_view source)
{
    // Quoted names are names whatever they hold: the check reads the masked twin.
    const std::string masked = MaskQuotedNames(original, source);
    const std::string_view text = masked;
    const std::size_t end = std::min(text.find(';'), text.size());
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < end && isBlank(text[p])) {
            ++p;
        }
    };
    auto isStop = [](char c) { return c == '(' || c == ')' || c == ',' || c == ':' || c == ';'; };
    // Reads a label (possibly empty) and returns it without surrounding blanks.
    auto readLabel = [&] {
        const std::size_t start = p;
        while (p < end && !isStop(text[p])) {
            ++p;
        }
        std::string_view label = text.substr(start, p - start);
        while (!label.empty() && isBlank(label.front())) {
            label.remove_prefix(1);
        }
        while (!label.empty() && isBlank(label.back())) {
            label.remove_suffix(1);
        }
        return label;
    };
    auto readLength = [&] {
        if (p < end && text[p] == ':') {
            const std::size_t start = ++p;
            while (p < end && text[p] != ',' && text[p] != ')' && text[p] != '(') {
                ++p;
            }
            const std::string_view number = text.substr(start, p - start);
            if (!platform::rt::IsNumeric(number)) {
                badText(source, at(start) + "the branch length \"" + std::string(number) + "\" is not a number.");
            }
            try {
                (void)platform::rt::Val(number);
            } catch (const platform::Error&) {
                badText(source, at(start) + "the branch length \"" + std::string(number) + "\" is too large.");
            }
        }
    };

    skipBlanks();
    if (p == end) {
        badText(source, "The tree text is empty.");
    }
    if (text[p] != '(') {
        badText(source, at(p) + "the tree text does not begin with \"(\"; a tree is a group of at least two leaves.");
    }
    const std::string mismatch = "Left and right parentheses do not match.";
    std::size_t depth = 0;
    std::size_t leaves = 0;
    bool rootClosed = false;
    while (true) {
        // An item starts here.
        skipBlanks();
        if (p < end && text[p] == '(') {
            if (rootClosed) {
                badText(source, at(p) + "text follows the end of the tree.");
            }
            ++depth;
            ++p;
            skipBlanks();
            if (p < end && text[p] == ')') {
                badText(source, at(p) + "the group \"()\" holds no leaf.");
            }
            continue;
        }
        // A leaf may have no name ("(,b)", "(:1,b)", "('',b)"): its name is empty.
        (void)readLabel();
        if (p < end && text[p] == '(') {
            badText(source, at(p) + "\"(\" follows a name; \",\" or \")\" was expected.");
        }
        ++leaves;
        readLength();
        // After an item: close groups, then "," or the end.
        while (true) {
            skipBlanks();
            if (p == end) {
                if (depth > 0) {
                    badText(source, mismatch);
                }
                if (leaves < 2) {
                    badText(source, "The tree has only one leaf; a tree needs at least two.");
                }
                return;
            }
            const char c = text[p];
            if (c == ')') {
                if (depth == 0) {
                    badText(source, mismatch);
                }
                --depth;
                ++p;
                if (depth == 0) {
                    rootClosed = true;
                }
                readLabel();  // an inner-node label or support value
                if (p < end && text[p] == '(') {
                    badText(source, at(p) + "\"(\" follows a group; \",\" or \")\" was expected.");
                }
                readLength();
                continue;
            }
            if (c == ',') {
                if (depth == 0) {
                    badText(source, at(p) + "text follows the end of the tree.");
                }
                ++p;
                break;
            }
            badText(source, at(p) + "\",\" or \")\" was expected.");
        }
    }
}

const MyNode* FindLeaf(const MyNode& root, std::string_view caption)
{
    std::vector<const MyNode*> stack{&root};
    while (!stack.empty()) {
        const MyNode* node = stack.back();
        stack.pop_back();
        if (node->Tip() && node->Caption() == caption) {
            return node;
        }
        const auto& children = node->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return nullptr;
}

std::unique_ptr<MyNode> ReRootAtLeaf(std::unique_ptr<MyNode> root, const MyNode* leaf)
{
    const char* source = "ReLinkToRoot";
    if (!root || !leaf || leaf->Parent() == nullptr) {
        throw platform::Error(platform::err::InvalidCall, source, "There is no leaf to re-root the tree at.");
    }
    // The path from X (the leaf's parent) up to the root.
    std::vector<MyNode*> path;
    for (MyNode* node = leaf->Parent(); node != nullptr; node = node->Parent()) {
        path.push_back(node);
    }
    if (path.back() != root.get()) {
        throw platform::Error(platform::err::InvalidCall, source, "The leaf to re-root at is not in this tree.");
    }
    auto positionOf = [](const MyNode& parent, const MyNode* child) {
        const auto& children = parent.Children();
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i].get() == child) {
                return i;
            }
        }
        return children.size();
    };
    // From the top down, each node on the path hands the root role to the
    // next one and hangs below it with that node's branch length.
    std::unique_ptr<MyNode> current = std::move(root);
    for (std::size_t i = path.size() - 1; i-- > 0;) {
        MyNode* next = path[i];
        current->setBranchLen(next->BranchLen());
        std::unique_ptr<MyNode> lifted = current->takeChild(positionOf(*current, next));
        lifted->addChild(std::move(current));
        current = std::move(lifted);
    }
    // Rotate the children so that the leaf comes first, cyclic order kept.
    const std::size_t first = positionOf(*current, leaf);
    if (first > 0 && first < current->childCount()) {
        std::vector<std::unique_ptr<MyNode>> taken;
        while (current->childCount() > 0) {
            taken.push_back(current->takeChild(current->childCount() - 1));
        }
        std::reverse(taken.begin(), taken.end());
        std::rotate(taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(first), taken.end());
        for (auto& child : taken) {
            current->addChild(std::move(child));
        }
    }
    return current;
}

std::vector<const MyNode*> ChildrenOf(const MyNode& node)
{
    std::vector<const MyNode*> out;
    out.reserve(node.childCount());
    for (const auto& child : node.Children()) {
        out.push_back(child.get());
    }
    return out;
}

} // namespace trees::Newick
