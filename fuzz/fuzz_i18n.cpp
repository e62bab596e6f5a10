// Fuzzed language codes, locale variables, keys and placeholder arguments through the
// translations: the active catalogue is always a real one, and filling placeholders behaves like
// replacing each argument's placeholder, argument after argument, in the text built so far.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "i18n/i18n.h"
#include "i18n/i18n_data.h"

namespace {

const char* const kLocaleVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

int catalogIndexOf(const std::string& code) {
    const auto& langs = i18n::languages();
    for (size_t i = 0; i < langs.size(); ++i)
        if (langs[i].code == code) return static_cast<int>(i);
    return -1;
}

// The catalogue's text of a key, or the key itself when the catalogue lacks it.
std::string catalogueText(int catalog, const std::string& key) {
    const i18n_data::Catalog& cat = i18n_data::kCatalogs[catalog];
    for (int i = 0; i < cat.count; ++i)
        if (key == cat.entries[i].key) return cat.entries[i].value;
    return key;
}

// Every "{{name}}" of a text, so the fuzzer can hand over names that really occur.
std::vector<std::string> placeholdersOf(const std::string& text) {
    std::vector<std::string> names;
    for (size_t open = text.find("{{"); open != std::string::npos;
         open = text.find("{{", open + 2)) {
        size_t close = text.find("}}", open + 2);
        if (close == std::string::npos) break;
        names.push_back(text.substr(open + 2, close - open - 2));
    }
    return names;
}

// The reference: cut the text at every non-overlapping needle, left to right, and join the
// pieces with the value, so nothing the value brings in can be cut again.
std::string replaceEvery(const std::string& text, const std::string& needle,
                         const std::string& value) {
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, from)) {
        out.append(text, from, at - from);
        out += value;
        from = at + needle.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Only what the fuzzer sets may choose the system language.
    for (const char* name : kLocaleVariables)
        ::unsetenv(name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto& langs = i18n::languages();
    FUZZ_REQUIRE(!langs.empty() && catalogIndexOf("en") >= 0);

    // ---- Language choice ----
    std::string code;
    const char* variable = nullptr;
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            code = langs[in.ConsumeIntegralInRange<size_t>(0, langs.size() - 1)].code;
            break;
        case 1:
            code = in.ConsumeRandomLengthString(24);
            break;
        default:
            variable = kLocaleVariables[in.ConsumeIntegralInRange<int>(0, 3)];
            ::setenv(variable, in.ConsumeRandomLengthString(48).c_str(), 1);
            break;
    }
    i18n::setLanguage(code);
    const std::string current = i18n::currentLanguage();
    const int catalog = catalogIndexOf(current);
    FUZZ_REQUIRE(catalog >= 0);
    FUZZ_REQUIRE(i18n::currentIsRtl() == langs[catalog].rtl);
    FUZZ_REQUIRE(i18n::shapingLanguage() != nullptr && *i18n::shapingLanguage() != '\0');
    if (code.empty()) {
        const std::string detected = i18n::detectSystemLanguage();
        FUZZ_REQUIRE(current == detected && catalogIndexOf(detected) >= 0);
    } else {
        FUZZ_REQUIRE(current == (catalogIndexOf(code) >= 0 ? code : "en"));
    }
    if (variable) ::unsetenv(variable);

    // ---- Key lookup ----
    const i18n_data::Catalog& cat = i18n_data::kCatalogs[catalog];
    std::string key = in.ConsumeBool() && cat.count > 0
                          ? cat.entries[in.ConsumeIntegralInRange<int>(0, cat.count - 1)].key
                          : in.ConsumeRandomLengthString(48);
    const std::string text = i18n::tr(key);
    FUZZ_REQUIRE(text == catalogueText(catalog, key));
    FUZZ_REQUIRE(i18n::tr(key, {}) == text);

    // ---- Placeholder filling ----
    const std::vector<std::string> present = placeholdersOf(text);
    const int count = in.ConsumeIntegralInRange<int>(0, 4);
    std::vector<std::string> names, values;
    names.reserve(count);
    values.reserve(count);
    for (int k = 0; k < count; ++k) {
        if (!present.empty() && in.ConsumeBool())
            names.push_back(present[in.ConsumeIntegralInRange<size_t>(0, present.size() - 1)]);
        else
            names.push_back(in.ConsumeRandomLengthString(16));
        values.push_back(k + 1 == count ? in.ConsumeRemainingBytesAsString()
                                        : in.ConsumeRandomLengthString(64));
    }
    std::vector<i18n::Arg> args;
    std::string expected = text;
    for (int k = 0; k < count; ++k) {
        // The name travels as a C string, so it ends at its first NUL byte.
        args.emplace_back(names[k].c_str(), values[k]);
        expected = replaceEvery(expected, "{{" + std::string(names[k].c_str()) + "}}", values[k]);
    }
    FUZZ_REQUIRE(i18n::tr(key, args) == expected);
    return 0;
}
