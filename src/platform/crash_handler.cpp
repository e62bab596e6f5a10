// Crash reporter: everything is prepared at installation, so the handler only opens, writes and
// closes one file and never allocates.
#include "platform/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/storage.h"

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "1.1.0"
#endif
#ifndef VANTREL_BUILD
#define VANTREL_BUILD 1129
#endif

namespace crash {

namespace {

constexpr const char* kSupportAddress = "support@vantrel-software.example";
constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL, SIGTRAP};
constexpr int kMaxFrames = 64;

// Filled by install(); the handler reads them only.
char gPath[1024];
char gHeader[128];
char gClosing[256];

// The handler runs here, so it still has a stack when the fault was a stack overflow. Generous
// because sanitizer builds and the unwinder need more than the usual minimum.
alignas(16) char gAltStack[256 * 1024];

// Writes the whole C string, continuing after partial writes; gives up on the first failure.
void writeAll(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t n = write(fd, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

const char* signalName(int sig) {
    switch (sig) {
        case SIGILL:
            return "SIGILL (ungültiger Befehl)";
        case SIGTRAP:
            return "SIGTRAP (fataler Fehler einer Bibliothek)";
        case SIGABRT:
            return "SIGABRT (abgebrochen)";
        case SIGBUS:
            return "SIGBUS (Busfehler)";
        case SIGFPE:
            return "SIGFPE (Rechenfehler)";
        case SIGSEGV:
            return "SIGSEGV (ungültiger Speicherzugriff)";
        default:
            return "unbekanntes Signal";
    }
}

void onFatalSignal(int sig) {
    // Default first: a second fault inside this handler then ends the process at once.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);

    const char* name = signalName(sig);
    int fd = open(gPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        writeAll(fd, gHeader);
        writeAll(fd, name);
        writeAll(fd, "\nZeit: ");
        char when[64];
        time_t now = time(nullptr);
        struct tm local {};
        size_t len = 0;
        if (localtime_r(&now, &local))
            len = strftime(when, sizeof when, "%d.%m.%Y %H:%M:%S", &local);
        writeAll(fd, len > 0 ? when : "unbekannt");
        writeAll(fd, "\n\nStapel:\n");
        void* frames[kMaxFrames];
        int count = backtrace(frames, kMaxFrames);
        backtrace_symbols_fd(frames, count, fd);
        writeAll(fd, gClosing);
        close(fd);
    }
    writeAll(2, "\n*** Vantrel's Marbles abgestuerzt: ");
    writeAll(2, name);
    writeAll(2, "\n*** Bericht: ");
    writeAll(2, gPath);
    writeAll(2, "\n");
    raise(sig);
}

}  // namespace

void install() {
    install(store::dataDir());
}

void install(const std::string& dataDir) {
    std::snprintf(gPath, sizeof gPath, "%s/crash.txt", dataDir.c_str());
    std::snprintf(gHeader, sizeof gHeader,
                  "Vantrel's Marbles %s (Build %d)\nAbsturz: ", VANTREL_VERSION, VANTREL_BUILD);
    std::snprintf(gClosing, sizeof gClosing,
                  "\nDiese Datei bitte an %s schicken — sie sagt, an\n"
                  "welcher Stelle das Spiel gestorben ist.\n",
                  kSupportAddress);

    // The first backtrace loads the unwinder and the first localtime_r reads the time zone, both
    // of which allocate; doing it here keeps the handler free of that.
    void* frames[4];
    backtrace(frames, 4);
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);

    stack_t alt{};
    alt.ss_sp = gAltStack;
    alt.ss_size = sizeof gAltStack;
    sigaltstack(&alt, nullptr);

    // sigaction rather than signal: only it can move the handler onto the alternate stack.
    // SA_NODEFER lets the final raise() take effect inside the handler.
    struct sigaction sa {};
    sa.sa_handler = onFatalSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_ONSTACK | SA_NODEFER;
    for (int sig : kSignals)
        sigaction(sig, &sa, nullptr);
}

const char* reportPath() {
    return gPath;
}

}  // namespace crash
