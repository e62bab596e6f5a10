// Shared helpers for tests: the per-process temporary data home and small file utilities.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Root of this test process's temporary tree; XDG_DATA_HOME and HOME lie below it.
const std::string& tempRoot();

// The test program's own path, resolved: under valgrind "/proc/self/exe" itself names the tool.
std::string selfPath();
// The game's data directory inside the temporary XDG_DATA_HOME.
std::string dataDir();
// Removes everything inside the data directory (the directory itself may stay or go).
void wipeDataDir();

std::string readText(const std::string& path);
bool writeText(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);

// Runs a program with extra environment entries ("NAME=value"), capturing its output.
struct ProcessResult {
    int exitCode = -1;  // exit status, or 128 + signal if it was killed
    std::string out;
    std::string err;
};
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env = {}, double timeoutSec = 30);

// A child started in the background; its output goes to files under tempRoot().
struct Child {
    int pid = -1;
    std::string outPath, errPath;
};
Child startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
// Polls the child's standard output until it contains `text`; false on timeout or exit.
bool waitForOutput(const Child& c, const std::string& text, double timeoutSec = 30);
// Waits for the child to end (SIGKILL after the timeout) and collects its output.
ProcessResult finishProcess(const Child& c, double timeoutSec = 30);

}  // namespace testsupport
