#pragma once

// FlankRetrieval: the work of the retrieval dialog without its window: the
// genes and the choices in, the upstream (left) and downstream (right) flank
// sets out.
//
// Two sources:
//   yeast genome database  one request per gene returns the gene with its
//                          flanks; the flanks are cut from both ends. Both
//                          sets get the same names and count; every "T" of a
//                          flank becomes "U".
//   GenBank                a gene-locus index query gives the record
//                          identifiers, a query of those records returns
//                          GenBank flat files, and each record's flanks are
//                          cut around its CDS. The sets are independent;
//                          names are gene + "_" + the record's locus name.
//
// A run goes gene by gene. A gene the server does not know is noted in the
// status line and skipped. A failure of the network, an error status of a
// server (404, 500 ...) or a reply out of its layout is handed to the
// failure callback with the gene's name in its text: Retry asks the server
// again, Ignore goes on with the next gene, Abort stops the run. Every gene
// that gave no flank on a side, a flank shorter than asked, or ended on an
// error is listed with its reasons in shortfalls(), for the caller to tell
// the user once the run is over. The sets are built apart from the
// program's and handed over by commitTo: a stopped run keeps the flanks of
// the genes it went through in left() and right(), for the caller to keep
// or to drop.
//
// Query values are percent-encoded, so species such as "fruit fly" and gene
// names holding "&" or blanks make well-formed requests.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "numeric/Progress.h"
#include "platform/errors/Guard.h"
#include "sequence/SeqSet.h"

namespace platform {
class InetTransfer;
}

namespace sequence {

// The species list and the source list, as the dialog shows them.
inline constexpr std::string_view SpeciesItems[] = {"yeast",     "human",     "mouse",      "rat",
                                                   "fruit fly", "zebrafish", "aLL animals"};
inline constexpr int NumSpecies = 7;
inline constexpr std::string_view SourceItems[] = {"Yeast Genome Database", "GenBank via LocusLink"};

// The servers' base addresses, the request time-out and the proxy; read from
// the settings file, section "Sequence Retrieval", keys "YeastServer",
// "LocusLinkServer", "EntrezServer" and "TimeoutSeconds".
struct RetrievalServers {
    std::string yeast = "http://genome-www.stanford.edu";
    std::string locusLink = "http://www.ncbi.nlm.nih.gov";
    std::string entrez = "http://www.ncbi.nlm.nih.gov";
    int timeoutSeconds = 60;

    // Values missing from the file keep the defaults above.
    [[nodiscard]] static RetrievalServers fromSettings();
};
inline constexpr const char* SettingsSection = "Sequence Retrieval";

// Percent-encoding of a query value (unreserved characters stay).
[[nodiscard]] std::string EncodeQueryValue(std::string_view value);

// The request addresses.
[[nodiscard]] std::string YeastUrl(const RetrievalServers& servers, std::string_view gene, std::int32_t up,
                                   std::int32_t down);
[[nodiscard]] std::string LocusLinkUrl(const RetrievalServers& servers, std::string_view gene,
                                       std::string_view species);
[[nodiscard]] std::string EntrezUrl(const RetrievalServers& servers, std::string_view ids);

// Whether the species and source chosen may run; asks or refuses through
// platform::dialogs() with the title "Info".
[[nodiscard]] bool ChoicesAreValid(int species, int source);

// A typed length: the leading number of the text rounded half to even
// ("100.5" is 100, "250 nt" is 250). Text that does not begin with a number
// (empty text included), a negative value or one above MaxFlankLength (a
// value beyond the range of a double included) gives nothing.
inline constexpr std::int32_t MaxFlankLength = 100'000'000;
[[nodiscard]] std::optional<std::int32_t> FlankLength(std::string_view text);
// Why a length box's text gives no length, naming the box by its side
// ("upstream" or "downstream"); "" when FlankLength takes it.
[[nodiscard]] std::string FlankLengthRefusal(std::string_view side, std::string_view text);

// Both flanks of a gene found in the yeast genome database.
struct YeastFlanks {
    std::string left;
    std::string right;
};
// The sequence of a yeast reply: the text after the last " 1 " up to the
// next "<", cleaned of everything but residue letters. Nothing when the
// reply has no such block.
[[nodiscard]] std::optional<std::string> YeastSequence(std::string_view reply);
// The flanks of a cleaned sequence: the first `up` and last `down` letters,
// "T" turned into "U"; nothing when the sequence is not longer than up + down.
[[nodiscard]] std::optional<YeastFlanks> CutYeastFlanks(const std::string& sequence, std::int32_t up,
                                                        std::int32_t down);

// The identifier list of a gene-locus index page: after "RefSeq" (else
// "GenBank"), the text between the next ":" and the next double quote.
// Nothing when the page says "We were unable" or holds neither word.
// A page that names them but is cut off before the list raises error 5.
[[nodiscard]] std::optional<std::string> LocusLinkIds(std::string_view page);

// Appends the flanks of every record of a GenBank flat-file reply to the
// two sets (names gene + "_" + the 10 characters at columns 13 to 22 of the
// LOCUS line). Per record: the CDS location of that record gives the start
// S (the number before the first ".", 0 for "complement(" or "join(") and
// the end E (the number after the last "."); the residues are those of the
// ORIGIN block up to "//". Left flank only when S > 1: the up letters before
// S (all S - 1 when fewer); right flank only when the sequence is longer
// than E: the down letters after E (all when fewer). A position marked
// partial ("<1..", "..>900": the CDS runs on past it) leaves the flank on
// that side unknown: none is given. A record without a CDS gives no flank.
// Every flank of a side with a length above 0 that a record does not give,
// or gives shorter than asked, adds a note (when `notes` is given) naming the
// record and why, such as "no downstream flank from record NM_000020: it
// does not say where its CDS (5..>15) ends"; notes start in lower case and
// have no final stop. False when the reply holds no "LOCUS". A record
// without an ORIGIN block or cut off before its "//", or whose CDS positions
// lie outside its residues (0, negative, past its last residue, or too large
// for a number), raises error 5 naming the gene and the record; the sets and
// the notes are then unchanged.
bool ParseGenBankFlanks(std::string_view gene, std::string reply, std::int32_t up, std::int32_t down,
                        SequenceSet& left, SequenceSet& right, std::vector<std::string>* notes = nullptr);

// A gene of a run that did not give every flank asked for, and why: one
// reason for each side or record that fell short, or the error it ended on.
// Reasons start in lower case and have no final stop.
struct GeneShortfall {
    std::string gene;
    std::vector<std::string> reasons;
};
// The summary box lists this many genes, then counts the rest.
inline constexpr std::size_t SummaryGenes = 10;
// The text of the box that tells the user, once after a run, which genes
// fell short: a heading, then one paragraph per gene ("GENE: reason;
// reason.") for the first SummaryGenes, then "... and N more genes."; ""
// when none did.
[[nodiscard]] std::string ShortfallSummary(const std::vector<GeneShortfall>& genes);

// What the failure callback answers: Abort, Retry or Ignore.
using FailureHandler = std::function<platform::Answer(const platform::Error& error)>;
// The box the dialog shows: the error's text, then what each button does;
// title "Sequence retrieval", Abort / Retry / Ignore with the exclamation icon.
[[nodiscard]] platform::Answer AskOnFailure(const platform::Error& error);

class FlankRetrieval {
public:
    FlankRetrieval(platform::InetTransfer& inet, RetrievalServers servers);

