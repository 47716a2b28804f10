#include "runtime/message_box.h"
#include <atomic>
#include <cstring>
#include <string>
#include "runtime/platform_text.h"

namespace velmora {
namespace {
// Null is the platform's box: a constant, so no static initialiser runs after a replacement.
std::atomic<MessageBoxFunction> showBox{nullptr};

// The texts are converted on the stack when they fit: a report of memory run
// out must not need memory to be shown.
constexpr size_t StackRoom = 4096;

class WideArgument {
public:
    explicit WideArgument(const char* text) {
        buffer_[0] = L'\0';
        size_t length = text ? std::strlen(text) : 0;
        if (length < StackRoom)
            WideFromTextInto(std::string_view(text ? text : "", length), buffer_, StackRoom);
        else
            long_ = WideFromText(text);
    }
    const wchar_t* Get() const { return long_.empty() ? buffer_ : long_.c_str(); }

private:
    wchar_t buffer_[StackRoom];
    std::wstring long_;
};

int WINAPI PlatformMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    WideArgument wideText(text), wideCaption(caption);
    // A box with no owner, shown from another thread, comes to the front as it appears.
    return MessageBoxW(owner, wideText.Get(), wideCaption.Get(), style | MB_SETFOREGROUND);
}

}  // namespace

int ShowMessageBox(const char* text, const char* caption, UINT style) {
    MessageBoxFunction show = showBox.load();
    return (show ? show : PlatformMessageBox)(nullptr, text, caption, style);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) {
    MessageBoxFunction previous = showBox.exchange(show);
    return previous ? previous : PlatformMessageBox;
}

}  // namespace velmora
