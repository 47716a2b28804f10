#include "runtime/message_box.h"
#include <atomic>

namespace velmora {
namespace {
std::atomic<MessageBoxFunction> showBox{::MessageBoxA};
}

int ShowMessageBox(const char* text, const char* caption, UINT style) { return showBox.load()(nullptr, text, caption, style); }

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) { return showBox.exchange(show); }

}  // namespace velmora
