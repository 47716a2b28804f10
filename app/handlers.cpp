// The window's event handlers.
#include "app/downloader.h"
#include "app/window_units.h"
#include "threads/thread_calls.h"

namespace velmora::app {

using namespace routine;

Text PicturesFolder() {
    // The shell's Pictures folder follows a folder the user moved or redirected.
    Text known = ReadKnownFolder(KnownFolderPictures);
    if (!known.Empty()) return known;
    Text profile = ReadEnvironment("userprofile");
    return Join(profile, "\\Pictures");
}

void EnsurePicturesFolder() {
    Text folder = PicturesFolder();
    if (!FileExists(folder.Arg())) CreateDirectory(folder.Arg());
    RemoveDeadTemporaryFiles(folder);
}

void OnStartClicked() {
    SetDisabled(StartButton, true);
    SetDisabled(ThreadCountBox, true);
    SetLabelCaption(Join("解析图片..."));
    StartThread(DownloadAll, {}, nullptr);
}

void OnOpenFolderClicked() {
    Text folder = PicturesFolder();
    Text commandLine = Join("explorer.exe \"", folder, "\"");
    RunProgram(commandLine.Arg(), false);
}

}  // namespace velmora::app

// The entries the handler base jumps to (program/handler_base.S).
extern "C" void VelmoraEnsurePicturesFolder() { velmora::app::EnsurePicturesFolder(); }
extern "C" void VelmoraOnStartClicked() { velmora::app::OnStartClicked(); }
extern "C" void VelmoraOnOpenFolderClicked() { velmora::app::OnOpenFolderClicked(); }
