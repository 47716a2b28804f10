// The window's event handlers.
#include "app/downloader.h"
#include "app/window_units.h"
#include "threads/thread_calls.h"

namespace velmora::app {

using namespace routine;

Text PicturesFolder() {
    Text profile = ReadEnvironment("userprofile");
    return Join(profile, "\\Pictures");
}

void EnsurePicturesFolder() {
    Text folder = PicturesFolder();
    if (!FileExists(folder.Arg())) {
        Text again = PicturesFolder();
        CreateDirectory(again.Arg());
    }
}

void OnStartClicked() {
    SetDisabled(StartButton, true);
    SetDisabled(ThreadCountBox, true);
    SetLabelCaption(Join("解析图片..."));
    StartThread(DownloadAll, {}, nullptr);
}

void OnOpenFolderClicked() {
    Text profile = ReadEnvironment("userprofile");
    Text commandLine = Join("explorer.exe \"", profile, "\\Pictures\"");
    RunProgram(commandLine.Arg(), false);
}

}  // namespace velmora::app

// The entries the handler base jumps to (program/handler_base.S).
extern "C" void VelmoraEnsurePicturesFolder() { velmora::app::EnsurePicturesFolder(); }
extern "C" void VelmoraOnStartClicked() { velmora::app::OnStartClicked(); }
extern "C" void VelmoraOnOpenFolderClicked() { velmora::app::OnOpenFolderClicked(); }
