// Links: the underlined text and the detached start of the desktop's opener.
#include "screens/links.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include "platform/audio.h"
#include "ui/focus.h"

namespace screens {
namespace {

constexpr char kDefaultOpener[] = "xdg-open";

std::string& openerProgram() {
    static std::string program = kDefaultOpener;
    return program;
}

}  // namespace

void setUrlOpener(const std::string& program) {
    openerProgram() = program.empty() ? kDefaultOpener : program;
}

void openUrl(const std::string& url) {
    const std::string& program = openerProgram();
    const char* argv[] = {program.c_str(), url.c_str(), nullptr};

    // No shell is involved, so no address can be misread as a command. posix_spawn does not
    // copy the game's memory map as fork would, so the frame hardly waits.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // The window system's socket and the audio device stay with the game.
    posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);
#endif
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    // Its own session: a hang-up or Ctrl+C aimed at the game's terminal must not reach it.
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int rc =
        posix_spawnp(&pid, program.c_str(), &files, &attr, const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) return;  // no opener installed: a link simply does nothing

    // The opener may run as long as the browser it starts; a thread of its own waits for it,
    // so it never lingers as a zombie and the frame loop never waits.
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread the finished opener stays a zombie until the game ends; harmless.
    }
}

ui::Rect linkRect(cairo_t* cr, double x, double y, const std::string& text,
                  const ui::TextStyle& st) {
    double tw = 0, th = 0;
    ui::measureText(cr, text, st, &tw, &th);
    double left = x;
    if (st.align == ui::Align::Center) left = x - tw / 2;
    if (st.align == ui::Align::Right) left = x - tw;
    return {left, y, tw, th};
}

bool drawLink(ui::Ctx& c, double x, double y, const std::string& text, const ui::TextStyle& st,
              const std::string& url, const ui::Rect& visible) {
    const ui::Rect r = linkRect(c.cr, x, y, text, st);
    const ui::FocusHit focus = c.focusable(r);
    ui::drawText(c.cr, x, y, text, st);
    ui::drawLine(c.cr, r.x, r.bottom(), r.right(), r.bottom(), 1, st.color, st.alpha);
    if (focus.ring) ui::drawFocusRing(c.cr, {r.x - 4, r.y - 1, r.w + 8, r.h + 4}, 6);
    // Clipped parts of the panel's content are not there for the pointer either.
    if (!focus.activated && (!c.hover(visible) || !c.takeClick(r))) return false;
    audio::play(audio::Sfx::Click);
    openUrl(url);
    return true;
}

}  // namespace screens
