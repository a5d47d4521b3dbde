// Randomness for unique file names; a seeded source makes tests repeatable.
#pragma once

#include <cstdint>
#include <memory>

namespace tolvane {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A value uniformly drawn from 0 .. bound - 1 (bound > 0).
  virtual uint32_t Below(uint32_t bound) = 0;
};

std::unique_ptr<RandomSource> MakeSystemRandom();
std::unique_ptr<RandomSource> MakeSeededRandom(uint64_t seed);

}  // namespace tolvane
