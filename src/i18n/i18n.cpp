// Translations: language detection, the active catalogue and placeholder filling.
#include "i18n/i18n.h"

#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "i18n/i18n_data.h"

namespace i18n {

namespace {

constexpr int kEnglish = 1;

struct State {
    int catalog = kEnglish;
    std::string requested;
    std::map<std::string, std::string, std::less<>> lookup;
};

State& state() {
    static State s;
    return s;
}

int catalogIndex(std::string_view code) {
    for (int i = 0; i < i18n_data::kCatalogCount; ++i)
        if (code == i18n_data::kCatalogs[i].code) return i;
    return -1;
}

// "pt_BR.UTF-8" -> "pt": the characters before the first '-', '.', '@' or '_', lower-cased.
std::string primaryTag(std::string_view part) {
    std::string tag;
    for (char c : part) {
        if (c == '-' || c == '.' || c == '@' || c == '_') break;
        tag += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tag;
}

void buildLookup() {
    State& s = state();
    s.lookup.clear();
    const i18n_data::Catalog& cat = i18n_data::kCatalogs[s.catalog];
    for (int i = 0; i < cat.count; ++i)
        s.lookup[cat.entries[i].key] = cat.entries[i].value;
}

}  // namespace

const std::vector<Language>& languages() {
    static const std::vector<Language> all = [] {
        std::vector<Language> v;
        for (int i = 0; i < i18n_data::kCatalogCount; ++i) {
            const auto& c = i18n_data::kCatalogs[i];
            v.push_back({c.code, c.nativeName, c.englishName, c.rtl});
        }
        return v;
    }();
    return all;
}

std::string detectSystemLanguage() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string_view rest(value);
        // LANGUAGE may list several languages separated by ':'; the first known one wins.
        for (;;) {
            size_t colon = rest.find(':');
            std::string tag = primaryTag(rest.substr(0, colon));
            if (!tag.empty() && catalogIndex(tag) >= 0) return tag;
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    return "en";
}

void setLanguage(const std::string& code) {
    State& s = state();
    s.requested = code;
    int index = catalogIndex(code.empty() ? detectSystemLanguage() : code);
    s.catalog = index >= 0 ? index : kEnglish;
    buildLookup();
}

std::string tr(std::string_view key) {
    State& s = state();
    if (s.lookup.empty()) buildLookup();
    auto it = s.lookup.find(key);
    return it != s.lookup.end() ? it->second : std::string(key);
}

std::string tr(std::string_view key, const std::vector<Arg>& args) {
    std::string text = tr(key);
    for (const auto& [name, value] : args) {
        std::string needle = std::string("{{") + name + "}}";
        // Continue behind each inserted value so a value is never expanded by its own needle.
        for (size_t pos = text.find(needle); pos != std::string::npos;
             pos = text.find(needle, pos + value.size())) {
            text.replace(pos, needle.size(), value);
        }
    }
    return text;
}

const char* pluralName(Plural p) {
    static const char* const names[] = {"zero", "one", "two", "few", "many", "other"};
    return names[static_cast<int>(p)];
}

Plural pluralCategory(std::string_view code, long n) {
    // Integer counts only; the rules follow the CLDR cardinal tables for our languages.
    const long a = n < 0 ? -n : n;
    const long m10 = a % 10, m100 = a % 100;
    if (code == "ja" || code == "zh" || code == "ko" || code == "tr") {
        // Turkish nouns stay singular after a numeral, so one form serves every count.
        return Plural::Other;
    }
    // CLDR's "many" of the Romance languages only starts at a million, beyond any count we show.
    if (code == "fr" || code == "pt") return a <= 1 ? Plural::One : Plural::Other;
    if (code == "ru") {
        if (m10 == 1 && m100 != 11) return Plural::One;
        if (m10 >= 2 && m10 <= 4 && (m100 < 12 || m100 > 14)) return Plural::Few;
        return Plural::Many;
    }
    if (code == "pl") {
        if (a == 1) return Plural::One;
        if (m10 >= 2 && m10 <= 4 && (m100 < 12 || m100 > 14)) return Plural::Few;
        return Plural::Many;
    }
    if (code == "cs") return a == 1 ? Plural::One : a >= 2 && a <= 4 ? Plural::Few : Plural::Other;
    if (code == "ro") {
        if (a == 1) return Plural::One;
        return a == 0 || (m100 >= 1 && m100 <= 19) ? Plural::Few : Plural::Other;
    }
    if (code == "he") return a == 1 ? Plural::One : a == 2 ? Plural::Two : Plural::Other;
    if (code == "ar") {
        if (a <= 2) return a == 0 ? Plural::Zero : a == 1 ? Plural::One : Plural::Two;
        if (m100 >= 3 && m100 <= 10) return Plural::Few;
        return m100 >= 11 ? Plural::Many : Plural::Other;
    }
    return a == 1 ? Plural::One : Plural::Other;  // Germanic, Hungarian, Finnish, Greek
}

std::vector<Plural> pluralCategories(std::string_view code) {
    using P = Plural;
    if (code == "ja" || code == "zh" || code == "ko" || code == "tr") return {P::Other};
    // "other" is their form for fractions; we keep it as the fallback every plural text has.
    if (code == "ru" || code == "pl") return {P::One, P::Few, P::Many, P::Other};
    if (code == "cs" || code == "ro") return {P::One, P::Few, P::Other};
    if (code == "he") return {P::One, P::Two, P::Other};
    if (code == "ar") return {P::Zero, P::One, P::Two, P::Few, P::Many, P::Other};
    return {P::One, P::Other};
}

std::string trPlural(std::string_view key, long n, const std::vector<Arg>& args) {
    std::string base(key);
    std::string form = base + "#" + pluralName(pluralCategory(currentLanguage(), n));
    if (tr(form) == form) form = base + "#other";
    std::vector<Arg> all{{"n", std::to_string(n)}};
    all.insert(all.end(), args.begin(), args.end());
    return tr(form, all);
}

std::string currentLanguage() {
    return i18n_data::kCatalogs[state().catalog].code;
}

bool currentIsRtl() {
    return i18n_data::kCatalogs[state().catalog].rtl;
}

const char* shapingLanguage() {
    return shapingLanguageOf(i18n_data::kCatalogs[state().catalog].code);
}

const char* shapingLanguageOf(std::string_view code) {
    // Our Chinese catalogue is the simplified one; a bare "zh" would leave the glyph choice
    // to the font configuration, which may prefer Japanese forms.
    if (code == "zh") return "zh-cn";
    for (int i = 0; i < i18n_data::kCatalogCount; ++i)
        if (code == i18n_data::kCatalogs[i].code) return i18n_data::kCatalogs[i].code;
    return "en";
}

}  // namespace i18n
