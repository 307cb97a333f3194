#include "engines/dnaml/DnamlTreeText.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace tallowin::dnaml {

namespace {

// Bytes of the well-formed UTF-8 character that starts at text[at], or 0
// when none starts there (an ASCII byte, a stray or cut-off byte, an
// overlong or surrogate form).
std::size_t utf8Length(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

char32_t utf8Decode(std::string_view text, std::size_t at, std::size_t length)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    char32_t code = length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu : lead & 0x07u;
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3Fu);
    return code;
}

// Characters that tree readers take as white space, which would split a
// name or end it early: the ASCII ones, the separators 0x1C to 0x1F, next
// line and no-break space, and the Unicode spaces.
bool isBlank(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

} // namespace

std::string treeName(const std::string& name)
{
    const std::size_t end = name.find_last_not_of(' ');
    const std::string_view text(name.data(), end == std::string::npos ? 0 : end + 1);
    // Names come as UTF-8 or as Latin-1: a well-formed UTF-8 character is
    // taken whole (so the bytes 0x85 and 0xA0 inside, say, an accented
    // letter stay), any other byte as the Latin-1 character of its value.
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8Length(text, at);
        const char32_t c = length > 0 ? utf8Decode(text, at, length) : static_cast<unsigned char>(text[at]);
        const std::size_t taken = std::max<std::size_t>(length, 1);
        if (isBlank(c))
            out.push_back('_');
        else
            out.append(text.substr(at, taken));
        at += taken;
    }
    return out;
}

namespace {

// Smallest species number in the subtree whose top record is r.
int minTip(const LikelihoodTree& tree, int r)
{
    if (tree.isTip(r))
        return r;
    return std::min(minTip(tree, tree.back(tree.next(r))), minTip(tree, tree.back(tree.next(tree.next(r)))));
}

void writeLength(const LikelihoodTree& tree, int r, bool bracket, std::string& out)
{
    const double length = -tree.model().fracchange * std::log(std::max(tree.z(r), kZMin));
    out.push_back(':');
    if (bracket) {
        out.push_back('[');
        out += formatFixed(tree.rec(r).bracket, 8, 1);
        out.push_back(']');
    }
    out += formatFixed(length, 8, 6);
}

// Writes the subtree whose top record is r (not its branch length).
void writeSubtree(const LikelihoodTree& tree, const std::vector<std::string>& names, int r, bool bracket,
                  std::string& out)
{
    if (tree.isTip(r)) {
        out += treeName(names[static_cast<std::size_t>(r)]);
        return;
    }
    int a = tree.back(tree.next(r));
    int b = tree.back(tree.next(tree.next(r)));
    if (minTip(tree, b) < minTip(tree, a))
        std::swap(a, b);
    out.push_back('(');
    writeSubtree(tree, names, a, bracket, out);
    writeLength(tree, a, bracket, out);
    out.push_back(',');
    writeSubtree(tree, names, b, bracket, out);
    writeLength(tree, b, bracket, out);
    out.push_back(')');
}

} // namespace

void writeTree(const LikelihoodTree& tree, const std::vector<std::string>& names, int startTip, bool bracket,
               std::string& out)
{
    const int base = tree.back(startTip);
    out.push_back('(');
    out += treeName(names[static_cast<std::size_t>(startTip)]);
    writeLength(tree, startTip, bracket, out);
    if (!tree.isTip(base)) {
        int a = tree.back(tree.next(base));
        int b = tree.back(tree.next(tree.next(base)));
        if (minTip(tree, b) < minTip(tree, a))
            std::swap(a, b);
        for (int r : {a, b}) {
            out.push_back(',');
            writeSubtree(tree, names, r, bracket, out);
            writeLength(tree, r, bracket, out);
        }
    } else {
        out.push_back(',');
        writeSubtree(tree, names, base, bracket, out);
    }
    out += ");\n";
}

namespace {

struct ParsedNode {
    int species = -1; // tip when >= 0
    int kids[2] = {-1, -1};
    bool hasLength = false;
    double length = 0.0;
    double bracket = 0.0;
};

class TreeParser {
public:
    TreeParser(TextCursor& in, const std::vector<std::string>& names, Log& log)
        : m_in(in), m_names(names), m_log(log), m_used(names.size(), false)
    {
    }

    bool comment(TreeComment& out);
    bool parse(std::vector<int>& top);

    std::vector<ParsedNode> nodes;

private:
    bool subtree(int& index, int depth);
    bool branch(ParsedNode& node);
    bool expect(char c, const char* where);
    bool name(std::string& out);
    void found(const std::string& lead);

