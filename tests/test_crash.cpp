// Tests for the crash reporter, each in a real child process that dies from a fatal signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/crash_handler.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testsupport::readText;

namespace {

struct Outcome {
    bool signaled = false;
    int signal = 0;
    std::string report;  // "" if there is no crash.txt
    std::string err;     // what the child wrote to standard error
};

// Forks a child that installs the reporter for dir and then runs crash; the child must die.
Outcome crashChild(const std::string& dir, const std::function<void()>& crash) {
    std::string errPath = testsupport::tempRoot() + "/crash-child.err";
    pid_t pid = fork();
    if (pid == 0) {
        FILE* err = std::fopen(errPath.c_str(), "w");
        if (err) dup2(fileno(err), 2);
        rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);  // a test crash needs no core dump
        crash::install(dir);
        crash();
        _exit(99);  // the crash did not end the process
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome o;
    o.signaled = WIFSIGNALED(status);
    o.signal = o.signaled ? WTERMSIG(status) : 0;
    o.report = readText(dir + "/crash.txt");
    o.err = readText(errPath);
    return o;
}

std::string freshDir(const std::string& name) {
    std::string dir = testsupport::tempRoot() + "/crash-" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

volatile bool gStopRecursion = false;

// Writes into a page that may not be touched. Not through a null pointer: the sanitizer build
// would catch that itself before any signal is raised.
void segfault() {
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
}

// Deep recursion with a frame the compiler cannot drop, until the stack is exhausted.
__attribute__((noinline)) int overflowStack(int depth) {
    volatile char pad[2048];
    pad[0] = static_cast<char>(depth);
    if (gStopRecursion) return 0;
    return overflowStack(depth + 1) + pad[0];
}

std::string line(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index && start != std::string::npos; ++i) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) return "";
    return text.substr(start, text.find('\n', start) - start);
}

void expectReport(const Outcome& o, const std::string& dir, const std::string& signalText) {
    EXPECT_EQ(line(o.report, 0), "Vantrel's Marbles 1.1.0 (Build 1129)");
    EXPECT_EQ(line(o.report, 1), "Absturz: " + signalText);
    EXPECT_EQ(line(o.report, 2).rfind("Zeit: ", 0), 0u) << o.report;
    EXPECT_EQ(line(o.report, 2).size(), std::strlen("Zeit: 07.12.2026 17:14:03")) << o.report;
    EXPECT_EQ(line(o.report, 3), "");
    EXPECT_EQ(line(o.report, 4), "Stapel:");
    EXPECT_NE(line(o.report, 5), "");  // at least one trace line
    const std::string closing =
        "\n\nDiese Datei bitte an support@vantrel-software.example schicken — sie sagt, an\n"
        "welcher Stelle das Spiel gestorben ist.\n";
    ASSERT_GE(o.report.size(), closing.size());
    EXPECT_EQ(o.report.substr(o.report.size() - closing.size()), closing);
    EXPECT_NE(o.err.find("\n*** Vantrel's Marbles abgestuerzt: " + signalText +
                         "\n*** Bericht: " + dir + "/crash.txt\n"),
              std::string::npos)
        << o.err;
}

}  // namespace

TEST(Crash, SegfaultWritesReportAndDiesBySameSignal) {
    std::string dir = freshDir("segv");
    // A stale, longer report must be replaced completely.
    std::string stale;
    for (int i = 0; i < 2000; ++i)
        stale += "STALE REPORT\n";
    testsupport::writeText(dir + "/crash.txt", stale);
    Outcome o = crashChild(dir, segfault);
    EXPECT_TRUE(o.signaled);
    EXPECT_EQ(o.signal, SIGSEGV);
    expectReport(o, dir, "SIGSEGV (ungültiger Speicherzugriff)");
    EXPECT_EQ(o.report.find("STALE"), std::string::npos);
}

TEST(Crash, StackOverflowIsReported) {
    std::string dir = freshDir("overflow");
    Outcome o = crashChild(dir, [] {
        // A smaller stack keeps the recursion short; the handler has a stack of its own.
        rlimit stack{};
        getrlimit(RLIMIT_STACK, &stack);
        stack.rlim_cur = 1 << 20;
        setrlimit(RLIMIT_STACK, &stack);
        overflowStack(0);
    });
    EXPECT_TRUE(o.signaled);
    EXPECT_EQ(o.signal, SIGSEGV);
    expectReport(o, dir, "SIGSEGV (ungültiger Speicherzugriff)");
}

TEST(Crash, EachFatalSignalIsNamedAndEndsTheProcess) {
    const std::pair<int, const char*> cases[] = {
        {SIGILL, "SIGILL (ungültiger Befehl)"},
        {SIGTRAP, "SIGTRAP (fataler Fehler einer Bibliothek)"},
        {SIGABRT, "SIGABRT (abgebrochen)"},
        {SIGBUS, "SIGBUS (Busfehler)"},
        {SIGFPE, "SIGFPE (Rechenfehler)"},
    };
    for (const auto& [sig, text] : cases) {
        std::string dir = freshDir(std::to_string(sig));
        Outcome o = crashChild(dir, [sig = sig] { raise(sig); });
        EXPECT_TRUE(o.signaled) << text;
        EXPECT_EQ(o.signal, sig) << text;
        expectReport(o, dir, text);
    }
    std::string dir = freshDir("abort");
    Outcome o = crashChild(dir, [] { std::abort(); });
    EXPECT_EQ(o.signal, SIGABRT);
    EXPECT_EQ(line(o.report, 1), "Absturz: SIGABRT (abgebrochen)");
}

TEST(Crash, UnwritableDataDirectoryStillGivesTheNotice) {
    // A directory below a regular file cannot be created or written, even by root.
    std::string blocker = freshDir("unwritable") + "/file";
    testsupport::writeText(blocker, "not a directory");
    std::string dir = blocker + "/data";
    Outcome o = crashChild(dir, segfault);
    EXPECT_TRUE(o.signaled);
    EXPECT_EQ(o.signal, SIGSEGV);
    EXPECT_EQ(o.report, "");
    EXPECT_NE(o.err.find("*** Vantrel's Marbles abgestuerzt: SIGSEGV (ungültiger Speicherzugriff)\n"
                         "*** Bericht: " +
                         dir + "/crash.txt\n"),
              std::string::npos)
        << o.err;
}

TEST(Crash, ReportPathIsPreparedAndCutToItsBuffer) {
    pid_t pid = fork();  // installing changes signal dispositions; keep that out of this process
    if (pid == 0) {
        crash::install("/some/data");
        bool ok = std::string(crash::reportPath()) == "/some/data/crash.txt";
        crash::install(std::string(3000, 'd'));
        ok = ok && std::strlen(crash::reportPath()) == 1023;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
