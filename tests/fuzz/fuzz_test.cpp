// Seeded mutation loops over the form template loader, the harvest and the
// text commands, under Wine on the program's own runtime. Every regression
// input under tests/fuzz/regressions/<target>/ is replayed first.
//   VELMORA_FUZZ_ITERATIONS  inputs per target (default 20000)
//   VELMORA_FUZZ_SEED        the loop's seed (default 1)
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include "tests/fuzz/fuzz_targets.h"
#include "tests/fuzz/mutator.h"
#include "tests/support/folder_entries.h"

namespace velmora::fuzz {
namespace {

uint32_t Setting(const char* name, uint32_t fallback) {
    const char* text = std::getenv(name);
    return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

std::vector<std::string> RegressionInputs(const std::string& target) {
    std::vector<std::string> inputs;
    const char* root = std::getenv("VELMORA_FUZZ_REGRESSIONS");
    if (!root) return inputs;
    testing::ForEachEntry(std::string(root) + "\\" + target, [&](const WIN32_FIND_DATAA& found, const std::string& path) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || found.cFileName[0] == '.') return;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        inputs.push_back(bytes.str());
    });
    return inputs;
}

class MutationLoop : public ::testing::TestWithParam<size_t> {};

TEST_P(MutationLoop, NoInputCrashesOrBreaksWhatMustHold) {
    const Target& target = Targets()[GetParam()];
    for (const std::string& input : RegressionInputs(target.name)) target.run(input);
    const uint32_t iterations = Setting("VELMORA_FUZZ_ITERATIONS", 20000), seed = Setting("VELMORA_FUZZ_SEED", 1);
    std::vector<std::string> corpus = target.seeds();
    Mutator mutator(seed);
    DeepInputs() = 0;
    for (uint32_t i = 0; i < iterations && !HasFailure(); ++i) {
        std::string input = mutator.Mutate(corpus[mutator.Next(static_cast<uint32_t>(corpus.size()))], target.dictionary,
                                           target.keepSize);
        target.run(input);
        if (HasFailure()) {
            std::string hex;
            for (unsigned char c : input.substr(0, 512)) {
                char pair[4];
                std::snprintf(pair, sizeof pair, "%02X", c);
                hex += pair;
            }
            ADD_FAILURE() << target.name << ": seed " << seed << ", iteration " << i << ", input " << hex;
        }
        if (corpus.size() < 64 && mutator.Next(16) == 0) corpus.push_back(std::move(input));  // grow the pool
    }
    std::printf("%s: %u mutated inputs (%u went deep), seed %u\n", target.name, iterations, DeepInputs(), seed);
}

INSTANTIATE_TEST_SUITE_P(Targets, MutationLoop, ::testing::Range(size_t{0}, Targets().size()),
                         [](const auto& info) { return std::string(Targets()[info.param].name); });

}  // namespace
}  // namespace velmora::fuzz
