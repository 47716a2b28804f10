// Why a picture, or the gallery page, failed: the log says it in a few words,
// so the user can tell the network from the site from the disk.
#pragma once
#include <cstdint>
#include "commands/core_calls.h"

namespace velmora::app {

// "下载失败：" name "（" reason "）".
routine::Text FailedLine(const char* name, const char* reason);

// The reason of a fetch that failed before its body could be judged (no
// answer, a time-out, too many redirects, too large, a write refused, a
// status other than 200); empty when the fetch itself went through.
routine::Text FetchReason(int32_t failure, int32_t status, int32_t systemError, const char* sizeLimit);

// "无法写入文件：" and the system's message for the error code.
routine::Text CannotWriteReason(int32_t systemError);

// The reasons that are the program's own judgement.
constexpr const char* NotAPicture = "不是图片";
constexpr const char* Incomplete = "文件不完整";
constexpr const char* NoDownloadLink = "没有下载链接";
constexpr const char* WorkerDidNotStart = "无法启动下载线程";

}  // namespace velmora::app
