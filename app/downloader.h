// The downloader's routines: the window's handlers, the gallery harvest and
// the download workers.
#pragma once
#include <atomic>
#include <cstdint>
#include "commands/core_calls.h"
#include "threads/thread_commands.h"

namespace velmora::app {

// Shared by DownloadAll and the workers; reset at the start of every run.
extern std::atomic<int32_t> doneCount;
extern std::atomic<int32_t> totalCount;
extern std::atomic<bool> anyFailed;
extern int32_t logSection;
extern int32_t countSection;
// Guards the list of temporary picture files and `closing`, so the shutdown
// can remove every temporary file and let no other begin (app/picture_files.cpp).
extern int32_t fileSection;
extern std::atomic<bool> closing;
// The Pictures folder of the current run, read once as it starts: every
// picture of a run goes to the one folder, and the shell is asked once.
extern routine::Text& runFolder;

// The most a picture may be; an answer that announces more, or a body that
// grows past it, fails that picture.
constexpr int32_t MaximumPictureBytes = 256 * 1024 * 1024;

void EnsurePicturesFolder();
void OnStartClicked();
void OnOpenFolderClicked();
void __stdcall DownloadAll(int32_t unused);
void __stdcall DownloadPicture(int32_t fileNumber);
void CleanupGlobals();

// Hands a picture record (app/picture_record.h) to a new worker through a
// memory file of its own; when no worker starts, the file is closed here.
bool StartPictureWorker(ThreadRoutine worker, const char* name, const char* link, int32_t* handleVariable);

// The progress log: lines appended and replaced under logSection; the
// appended line's index is what the list box answers (-1 when it refused).
int32_t AppendLogLine(const routine::Text& line);
void ReplaceLogLine(int32_t index, const routine::Text& line);
// One more picture handled, under countSection; a failed one turns the
// taskbar button red for the rest of the run.
void CountOne(bool failed);
// The label's count, and the same progress on the taskbar button;
// ForgetShownProgress at a run's start, so its first state always shows.
void ShowProgress();
void ForgetShownProgress();

// Temporary files of pictures being saved (app/picture_files.cpp). A new
// file, created only while the program is not closing (0 when it was not
// made); giving it its target's name without replacing anything; removing
// it; and, at shutdown, removing every one still listed.
int32_t CreateTemporaryFile(const routine::Text& path, int32_t& error);
// 0 when the file took its name, else the platform's error code.
int32_t PublishTemporaryFile(const routine::Text& temporary, const routine::Text& target);
void DiscardTemporaryFile(const routine::Text& temporary);
void RemoveTemporaryFiles();
// Temporary files that runs which never reached their cleanup left in the
// folder (a killed or crashed process), and that nobody holds open now.
void RemoveDeadTemporaryFiles(const routine::Text& folder);

// The gallery URL: the program's constant, or VELMORA_GALLERY_URL when set.
routine::Text GalleryUrl();
// The shell's Pictures folder; "userprofile" followed by "\Pictures" when
// the shell names none.
routine::Text PicturesFolder();
// doneCount " / " totalCount.
routine::Text ProgressText();

// Harvest: the page's entries in page order, each a name from a heading
// line and the first download link after it, before the next heading (null
// when there is none); addresses read as a browser reads an href, resolved
// against the page's address (after its redirects) and encoded as sent.
void HarvestGallery(const char* page, const char* pageUrl, routine::TextArray& names, routine::TextArray& links);
routine::Text TextBetween(const char* start, const char* end, const char* source, routine::Optional<int32_t> occurrence = {},
                          routine::Optional<int32_t> startPosition = {});

// A picture name made safe as a file name inside the Pictures folder, at
// most maximumBytes long when that is given.
routine::Text SafeFileName(const char* name, routine::Optional<int32_t> maximumBytes = {});

}  // namespace velmora::app
