#include "platform/random.h"

#include <random>

namespace tolvane {
namespace {

class EngineRandom : public RandomSource {
 public:
  explicit EngineRandom(uint64_t seed) : engine_(seed) {}
  uint32_t Below(uint32_t bound) override {
    return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine_);
  }

 private:
  std::mt19937_64 engine_;
};

}  // namespace

std::unique_ptr<RandomSource> MakeSystemRandom() {
  std::random_device device;
  uint64_t seed = (static_cast<uint64_t>(device()) << 32) ^ device();
  return std::make_unique<EngineRandom>(seed);
}

std::unique_ptr<RandomSource> MakeSeededRandom(uint64_t seed) {
  return std::make_unique<EngineRandom>(seed);
}

}  // namespace tolvane
