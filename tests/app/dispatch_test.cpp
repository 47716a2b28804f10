// Handing picture records to workers, in-process on the program's own runtime.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/downloader.h"
#include "runtime/file_table.h"
#include "threads/thread_calls.h"

namespace velmora::app {
namespace {

std::string receivedRecord;

void __stdcall ReadRecord(int32_t fileNumber) {
    routine::SeekToFileStart(fileNumber);
    routine::Text record = routine::ReadText(fileNumber);
    receivedRecord = record.Get() ? record.Get() : "";
    routine::CloseFile(fileNumber);
}

TEST(Dispatch, AWorkerGetsItsRecordInAFileOfItsOwn) {
    int32_t handle = 0;
    ASSERT_TRUE(StartPictureWorker(ReadRecord, "秋天", "http://h/a.jpg", &handle));
    ASSERT_NE(handle, 0);
    routine::WaitForThread(handle);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    EXPECT_EQ(receivedRecord, "秋天|http://h/a.jpg");
}

TEST(Dispatch, AWorkerThatCannotStartLeavesNoMemoryFileBehind) {
    size_t before = Files().Count();
    int32_t handle = 7;
    EXPECT_FALSE(StartPictureWorker(nullptr, "name", "http://h/a.jpg", &handle));
    EXPECT_EQ(handle, 0) << "a failed start leaves 0 in the slot";
    EXPECT_EQ(Files().Count(), before);
}

}  // namespace
}  // namespace velmora::app
