#include "base/byte_hash.h"

#include <algorithm>
#include <cstring>

namespace lumo::base {

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t hash, std::uint64_t word)
{
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
}

std::uint64_t wordAt(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

} // namespace

void ByteHasher::addBlock(const char* block)
{
    for (int k = 0; k < 4; ++k)
        lane_[k] = mix(lane_[k], wordAt(block + 8 * k));
}

void ByteHasher::add(const char* data, std::size_t size)
{
    total_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, kBlock - pendingSize_);
        std::memcpy(pending_ + pendingSize_, data, take);
        pendingSize_ += take;
        data += take;
        size -= take;
        if (pendingSize_ < kBlock)
            return;
        addBlock(pending_);
        pendingSize_ = 0;
    }
    for (; size >= kBlock; data += kBlock, size -= kBlock)
        addBlock(data);
    std::memcpy(pending_, data, size);
    pendingSize_ = size;
}

std::uint64_t ByteHasher::value() const
{
    std::uint64_t hash = total_ * kMultiplier;
    for (const std::uint64_t lane : lane_)
        hash = mix(hash, lane);
    std::size_t i = 0;
    for (; i + 8 <= pendingSize_; i += 8)
        hash = mix(hash, wordAt(pending_ + i));
    std::uint64_t tail = 0;
    std::memcpy(&tail, pending_ + i, pendingSize_ - i);
    hash = (hash ^ tail) * kMultiplier;
    return hash ^ (hash >> 32);
}

std::uint64_t HashBytes(const char* data, std::size_t size)
{
    ByteHasher hasher;
    hasher.add(data, size);
    return hasher.value();
}

} // namespace lumo::base
