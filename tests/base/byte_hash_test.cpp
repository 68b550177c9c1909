#include "base/byte_hash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumo::base {
namespace {

std::uint64_t hashOf(const std::string& bytes)
{
    return HashBytes(bytes.data(), bytes.size());
}

// A file's hash taken as it is written, piece by piece, is the hash of the
// file read back whole, wherever the pieces end.
TEST(ByteHash, PiecesGiveTheHashOfTheWhole)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += char(i * 37 + i / 7);
    const struct {
        const char* what;
        std::vector<std::size_t> cuts;
    } cases[] = {
        {"whole", {}},
        {"in blocks", {32, 64, 96}},
        {"within blocks", {1, 2, 3, 31, 33, 70}},
        {"empty pieces", {0, 0, 5, 5, 5}},
        {"one byte a piece",
         [] {
             std::vector<std::size_t> cuts;
             for (std::size_t at = 1; at < 100; ++at)
                 cuts.push_back(at);
             return cuts;
         }()},
        {"a last piece shorter than a word", {995}},
    };
    for (const auto& c : cases) {
        ByteHasher hasher;
        std::size_t from = 0;
        for (const std::size_t cut : c.cuts) {
            hasher.add(bytes.data() + from, cut - from);
            from = cut;
        }
        hasher.add(bytes.data() + from, bytes.size() - from);
        EXPECT_EQ(hasher.value(), hashOf(bytes)) << c.what;
    }
}

TEST(ByteHash, TellsApartBytesThatDifferOnlyInPlaceOrLength)
{
    const std::string a(100, 'a');
    std::string lastChanged = a, firstChanged = a;
    lastChanged.back() = 'b';
    firstChanged.front() = 'b';
    const std::vector<std::string> all = {"",
                                          std::string(1, '\0'),
                                          std::string(2, '\0'),
                                          std::string(32, '\0'),
                                          std::string(33, '\0'),
                                          a,
                                          lastChanged,
                                          firstChanged,
                                          a + '\0'};
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j)
            EXPECT_NE(hashOf(all[i]), hashOf(all[j])) << i << " and " << j;
}

} // namespace
} // namespace lumo::base
