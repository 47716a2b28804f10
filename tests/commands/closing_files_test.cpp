// Files held by one thread at a time, and closed while held.
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

// One thread at a time: while a reader is inside, other threads are refused;
// closed meanwhile, the file lives until that reader is done.
TEST(ClosingFiles, OneHolderAtATimeAndAClosedFileLivesUntilItsHolderLetsGo) {
    HANDLE closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readersInside = readsAfterDestruction = destructions = 0;
    int32_t file = Files().Register(std::make_unique<HeldFile>(closed), FileKindMemory);
    std::string held;
    std::thread holder([file, &held] { held = TakeText(Call(CmdReadText, I(file), None())); });
    for (int i = 0; i < 1000 && readersInside < 1; ++i) Sleep(5);
    ASSERT_EQ(readersInside, 1);

    constexpr int otherCount = 7;
    std::string others[otherCount];
    std::vector<std::thread> refused;
    for (int i = 0; i < otherCount; ++i)
        refused.emplace_back([i, file, &others] {
            others[i] = TakeText(Call(CmdReadText, I(file), None()));
            if (Int(Call(CmdSeekToFileStart, I(file))) != 0) others[i] += "+seek";
        });
    for (auto& thread : refused) thread.join();
    EXPECT_EQ(readersInside, 1) << "a second thread went inside the held file";
    for (const std::string& text : others) EXPECT_EQ(text, "(null)") << "refused while another thread holds it";

    EXPECT_EQ(Int(Call(CmdCloseFile, I(file))), 1);
    EXPECT_EQ(Int(Call(CmdSeekToFileStart, I(file))), 0) << "closed for everyone who comes later";
    SetEvent(closed);
    holder.join();
    CloseHandle(closed);

    EXPECT_EQ(readsAfterDestruction, 0) << "the file was destroyed under its holder";
    EXPECT_EQ(held, "x");
    EXPECT_EQ(destructions, 1) << "its holder lets it go";
}

}  // namespace
}  // namespace velmora::testing
