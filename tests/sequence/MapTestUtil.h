#pragma once

// Seeded sequence families and the alignment engine called directly, for
// checking what the front end and the editor hand back.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engines/map/MapExports.h"
#include "platform/dll/Library.h"
#include "sequence/mRyt.h"
#include "tests/sequence/SequenceFamily.h"

namespace maptest {

using sequence::MapParams;

using seqtest::family;

inline std::string degap(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
    return s;
}

// The engine called directly through its unsized export, rows put back in
// input order by its order array.
inline std::vector<std::string> direct(const std::vector<std::string>& seqs, const MapParams& p, const std::string& alphabet = "",
                                const std::vector<std::int32_t>& matrix = {})
{
    platform::dll::Library lib("libtallowin.so");
    auto fn = lib.function<decltype(&mapMainDll)>("mapMainDll");
    const auto n = static_cast<std::int32_t>(seqs.size());
    const auto texts = sequence::PackMapTexts(seqs, n);
    std::string messages(4096, ' ');
    std::string output(static_cast<std::size_t>(3 * n * texts.longest), ' ');
    std::vector<std::int32_t> order(seqs.size());
    const std::int32_t zero = 0;
    const int r = fn(texts.names.c_str(), static_cast<std::int32_t>(texts.names.size()), texts.sequences.c_str(),
                     static_cast<std::int32_t>(texts.sequences.size()), n, p.minLenCCI, p.misMatch, p.match, p.gapOpen,
                     p.gapExtend, matrix.empty() ? 0 : 1, alphabet.c_str(), static_cast<std::int32_t>(alphabet.size()),
                     matrix.empty() ? &zero : matrix.data(), messages.data(), output.data(), order.data());
    EXPECT_EQ(r, 1) << messages;
    std::vector<std::string> rows(seqs.size());
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const auto semi = output.find(';', start);
        rows[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = output.substr(start, semi - start);
        start = semi + 1;
    }
    return rows;
}


} // namespace maptest
