// What the mutation loops feed: each target takes any bytes, must neither
// crash nor hang, and checks what must hold whatever the input.
#pragma once
#include <string>
#include <vector>

namespace velmora::fuzz {

struct Target {
    const char* name;  // also the folder of its regression inputs
    void (*run)(const std::string& input);
    std::vector<std::string> (*seeds)();
    std::vector<std::string> dictionary;
    bool keepSize = false;  // only overwrite bytes: a block whose lengths still add up goes deeper
};

const std::vector<Target>& Targets();
// Inputs that went past the first checks (a template that loaded, a page
// with pictures, a sought text found), counted for the report.
uint32_t& DeepInputs();

}  // namespace velmora::fuzz
