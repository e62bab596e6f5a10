// Arbitrary bytes through the JSON parser; whatever parses must survive the writer and a second
// parse unchanged, and every number conversion the store applies must be defined on it.
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/json.h"
#include "fuzz_support.h"

namespace {

// The writer turns numbers that are not finite into null, since the game never stores them and
// JSON cannot hold them. Everything else must come back as it was (-0 reads back as 0, which
// compares equal).
bool sameAfterWrite(const json::Value& a, const json::Value& b) {
    if (a.isNumber() && !std::isfinite(a.asNumber(0))) return b.isNull();
    if (a.type() != b.type()) return false;
    switch (a.type()) {
        case json::Type::Null:
            return true;
        case json::Type::Bool:
            return a.asBool(false) == b.asBool(false);
        case json::Type::Number:
            return a.asNumber(0) == b.asNumber(0);
        case json::Type::String:
            return a.asString() == b.asString();
        case json::Type::Array: {
            const auto& x = a.asArray();
            const auto& y = b.asArray();
            if (x.size() != y.size()) return false;
            for (size_t k = 0; k < x.size(); ++k)
                if (!sameAfterWrite(x[k], y[k])) return false;
            return true;
        }
        case json::Type::Object: {
            const auto& x = a.asObject();
            const auto& y = b.asObject();
            if (x.size() != y.size()) return false;
            for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j)
                if (i->first != j->first || !sameAfterWrite(i->second, j->second)) return false;
            return true;
        }
    }
    return false;
}

// The store reads every number through these; each must be defined for any double a file can
// hold, and lookups through the accessors must find exactly the members that were parsed.
void checkAccessors(const json::Value& v) {
    if (v.isNumber()) {
        const double d = v.asNumber(0);
        const int i = v.asInt(7);
        if (std::isnan(d)) {
            FUZZ_REQUIRE(i == 7);
        } else {
            const double r = std::floor(d + 0.5);
            FUZZ_REQUIRE(r <= INT_MIN ? i == INT_MIN : r >= INT_MAX ? i == INT_MAX : i == r);
        }
        const int64_t t = json::truncToInt64(d);
        FUZZ_REQUIRE(std::isnan(d) ? t == 0 : (d >= 0) == (t >= 0) || t == 0);
        json::truncToUint32(d);
    }
    if (v.isArray()) {
        const auto& a = v.asArray();
        FUZZ_REQUIRE(v.size() == a.size());
        for (size_t k = 0; k < a.size(); ++k) {
            FUZZ_REQUIRE(&v[k] == &a[k]);
            checkAccessors(a[k]);
        }
        FUZZ_REQUIRE(v[a.size()].isNull() && v[-1].isNull());
    }
    if (v.isObject()) {
        FUZZ_REQUIRE(v.size() == v.asObject().size());
        for (const auto& [key, member] : v.asObject()) {
            FUZZ_REQUIRE(v.has(key) && &v[key] == &member);
            checkAccessors(member);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const json::Value first = json::parse(text);
    if (first.isNull()) return 0;  // a failed parse and a literal null read alike
    checkAccessors(first);

    const std::string written = first.dump();
    const json::Value second = json::parse(written);
    FUZZ_REQUIRE(sameAfterWrite(first, second));
    // The writer's own output is a fixed point: written again, it gives the same bytes.
    FUZZ_REQUIRE(second.dump() == written);
    return 0;
}
