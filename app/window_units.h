// The window's units as the routines address them, and the typed property
// calls on them. Everything goes through the runtime interface.
#pragma once
#include <cstdint>
#include "commands/core_calls.h"

namespace velmora::app {

constexpr uint32_t MainWindow = 0x52010001;
constexpr uint32_t StartButton = 0x16010003;       // 按钮1
constexpr uint32_t ProgressLabel = 0x160119F4;     // 标签2
constexpr uint32_t ThreadCountBox = 0x16011A2F;    // 编辑框1
constexpr uint32_t LogListBox = 0x160119D7;        // 列表框1
constexpr uint32_t ListBoxTypeKey = 0x0001000F;

constexpr int32_t PropertyDisabled = 6;
constexpr int32_t PropertyCaption = 8;  // label caption, edit box content

inline ValueRecord LogList() { return {MainWindow, LogListBox, ListBoxTypeKey}; }
inline ValueRecord MainWindowReference() { return {MainWindow, MainWindow, 0}; }

// The states of the window's taskbar button (routine::ShowOnTaskbar).
constexpr int32_t TaskbarCleared = 0;
constexpr int32_t TaskbarProgress = 1;
constexpr int32_t TaskbarFailed = 2;
constexpr int32_t TaskbarAttention = 3;

inline void SetDisabled(uint32_t unit, bool disabled) {
    routine::rt().WriteUnitProperty(MainWindow, unit, PropertyDisabled, 0, disabled ? 1 : 0, 0);
}
inline void SetLabelCaption(const routine::Text& caption) {
    routine::rt().WriteUnitProperty(MainWindow, ProgressLabel, PropertyCaption, 0,
                                    reinterpret_cast<uint32_t>(caption.Get()), 0);
}
inline routine::Text ThreadCountText() {
    return routine::Text(reinterpret_cast<char*>(
        static_cast<uint32_t>(routine::rt().ReadUnitProperty(MainWindow, ThreadCountBox, PropertyCaption, -1))));
}
inline int32_t ThreadCount() {
    routine::Text text = ThreadCountText();
    return routine::ToInteger(text.Arg());
}

}  // namespace velmora::app
