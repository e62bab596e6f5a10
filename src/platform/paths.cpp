// Executable and asset directory lookup, computed once per process.
#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace paths {
namespace {

bool isDir(const std::string& p) {
    struct stat st;
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : std::string();
}

bool looksLikeAssetDir(const std::string& c) {
    return isDir(c + "/assets/fonts") && isDir(c + "/assets/audio");
}

}  // namespace

std::string exeDir() {
    static const std::string dir = [] {
        char buf[4096];
        ssize_t n = ::readlink("/proc/self/exe", buf, 4095);
        if (n <= 0) return std::string(".");
        std::string p(buf, static_cast<size_t>(n));
        size_t slash = p.find_last_of('/');
        return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
    }();
    return dir;
}

std::string assetDir() {
    static const std::string dir = [] {
        std::vector<std::string> candidates;
        if (std::string snap = envOr("SNAP"); !snap.empty())
            candidates.push_back(snap + "/usr/share/vantrelMarbles");
        if (std::string appdir = envOr("APPDIR"); !appdir.empty())
            candidates.push_back(appdir + "/usr/share/vantrelMarbles");
        if (std::string over = envOr("VANTREL_ASSET_DIR"); !over.empty())
            candidates.push_back(over);
        const std::string exe = exeDir();
        candidates.push_back(exe + "/../share/vantrelMarbles");
        candidates.push_back("/usr/share/vantrelMarbles");
        candidates.push_back("/app/share/vantrelMarbles");
        candidates.push_back(exe);
        candidates.push_back(exe + "/..");
        candidates.push_back(".");
        for (const auto& c : candidates)
            if (looksLikeAssetDir(c)) return c;
        return exe;
    }();
    return dir;
}

std::string asset(const std::string& rel) {
    return assetDir() + "/assets/" + rel;
}

}  // namespace paths
