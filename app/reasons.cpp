#include "app/reasons.h"
#include "web/fetch_failure.h"

namespace velmora::app {

using namespace routine;

Text FailedLine(const char* name, const char* reason) { return Join("下载失败：", name, "（", reason, "）"); }

Text CannotWriteReason(int32_t systemError) {
    Text message = SystemMessage(systemError);
    return Join("无法写入文件：", message);
}

Text FetchReason(int32_t failure, int32_t status, int32_t systemError, const char* sizeLimit) {
    switch (failure) {
        case web::FetchTimedOut: return Join("连接超时");
        case web::FetchTooManyRedirects: return Join("重定向过多");
        case web::FetchTooLarge: return Join("超过 ", sizeLimit);
        case web::FetchCannotWrite: return CannotWriteReason(systemError);
        case web::FetchIncomplete: return Join(Incomplete);
        case web::FetchAddressUnusable: return Join("无法连接服务器");
        default: break;
    }
    if (status == 0) return Join("无法连接服务器");
    if (status != 200) {
        Text code = ToText(status);
        return Join("服务器返回 ", code);
    }
    return Text();
}

}  // namespace velmora::app