    TextCursor& m_in;
    const std::vector<std::string>& m_names;
    Log& m_log;
    std::vector<bool> m_used;
    int m_inner = 0;
};

void TreeParser::found(const std::string& lead)
{
    std::string_view rest = m_in.restOfLine();
    if (rest.size() > 40)
        rest = rest.substr(0, 40);
    m_log.add(lead + std::string(rest) + "\n");
}

bool TreeParser::expect(char c, const char* where)
{
    m_in.skipWhite();
    if (m_in.peek() == static_cast<unsigned char>(c)) {
        m_in.get();
        return true;
    }
    found(std::string("Expecting '") + c + "' " + where + " tree; found:");
    return false;
}

bool TreeParser::comment(TreeComment& out)
{
    m_in.skipWhite();
    if (m_in.peek() != '[')
        return true;
    m_in.get();
    std::string text;
    for (int c = m_in.get(); c != ']'; c = m_in.get()) {
        if (c == TextCursor::kEnd) {
            m_log.add("Missing end of tree comment\n");
            return false;
        }
        text.push_back(static_cast<char>(c));
    }
    auto value = [&](const std::string& key) -> std::optional<std::string_view> {
        const std::size_t at = text.find(key);
        if (at == std::string::npos)
            return std::nullopt;
        std::string_view rest = std::string_view(text).substr(at + key.size());
        const std::size_t eq = rest.find_first_not_of(" \t\n");
        if (eq == std::string_view::npos || rest[eq] != '=')
            return std::nullopt;
        return rest.substr(eq + 1);
    };
    if (auto v = value("likelihood"))
        out.likelihood = parseDouble(*v);
    if (auto v = value("opt_level"))
        out.level = static_cast<int>(parseInt(*v).value_or(0));
    if (auto v = value("smoothed"))
        out.smoothed = parseInt(*v).value_or(0) != 0;
    return true;
}

bool TreeParser::name(std::string& out)
{
    out.clear();
    m_in.skipWhite();
    if (m_in.peek() == '\'') {
        m_in.get();
        for (;;) {
            const int c = m_in.get();
            if (c == TextCursor::kEnd) {
                found("Expecting ''' in tree; found:");
                return false;
            }
            if (c == '\'') {
                if (m_in.peek() != '\'')
                    break;
                m_in.get();
            }
            out.push_back(static_cast<char>(c));
        }
    } else {
        for (int c = m_in.peek(); c != TextCursor::kEnd && c != ' ' && c != '\t' && c != '\n' && c != '(' &&
                                  c != ')' && c != ',' && c != ':' && c != ';' && c != '[';
             c = m_in.peek())
            out.push_back(static_cast<char>(m_in.get()));
        if (out.empty()) {
            found("Expecting a species name in tree; found:");
            return false;
        }
    }
    if (static_cast<int>(out.size()) > kNameLength)
        out.resize(kNameLength);
    return true;
}

bool TreeParser::branch(ParsedNode& node)
{
    m_in.skipWhite();
    if (m_in.peek() != ':')
        return true;
    m_in.get();
    m_in.skipWhite();
    if (m_in.peek() == '[') {
        m_in.get();
        const auto v = m_in.readDouble();
        if (!v) {
            found("Expecting a number in brackets in tree; found:");
            return false;
        }
        node.bracket = *v;
        if (!expect(']', "in"))
            return false;
    }
    const auto length = m_in.readDouble();
    if (!length || !std::isfinite(*length)) {
        found("Expecting a branch length in tree; found:");
        return false;
    }
    node.hasLength = true;
    node.length = *length;
    return true;
}

bool TreeParser::subtree(int& index, int depth)
{
    m_in.skipWhite();
    ParsedNode node;
    if (m_in.peek() == '(') {
        m_in.get();
        // A binary tree of n species has at most n - 1 inner nodes when
        // rooted; more means the text does not describe such a tree.
        if (++m_inner > static_cast<int>(m_names.size()) - 1 || depth > static_cast<int>(m_names.size())) {
            m_log.add("Too many internal nodes.  Is tree rooted?\n");
            m_log.add("       Deepest splitting should be a trifurcation.\n");
            return false;
        }
        int a = -1, b = -1;
        if (!subtree(a, depth + 1) || !expect(',', "in") || !subtree(b, depth + 1) || !expect(')', "in"))
            return false;
        node.kids[0] = a;
        node.kids[1] = b;
    } else {
        std::string tip;
        if (!name(tip))
            return false;
        std::string padded = tip;
        padded.resize(static_cast<std::size_t>(kNameLength), ' ');
        const auto it = std::find(m_names.begin(), m_names.end(), padded);
        if (it == m_names.end()) {
            m_log.add("Cannot find tree species: " + tip + "\n");
            return false;
        }
        const auto s = static_cast<std::size_t>(it - m_names.begin());
        if (m_used[s]) {
            m_log.add("Species " + tip + " appears more than once in the tree\n");
            return false;
        }
        m_used[s] = true;
        node.species = static_cast<int>(s);
    }
    if (!branch(node))
        return false;
    index = static_cast<int>(nodes.size());
    nodes.push_back(node);
    return true;
}

bool TreeParser::parse(std::vector<int>& top)
{
    m_in.skipWhite();
    if (m_in.peek() != '(') {
        const int c = m_in.peek();
        m_log.add("Start of tree '" + (c == TextCursor::kEnd ? std::string() : std::string(1, static_cast<char>(c))) +
                  "...' not understood.\n");
        return false;
    }
    m_in.get();
    ++m_inner;
    int a = -1, b = -1;
    if (!subtree(a, 1) || !expect(',', "in") || !subtree(b, 1))
        return false;
    top = {a, b};
    m_in.skipWhite();
    if (m_in.peek() == ',') {
        m_in.get();
        int c = -1;
        if (!subtree(c, 1))
            return false;
        top.push_back(c);
    }
    if (!expect(')', "at end of"))
        return false;
    // A length after the root's ")" belongs to no branch; it is skipped.
    ParsedNode rootBranch;
    if (!branch(rootBranch))
        return false;
    return expect(';', "at end of");
}

class TreeBuilder {
public:
    TreeBuilder(const std::vector<ParsedNode>& nodes, LikelihoodTree& tree) : m_nodes(nodes), m_tree(tree) {}

