// A small seeded mutator: the same seed gives the same inputs on every
// machine, so a finding is replayed by its seed and iteration alone.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::fuzz {

class Mutator {
public:
    explicit Mutator(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}

    uint32_t Next(uint32_t bound) {
        // xorshift64*
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return bound ? static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32) % bound : 0;
    }

    // One to eight edits: byte flips and sets, inserted and deleted runs,
    // copied runs, tokens from the dictionary, cuts.
    std::string Mutate(std::string input, const std::vector<std::string>& dictionary, bool keepSize = false) {
        static const char interesting[] = {0, 1, 0x20, 0x3C, 0x3E, 0x5C, 0x7C, 0x7F, static_cast<char>(0x80),
                                           static_cast<char>(0x81), static_cast<char>(0xA1), static_cast<char>(0xFE),
                                           static_cast<char>(0xFF), '\r', '\n', '"'};
        int edits = 1 + static_cast<int>(Next(8));
        for (int e = 0; e < edits; ++e) {
            uint32_t at = Next(static_cast<uint32_t>(input.size()) + 1);
            if (keepSize) {
                if (at >= input.size()) continue;
                if (Next(4) == 0 && !dictionary.empty()) {
                    const std::string& token = dictionary[Next(static_cast<uint32_t>(dictionary.size()))];
                    input.replace(at, std::min(token.size(), input.size() - at), token, 0, input.size() - at);
                } else {
                    input[at] = Next(2) ? static_cast<char>(Next(256)) : interesting[Next(sizeof interesting)];
                }
                continue;
            }
            switch (Next(8)) {
            case 0:
                if (at < input.size()) input[at] = static_cast<char>(input[at] ^ (1 << Next(8)));
                break;
            case 1:
                if (at < input.size()) input[at] = interesting[Next(sizeof interesting)];
                break;
            case 2:
                input.insert(at, 1 + Next(16), static_cast<char>(Next(256)));
                break;
            case 3:
                input.erase(at, 1 + Next(64));
                break;
            case 4: {
                uint32_t from = Next(static_cast<uint32_t>(input.size()) + 1);
                std::string run = input.substr(from, 1 + Next(128));
                input.insert(at, run);
                break;
            }
            case 5:
            case 6:
                if (!dictionary.empty()) input.insert(at, dictionary[Next(static_cast<uint32_t>(dictionary.size()))]);
                break;
            default:
                if (Next(4) == 0) input.resize(at);
                break;
            }
        }
        if (input.size() > (1u << 20)) input.resize(1u << 20);
        return input;
    }

private:
    uint64_t state_;
};

}  // namespace velmora::fuzz
