#include "engines/dnaml/DnamlInput.h"

#include "engines/dnaml/DnamlTreeText.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tallowin::dnaml {

uint8_t residueCode(char c)
{
    switch (asciiUpper(static_cast<unsigned char>(c))) {
    case 'A': return 1;
    case 'C': return 2;
    case 'G': return 4;
    case 'T':
    case 'U': return 8;
    case 'M': return 3;
    case 'R': return 5;
    case 'W': return 9;
    case 'S': return 6;
    case 'Y': return 10;
    case 'K': return 12;
    case 'V': return 7;
    case 'H': return 11;
    case 'D': return 13;
    case 'B': return 14;
    case 'N':
    case 'X':
    case 'O':
    case '?':
    case '-': return 15;
    default: return 0;
    }
}

namespace {

std::string charText(int c)
{
    return std::string(1, static_cast<char>(c));
}

// Header: "<species> <sites>" followed by option characters up to the line end.
bool readHeader(TextCursor& in, InputData& data, Log& log)
{
    const auto species = in.readInt();
    const auto sites = species ? in.readInt() : std::nullopt;
    if (!species || !sites) {
        log.add("Unable to read the numbers of species and sites\n");
        return false;
    }
    // A tree needs three species and the analysis at least one site; the
    // search would otherwise work on species that do not exist.
    if (*species < 3 || *species > 5000) {
        log.add("Number of species must be from 3 to 5000; found " + formatInt(*species) + "\n");
        return false;
    }
    if (*sites < 1 || *sites > 100000000) {
        log.add("Number of sites must be from 1 to 100000000; found " + formatInt(*sites) + "\n");
        return false;
    }
    data.species = static_cast<int>(*species);
    data.sites = static_cast<int>(*sites);
    return true;
}

bool getoptions(TextCursor& in, Options& opt, Log& log)
{
    for (;;) {
        const int c = in.get();
        if (c == TextCursor::kEnd) {
            log.add("End-of-file in options list\n");
            return false;
        }
        if (c == '\n')
            return true;
        if (c == ' ' || c == '\t')
            continue;
        switch (asciiUpper(c)) {
        case '3': opt.flag3 = !opt.flag3; break;
        case '4': opt.writeTrees = !opt.writeTrees; break;
        case 'F': opt.empiricalFreqs = !opt.empiricalFreqs; break;
        case 'G': opt.global = true; break;
        case 'J': opt.jumble = true; break;
        case 'K': opt.keepGiven = true; break;
        case 'L': opt.userLengths = true; break;
        case 'O': opt.outgroupGiven = true; break;
        case 'Q': opt.quickAdd = false; break;
        case 'R': opt.restart = true; break;
        case 'T': opt.ratioGiven = true; break;
        case 'U': opt.userTrees = true; break;
        default:
            log.add("Bad option character: '" + charText(c) + "'\n");
            return false;
        }
    }
}

// Option conflicts. "L turns U on" is applied before the restart test, so
// that L with R is refused like U with R instead of running with both.
bool checkConflicts(Options& opt, Log& log)
{
    if (opt.userLengths && !opt.userTrees) {
        log.add("Warning:  User lengths required user tree option.\n");
        log.add("          User-tree option set for this run.\n\n");
        opt.userTrees = true;
    }
    if (opt.userTrees && opt.restart) {
        log.add(" The restart and user-tree options conflict:\n");
        log.add("        Restart adds rest of taxa to a starting tree;\n");
        log.add("        User-tree does not add any taxa.\n\n");
        return false;
    }
    if (opt.userTrees && opt.jumble) {
        log.add("Warning:  The jumble and user-tree options conflict:\n");
        log.add("          Jumble adds taxa to a tree in random order;\n");
        log.add("          User-tree does not use taxa addition.\n");
        log.add("          Jumble option cancelled for this run.\n\n");
        opt.jumble = false;
    }
    if (opt.userLengths && opt.global) {
        log.add(" The global and user-lengths options conflict:\n");
        log.add("        Global optimizes a starting tree;\n");
        log.add("        User-lengths constrain the starting tree.\n\n");
        return false;
    }
    return true;
}

// The first non-blank character of the next line, upper case, or 0.
int lineTag(const TextCursor& in)
{
    const std::string_view line = in.restOfLine();
    for (char c : line) {
        if (c != ' ' && c != '\t')
            return asciiUpper(static_cast<unsigned char>(c));
    }
    return 0;
}

// The text of an auxiliary line after its tag character.
std::string_view lineBody(const TextCursor& in)
{
    std::string_view line = in.restOfLine();
    const std::size_t tag = line.find_first_not_of(" \t");
    return tag == std::string_view::npos ? std::string_view{} : line.substr(tag + 1);
}

bool readGlobalLine(std::string_view body, int species, Options& opt, Log& log)
{
    const int whole = species - 3;
    std::size_t used = 0;
    auto global = parseInt(body);
    // The rest of the line after the first number, for the optional second.
    if (global) {
        std::size_t i = body.find_first_not_of(" \t");
        used = i;
        if (used < body.size() && (body[used] == '+' || body[used] == '-'))
            ++used;
        while (used < body.size() && asciiDigit(body[used]))
            ++used;
    }
    long long g = global.value_or(0);
    if (g < 1) {
        log.add("Warning: Global region size too small;\n");
        log.add("         value reset to local\n\n");
        g = 1;
    }
    opt.globalRegion = static_cast<int>(std::min<long long>(g, std::max(whole, 0)));
    std::string_view rest = global ? body.substr(used) : std::string_view{};
    if (rest.find_first_not_of(" \t") != std::string_view::npos) {
        const auto insert = parseInt(rest);
        if (!insert) {
            log.add("ERROR: Problem reading insert swap region size\n");
            return false;
        }
        long long ins = *insert < 0 ? 1 : *insert;
        opt.insertRegion = static_cast<int>(std::min<long long>(ins, std::max(whole, 0)));
    }
    opt.globalRegion = std::max(opt.globalRegion, opt.insertRegion);
    return true;
}

// Auxiliary lines: one for each of J, K, O and T given; a G line may come
// among them or right after them when G is given. Any other line inside the
// run is skipped without counting.
bool readAuxiliaryLines(TextCursor& in, const Options& given, InputData& data, Log& log)
{
    Options& opt = data.options;
    int expected = (given.jumble ? 1 : 0) + (given.keepGiven ? 1 : 0) + (given.outgroupGiven ? 1 : 0) +
                   (given.ratioGiven ? 1 : 0);
    bool sawG = false, sawJ = false, sawO = false, sawT = false;
    while (!in.atEnd()) {
        const int tag = lineTag(in);
        const std::string_view body = lineBody(in);
        // After the counted lines only a G line that holds a number is taken,
        // so that a first species named "G..." still starts the sequences.
        if (expected == 0 && !(given.global && !sawG && tag == 'G' && parseInt(body)))
            break;
        switch (tag) {
        case 'G':
            if (!given.global) {
                log.add("Unexpected Global auxiliary data line\n");
                return false;
            }
            if (!readGlobalLine(body, data.species, opt, log))
                return false;
            sawG = true;
            break;
        case 'J': {
            if (!given.jumble) {
                log.add("Unexpected Jumble auxiliary data line\n");
                return false;
            }
            const auto seed = parseInt(body);
            if (!seed) {
                log.add("Unable to read the Jumble random number seed\n");
                return false;
            }
            opt.jumbleSeed = *seed;
            if (*seed == 0)
                log.add("Warning: Jumble random number seed is zero\n\n");
            sawJ = true;
            --expected;
            break;
        }
        case 'K': {
            if (!given.keepGiven)
                break; // a K line without option K is skipped like any other line
            const auto keep = parseInt(body);
            if (!keep || *keep <= 1 || *keep > 100000) {
                log.add("inputkeep has gone wrong.\n");
                return false;
            }
            opt.keep = static_cast<int>(*keep);
            opt.keepRead = true;
            --expected;
            break;
        }
        case 'O': {
            if (!given.outgroupGiven || sawO) {
                log.add("Unexpected Outgroup auxiliary data line\n");
                return false;
            }
            const long long og = parseInt(body).value_or(0);
            if (og < 1 || og > data.species) {
                log.add("Bad outgroup: '" + formatInt(og) + "'\n");
                return false;
            }
            opt.outgroup = static_cast<int>(og);
            sawO = true;
            --expected;
            break;
        }
        case 'T': {
            if (!given.ratioGiven || sawT) {
                log.add("Unexpected Transition/transversion auxiliary data\n");
                return false;
            }
            const auto ratio = parseDouble(body);
            if (!ratio || !std::isfinite(*ratio)) {
                log.add("Unable to read the transition/transversion ratio\n");
                return false;
            }
            opt.ratio = *ratio;
            sawT = true;
            --expected;
            break;
        }
        default:
            break;
        }
        in.skipLine();
    }
    if (given.ratioGiven && !sawT) {
        log.add("Transition/transversion auxiliary data missing from input\n");
        return false;
    }
    if (given.outgroupGiven && !sawO) {
        log.add("Outgroup auxiliary data missing from input\n");
        return false;
    }
    if (given.jumble && !sawJ) {
        log.add("Jumble auxiliary data missing from input\n");
        return false;
    }
    if (given.keepGiven && !opt.keepRead) {
        log.add("inputkeep has gone wrong.\n");
        return false;
    }
    return true;
}

bool readFrequencies(TextCursor& in, InputData& data, Log& log)
{
    static constexpr char kBases[] = "ACGT";
    for (int b = 0; b < 4; ++b) {
        const auto f = in.readDouble();
        if (!f) {
            log.add("Unable to read the four base frequencies\n");
            return false;
        }
        // A zero or negative frequency makes site likelihoods zero or
        // undefined; refuse it instead of reporting meaningless numbers.
        if (!(*f > 0.0) || !std::isfinite(*f)) {
            log.add(std::string("Base frequency of ") + kBases[b] + " must be greater than zero\n");
            return false;
        }
        data.freqs[static_cast<std::size_t>(b)] = *f;
    }
    // Frequencies given as proportions that do not add up to one (say
    // "1 1 1 1") are taken relative to their sum. They are first brought
    // near one by a power of two taken from the largest, so that the sum of
    // four values near the largest double cannot overflow (nor that of four
    // subnormal ones lose its digits); scaling by a power of two is exact,
    // so ordinary frequencies give the same quotients as without it.
    const double largest = *std::max_element(data.freqs.begin(), data.freqs.end());
    int exponent = 0;
    std::frexp(largest, &exponent);
    for (double& f : data.freqs)
        f = std::ldexp(f, -exponent);
    const double total = data.freqs[0] + data.freqs[1] + data.freqs[2] + data.freqs[3];
    for (double& f : data.freqs)
        f /= total;
    return true;
}

// Characters that end or quote a name in tree text: a species name holding
// one would be written into a tree that no reader can take apart.
constexpr std::string_view kTreeTextCharacters = "(),:;[]'\"";

// Refuses the name of species `index` (0-based) when tree text cannot carry
// it, or when it would be written like an earlier species' name (the tips
// of the tree would then be indistinguishable). `written` holds the earlier
// species' names as trees write them, with their indices.
bool checkName(const std::string& name, int index, std::map<std::string, int>& written, Log& log)
{
    const std::string tip = treeName(name);
    const std::size_t bad = tip.find_first_of(kTreeTextCharacters);
    if (bad != std::string::npos) {
        log.add("Name of species " + formatInt(index + 1) + " (" + tip + ") holds the character " + tip.substr(bad, 1) +
                ", which tree text cannot carry\n");
        return false;
    }
    const auto [earlier, added] = written.emplace(tip, index);
    if (!added) {
        log.add("Species " + formatInt(earlier->second + 1) + " and " + formatInt(index + 1) + " have the same name (" +
                tip + ") in tree text\n");
        return false;
    }
    return true;
}

bool readSequences(TextCursor& in, InputData& data, Log& log)
{
    const int n = data.species;
    const auto sites = static_cast<std::size_t>(data.sites);
    data.names.assign(static_cast<std::size_t>(n), std::string());
    data.codes.assign(static_cast<std::size_t>(n), std::vector<uint8_t>());
    for (auto& row : data.codes)
        row.reserve(std::min<std::size_t>(sites, 1u << 20));

    std::vector<std::size_t> added(static_cast<std::size_t>(n));
    std::map<std::string, int> written;
    for (bool firstBlock = true;; firstBlock = false) {
        for (int i = 0; i < n; ++i) {
            auto& row = data.codes[static_cast<std::size_t>(i)];
            in.skipWhite();
            if (firstBlock) {
                if (in.atEnd()) {
                    log.add("End-of-file in name of species " + formatInt(i + 1) + "\n");
                    return false;
                }
                std::string name;
                while (static_cast<int>(name.size()) < kNameLength && in.peek() != '\n') {
                    const int c = in.get();
                    if (c == TextCursor::kEnd) {
                        log.add("End-of-file in name of species " + formatInt(i + 1) + "\n");
                        return false;
                    }
                    name.push_back(c == '\t' ? ' ' : static_cast<char>(c));
                }
                name.resize(kNameLength, ' ');
                data.names[static_cast<std::size_t>(i)] = name;
                if (!checkName(name, i, written, log))
                    return false;
            } else if (in.atEnd()) {
                log.add("End-of-file at site " + formatInt(static_cast<long long>(row.size()) + 1) +
                        " of sequence " + formatInt(i + 1) + "\n");
                return false;
            }
            const std::size_t before = row.size();
            for (int c = in.get(); c != '\n' && c != TextCursor::kEnd; c = in.get()) {
                if (c == ' ' || c == '\t')
                    continue;
                const auto site = static_cast<long long>(row.size()) + 1;
                uint8_t code = 0;
                if (c == '.') {
                    if (i == 0) {
                        log.add("Dot (.) found at site " + formatInt(site) + " of sequence 1\n");
                        return false;
                    }
                    const auto& first = data.codes[0];
                    if (row.size() >= first.size()) {
                        log.add("Sequences out of alignment\n");
                        return false;
                    }
                    code = first[row.size()];
                } else {
                    code = residueCode(static_cast<char>(c));
                    if (code == 0) {
                        log.add("Bad base (" + charText(c) + ") at site " + formatInt(site) + " of sequence " +
                                formatInt(i + 1) + "\n");
                        return false;
                    }
                }
                row.push_back(code);
            }
            added[static_cast<std::size_t>(i)] = row.size() - before;
        }
        for (int i = 1; i < n; ++i) {
            if (added[static_cast<std::size_t>(i)] != added[0]) {
                log.add("Sequences out of alignment\n");
                return false;
            }
        }
        if (data.codes[0].size() >= sites)
            break;
    }
    for (int i = 0; i < n; ++i) {
        const auto got = data.codes[static_cast<std::size_t>(i)].size();
        if (got != sites) {
            log.add(formatInt(static_cast<long long>(got)) + " (instead of " + formatInt(data.sites) +
                    ") residues read in sequence " + formatInt(i + 1) + "\n");
            return false;
        }
    }
    return true;
}

} // namespace

