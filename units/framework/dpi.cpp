#include "units/framework/dpi.h"
#include "runtime/platform_functions.h"
#include "units/framework/gdi_scope.h"

namespace velmora {

UINT SystemDpi() {
    WindowDc screen(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : TemplateDpi;
}

UINT WindowDpi(HWND window) {
    // Windows 10 1607 and later; bound late so the program still starts on Windows 7.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = PlatformFunctionAs<DpiForWindow>("user32.dll", "GetDpiForWindow");
    UINT dpi = window && dpiForWindow ? dpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    using MetricForDpi = int(WINAPI*)(int, UINT);
    static const auto metricForDpi = PlatformFunctionAs<MetricForDpi>("user32.dll", "GetSystemMetricsForDpi");
    if (metricForDpi) return metricForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

}  // namespace velmora
