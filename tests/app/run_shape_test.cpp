// The shape of a run, seen from outside: batches of N fetches from the
// server's own timeline, and the window's controls while a run is on.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include "tests/app/app_test_support.h"

namespace velmora::testing {
namespace {

struct Fetch {
    double arrived, answered;
    int picture;  // page order, from 0
};

// The server's timeline of the requests whose line holds the tag, by picture.
std::vector<Fetch> Timeline(const std::string& tag) {
    std::istringstream lines(PlainGet(ServerUrl("/_timeline?contains=" + tag)));
    std::vector<Fetch> fetches;
    for (std::string line; std::getline(lines, line);) {
        Fetch fetch{};
        size_t at = line.find("&k=");
        if (std::sscanf(line.c_str(), "%lf %lf", &fetch.arrived, &fetch.answered) != 2 || at == std::string::npos)
            continue;
        fetch.picture = std::atoi(line.c_str() + at + 3);
        fetches.push_back(fetch);
    }
    std::sort(fetches.begin(), fetches.end(), [](const Fetch& a, const Fetch& b) { return a.picture < b.picture; });
    return fetches;
}

// The most fetches the server was answering at one moment.
size_t MostAtOnce(const std::vector<Fetch>& fetches) {
    size_t most = 0;
    for (const Fetch& fetch : fetches)
        most = std::max<size_t>(most, std::count_if(fetches.begin(), fetches.end(), [&](const Fetch& other) {
                                    return other.arrived <= fetch.arrived && fetch.arrived < other.answered;
                                }));
    return most;
}

class Batches : public ::testing::TestWithParam<int> {};

// With N threads the pictures go in batches of N in page order: never more
// than N fetches at once, and no fetch of a batch before the slowest of the
// one before has been answered. 2N + 1 pictures leave a short last batch.
TEST_P(Batches, NoMoreThanNAtOnceAndEachBatchAfterTheSlowestOfTheLast) {
    const int n = GetParam();
    const int pictures = 2 * n + 1;
    const std::string tag = "batch" + std::to_string(n);
    std::string page = "<html>";
    for (int k = 0; k < pictures; ++k) {
        // One slow fetch in each batch, at a different place each time.
        double stall = k % n == (k / n) % n ? 0.4 : 0.05;
        page += Entry("P" + std::to_string(k), "{{BASE}}/r?size=3000&seed=" + std::to_string(k + 1) + "&stall=" +
                                                   std::to_string(stall) + "&t=" + tag + "&k=" + std::to_string(k) +
                                                   "&x=.jpg");
    }
    ClearPictures();
    UseGallery(PutPage(tag, page + "</html>"));
    Session session;
    driver::RunResult run = session.Run(n, 120000);
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.progress, std::to_string(pictures) + " / " + std::to_string(pictures));
    std::vector<Fetch> fetches = Timeline("t=" + tag + "&");
    ASSERT_EQ(fetches.size(), static_cast<size_t>(pictures));
    EXPECT_LE(MostAtOnce(fetches), static_cast<size_t>(n));
    EXPECT_GE(MostAtOnce(fetches), 2u) << "a batch runs its fetches side by side";
    for (int k = n; k < pictures; ++k) {
        int batchStart = (k / n - 1) * n;
        double slowest = 0;
        for (int j = batchStart; j < batchStart + n; ++j) slowest = std::max(slowest, fetches[j].answered);
        EXPECT_GE(fetches[k].arrived, slowest) << "picture " << k << " began before batch " << k / n - 1 << " ended";
    }
    EXPECT_EQ(session.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Threads, Batches, ::testing::Range(2, 10),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

// While a run is on, the start button and the count box are disabled and the
// label says what happens; they come back only when the completion box is closed.
TEST(RunState, ControlsStayLockedUntilTheCompletionBoxIsClosed) {
    ClearPictures();
    std::string page = "<html>" + Entry("Slow", "{{BASE}}/r?size=3000&seed=1&stall=1&x=.jpg") + "</html>";
    UseGallery(PutPage("state", page) + "&stallhead=1");  // the page itself takes a second
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, 3));
    ASSERT_TRUE(IsWindowEnabled(session.units.startButton));
    driver::Click(session.units.startButton);
    for (int i = 0; i < 200 && IsWindowEnabled(session.units.startButton); ++i) Sleep(5);
    EXPECT_FALSE(IsWindowEnabled(session.units.startButton));
    EXPECT_FALSE(IsWindowEnabled(session.units.threadCount));
    EXPECT_EQ(driver::WindowText(session.units.progress), "解析图片...");
    for (int i = 0; i < 400 && driver::WindowText(session.units.progress) == "解析图片..."; ++i) Sleep(10);
    EXPECT_EQ(driver::WindowText(session.units.progress), "0 / 1") << "the harvest's total, before the picture";
    EXPECT_FALSE(IsWindowEnabled(session.units.startButton));

    HWND box = session.child.WaitForTopWindow("#32770", "提示", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::WindowText(session.units.progress), "1 / 1");
    Sleep(300);
    EXPECT_FALSE(IsWindowEnabled(session.units.startButton)) << "enabled while the box is still open";
    EXPECT_FALSE(IsWindowEnabled(session.units.threadCount));
    driver::PressDialogButton(box, IDOK);
    for (int i = 0; i < 500 && !IsWindowEnabled(session.units.threadCount); ++i) Sleep(10);
    EXPECT_TRUE(IsWindowEnabled(session.units.startButton));
    EXPECT_TRUE(IsWindowEnabled(session.units.threadCount));
    EXPECT_EQ(session.Close(), 0u);
}

}  // namespace
}  // namespace velmora::testing
