// Tries again what may pass the next time: a connection refused or reset, a
// time-out before the answer, a body cut short, a server busy or failing
// (408, 429, 500, 502, 503, 504). Nothing else is asked twice. A server
// that asks the run to slow down (429, or 503 with a Retry-After) pauses
// every worker's next request to it, not only the one that was told.
#pragma once
#include <cstdint>
#include "commands/core_calls.h"

namespace velmora::app {

// One try and up to three more.
constexpr int32_t MaximumTries = 4;

// What one try of a picture tells the next.
struct TryOutcome {
    routine::Text reason;     // why it failed; empty when the picture was saved
    bool transient = false;   // it may pass the next time
    int32_t status = 0;       // the HTTP status, 0 when none arrived
    int32_t retryAfter = -1;  // the seconds the server asked for, -1 for none
    routine::Text server;     // "host:port" that answered, after redirects
};

// May a fetch that failed so pass the next time? `incomplete`: the body was cut short.
bool Transient(int32_t failure, int32_t status, bool incomplete);
// The wait before the next try, after `triesDone` tries: the server's
// Retry-After when it gave one, else 1 s, 2 s, 4 s.
int32_t RetryWaitMilliseconds(int32_t triesDone, int32_t retryAfter);
// A 429, or a 503 with a Retry-After: the whole server waits.
bool PausesServer(int32_t status, int32_t retryAfter);
// The platform's millisecond clock.
uint32_t TickCount();
// "host:port" of an address.
routine::Text ServerOf(const char* url);
// "reason" or, after more than one try, "reason，已试 n 次".
routine::Text WithTries(const routine::Text& reason, int32_t tries);

// Every worker's next request to the server waits until the pause ends
// (a longer pause already set stays). Pauses are the run's: ForgetServerPauses
// at its start.
void PauseServer(const routine::Text& server, int32_t milliseconds);
void ForgetServerPauses();
// Returns once the server is not paused; the label says how long is left.
void WaitForServer(const routine::Text& server);
// Waits, the label saying "等待服务器 n 秒", then shows the count again.
// Ends early once the window is closing.
void WaitSayingSo(int32_t milliseconds);

}  // namespace velmora::app
