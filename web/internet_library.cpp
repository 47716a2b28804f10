#include "web/internet_library.h"
#include <iterator>
#include "web/http_read_file.h"
#include "web/http_save_file.h"

namespace velmora {
namespace {

RuntimeServiceEntry runtimeServices = nullptr;

int32_t InternetNotify(int32_t code, uint32_t parameter1, uint32_t) {
    if (code != NotifyStartup) return -1;
    runtimeServices = reinterpret_cast<RuntimeServiceEntry>(parameter1);
    return 0;
}

const Command internetCommands[] = {
    web::HttpReadFile,  // 0
    web::HttpSaveFile,  // 1
};
static_assert(std::size(internetCommands) == CmdHttpSaveFile + 1);

}  // namespace

Command InternetCommand(InternetCommandNumber number) { return internetCommands[number]; }

const LibraryDescriptor internetLibrary = {
    LibrarySignature, "C41E7A92D05B3F68A1E94C27B6D0F853", "网络文件库",
    0,                nullptr,
    std::size(internetCommands), internetCommands,
    InternetNotify,
};

}  // namespace velmora
