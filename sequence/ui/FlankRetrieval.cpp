#include "sequence/ui/FlankRetrieval.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/net/InetTransfer.h"
#include "platform/runtime/Convert.h"
#include "sequence/SeqUtil.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"

namespace sequence {

namespace {

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// "T" to "U", case-sensitive.
std::string toU(std::string text)
{
    std::replace(text.begin(), text.end(), 'T', 'U');
    return text;
}

// The services as the failure messages name them.
constexpr std::string_view YeastServer = "the yeast genome database";
constexpr std::string_view LocusLinkServer = "the gene-locus index";
constexpr std::string_view EntrezServer = "the GenBank records";

platform::Error geneError(std::string_view source, std::string_view gene, std::string_view what,
                          std::int32_t number = platform::err::InvalidCall)
{
    return platform::Error(number, std::string(source), "Gene \"" + std::string(gene) + "\": " + std::string(what));
}

// The leading number of a CDS position; a number too large for a double
// (which Val raises as an overflow) reads as infinity, outside every record.
double positionValue(std::string_view text)
{
    try {
        return platform::rt::Val(text);
    } catch (const platform::Error&) {
        return std::numeric_limits<double>::infinity();
    }
}

// One end of a CDS location. A "<" or ">" before the number marks the
// location as partial there: the coding sequence runs on past that end, so
// where it really begins or ends is not in the record. `numeric` tells a
// number (which may be 0) from a word such as "complement(", which reads as 0.
struct CdsPosition {
    double value = 0;
    bool partial = false;
    bool numeric = false;
};

CdsPosition cdsPosition(std::string_view text)
{
    std::string t = trimmed(text);
    CdsPosition position;
    if (!t.empty() && (t.front() == '<' || t.front() == '>')) {
        position.partial = true;
        t.erase(0, 1);
    }
    position.numeric = !t.empty() && t.front() >= '0' && t.front() <= '9';
    position.value = positionValue(t);
    return position;
}

// An error's text as a reason of the summary: without the "Gene "X": " it
// starts with, without its final stop, and in lower case where it starts
// with a capitalised word ("The server did not answer ...").
std::string errorReason(std::string text, std::string_view gene)
{
    const std::string prefix = "Gene \"" + std::string(gene) + "\": ";
    if (text.rfind(prefix, 0) == 0) {
        text.erase(0, prefix.size());
    }
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

void append(SequenceSet& set, std::string name, std::string seq)
{
    set.name.push_back(std::move(name));
    set.seq.push_back(std::move(seq));
    set.numSeq = static_cast<std::int32_t>(set.seq.size());
}

void appendAll(SequenceSet& to, const SequenceSet& from)
{
    for (std::size_t i = 0; i < from.seq.size(); ++i) {
        append(to, from.name[i], from.seq[i]);
    }
}

} // namespace

RetrievalServers RetrievalServers::fromSettings()
{
    RetrievalServers servers;
    auto& ini = mQuorin::Program().gIni();
    const auto read = [&](const char* key, std::string& value) {
        std::string text = trimmed(ini.ReadIni(SettingsSection, key, ini.fileName()));
        while (!text.empty() && text.back() == '/') {
            text.pop_back();
        }
        if (!text.empty()) {
            value = text;
        }
    };
    read("YeastServer", servers.yeast);
    read("LocusLinkServer", servers.locusLink);
    read("EntrezServer", servers.entrez);
    const std::string timeout = trimmed(ini.ReadIni(SettingsSection, "TimeoutSeconds", ini.fileName()));
    if (!timeout.empty()) {
        const double seconds = platform::rt::Val(timeout);
        if (seconds >= 1 && seconds <= 3600) {
            servers.timeoutSeconds = static_cast<int>(seconds);
        }
    }
    return servers;
}

std::string EncodeQueryValue(std::string_view value)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

std::string YeastUrl(const RetrievalServers& servers, std::string_view gene, std::int32_t up, std::int32_t down)
{
    return servers.yeast + "/cgi-bin/SGD/getSeq?seq=" + EncodeQueryValue(gene) + "&flankl=" + std::to_string(up) +
           "&flankr=" + std::to_string(down) + "&map=amap";
}

std::string LocusLinkUrl(const RetrievalServers& servers, std::string_view gene, std::string_view species)
{
    return servers.locusLink + "/LocusLink/list.cgi?Q=" + EncodeQueryValue(gene) +
           "&ORG=" + EncodeQueryValue(species) + "&V=0";
}

std::string EntrezUrl(const RetrievalServers& servers, std::string_view ids)
{
    // Identifiers are kept as a comma list; anything else in them is encoded.
    std::string list;
    std::size_t from = 0;
    for (;;) {
        const auto comma = ids.find(',', from);
        list += EncodeQueryValue(trimmed(ids.substr(from, comma == std::string_view::npos ? comma : comma - from)));
        if (comma == std::string_view::npos) {
            break;
        }
        list += ',';
        from = comma + 1;
    }
    return servers.entrez + "/htbin-post/Entrez/query?" + "db=n&form=6&uid=" + list + "&dopt=g" +
           "&title=no&html=no";
}

bool ChoicesAreValid(int species, int source)
{
    using namespace platform;
    if (species == 0 && source != 0) {
        return dialogs().MsgBox("You have chosen to retrieve yeast genes from GenBank. It is much faster to retrieve "
                                "yeast genes from the Saccharomyces Genome Database than from GenBank. Are you sure "
                                "of your choices?",
                                mb::YesNo, "Info") == Answer::Yes;
    }
    if (species != 0 && source == 0 && species != NumSpecies - 1) {
        const std::string entry(SpeciesItems[std::clamp(species, 0, NumSpecies - 1)]);
        (void)dialogs().MsgBox("You have chosen to retrieve " + entry +
                                   " genes from the Saccharomyces Genome Database. There is no " + entry +
                                   " gene in a database for the yeast. Please reselect.",
                               mb::YesNo, "Info");
        return false;
    }
    if (species == NumSpecies - 1 && source == 0) {
        (void)dialogs().MsgBox("You have chosen to retrieve genes of all animals from the Saccharomyces Genome "
                               "Database. There is no animal gene in the database for the yeast. Please reselect.",
                               mb::Information, "Info");
        return false;
    }
    return true;
}

std::optional<std::int32_t> FlankLength(std::string_view text)
{
    const platform::rt::FieldNumber typed = platform::rt::ReadLeadingNumber(text);
    if (typed.kind == platform::rt::FieldNumber::Kind::NotANumber || !(typed.value > -0.5) ||
        typed.value > MaxFlankLength) {
        return std::nullopt;
    }
    return platform::rt::CLng(typed.value);
}

std::string FlankLengthRefusal(std::string_view side, std::string_view text)
{
    if (FlankLength(text)) {
        return {};
    }
    const std::string box = "The number of " + std::string(side) + " nucleotides";
    const platform::rt::FieldNumber typed = platform::rt::ReadLeadingNumber(text);
    if (typed.kind == platform::rt::FieldNumber::Kind::NotANumber) {
        const std::string advice = " Please type a number of 0 or more, such as 100.";
        if (trimmed(text).empty()) {
            return box + " is empty." + advice;
        }
        return box + " \"" + std::string(text) + "\" is not a number." + advice;
    }
    if (typed.value > MaxFlankLength) {
        return box + " is too large: it can be at most " + std::to_string(MaxFlankLength) + ".";
    }
    return box + " must be 0 or more.";
}

std::optional<std::string> YeastSequence(std::string_view reply)
{
    const auto one = reply.rfind(" 1 ");
    if (one == std::string_view::npos) {
        return std::nullopt;
    }
    const auto start = one + 3;
    const auto lt = reply.find('<', start);
    if (lt == std::string_view::npos) {
        return std::nullopt;
    }
    // The block ends at the "<"; the line break before it is dropped by the
    // cleaning, and a residue that stands right before it is kept.
    return StrUtil::CleanSeq(reply.substr(start, lt - start));
}

std::optional<YeastFlanks> CutYeastFlanks(const std::string& sequence, std::int32_t up, std::int32_t down)
{
    const auto length = static_cast<std::int64_t>(sequence.size());
    if (length <= static_cast<std::int64_t>(up) + down) {
        return std::nullopt;
    }
    return YeastFlanks{toU(sequence.substr(0, static_cast<std::size_t>(up))),
                       toU(sequence.substr(static_cast<std::size_t>(length - down)))};
}

std::optional<std::string> LocusLinkIds(std::string_view page)
{
    if (contains(page, "We were unable")) {
        return std::nullopt;
    }
    auto at = page.find("RefSeq");
    if (at == std::string_view::npos) {
        at = page.find("GenBank");
    }
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto colon = page.find(':', at);
    const auto quote = colon == std::string_view::npos ? colon : page.find('"', colon + 1);
    if (quote == std::string_view::npos) {
        throw platform::Error(platform::err::InvalidCall, "LookUpLocusLink",
                              "the gene-locus page names its records but is cut off before their identifiers.");
    }
    std::string ids = trimmed(page.substr(colon + 1, quote - colon - 1));
    if (ids.empty()) {
        throw platform::Error(platform::err::InvalidCall, "LookUpLocusLink",
                              "the gene-locus page names its records but gives no identifier.");
    }
    return ids;
}

bool ParseGenBankFlanks(std::string_view gene, std::string reply, std::int32_t up, std::int32_t down,
                        SequenceSet& left, SequenceSet& right, std::vector<std::string>* notes)
{
    constexpr std::string_view Source = "ParseGenBankFlanks";
    std::string sep = StrUtil::UnifyLineBreak(reply);
    if (sep.empty()) {
        sep = "\n";
    }
    auto p = reply.find("LOCUS");
    if (p == std::string::npos) {
        return false;
    }
    SequenceSet newLeft;
    SequenceSet newRight;
    std::vector<std::string> newNotes;
    while (p != std::string::npos) {
        const auto lineEnd = std::min(reply.find(sep, p), reply.size());
        std::string locus = reply.substr(std::min(p + 12, lineEnd), 10);
        locus = locus.substr(0, std::min(locus.size(), lineEnd - std::min(p + 12, lineEnd)));
        const std::string name = std::string(gene) + "_" + locus;
        const auto end = reply.find("//", p);
        if (end == std::string::npos) {
            throw geneError(Source, gene, "the GenBank record " + trimmed(locus) + " is cut off before its end.");
        }
        const std::string_view record(reply.data() + p, end - p);
        const std::string from = " from record " + trimmed(locus);

        const auto cds = record.find("     CDS");
        if (cds == std::string_view::npos) {
            if (up > 0 || down > 0) {
                newNotes.push_back("no flanks" + from + ": it has no CDS");
            }
        } else {
            const auto cdsEnd = std::min(record.find(sep, cds), record.size());
            const std::string location = trimmed(record.substr(cds + 8, cdsEnd - cds - 8));
            const CdsPosition start = cdsPosition(StrUtil::StrBeforeFirst(location, "."));
            const CdsPosition stop = cdsPosition(StrUtil::StrAfterLast(location, "."));
            const double startValue = start.value;
            const double endValue = stop.value;
            const auto origin = record.find("ORIGIN", cdsEnd);
            if (origin == std::string_view::npos) {
                throw geneError(Source, gene, "the GenBank record " + trimmed(locus) + " has no ORIGIN block.");
            }
            const auto seqStart = std::min(record.find(sep, origin), record.size());
            const std::string q = StrUtil::CleanSeq(record.substr(seqStart));
            const auto length = static_cast<std::int64_t>(q.size());
            // Positions are checked against the record before they become
            // integers: a CDS outside its own record is a damaged reply.
            const auto inRecord = [&](double v) { return v >= 0 && v <= static_cast<double>(length); };
            if (!inRecord(startValue) || !inRecord(endValue)) {
                throw geneError(Source, gene,
                                "the GenBank record " + trimmed(locus) + " places its CDS (" + location +
                                    ") outside its " + std::to_string(length) + " bases.");
            }
            // Positions count from 1: a written 0 is as damaged as one past
            // the end (a word such as "complement(" also reads as 0, and
            // only means that the upstream flank is not cut).
            if ((start.numeric && startValue < 1) || (stop.numeric && endValue < 1)) {
                throw geneError(Source, gene,
                                "the GenBank record " + trimmed(locus) + " places its CDS (" + location +
                                    ") at position 0, before its first base.");
            }
            const auto s = static_cast<std::int64_t>(std::floor(startValue));
            const auto e = static_cast<std::int64_t>(std::floor(endValue));
            const std::string cdsText = "its CDS (" + location + ")";
            // A flank cut shorter than asked: how many bases it has.
            const auto fewer = [&](std::int64_t got, std::string_view side, std::int32_t asked,
                                   const std::string& why) {
                return "only " + std::to_string(got) + " " + std::string(side) + (got == 1 ? " base" : " bases") +
                       from + ", where " + std::to_string(asked) + " were asked: " + why;
            };
            // Both ends unknown is said once for the record.
            const bool neitherEnd = start.partial && stop.partial && up > 0 && down > 0;
            if (neitherEnd) {
                newNotes.push_back("no flanks" + from + ": it does not say where " + cdsText + " begins or ends");
            }
            if (start.partial) {
                if (up > 0 && !neitherEnd) {
                    newNotes.push_back("no upstream flank" + from + ": it does not say where " + cdsText + " begins");
                }
            } else if (s > 1 && s - 1 <= length) {
                const std::int64_t first = up < s ? s - 1 - up : 0;
                const std::int64_t count = up < s ? up : s - 1;
                append(newLeft, name, q.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
                if (count < up) {
                    newNotes.push_back(fewer(count, "upstream", up, cdsText + " starts at base " + std::to_string(s)));
                }
            } else if (up > 0) {
                newNotes.push_back("no upstream flank" + from + ": " + cdsText +
                                   (start.numeric ? " starts at the first base" : " does not start with a position"));
            }
            if (stop.partial) {
                if (down > 0 && !neitherEnd) {
                    newNotes.push_back("no downstream flank" + from + ": it does not say where " + cdsText + " ends");
                }
            } else if (length > e) {
                append(newRight, name, q.substr(static_cast<std::size_t>(e), static_cast<std::size_t>(down)));
                if (length - e < down) {
                    newNotes.push_back(fewer(length - e, "downstream", down,
                                             cdsText + " ends at base " + std::to_string(e) + " of " +
                                                 std::to_string(length)));
                }
            } else if (down > 0) {
                newNotes.push_back("no downstream flank" + from + ": " + cdsText + " ends at the last base");
            }
        }
        p = reply.find("LOCUS", end);
    }
    appendAll(left, newLeft);
    appendAll(right, newRight);
    if (notes != nullptr) {
        notes->insert(notes->end(), newNotes.begin(), newNotes.end());
    }
    return true;
}

std::string ShortfallSummary(const std::vector<GeneShortfall>& genes)
{
    if (genes.empty()) {
        return {};
    }
    std::string text = "These genes did not give all the flanking sequence asked for:";
    for (std::size_t i = 0; i < std::min(genes.size(), SummaryGenes); ++i) {
        text += "\r\n\r\n" + genes[i].gene + ": ";
        for (std::size_t r = 0; r < genes[i].reasons.size(); ++r) {
            text += (r > 0 ? "; " : "") + genes[i].reasons[r];
        }
        text += ".";
    }
    if (genes.size() > SummaryGenes) {
        const std::size_t more = genes.size() - SummaryGenes;
        text += "\r\n\r\n... and " + std::to_string(more) + (more == 1 ? " more gene." : " more genes.");
    }
    return text;
}

platform::Answer AskOnFailure(const platform::Error& error)
{
    using namespace platform;
    const Answer answer = dialogs().MsgBox(error.description() +
                                               "\r\n\r\nAbort stops the retrieval, Retry asks the server again, "
                                               "Ignore goes on with the next gene.",
                                           mb::AbortRetryIgnore | mb::Exclamation, "Sequence retrieval");
    return answer;
}

FlankRetrieval::FlankRetrieval(platform::InetTransfer& inet, RetrievalServers servers)
    : m_inet(inet), m_servers(std::move(servers))
{
    m_inet.setRequestTimeout(m_servers.timeoutSeconds);
}

void FlankRetrieval::say(const std::string& text) const
{
    if (status) {
        status(text);
    }
}

std::string FlankRetrieval::fetch(const std::string& gene, std::string_view server, const std::string& url)
{
    std::string reply;
    try {
        reply = m_inet.OpenURL(url);
    } catch (const platform::Error& e) {
        throw platform::Error(e.number(), e.source(), "Gene \"" + gene + "\": " + e.description());
    }
    // An error page is no answer to the question asked, whatever it holds.
    const int status = m_inet.StatusCode();
    if (status >= 400) {
        throw geneError("Inet1.OpenURL", gene,
                        "the server of " + std::string(server) + " answered with an error (HTTP status " +
                            std::to_string(status) + ") instead of a reply.",
                        platform::inet::OtherFailure);
    }
    return reply;
}

bool FlankRetrieval::runGene(const std::string& gene, const std::function<void()>& work)
{
    for (;;) {
        if (m_stopRequested) {
            return false;
        }
        m_reasons.clear();
        try {
            work();
            if (!m_reasons.empty()) {
                m_shortfalls.push_back({gene, std::move(m_reasons)});
                m_reasons.clear();
            }
            return true;
        } catch (...) {
            const platform::Error error = platform::currentAsError();
            if (m_stopRequested) {
                return false;
            }
            platform::Error named = error;
            if (error.description().find('"' + gene + '"') == std::string::npos) {
                named = geneError(error.source(), gene, error.description(), error.number());
            }
            // The status line still holds the transfer's last state, which
            // may be "Operation successful!" for a reply that failed.
            say("An error occurred for gene: " + gene);
            const platform::Answer answer = onFailure ? onFailure(named) : AskOnFailure(named);
            if (answer == platform::Answer::Retry) {
                continue;
            }
            // A gene's flanks are stored only when its work ends well, so a
            // failed gene has none, whatever it noted before failing.
            m_shortfalls.push_back({gene, {"no flanks, after an error: " + errorReason(named.description(), gene)}});
            if (answer == platform::Answer::Ignore) {
                ++m_genesWithErrors;
                return true;
            }
            m_inet.Cancel();
            return false;
        }
    }
}

void FlankRetrieval::start(std::size_t genes)
{
    m_left = {};
    m_right = {};
    m_finished = false;
    m_stopRequested = false;
    m_genesDone = 0;
    m_genesWithErrors = 0;
    m_shortfalls.clear();
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, static_cast<double>(genes));
}

void FlankRetrieval::eachGene(const std::vector<std::string>& genes,
                              const std::function<void(const std::string&)>& work)
{
    for (std::size_t i = 0; i < genes.size(); ++i) {
        const std::string& gene = genes[i];
        if (!runGene(gene, [&] { work(gene); })) {
            break;
        }
        m_genesDone = i + 1;
        numeric::detail::setValue(progress, static_cast<double>(i));
    }
    m_left.maxLen = SeqUtil::GetMaxSeqLen(m_left.seq, m_left.numSeq);
    m_right.maxLen = SeqUtil::GetMaxSeqLen(m_right.seq, m_right.numSeq);
    m_finished = m_genesDone == genes.size();
}

void FlankRetrieval::RetrieveFromYeastDB(const std::vector<std::string>& genes, std::int32_t up, std::int32_t down)
{
    start(genes.size());

    const auto request = [&](const std::string& gene, const std::string& asked) -> std::optional<std::string> {
        const std::string reply = trimmed(fetch(gene, YeastServer, YeastUrl(m_servers, asked, up, down)));
        if (reply.empty() || contains(reply, "No sequences")) {
            return std::nullopt;
        }
        auto sequence = YeastSequence(reply);
        if (!sequence) {
            throw geneError("RetrieveFromYeastDB", gene,
                            "the reply of the yeast genome database for \"" + asked + "\" holds no sequence.");
        }
        return sequence;
    };
    const auto store = [&](const std::string& name, const std::string& sequence) {
        if (auto flanks = CutYeastFlanks(sequence, up, down)) {
            append(m_left, name, std::move(flanks->left));
            append(m_right, name, std::move(flanks->right));
        } else {
            fallsShort("no flanks: the yeast genome database sent only " + std::to_string(sequence.size()) +
                       " bases, no more than the " + std::to_string(up) + " upstream and " + std::to_string(down) +
                       " downstream asked for");
        }
    };
    const auto notFound = [&](const std::string& n) {
        say("No sequence was found for " + n);
        fallsShort("no flanks: the yeast genome database has no sequence for it");
    };

    eachGene(genes, [&](const std::string& n) {
        if (n.find('/') == std::string::npos) {
            if (auto sequence = request(n, n)) {
                store(n, *sequence);
            } else {
                notFound(n);
            }
            return;
        }
        const std::string a = StrUtil::StrBeforeFirst(n, "/");
        const std::string b = trimmed(StrUtil::StrAfterLast(n, "/"));
        if (auto sequence = request(n, a)) {
            store(a, *sequence);
            return;
        }
        if (b.empty()) {
            notFound(n);
            return;
        }
        say("No sequence for " + a + ". Try " + b);
        if (auto sequence = request(n, b)) {
            store(n, *sequence);
        } else {
            notFound(n);
        }
    });
}

std::optional<std::string> FlankRetrieval::LookUpLocusLink(const std::string& gene, std::string_view species)
{
    std::string reply;
    if (gene.find('/') == std::string::npos) {
        reply = fetch(gene, LocusLinkServer, LocusLinkUrl(m_servers, gene, species));
    } else {
        reply = fetch(gene, LocusLinkServer, LocusLinkUrl(m_servers, StrUtil::StrBeforeFirst(gene, "/"), species));
        if (contains(reply, "We were unable")) {
            reply = fetch(gene, LocusLinkServer, LocusLinkUrl(m_servers, StrUtil::StrAfterLast(gene, "/"), species));
        }
    }
    return LocusLinkIds(reply);
}

void FlankRetrieval::RetrieveFromGenBank(const std::vector<std::string>& genes, std::int32_t up, std::int32_t down,
                                         std::string_view species)
{
    start(genes.size());
    numeric::detail::setValue(progress, 0);

    eachGene(genes, [&](const std::string& n) {
        const auto ids = LookUpLocusLink(n, species);
        if (!ids) {
            say("No LocusLink for gene: " + n);
            fallsShort("no flanks: the gene-locus index has no entry for it");
            return;
        }
        const std::string reply = fetch(n, EntrezServer, EntrezUrl(m_servers, *ids));
        SequenceSet left;
        SequenceSet right;
        std::vector<std::string> notes;
        if (!ParseGenBankFlanks(n, reply, up, down, left, right, &notes)) {
            throw geneError("RetrieveFromGenBank", n, "the reply of the GenBank query holds no record.");
        }
        appendAll(m_left, left);
        appendAll(m_right, right);
        const auto records = std::count(ids->begin(), ids->end(), ',') + 1;
        say(std::to_string(records) + " sequence retrieved for gene: " + n);
        for (std::string& note : notes) {
            say(n + ": " + note + ".");
            fallsShort(std::move(note));
        }
    });
}

void FlankRetrieval::commitTo(SequenceSet& left, SequenceSet& right) const
{
    left = m_left;
    right = m_right;
}

} // namespace sequence
