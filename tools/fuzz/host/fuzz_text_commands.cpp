// libFuzzer: the text commands, called as the runtime calls them, on the
// case tests/fuzz/text_case.h cuts from the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "commands/core_commands.h"
#include "tests/fuzz/text_case.h"

namespace velmora {
void FreeHostBlocks();
namespace commands {
void FindText(ValueRecord*, int32_t, ValueRecord*);
void FindTextReverse(ValueRecord*, int32_t, ValueRecord*);
void ReplaceSubtext(ValueRecord*, int32_t, ValueRecord*);
void SplitText(ValueRecord*, int32_t, ValueRecord*);
void LeftText(ValueRecord*, int32_t, ValueRecord*);
void RightText(ValueRecord*, int32_t, ValueRecord*);
void MidText(ValueRecord*, int32_t, ValueRecord*);
void TrimSpaces(ValueRecord*, int32_t, ValueRecord*);
void RemoveAllSpaces(ValueRecord*, int32_t, ValueRecord*);
void ToLower(ValueRecord*, int32_t, ValueRecord*);
}  // namespace commands
}  // namespace velmora

namespace {

using velmora::ValueRecord;
namespace Type = velmora::Type;

ValueRecord TextArg(const std::string& text) { return {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text.c_str())), 0, Type::Text}; }
ValueRecord IntArg(int32_t value) { return {static_cast<uint32_t>(value), 0, Type::Integer}; }
ValueRecord BoolArg(bool value) { return {value ? 1u : 0u, 0, Type::Logical}; }

size_t ResultLength(const ValueRecord& result) {
    return result.low ? std::strlen(reinterpret_cast<const char*>(result.low)) : 0;
}

template <size_t N>
ValueRecord Call(void (*command)(ValueRecord*, int32_t, ValueRecord*), ValueRecord (&&arguments)[N]) {
    ValueRecord result{0, 0, 0};
    command(&result, static_cast<int32_t>(N), arguments);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::commands;
    const velmora::fuzz::TextCase c = velmora::fuzz::TextCaseOf(std::string(reinterpret_cast<const char*>(data), size));
    const std::string &text = c.text, &sought = c.sought, &replacement = c.replacement;
    const int32_t n = c.n;
    const auto length = static_cast<int32_t>(text.size());
    auto inRange = [&](const ValueRecord& r) {
        auto at = static_cast<int32_t>(r.low);
        if (!(at == -1 || (at >= 1 && at <= length))) std::abort();
    };
    auto notLonger = [&](const ValueRecord& r) {
        if (ResultLength(r) > text.size()) std::abort();
    };
    inRange(Call(FindText, {TextArg(text), TextArg(sought), IntArg(n), BoolArg(n & 1)}));
    inRange(Call(FindTextReverse, {TextArg(text), TextArg(sought), IntArg(n), BoolArg(n & 2)}));
    notLonger(Call(LeftText, {TextArg(text), IntArg(n)}));
    notLonger(Call(RightText, {TextArg(text), IntArg(n)}));
    notLonger(Call(MidText, {TextArg(text), IntArg(n), IntArg(n / 2)}));
    notLonger(Call(TrimSpaces, {TextArg(text)}));
    notLonger(Call(RemoveAllSpaces, {TextArg(text)}));
    if (ResultLength(Call(ToLower, {TextArg(text)})) != text.size()) std::abort();
    Call(ReplaceSubtext, {TextArg(text), TextArg(sought), TextArg(replacement), IntArg(n), IntArg(n / 4), BoolArg(n & 4)});
    ValueRecord parts = Call(SplitText, {TextArg(text), TextArg(sought), IntArg(n)});
    (void)parts;
    velmora::FreeHostBlocks();
    return 0;
}
