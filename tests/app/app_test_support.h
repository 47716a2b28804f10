// What the end-to-end tests share: the Pictures folder, the pages the
// server serves, and a Velmora.exe session worked from outside.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "tests/web/web_test_support.h"
#include "tools/driver/velmora_window.h"

namespace velmora::testing {

// The folder the program saves into: the shell's Pictures folder, as the
// platform names it and in code page 936.
std::wstring KnownPicturesFolder();
std::string PicturesFolder();

// The sample gallery's pictures in page order, read from its page.
struct SamplePicture {
    std::wstring name;    // as the page shows it
    std::string gbkName;  // the same, as the log shows it
    std::string file;     // on the server
};
std::vector<SamplePicture> SampleGallery();
// The plain files of a folder, sorted (folders left out).
std::vector<std::string> FilesIn(const std::string& folder);
// Empties the Pictures folder, read-only files and folders included.
void ClearPictures();
std::string Content(const std::string& path);
bool WriteContent(const std::string& path, const std::string& bytes);
// The folder the server serves /file/ from, as a Windows path.
std::string GalleryFolder();
std::string ToGbk(const std::string& utf8);

// A log line read back: "下载失败：name（reason）" is {"下载失败", name, reason};
// the other lines have no reason.
struct LogLine {
    std::string verb, name, reason;
};
LogLine ParseLogLine(const std::string& line);
// The run's line for the picture of that name, or an empty verb when there is none.
LogLine LineFor(const std::vector<std::string>& log, const std::string& name);

// One gallery entry as the page shows it (a heading alone when the link is empty).
std::string Entry(const std::string& name, const std::string& link);
// Stores a GBK page (its {{BASE}} filled in by the server) and answers the URL that serves it as UTF-8.
std::string PutPage(const std::string& name, const std::string& gbkPage);
void UseGallery(const std::string& url);

// Every file outside the Pictures folder that a program could write to, with
// its size and time; two snapshots differ when anything was written there.
std::map<std::string, std::string> OutsidePicturesSnapshot();
// What differs between two snapshots, one line per path; empty when nothing does.
std::string Differences(const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after);

// Sets an environment variable for the programs started while it lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

// Moves the shell's Pictures folder (the user's "User Shell Folders" entry,
// where a moved or redirected folder is recorded) while it lives.
class ScopedPicturesFolder {
public:
    explicit ScopedPicturesFolder(const std::wstring& path);
    ~ScopedPicturesFolder();
    ScopedPicturesFolder(const ScopedPicturesFolder&) = delete;
    ScopedPicturesFolder& operator=(const ScopedPicturesFolder&) = delete;

private:
    std::wstring old_;
    bool had_ = false;
};

// The program the tests start, beside them: the one VELMORA_PROGRAM names,
// else the binary's default (Velmora.exe, what users get, unless the binary
// chose Velmora-test.exe, the build that reads the test-only settings).
std::string ProgramUnderTest();
// Called by a test binary's static initialiser to choose its default.
bool SetDefaultProgram(const char* program);

struct Session {
    driver::ChildProcess child;
    driver::VelmoraUnits units;
    explicit Session(const std::string& program = ProgramUnderTest());
    driver::RunResult Run(int threads, DWORD timeoutMilliseconds = 300000);
    // Closes the window; the exit code, or STILL_ACTIVE when it did not end in time.
    DWORD Close(DWORD waitMilliseconds = 30000);
};

}  // namespace velmora::testing
