// Embedded asset store: unscrambles built-in files once and keeps them for the whole run.
#include "platform/assets.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "assets_data.h"

namespace assets {

namespace {

// Entries are never removed: callers (the mixer) keep pointers into these strings.
std::map<std::string, std::string>& cache() {
    static std::map<std::string, std::string> c;
    return c;
}

const std::string& noBytes() {
    static const std::string empty;
    return empty;
}

// The variable is read on every miss, so a test or a player can point it anywhere before the
// first use of an asset.
bool readOverride(const std::string& name, std::string& out) {
    const char* dir = std::getenv("VANTREL_ASSET_DIR");
    if (!dir || !*dir) return false;
    std::ifstream in(std::string(dir) + "/assets/" + name, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// XOR with the key, and with the block number so that equal runs of bytes do not repeat.
std::string unscramble(const unsigned char* data, int n) {
    std::string out(static_cast<size_t>(n), '\0');
    for (int i = 0; i < n; ++i) {
        out[static_cast<size_t>(i)] =
            static_cast<char>(data[i] ^ assets_data::kKey[i % 8] ^ ((i >> 8) & 0xFF));
    }
    return out;
}

const assets_data::Entry* findEntry(const std::string& name) {
    for (const assets_data::Entry& e : assets_data::kEntries) {
        if (name == e.name) return &e;
    }
    return nullptr;
}

}  // namespace

const std::string& blob(const std::string& name) {
    auto& c = cache();
    auto it = c.find(name);
    if (it != c.end()) return it->second;

    std::string bytes;
    if (!readOverride(name, bytes)) {
        const assets_data::Entry* e = findEntry(name);
        if (!e) {
            std::fprintf(stderr, "[assets] unknown asset: %s\n", name.c_str());
            return noBytes();
        }
        bytes = unscramble(e->data, e->size);
    }
    return c.emplace(name, std::move(bytes)).first->second;
}

bool has(const std::string& name) {
    return findEntry(name) != nullptr;
}

}  // namespace assets
