// Closing a file while other threads are still reading it.
#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "runtime/file_table.h"
#include "tests/commands/command_test_support.h"

namespace velmora::testing {
namespace {

std::atomic<int> readersInside{0};
std::atomic<int> readsAfterDestruction{0};
std::atomic<int> destructions{0};

// Holds every reader inside Read until the file has been closed, then checks
// that the object it is running in still exists.
class HeldFile final : public framework::FileObject {
public:
    explicit HeldFile(HANDLE closed) : closed_(closed) {}
    ~HeldFile() override {
        state_ = Destroyed;
        ++destructions;
    }
    uint32_t Length() const override { return 1; }
    uint32_t Position() const override { return 0; }
    bool Seek(int64_t, Origin) override { return true; }
    bool Write(const void*, uint32_t) override { return false; }
    uint32_t Read(void* buffer, uint32_t) override {
        HANDLE closed = closed_;
        ++readersInside;
        WaitForSingleObject(closed, 10000);
        if (state_ != Alive) ++readsAfterDestruction;  // the memory may be freed: read nothing else
        static_cast<char*>(buffer)[0] = 'x';
        return 1;
    }

private:
    static constexpr uint32_t Alive = 0x600DF11E, Destroyed = 0xDEADF11E;
    HANDLE closed_;
    volatile uint32_t state_ = Alive;
};

TEST(ClosingFiles, ReadersStillInsideKeepTheFileUntilTheyAreDone) {
    HANDLE closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readersInside = readsAfterDestruction = destructions = 0;
    int32_t file = Files().Register(std::make_unique<HeldFile>(closed), FileKindMemory);
    constexpr int readerCount = 8;
    std::string texts[readerCount];
    std::vector<std::thread> readers;
    for (int i = 0; i < readerCount; ++i)
        readers.emplace_back([i, file, &texts] { texts[i] = TakeText(Call(CmdReadText, I(file), None())); });
    for (int i = 0; i < 1000 && readersInside < readerCount; ++i) Sleep(5);
    EXPECT_EQ(readersInside, readerCount);

    EXPECT_EQ(Int(Call(CmdCloseFile, I(file))), 1);
    EXPECT_EQ(Int(Call(CmdSeekToFileStart, I(file))), 0) << "closed for everyone who comes later";
    SetEvent(closed);
    for (auto& reader : readers) reader.join();
    CloseHandle(closed);

    EXPECT_EQ(readsAfterDestruction, 0) << "the file was destroyed under a reader";
    for (const std::string& text : texts) EXPECT_EQ(text, "x");
    EXPECT_EQ(destructions, 1) << "the last reader lets it go";
}

}  // namespace
}  // namespace velmora::testing
