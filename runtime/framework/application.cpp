#include "runtime/framework/application.h"

namespace velmora::framework {
namespace {
Application* theApplication = nullptr;
constexpr UINT SystemTimerMessage = 0x0118;
}  // namespace

Application::Application() { theApplication = this; }

Application::~Application() {
    if (theApplication == this) theApplication = nullptr;
}

Application* Application::Current() { return theApplication; }

bool Application::OnIdle(long) { return false; }

bool Application::PreTranslateMessage(MSG*) { return false; }

bool Application::PumpMessage() {
    if (!GetMessageW(&current_, nullptr, 0, 0)) return false;
    if (!PreTranslateMessage(&current_)) {
        TranslateMessage(&current_);
        DispatchMessageW(&current_);
    }
    return true;
}

bool Application::IsIdleMessage(const MSG& message) {
    // A mouse that did not move, a repaint or the caret timer is no reason to
    // run the idle handlers again.
    if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
        if (message.message == lastMouseMessage_ && message.pt.x == lastMousePosition_.x &&
            message.pt.y == lastMousePosition_.y)
            return false;
        lastMousePosition_ = message.pt;
        lastMouseMessage_ = message.message;
        return true;
    }
    return message.message != WM_PAINT && message.message != SystemTimerMessage;
}

int RunApplication() {
    Application* app = Application::Current();
    if (!app) return -1;
    app->InitInstance();
    return app->ExitInstance();
}

}  // namespace velmora::framework
