#include "runtime/message_box.h"
#include <atomic>

namespace velmora {
namespace {
// Null is the platform's box: a constant, so no static initialiser runs after a replacement.
std::atomic<MessageBoxFunction> showBox{nullptr};
}

int ShowMessageBox(const char* text, const char* caption, UINT style) {
    MessageBoxFunction show = showBox.load();
    return (show ? show : ::MessageBoxA)(nullptr, text, caption, style);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) {
    MessageBoxFunction previous = showBox.exchange(show);
    return previous ? previous : ::MessageBoxA;
}

}  // namespace velmora
