// The progress log and the count: one line per picture in the list box,
// appended and replaced under logSection, and doneCount under countSection.
#include "app/downloader.h"
#include "app/window_units.h"
#include "app/retries.h"
#include "threads/thread_calls.h"

namespace velmora::app {

using namespace routine;

int32_t AppendLogLine(const Text& line) {
    HeldSection held(logSection);
    return InsertItem(LogList(), GetItemCount(LogList()), line.Arg());
}

void ReplaceLogLine(int32_t index, const Text& line) {
    // Held while the line is replaced: another worker's append must not move it.
    HeldSection held(logSection);
    SetItemText(LogList(), index, line.Arg());
}

void CountOne(bool failed) {
    HeldSection held(countSection);
    ++doneCount;
    if (failed) anyFailed = true;
}

namespace {
// What the taskbar button last showed in this run.
uint32_t lastShown = 0;
int32_t lastState = -1;
}  // namespace

void ShowProgress() {
    SetLabelCaption(ProgressText());
    // Read and posted under the section, so the button never steps back. The
    // button's calls cost the window thread a millisecond or two each: a new
    // state and the last picture always show, other steps at most ten a second.
    HeldSection held(countSection);
    uint32_t now = TickCount();
    int32_t state = anyFailed ? TaskbarFailed : TaskbarProgress;
    if (state == lastState && doneCount < totalCount && now - lastShown < 100) return;
    lastShown = now;
    lastState = state;
    ShowOnTaskbar(MainWindowReference(), state, doneCount, totalCount);
}

void ForgetShownProgress() { lastState = -1; }

}  // namespace velmora::app
