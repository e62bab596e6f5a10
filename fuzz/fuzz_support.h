// Shared pieces of the fuzz targets: a private data directory, the input placed as a data file,
// and a broken invariant turned into a crash that libFuzzer keeps as an artifact.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/storage.h"

#define FUZZ_REQUIRE(cond) \
    ((cond) ? static_cast<void>(0) : ::fuzzsupport::fail(#cond, __FILE__, __LINE__))

namespace fuzzsupport {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

inline bool isDir(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Points the store at a fresh directory before it computes its data directory, which it does
// once per process. Every save ends in fsync, so a memory file system is preferred: on a disk
// the syncs, not the code under test, would set the pace.
inline void useTemporaryDataDir() {
    static std::string dir;
    const char* tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : (isDir("/dev/shm") ? "/dev/shm" : "/tmp");
    std::string pattern = base + "/vantrel-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    dir = pattern;
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    ::setenv("HOME", dir.c_str(), 1);
    store::ensureDataDirs();
    if (store::dataDir() != dir + "/vantrelMarbles") {
        std::fprintf(stderr, "the data directory was fixed before the fuzzer could move it\n");
        std::exit(1);
    }
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    });
}

// Puts the input bytes, exactly as they are, where the store reads the named file.
inline void placeFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = store::dataDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_REQUIRE(f != nullptr);
    FUZZ_REQUIRE(size == 0 || std::fwrite(data, 1, size, f) == size);
    FUZZ_REQUIRE(std::fclose(f) == 0);
}

inline std::string readFile(const std::string& name) {
    std::string out;
    std::FILE* f = std::fopen((store::dataDir() + "/" + name).c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// After the store saved over the input placed as `name`: a corrupt input (one that holds
// something but not the top-level type the game keeps in that file) went aside whole, once; a
// sound one did not. The copy is removed, or the directory would fill with one per input.
inline void checkSetAside(const std::string& name, const uint8_t* data, size_t size, bool corrupt) {
    int found = 0;
    for (const auto& e : std::filesystem::directory_iterator(store::dataDir())) {
        const std::string entry = e.path().filename().string();
        if (entry.rfind(name + ".corrupt-", 0) != 0) continue;
        ++found;
        FUZZ_REQUIRE(readFile(entry) == std::string(reinterpret_cast<const char*>(data), size));
        std::remove(e.path().c_str());
    }
    FUZZ_REQUIRE(found == (corrupt ? 1 : 0));
}

}  // namespace fuzzsupport