    // Status lines ("No sequence was found for ..."), progress (one step per
    // gene) and the failure callback (AskOnFailure when not set).
    std::function<void(const std::string&)> status;
    numeric::Progress* progress = nullptr;
    FailureHandler onFailure;

    // The runs. Each starts from empty sets.
    void RetrieveFromYeastDB(const std::vector<std::string>& genes, std::int32_t up, std::int32_t down);
    void RetrieveFromGenBank(const std::vector<std::string>& genes, std::int32_t up, std::int32_t down,
                             std::string_view species);
    // The identifier list of a gene, or nothing when the index has none.
    [[nodiscard]] std::optional<std::string> LookUpLocusLink(const std::string& gene, std::string_view species);

    // True when the last run went through every gene (not stopped).
    [[nodiscard]] bool finished() const { return m_finished; }
    // The genes the last run went through (all of them when it finished).
    [[nodiscard]] std::size_t genesDone() const { return m_genesDone; }
    // The genes of the last run whose failure was answered Ignore: they
    // went by without their flanks.
    [[nodiscard]] std::size_t genesWithErrors() const { return m_genesWithErrors; }
    // The genes of the last run that fell short, in the order of the run: a
    // side without a flank or with a shorter one than asked (a side asked
    // for 0 never falls short), a gene not found, or a failure answered
    // Ignore or Abort.
    [[nodiscard]] const std::vector<GeneShortfall>& shortfalls() const { return m_shortfalls; }
    // Asks a running run to stop after the request in hand.
    void stop() { m_stopRequested = true; }
    [[nodiscard]] const SequenceSet& left() const { return m_left; }
    [[nodiscard]] const SequenceSet& right() const { return m_right; }

    // Hands both sets to the program's flank sets.
    void commitTo(SequenceSet& left, SequenceSet& right) const;

private:
    // Starts a run over `genes` genes: empty sets, nothing done, the
    // progress range one step per gene.
    void start(std::size_t genes);
    // Runs `work` for each gene in turn (through runGene) until one asks to
    // stop, then measures the sets and records whether every gene was done.
    void eachGene(const std::vector<std::string>& genes, const std::function<void(const std::string&)>& work);
    // Runs one gene's work; a failure goes to the callback. False when the
    // run is to stop.
    bool runGene(const std::string& gene, const std::function<void()>& work);
    void say(const std::string& text) const;
    // Adds a reason why the gene in hand falls short.
    void fallsShort(std::string reason) { m_reasons.push_back(std::move(reason)); }
    // The body of the reply to `url`, asked for `gene` of the service
    // `server` names; a transfer failure or an HTTP error status raises an
    // error naming the gene.
    [[nodiscard]] std::string fetch(const std::string& gene, std::string_view server, const std::string& url);

    platform::InetTransfer& m_inet;
    RetrievalServers m_servers;
    SequenceSet m_left;
    SequenceSet m_right;
    bool m_finished = false;
    bool m_stopRequested = false;
    std::size_t m_genesDone = 0;
    std::size_t m_genesWithErrors = 0;
    std::vector<GeneShortfall> m_shortfalls;
    // The reasons of the gene in hand, gathered while its work runs.
    std::vector<std::string> m_reasons;
};

} // namespace sequence