bool readInput(TextCursor& in, InputData& data, Log& log)
{
    if (!readHeader(in, data, log))
        return false;
    Options& opt = data.options;
    if (!getoptions(in, opt, log))
        return false;
    const Options given = opt;
    if (!checkConflicts(opt, log))
        return false;
    // Rearrangement extents: the whole tree with G (a G line may narrow it),
    // one branch otherwise, none for user trees without G.
    const int whole = data.species - 3;
    if (opt.global) {
        opt.globalRegion = whole;
        opt.insertRegion = std::min(1, whole);
    } else if (opt.userTrees) {
        opt.globalRegion = 0;
        opt.insertRegion = 0;
    } else {
        opt.globalRegion = std::min(1, whole);
        opt.insertRegion = std::min(1, whole);
    }
    if (!readAuxiliaryLines(in, given, data, log))
        return false;
    if (!opt.empiricalFreqs && !readFrequencies(in, data, log))
        return false;
    // Every species takes at least one character of name and one per site,
    // so counts that the rest of the text cannot hold are refused here,
    // before anything is set aside for them.
    const auto needed = static_cast<unsigned long long>(data.species) * (static_cast<unsigned long long>(data.sites) + 1);
    if (needed > in.remaining()) {
        log.add("Input too short for " + formatInt(data.species) + " species of " + formatInt(data.sites) +
                " sites: they need at least " + formatInt(static_cast<long long>(needed)) + " characters, " +
                formatInt(static_cast<long long>(in.remaining())) + " remain\n");
        return false;
    }
    return readSequences(in, data, log);
}

} // namespace tallowin::dnaml
