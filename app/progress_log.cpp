// The progress log and the count: one line per picture in the list box,
// appended and replaced under logSection, and doneCount under countSection.
#include "app/downloader.h"
#include "app/window_units.h"
#include "threads/thread_calls.h"

namespace velmora::app {

using namespace routine;

int32_t AppendLogLine(const Text& line) {
    EnterSection(logSection);
    int32_t index = InsertItem(LogList(), GetItemCount(LogList()), line.Arg());
    LeaveSection(logSection);
    return index;
}

void ReplaceLogLine(int32_t index, const Text& line) {
    // Held while the line is replaced: another worker's append must not move it.
    EnterSection(logSection);
    SetItemText(LogList(), index, line.Arg());
    LeaveSection(logSection);
}

void CountOne() {
    EnterSection(countSection);
    ++doneCount;
    LeaveSection(countSection);
}

}  // namespace velmora::app
