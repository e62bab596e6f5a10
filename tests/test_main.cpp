// Test entry point: every test process gets its own temporary XDG_DATA_HOME and HOME.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/hint_worker.h"
#include "screens/screens.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace testsupport {

const std::string& tempRoot() {
    static const std::string root = [] {
        std::string tmpl = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
        char* made = mkdtemp(tmpl.data());
        return std::string(made ? made : "/tmp/vantrel-test-fallback");
    }();
    return root;
}

std::string selfPath() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).string();
}

std::string dataDir() {
    return tempRoot() + "/xdg/vantrelMarbles";
}

void wipeDataDir() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dataDir(), ec))
        fs::remove_all(e.path(), ec);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

Child startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    static int counter = 0;
    Child c;
    c.outPath = tempRoot() + "/proc" + std::to_string(++counter) + ".out";
    c.errPath = tempRoot() + "/proc" + std::to_string(counter) + ".err";
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(c.outPath.c_str(), "w", stdout) || !freopen(c.errPath.c_str(), "w", stderr))
            _exit(126);
        for (const auto& kv : env)
            putenv(const_cast<char*>(kv.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    c.pid = pid;
    return c;
}

bool waitForOutput(const Child& c, const std::string& text, double timeoutSec) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSec);
    while (std::chrono::steady_clock::now() < deadline) {
        if (readText(c.outPath).find(text) != std::string::npos) return true;
        // Peek without reaping, so finishProcess can still collect the exit status.
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(c.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid != 0)
            return readText(c.outPath).find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

ProcessResult finishProcess(const Child& c, double timeoutSec) {
    ProcessResult r;
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSec);
    while (waitpid(c.pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(c.pid, SIGKILL);
            waitpid(c.pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = readText(c.outPath);
    r.err = readText(c.errPath);
    return r;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         double timeoutSec) {
    return finishProcess(startProcess(argv, env), timeoutSec);
}

}  // namespace testsupport

int main(int argc, char** argv) {
    const std::string& root = testsupport::tempRoot();
    fs::create_directories(root + "/xdg");
    fs::create_directories(root + "/home");
    setenv("XDG_DATA_HOME", (root + "/xdg").c_str(), 1);
    setenv("HOME", (root + "/home").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    screens::install(*ui::Game::instance());
    int rc = RUN_ALL_TESTS();
    // As the entry point does: no screen may outlive the modules it uses when it leaves.
    ui::Game::instance()->shutdown();
    // The hint worker joins before the leak checker stops the process's threads at exit.
    hints::shutdown();
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc;
}
