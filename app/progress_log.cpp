// The progress log and the count: one line per picture in the list box,
// appended and replaced under logSection, and doneCount under countSection.
#include "app/downloader.h"
#include "app/window_units.h"
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

void ShowProgress() {
    SetLabelCaption(ProgressText());
    // Read and posted under the section, so the button never steps back.
    HeldSection held(countSection);
    ShowOnTaskbar(MainWindowReference(), anyFailed ? TaskbarFailed : TaskbarProgress, doneCount, totalCount);
}

}  // namespace velmora::app
