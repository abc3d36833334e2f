// What a draw is, and what the engine asks of a generator of draws.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

namespace vellorin {

// Every draw is k * drawUnit for a 24-bit k, so every draw is an exact float
// in [0, 1): 0 can occur, 1 never does.
inline constexpr std::uint32_t distinctKs = 1u << 24;
inline constexpr float drawUnit = 0x1p-24f;
static_assert(drawUnit * distinctKs == 1.0f);

// The bin rule on k: tenth = floor(r * 10) + 1 and bin = ceil(tenth / 2) come
// to bin = floor(x) + 1 for x = r * 5 rounded to float, because r * 10
// rounded is exactly 2x and ceil((floor(2x) + 1) / 2) = floor(x) + 1. Both
// k * fifthsPerK and r * 5 round the same exact product, so x needs no draw.
inline constexpr float fifthsPerK = 5.0f * drawUnit;

// Hands out draws as blocks of `lanes` k values (24 bits each), a multiple of
// eight so that the engine can split a block into whole vector registers.
// The engine takes the draws block by block and lane by lane; a run that
// ends inside a block uses the block's first lanes and drops the rest.
// (std::is_same_v rather than <concepts>: moc reads the headers the tests
// include, and not every moc this builds with can read <concepts>.)
template <class Generator>
concept DrawGenerator = requires(Generator& generator, typename Generator::Block& block) {
    requires Generator::lanes > 0 && Generator::lanes % 8 == 0;
    requires std::is_same_v<typename Generator::Block, std::array<std::uint32_t, Generator::lanes>>;
    generator.nextBlock(block);
};

} // namespace vellorin