    double zOf(const ParsedNode& n) const
    {
        if (!n.hasLength)
            return kZStart;
        return std::exp(-n.length / m_tree.model().fracchange);
    }

    // Hangs parsed node `index` below `parentRecord` across a branch of value z.
    void attach(int index, int parentRecord, double z, double bracket)
    {
        const ParsedNode& n = m_nodes[static_cast<std::size_t>(index)];
        if (n.species >= 0) {
            m_tree.link(parentRecord, n.species, z, bracket);
            return;
        }
        const int first = m_tree.takeNode();
        m_tree.link(parentRecord, first, z, bracket);
        hangKids(n, first);
    }

    void hangKids(const ParsedNode& n, int first)
    {
        const int r1 = m_tree.next(first);
        const int r2 = m_tree.next(r1);
        const ParsedNode& a = m_nodes[static_cast<std::size_t>(n.kids[0])];
        const ParsedNode& b = m_nodes[static_cast<std::size_t>(n.kids[1])];
        attach(n.kids[0], r1, zOf(a), a.bracket);
        attach(n.kids[1], r2, zOf(b), b.bracket);
    }

private:
    const std::vector<ParsedNode>& m_nodes;
    LikelihoodTree& m_tree;
};

} // namespace

bool readTree(TextCursor& in, const std::vector<std::string>& names, bool userLengths, LikelihoodTree& tree,
              TreeComment& comment, Log& log)
{
    TreeParser parser(in, names, log);
    std::vector<int> top;
    if (!parser.comment(comment) || !parser.parse(top))
        return false;
    const auto& nodes = parser.nodes;
    int tips = 0;
    for (const auto& n : nodes)
        tips += n.species >= 0 ? 1 : 0;
    if (tips < 3) {
        log.add("A tree needs at least three species\n");
        return false;
    }
    tree.clear();
    TreeBuilder build(nodes, tree);
    if (top.size() == 3) {
        const int first = tree.takeNode();
        int r = first;
        for (int index : top) {
            const ParsedNode& n = nodes[static_cast<std::size_t>(index)];
            build.attach(index, r, build.zOf(n), n.bracket);
            r = tree.next(r);
        }
    } else {
        // Uproot: the inner child becomes the base node and the other child
        // hangs on the joined branch (lengths add with user lengths).
        int innerChild = top[1], other = top[0];
        if (nodes[static_cast<std::size_t>(innerChild)].species >= 0)
            std::swap(innerChild, other);
        const ParsedNode& in1 = nodes[static_cast<std::size_t>(innerChild)];
        const ParsedNode& ot = nodes[static_cast<std::size_t>(other)];
        const double joined = userLengths ? build.zOf(in1) * build.zOf(ot) : kZStart;
        const int first = tree.takeNode();
        build.hangKids(in1, first);
        build.attach(other, first, joined, nodes[static_cast<std::size_t>(top[0])].bracket);
    }
    tree.invalidateAll();
    return true;
}

} // namespace tallowin::dnaml
