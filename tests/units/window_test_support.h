// The program's real window, built in this process from the program's form
// template, with its event handlers replaced by counters.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "runtime/runtime_app.h"
#include "units/framework/unit_object.h"
#include "units/framework/window_map.h"

extern "C" int startClicks, windowCreatedEvents, openFolderClicks;

namespace velmora::testing {

constexpr uint32_t windowId = 0x52010001;
constexpr uint32_t buttonId = 0x16010003, listId = 0x160119D7, progressId = 0x160119F4, countId = 0x16011A2F,
                   superId = 0x16011A3C, noteId = 0x160119F3, captionId = 0x16011A30;

WindowTemplate& MainTemplate();
// Creates the window when it is not open; answers its handle.
HWND OpenMainWindow();
void CloseMainWindow();
HWND UnitHandle(uint32_t unitId);
std::string TextOf(HWND window);
// Writes a property that takes a byte set (a mouse pointer, a picture).
void WriteBytes(uint32_t unitId, int32_t property, const std::vector<uint8_t>& bytes);
// The cursor made for a unit from its record's mouse pointer; null for none.
HCURSOR RecordCursor(uint32_t unitId);
// Dispatches what is queued, for at most the given time.
void Pump(DWORD milliseconds = 50);
// Runs work on another thread while this (window) thread keeps pumping.
void OnOtherThread(const std::function<void()>& work);
// A unit made by its type from a stream of the test's, in the main window (or
// the parent given) but outside its unit table; it stands in for record
// `unitId` (its events are that unit's) and lives until its window is
// destroyed. Null when create fails.
UnitObject* MakeUnit(uint32_t typeKey, const std::vector<uint8_t>& stream, uint32_t unitId,
                     RECT place = {8, 8, 120, 80}, HWND parent = nullptr);

}  // namespace velmora::testing
