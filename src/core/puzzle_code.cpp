// Puzzle codes: version, size and seed in base 31 with a weighted check character.
#include "core/puzzle_code.h"

#include <cctype>

namespace puzzle {

namespace {

constexpr int kBase = 31;
constexpr size_t kSeedDigits = 6;
constexpr size_t kLength = 2 + kSeedDigits + 1;  // version, size, seed, check

int valueOf(char ch) {
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const size_t at = kCodeAlphabet.find(up);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// Weights 1 ... 9 are distinct and non-zero modulo the prime 31, so changing one character
// changes the sum, and so does swapping two neighbours (their weights differ by one).
int checkValue(const int* values, size_t count) {
    int sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += static_cast<int>(i + 1) * values[i];
    // The check character's own weight is count + 1; choose it so the whole sum is 0 mod 31.
    const int weight = static_cast<int>(count + 1);
    for (int c = 0; c < kBase; ++c)
        if ((sum + weight * c) % kBase == 0) return c;
    return 0;
}

}  // namespace

std::string encode(const Id& id) {
    int values[kLength];
    values[0] = id.version % kBase;
    values[1] = id.size % kBase;
    uint32_t seed = id.seed % kSeedLimit;
    for (size_t i = 0; i < kSeedDigits; ++i) {
        values[2 + kSeedDigits - 1 - i] = static_cast<int>(seed % kBase);
        seed /= kBase;
    }
    values[kLength - 1] = checkValue(values, kLength - 1);
    std::string out;
    for (size_t i = 0; i < kLength; ++i) {
        if (i > 0 && i % 3 == 0) out += '-';
        out += kCodeAlphabet[static_cast<size_t>(values[i])];
    }
    return out;
}

std::optional<Id> decode(std::string_view code) {
    int values[kLength];
    size_t n = 0;
    for (char ch : code) {
        if (ch == '-' || ch == ' ') continue;
        const int v = valueOf(ch);
        if (v < 0 || n == kLength) return std::nullopt;
        values[n++] = v;
    }
    if (n != kLength || checkValue(values, kLength - 1) != values[kLength - 1]) return std::nullopt;
    Id id;
    id.version = values[0];
    id.size = values[1];
    id.seed = 0;
    for (size_t i = 0; i < kSeedDigits; ++i)
        id.seed = id.seed * kBase + static_cast<uint32_t>(values[2 + i]);
    return id;
}

std::string normalizeTyping(std::string_view typed) {
    std::string out;
    for (char ch : typed) {
        const int v = valueOf(ch);
        if (v >= 0 && out.size() < kLength) out += kCodeAlphabet[static_cast<size_t>(v)];
    }
    return out;
}

}  // namespace puzzle
