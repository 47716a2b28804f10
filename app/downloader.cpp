// DownloadAll: one run, on a thread of its own: read the thread count, fetch
// and harvest the gallery, start the workers in batches, report completion.
#include "app/downloader.h"
#include "app/picture_record.h"
#include "app/reasons.h"
#include "app/retries.h"
#include "app/window_units.h"
#include "program/dll_command_numbers.h"
#include "threads/thread_calls.h"
#include "web/visit_web_page.h"

namespace velmora::app {

using namespace routine;

std::atomic<int32_t> doneCount{0};
std::atomic<int32_t> totalCount{0};
std::atomic<bool> anyFailed{false};
int32_t logSection = 0;
int32_t countSection = 0;
// Written only before a run's first worker starts; like every global of the
// program it lives until the process ends.
Text& runFolder = *new Text;

namespace {

constexpr const char* galleryUrl = "http://windows.microsoft.com/zh-CN/windows/wallpaper/?T1=all";

void CloseThreadHandle(int32_t handle) {
    if (handle) {
        const uint32_t word = static_cast<uint32_t>(handle);
        rt().CallDllCommand(program::DllCloseHandle, &word, 1);
    }
}

// Waits for every started worker of the batch and releases its handle.
void WaitForBatch(IntArray& threadHandles, int32_t slots) {
    for (int32_t j = 1; j <= slots && static_cast<uint32_t>(j) <= threadHandles.Count(); ++j) {
        WaitForThread(static_cast<int32_t>(threadHandles.Word(static_cast<uint32_t>(j))));
        CloseThreadHandle(static_cast<int32_t>(threadHandles.Word(static_cast<uint32_t>(j))));
        threadHandles.Word(static_cast<uint32_t>(j)) = 0;
    }
}

// A picture that fails before any worker: its line and its count.
void FailWithoutWorker(const char* name, const char* reason) {
    AppendLogLine(FailedLine(name, reason));
    CountOne(true);
    ShowProgress();
}

// The box allows 1 to 10; a count of 0 would leave no slot, so it means 1.
int32_t BatchSize() {
    int32_t count = ThreadCount();
    return count == 0 ? 1 : count;
}

}  // namespace

Text GalleryUrl() {
    Text configured = ReadEnvironment("VELMORA_GALLERY_URL");
    return configured.Empty() ? Join(galleryUrl) : std::move(configured);
}

Text ProgressText() {
    Text done = ToText(doneCount.load());
    Text total = ToText(totalCount.load());
    return Join(done, " / ", total);
}

void __stdcall DownloadAll(int32_t) {
    IntArray threadHandles;
    threadHandles.Resize(BatchSize());
    doneCount = 0;
    totalCount = 0;
    anyFailed = false;
    ForgetShownProgress();
    runFolder = PicturesFolder();
    // Made by the first run and used by every later one: a run registers no new sections.
    if (!logSection) logSection = CreateCriticalSection();
    if (!countSection) countSection = CreateCriticalSection();
    ForgetServerPauses();

    TextArray pictureNames, pictureLinks;
    Text pageReason;
    {
        Text url = GalleryUrl();
        web::VisitOutcome visit;
        Text page = web::GetPageText(url.Arg(), visit);
        pageReason = FetchReason(visit.failure, visit.status, 0, "64 MB");
        if (pageReason.Empty()) HarvestGallery(page.Arg(), visit.address.Arg(), pictureNames, pictureLinks);
    }
    // A run with nothing to fetch says why before the box.
    if (!pageReason.Empty()) {
        AppendLogLine(Join("无法读取图库页面（", pageReason, "）"));
        anyFailed = true;
    } else if (pictureNames.Count() == 0) {
        AppendLogLine(Join("图库页面中没有图片"));
    }
    ShowProgress();

    int32_t batch = 0;
    for (uint32_t i = 1; i <= pictureNames.Count(); ++i) {
        const char* name = pictureNames.TextAt(i) ? pictureNames.TextAt(i) : "";
        const char* link = pictureLinks.TextAt(i);
        if (!link) {
            // The entry has no download link: it fails here and takes no worker.
            FailWithoutWorker(name, NoDownloadLink);
            continue;
        }
        ++batch;
        if (!StartPictureWorker(DownloadPicture, name, link,
                                reinterpret_cast<int32_t*>(&threadHandles.Word(static_cast<uint32_t>(batch)))))
            FailWithoutWorker(name, WorkerDidNotStart);
        if (batch == BatchSize()) {
            WaitForBatch(threadHandles, BatchSize());
            batch = 0;
            threadHandles.Resize(BatchSize());
        }
    }
    WaitForBatch(threadHandles, static_cast<int32_t>(threadHandles.Count()));
    threadHandles.Resize(BatchSize());
    threadHandles.Reset(nullptr);

    // Workers write the label in any order; the last word is the true count.
    ShowProgress();
    // A run that ends behind other windows calls the user back through the taskbar.
    ShowOnTaskbar(MainWindowReference(), TaskbarAttention, 0, 0);
    MessageBox("下载完成", 64, "提示");
    ShowOnTaskbar(MainWindowReference(), TaskbarCleared, 0, 0);
    SetDisabled(StartButton, false);
    SetDisabled(ThreadCountBox, false);
}

bool StartPictureWorker(ThreadRoutine worker, const char* name, const char* link, int32_t* handleVariable) {
    int32_t file = OpenMemoryFile();
    Text record = PictureRecord(name, link);
    WriteText(file, record.Arg());
    if (StartThread(worker, file, handleVariable)) return true;
    CloseFile(file);  // no worker took it over
    return false;
}

// No picture may be half written when the process ends.
void CleanupGlobals() { RemoveTemporaryFiles(); }

}  // namespace velmora::app
