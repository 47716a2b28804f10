#include "app/retries.h"
#include "app/downloader.h"
#include "app/window_units.h"
#include "program/dll_command_numbers.h"
#include "threads/thread_calls.h"
#include "web/fetch_failure.h"
#include "web/retry_after.h"
#include "web/url_routines.h"

namespace velmora::app {

using namespace routine;

namespace {

constexpr int32_t FirstWaitMilliseconds = 1000;
// Servers a run may be asked to wait for at once; a run talks to a handful.
constexpr int Pausable = 16;

struct ServerPause {
    Text server;
    uint32_t until = 0;
    bool used = false;
};
// Like every global of the program it lives until the process ends.
ServerPause* pauses = new ServerPause[Pausable];
int32_t pauseSection = 0;

void Sleep(uint32_t milliseconds) { rt().CallDllCommand(program::DllSleep, &milliseconds, 1); }

// Milliseconds until the server's pause ends; 0 when it is not paused.
uint32_t PauseLeft(const Text& server) {
    uint32_t left = 0;
    EnterSection(pauseSection);
    for (int i = 0; i < Pausable; ++i)
        if (pauses[i].used && web::SameText(pauses[i].server.Get(), server.Get())) {
            auto remaining = static_cast<int32_t>(pauses[i].until - TickCount());
            if (remaining > 0) left = static_cast<uint32_t>(remaining);
        }
    LeaveSection(pauseSection);
    return left;
}

}  // namespace

uint32_t TickCount() { return rt().CallDllCommand(program::DllGetTickCount, nullptr, 0); }

bool Transient(int32_t failure, int32_t status, bool incomplete) {
    switch (status) {
        case 408: case 429: case 500: case 502: case 503: case 504: return true;
        default: break;
    }
    // Refused, reset, or silent before any answer (however the library words it).
    if (status == 0) return failure == web::FetchCannotConnect || failure == web::FetchTimedOut || failure == web::FetchFine;
    // A body that broke off; one that stalled after it began is not asked for again.
    return status == 200 && failure == web::FetchFine && incomplete;
}

int32_t RetryWaitMilliseconds(int32_t triesDone, int32_t retryAfter) {
    if (retryAfter >= 0) return retryAfter * 1000;
    int32_t doublings = triesDone < 1 ? 0 : triesDone > 3 ? 2 : triesDone - 1;
    return FirstWaitMilliseconds << doublings;
}

bool PausesServer(int32_t status, int32_t retryAfter) { return status == 429 || (status == 503 && retryAfter >= 0); }

Text ServerOf(const char* url) {
    Text host = web::UrlHost(url);
    Text port = ToText(web::UrlPort(url));
    return Join(host, ":", port);
}

Text WithTries(const Text& reason, int32_t tries) {
    if (tries <= 1) return Join(reason);
    Text count = ToText(tries);
    return Join(reason, "，已试 ", count, " 次");
}

void ForgetServerPauses() {
    if (!pauseSection) pauseSection = CreateCriticalSection();
    EnterSection(pauseSection);
    for (int i = 0; i < Pausable; ++i) pauses[i].used = false;
    LeaveSection(pauseSection);
}

void PauseServer(const Text& server, int32_t milliseconds) {
    uint32_t until = TickCount() + static_cast<uint32_t>(milliseconds);
    EnterSection(pauseSection);
    int chosen = -1;
    for (int i = 0; i < Pausable && chosen < 0; ++i)
        if (pauses[i].used && web::SameText(pauses[i].server.Get(), server.Get())) chosen = i;
    // A new server takes a free entry, else the one whose pause ends first.
    for (int i = 0; i < Pausable && chosen < 0; ++i)
        if (!pauses[i].used) chosen = i;
    if (chosen < 0) {
        chosen = 0;
        for (int i = 1; i < Pausable; ++i)
            if (static_cast<int32_t>(pauses[i].until - pauses[chosen].until) < 0) chosen = i;
        pauses[chosen].used = false;
    }
    ServerPause& pause = pauses[chosen];
    if (!pause.used) {
        pause.server = Join(server);
        pause.until = until;
        pause.used = true;
    } else if (static_cast<int32_t>(until - pause.until) > 0) {
        pause.until = until;
    }
    LeaveSection(pauseSection);
}

void WaitForServer(const Text& server) {
    // Pauses that other workers extend meanwhile are waited out too, but one
    // wait for a server never passes the longest a server may ask.
    uint32_t deadline = TickCount() + static_cast<uint32_t>(web::LongestRetryAfter()) * 1000;
    for (uint32_t left = PauseLeft(server); left && !closing; left = PauseLeft(server)) {
        auto room = static_cast<int32_t>(deadline - TickCount());
        if (room <= 0) return;
        WaitSayingSo(static_cast<int32_t>(left) < room ? static_cast<int32_t>(left) : room);
    }
}

void WaitSayingSo(int32_t milliseconds) {
    if (milliseconds <= 0) return;
    uint32_t end = TickCount() + static_cast<uint32_t>(milliseconds);
    for (auto left = static_cast<int32_t>(end - TickCount()); left > 0 && !closing; left = static_cast<int32_t>(end - TickCount())) {
        Text seconds = ToText((left + 999) / 1000);
        SetLabelCaption(Join("等待服务器 ", seconds, " 秒"));
        // Whole seconds on the label: sleep to the next change of the count.
        int32_t step = left % 1000 ? left % 1000 : 1000;
        Sleep(static_cast<uint32_t>(step));
    }
    SetLabelCaption(ProgressText());
}

}  // namespace velmora::app
