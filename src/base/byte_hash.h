// A fast 64-bit hash of bytes, given all at once or piece by piece (the
// same value either way). Not cryptographic: it tells files apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::base {

class ByteHasher {
public:
    void add(const char* data, std::size_t size);
    // The hash of everything added so far.
    std::uint64_t value() const;

private:
    // Four words a block in four independent lanes, so that the multiplies
    // overlap; a block split between pieces waits in `pending_`.
    static constexpr std::size_t kBlock = 32;
    void addBlock(const char* block);

    std::uint64_t lane_[4]
        = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
    char pending_[kBlock] = {};
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};

std::uint64_t HashBytes(const char* data, std::size_t size);

} // namespace lumo::base
