// The downloader's routines: the window's handlers, the gallery harvest and
// the download workers.
#pragma once
#include <atomic>
#include <cstdint>
#include "commands/core_calls.h"

namespace velmora::app {

// Shared by DownloadAll and the workers; reset at the start of every run.
extern std::atomic<int32_t> doneCount;
extern std::atomic<int32_t> totalCount;
extern int32_t logSection;
extern int32_t countSection;
// Guards writing and renaming finished pictures, so the shutdown can stop
// them from leaving a temporary file behind.
extern int32_t fileSection;
extern std::atomic<bool> closing;

void EnsurePicturesFolder();
void OnStartClicked();
void OnOpenFolderClicked();
void __stdcall DownloadAll(int32_t unused);
void __stdcall DownloadPicture(int32_t fileNumber);
void CleanupGlobals();

// The gallery URL: the program's constant, or VELMORA_GALLERY_URL when set.
routine::Text GalleryUrl();
// "userprofile" followed by "\Pictures".
routine::Text PicturesFolder();
// doneCount " / " totalCount.
routine::Text ProgressText();

// Harvest: picture names from heading lines and URLs from link lines, in page order.
void HarvestGallery(const char* page, routine::TextArray& names, routine::TextArray& links);
routine::Text TextBetween(const char* start, const char* end, const char* source, routine::Optional<int32_t> occurrence = {},
                          routine::Optional<int32_t> startPosition = {});

// A picture name made safe as a file name inside the Pictures folder, at
// most maximumBytes long when that is given.
routine::Text SafeFileName(const char* name, routine::Optional<int32_t> maximumBytes = {});

}  // namespace velmora::app
