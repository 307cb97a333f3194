#pragma once

// Distances between two amino acids named by their one-letter codes, from
// one of four built-in pairwise distance tables over the twenty standard
// residues or from the absolute difference of one of seventeen built-in
// per-residue property scales, extended to B (D or N), Z (E or Q), X (any)
// and the stop code "*".
//
// Residue index: the position in "ARNDCQEGHILKMFPSTWYVBZX*". Character
// codes 0 .. 90 map to that index; every code that is not one of the 24
// letters (digits, "-", ".", J, O, U) counts as the stop code. Lower-case
// letters and other codes above 90 are outside the map: error 9.
//
// The distance of a and b is read at (max(a, b), min(a, b)) of a 24 x 24
// matrix; cells never written (the diagonal of the standard residues and the
// stop code against itself) are 0.
//
// Ambiguity rows: B, Z and X take the mean distance of their group's letters
// (X's mean includes the residue itself at 0); between two ambiguity codes
// the mean over all letter pairs; against itself the mean over all ordered
// letter pairs of its group. The stop code is at the largest distance
// between two standard residues from everything but itself.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sequence {

class CAADis {
public:
    static constexpr int NumRes = 24;
    static constexpr std::string_view Alphabet = "ARNDCQEGHILKMFPSTWYVBZX*";
    using Matrix = std::array<std::array<double, NumRes>, NumRes>;

    CAADis();

    // Builds distance table tableNumber (0 .. 3) when useTable, else the
    // property distances of scale scaleNumber (0 .. 16), and the ambiguity
    // and stop rows. A number outside its range raises error 5 and leaves the
    // matrix as it was. The stored matrices are not touched.
    bool Initialize(bool useTable, std::uint8_t tableNumber, std::int32_t scaleNumber);

    // Builds tables 0, 1 and 2 in turn and stores each; table 2 stays current.
    bool InitializeAllCompDistMat();

    [[nodiscard]] double GetDist(std::int16_t c1, std::int16_t c2) const;
    [[nodiscard]] double GetDistI(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2) const;

    // Distances in the stored matrices; before InitializeAllCompDistMat they
    // raise error 91.
    void GetDistAll(std::int16_t c1, std::int16_t c2, double& d0, double& d1, double& d2) const;
    void GetDistIAll(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0, double& d1,
                     double& d2) const;
    void GetDistGM(std::int16_t c1, std::int16_t c2, double& d0, double& d1) const;
    void GetDistIGM(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0,
                    double& d1) const;
    void GetDistGMyD(std::int16_t c1, std::int16_t c2, double& d0, double& d2) const;
    void GetDistIGMyD(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0,
                      double& d2) const;

    // Residue index of a character code (error 9 outside 0 .. 90).
    [[nodiscard]] std::int16_t ResidueIndex(std::int16_t c) const;

private:
    void LoadDistanceTable(int tableNumber);
    void LoadPropertyScale(int scaleNumber);
    void AddAmbiguityCodes();
    [[nodiscard]] static double lookup(const Matrix& m, int a, int b);
    [[nodiscard]] const Matrix& stored(int slot) const;

    std::array<std::uint8_t, 91> m_codeMap{};
    Matrix m_current{};
    std::array<std::optional<Matrix>, 3> m_stored;
};

namespace detail {
extern const std::array<std::array<double, 20>, 17> AAPropertyScales;
extern const std::array<std::array<double, 190>, 4> AADistanceTables;
} // namespace detail

} // namespace sequence
