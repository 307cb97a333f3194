#include "sequence/GeneticCode.h"

#include <algorithm>

namespace sequence {

namespace {

constexpr char kBases[] = "ACGT";

struct Table {
    std::int32_t number;
    const char* name;
    // Codons that differ from the standard code, with their symbols.
    std::vector<std::pair<const char*, char>> changes;
};

const std::vector<Table>& tables()
{
    static const std::vector<Table> t = {
        {1, "Standard", {}},
        {2, "Vertebrate Mitochondrial", {{"AGA", '*'}, {"AGG", '*'}, {"ATA", 'M'}, {"TGA", 'W'}}},
        {3, "Yeast Mitochondrial",
         {{"ATA", 'M'}, {"CTT", 'T'}, {"CTC", 'T'}, {"CTA", 'T'}, {"CTG", 'T'}, {"TGA", 'W'}}},
        {4, "Mold, Protozoan, and Coelenterate Mitochondrial and Mycoplasma/Spiroplasma", {{"TGA", 'W'}}},
        {5, "Invertebrate Mitochondrial", {{"AGA", 'S'}, {"AGG", 'S'}, {"ATA", 'M'}, {"TGA", 'W'}}},
        {6, "Ciliate, Dasycladacean and Hexamita Nuclear", {{"TAA", 'Q'}, {"TAG", 'Q'}}},
        {9, "Echinoderm and Flatworm Mitochondrial", {{"AAA", 'N'}, {"AGA", 'S'}, {"AGG", 'S'}, {"TGA", 'W'}}},
        {10, "Euplotid Nuclear", {{"TGA", 'C'}}},
        {11, "Bacterial, Archaeal and Plant Plastid", {}},
        {12, "Alternative Yeast Nuclear", {{"CTG", 'S'}}},
        {13, "Ascidian Mitochondrial", {{"AGA", 'G'}, {"AGG", 'G'}, {"ATA", 'M'}, {"TGA", 'W'}}},
        {14, "Alternative Flatworm Mitochondrial",
         {{"AAA", 'N'}, {"AGA", 'S'}, {"AGG", 'S'}, {"TAA", 'Y'}, {"TGA", 'W'}}},
        {16, "Chlorophycean Mitochondrial", {{"TAG", 'L'}}},
        {21, "Trematode Mitochondrial", {{"TGA", 'W'}, {"ATA", 'M'}, {"AGA", 'S'}, {"AGG", 'S'}, {"AAA", 'N'}}},
        {22, "Scenedesmus obliquus Mitochondrial", {{"TCA", '*'}, {"TAG", 'L'}}},
        {23, "Thraustochytrium Mitochondrial", {{"TTA", '*'}}},
        {24, "Rhabdopleuridae Mitochondrial", {{"AGA", 'S'}, {"AGG", 'K'}, {"TGA", 'W'}}},
        {25, "Candidate Division SR1 and Gracilibacteria", {{"TGA", 'G'}}},
        {26, "Pachysolen tannophilus Nuclear", {{"CTG", 'A'}}},
    };
    return t;
}

// The standard code in codon-number order (bases A, C, G, T).
constexpr char kStandard[] = "KNKNTTTTRSRSIIMIQHQHPPPPRRRRLLLLEDEDAAAAGGGGVVVV*Y*YSSSS*CWCLFLF";
static_assert(sizeof(kStandard) == 65);

std::int32_t codonNumber(const char* codon)
{
    std::int32_t n = 0;
    for (int i = 0; i < 3; ++i)
        n = 4 * n + static_cast<std::int32_t>(std::string_view(kBases).find(codon[i]));
    return n;
}

} // namespace

GeneticCode MakeGeneticCode(std::int32_t number)
{
    GeneticCode code;
    const auto& all = tables();
    const auto it = std::find_if(all.begin(), all.end(), [&](const Table& t) { return t.number == number; });
    if (it == all.end())
        return code;
    for (std::size_t n = 0; n < 64; ++n) {
        code.codons[n] = {kBases[n / 16], kBases[(n / 4) % 4], kBases[n % 4]};
        code.symbols[n] = std::string(1, kStandard[n]);
    }
    for (const auto& [codon, symbol] : it->changes)
        code.symbols[static_cast<std::size_t>(codonNumber(codon))] = std::string(1, symbol);
    code.number = it->number;
    code.name = it->name;
    return code;
}

const std::vector<std::int32_t>& GeneticCodeNumbers()
{
    static const std::vector<std::int32_t> numbers = [] {
        std::vector<std::int32_t> v;
        for (const auto& t : tables())
            v.push_back(t.number);
        return v;
    }();
    return numbers;
}

GeneticCode& CurrentGeneticCode()
{
    static GeneticCode current = MakeGeneticCode(1);
    return current;
}

std::string GeneticCodeTableText(const GeneticCode& code)
{
    constexpr std::size_t order[4] = {3, 1, 0, 2};
    std::string text = "Codon  AA    Codon  AA    Codon  AA    Codon  AA\r\n"
                       "-------------------------------------------------\r\n";
    for (std::size_t first : order) {
        for (std::size_t third : order) {
            for (std::size_t second : order) {
                const std::size_t n = 16 * first + 4 * second + third;
                text += " " + code.codons[n] + "  " + code.symbols[n] + "    ";
            }
            text += "\r\n";
        }
        text += "\r\n";
    }
    text += "\r\nGenetic code: " + code.name + "\r\n";
    return text;
}

} // namespace sequence
