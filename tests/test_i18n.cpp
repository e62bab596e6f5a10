// Tests for language detection, language switching, lookups and placeholder filling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "i18n/i18n.h"
#include "i18n/i18n_data.h"
#include "theme/theme.h"

namespace {

const char* const kLocaleVars[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// Sets the four locale variables for one case and restores the previous values afterwards.
class LocaleEnv {
  public:
    LocaleEnv() {
        for (const char* name : kLocaleVars) {
            const char* v = std::getenv(name);
            saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    ~LocaleEnv() {
        for (size_t i = 0; i < saved_.size(); ++i)
            put(kLocaleVars[i], saved_[i]);
        i18n::setLanguage("en");
    }
    // nullopt unsets the variable.
    void set(std::optional<std::string> language, std::optional<std::string> lcAll,
             std::optional<std::string> lcMessages, std::optional<std::string> lang) {
        put("LANGUAGE", language);
        put("LC_ALL", lcAll);
        put("LC_MESSAGES", lcMessages);
        put("LANG", lang);
    }

  private:
    static void put(const char* name, const std::optional<std::string>& v) {
        if (v)
            setenv(name, v->c_str(), 1);
        else
            unsetenv(name);
    }
    std::vector<std::optional<std::string>> saved_;
};

constexpr auto kUnset = std::nullopt;

std::vector<std::string> placeholderNames(const std::string& text) {
    std::vector<std::string> names;
    for (size_t open = text.find("{{"); open != std::string::npos;
         open = text.find("{{", open + 2)) {
        size_t close = text.find("}}", open);
        if (close == std::string::npos) break;
        names.push_back(text.substr(open + 2, close - open - 2));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The text of key in the generated catalogue of code, read past the module.
std::string catalogueText(const std::string& code, const std::string& key) {
    for (int c = 0; c < i18n_data::kCatalogCount; ++c) {
        const auto& cat = i18n_data::kCatalogs[c];
        if (code != cat.code) continue;
        for (int i = 0; i < cat.count; ++i)
            if (key == cat.entries[i].key) return cat.entries[i].value;
    }
    return "<missing>";
}

}  // namespace

TEST(I18n, SystemLanguageTakesTheFirstVariableThatNamesACatalogue) {
    LocaleEnv env;
    struct Case {
        std::optional<std::string> language, lcAll, lcMessages, lang;
        const char* expected;
    };
    const Case cases[] = {
        {kUnset, "C.UTF-8", kUnset, "de_DE.UTF-8", "de"},  // C gives no match; LANG decides
        {kUnset, kUnset, kUnset, kUnset, "en"},
        {"xx", "C", "POSIX", "tlh_KL", "en"},            // nothing known anywhere
        {"", "", "", "ja_JP.UTF-8", "ja"},               // empty variables are skipped
        {"fi", "de_DE", "sv_SE", "ko_KR", "fi"},         // LANGUAGE comes first
        {kUnset, "it_IT", "sv_SE", "ko_KR", "it"},       // then LC_ALL
        {kUnset, kUnset, "sv_SE.UTF-8", "ko_KR", "sv"},  // then LC_MESSAGES
        {"xx:yy", kUnset, kUnset, "nl_NL", "nl"},  // an unmatched LANGUAGE does not end the search
    };
    for (const Case& c : cases) {
        env.set(c.language, c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(i18n::detectSystemLanguage(), c.expected)
            << "LANGUAGE=" << c.language.value_or("<unset>")
            << " LC_ALL=" << c.lcAll.value_or("<unset>")
            << " LC_MESSAGES=" << c.lcMessages.value_or("<unset>")
            << " LANG=" << c.lang.value_or("<unset>");
    }
}

TEST(I18n, SystemLanguageReadsThePrimaryTagOfEachListedPart) {
    LocaleEnv env;
    const std::pair<const char*, const char*> cases[] = {
        {"pt_BR.UTF-8", "pt"},
        {"xx:fr_CA", "fr"},
        {"zh_TW.UTF-8", "zh"},  // the only Chinese catalogue is used for every region
        {"EN_us", "en"},        // the tag is lower-cased
        {"DE", "de"},
        {"he-IL", "he"},
        {"ar@latin", "ar"},
        {"ru.KOI8-R", "ru"},
        {":@de:_de:el", "el"},  // parts starting with a separator have no tag
        {"pt_PT:de", "pt"},
        {"english", "en"},  // no such code: falls back to the default, not a prefix match
        {"e", "en"},
        {"tr_TR.UTF-8@euro:ko", "tr"},
    };
    for (const auto& [value, expected] : cases) {
        env.set(value, kUnset, kUnset, kUnset);
        EXPECT_EQ(i18n::detectSystemLanguage(), expected) << "LANGUAGE=" << value;
    }
    // A part that matches nothing in LANGUAGE must not hide a later variable.
    env.set("english", kUnset, kUnset, "cs_CZ");
    EXPECT_EQ(i18n::detectSystemLanguage(), "cs");
}

TEST(I18n, SetLanguageMatchesCodesExactlyAndFallsBackToEnglish) {
    LocaleEnv env;
    i18n::setLanguage("de");
    EXPECT_EQ(i18n::currentLanguage(), "de");
    for (const char* key : {"menu.quit", "settings.resetMessage", "worlds.lagune"})
        EXPECT_EQ(i18n::tr(key), catalogueText("de", key));

    const char* toEnglish[] = {"PT", "xx", "de_DE", "en", " de"};
    for (const char* code : toEnglish) {
        i18n::setLanguage("de");
        i18n::setLanguage(code);
        EXPECT_EQ(i18n::currentLanguage(), "en") << code;
        EXPECT_EQ(i18n::tr("menu.quit"), "Quit") << code;
    }

    // The empty code follows the environment, as the settings' "System" choice does.
    env.set(kUnset, kUnset, kUnset, "ja_JP.UTF-8");
    i18n::setLanguage("");
    EXPECT_EQ(i18n::currentLanguage(), "ja");
    env.set("xx", kUnset, kUnset, kUnset);
    i18n::setLanguage("");
    EXPECT_EQ(i18n::currentLanguage(), "en");
}

TEST(I18n, UnknownKeyIsShownAsItself) {
    LocaleEnv env;
    for (const char* code : {"en", "de", "ar"}) {
        i18n::setLanguage(code);
        EXPECT_EQ(i18n::tr("menu.noSuchKey"), "menu.noSuchKey") << code;
        EXPECT_EQ(i18n::tr(""), "") << code;
        EXPECT_EQ(i18n::tr("menu"), "menu") << code;  // a prefix of real keys is no key
    }
}

TEST(I18n, PlaceholdersAreFilledLeftToRightWithoutReexpansion) {
    LocaleEnv env;
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::tr("ending.starsProgress", {{"got", "12"}, {"total", "30"}}),
              "12 of 30 levels with three stars");
    EXPECT_EQ(i18n::tr("menu.continue", {{"n", "7"}}), "Continue · Level 7");
    // Unknown keys come back as themselves, which lets us test the filling directly.
    EXPECT_EQ(i18n::tr("{{n}}", {{"n", "{{n}}"}}), "{{n}}");  // never re-expanded
    EXPECT_EQ(i18n::tr("{{n}}{{n}}", {{"n", "a{{n}}"}}), "a{{n}}a{{n}}");
    EXPECT_EQ(i18n::tr("{{n}} {{n}} {{n}}", {{"n", "5"}}), "5 5 5");  // every occurrence
    EXPECT_EQ(i18n::tr("{{a}}", {{"a", "{{b}}"}, {"b", "x"}}),
              "x");  // a later needle still applies
    EXPECT_EQ(i18n::tr("{{b}}", {{"a", "1"}, {"b", "{{a}}"}}), "{{a}}");  // an earlier one does not
    EXPECT_EQ(i18n::tr("{{n}} of {{total}}", {{"n", "3"}}), "3 of {{total}}");  // unnamed stay
    EXPECT_EQ(i18n::tr("{{n}}", {{"n", ""}}), "");
    EXPECT_EQ(i18n::tr("{n} {{ n}}", {{"n", "9"}}), "{n} {{ n}}");
    EXPECT_EQ(i18n::tr("solved.optimumHint", {}), "Optimal in {{n}} moves — for three stars");
}

TEST(I18n, EveryCatalogueHasTheEnglishKeysAndPlaceholders) {
    const auto& langs = i18n::languages();
    const char* order[] = {"de", "en", "fr", "es", "it", "pt", "nl", "pl", "cs", "hu", "ro",
                           "sv", "da", "fi", "el", "tr", "ru", "ja", "zh", "ko", "ar", "he"};
    ASSERT_EQ(langs.size(), std::size(order));
    ASSERT_EQ(i18n_data::kCatalogCount, static_cast<int>(std::size(order)));
    for (size_t i = 0; i < langs.size(); ++i) {
        EXPECT_EQ(langs[i].code, order[i]);
        EXPECT_FALSE(langs[i].nativeName.empty());
        EXPECT_FALSE(langs[i].englishName.empty());
    }
    EXPECT_EQ(langs[17].nativeName, "日本語");
    EXPECT_EQ(langs[18].englishName, "Chinese (Simplified)");

    // Plural texts ("key#form") carry exactly the forms of their language's rule; every other
    // key is English's.
    const i18n_data::Catalog& en = i18n_data::kCatalogs[1];
    auto plainKeys = [](const i18n_data::Catalog& cat) {
        std::map<std::string, std::string> plain;
        std::map<std::string, std::set<std::string>> plural;
        for (int i = 0; i < cat.count; ++i) {
            std::string key = cat.entries[i].key;
            size_t hash = key.find('#');
            if (hash == std::string::npos)
                plain[key] = cat.entries[i].value;
            else
                plural[key.substr(0, hash)].insert(key.substr(hash + 1));
        }
        return std::make_pair(plain, plural);
    };
    const auto [enPlain, enPlural] = plainKeys(en);
    // The catalogue only ever grows; a generated unit that lost its texts would hold far fewer.
    ASSERT_GE(enPlain.size(), 137u);
    ASSERT_GE(enPlural.size(), 4u);
    for (int c = 0; c < i18n_data::kCatalogCount; ++c) {
        const i18n_data::Catalog& cat = i18n_data::kCatalogs[c];
        const auto [plain, plural] = plainKeys(cat);
        std::set<std::string> wantForms;
        for (i18n::Plural p : i18n::pluralCategories(cat.code))
            wantForms.insert(i18n::pluralName(p));
        for (const auto& [base, forms] : enPlural) {
            EXPECT_EQ(plural.count(base) ? plural.at(base) : std::set<std::string>{}, wantForms)
                << cat.code << " " << base;
        }
        EXPECT_EQ(plural.size(), enPlural.size()) << cat.code;
        std::set<std::string> sameAsEnglish;  // distinct English texts left as they are
        for (int i = 0; i < cat.count; ++i) {
            const auto& e = cat.entries[i];
            if (i > 0) {
                EXPECT_LT(std::string(cat.entries[i - 1].key), e.key) << cat.code;
            }
            EXPECT_NE(std::string(e.value), "") << cat.code << " " << e.key;
            std::string key = e.key;
            size_t hash = key.find('#');
            if (hash != std::string::npos) {
                // A form may spell its one count out ("one move"), never add a placeholder.
                auto other = placeholderNames(en.entries[0].value);
                for (int k = 0; k < en.count; ++k)
                    if (key.substr(0, hash) + "#other" == en.entries[k].key)
                        other = placeholderNames(en.entries[k].value);
                for (const auto& name : placeholderNames(e.value))
                    EXPECT_NE(std::find(other.begin(), other.end(), name), other.end())
                        << cat.code << " " << key;
                continue;
            }
            auto ref = enPlain.find(key);
            if (ref == enPlain.end()) {
                ADD_FAILURE() << cat.code << " has the extra key " << key;
                continue;
            }
            EXPECT_EQ(placeholderNames(e.value), placeholderNames(ref->second))
                << cat.code << " " << key;
            // Key caps ("Tab", "Page Up") are printed in English on many countries' keyboards.
            // Date patterns are formats, not words.
            bool keyCap = key.rfind("keys.", 0) == 0 || key.rfind("pad.", 0) == 0 ||
                          key.rfind("date.pattern", 0) == 0;
            if (e.value == ref->second && !keyCap) sameAsEnglish.insert(e.value);
        }
        EXPECT_EQ(plain.size(), enPlain.size()) << cat.code << " lacks keys";
        // A few words ("DEMO", "Menu", "Level") may be spelled as in English; a copied
        // catalogue is not.
        if (c != 1) {
            EXPECT_LE(sameAsEnglish.size(), 5u) << cat.code << " looks untranslated";
        }
    }
}

TEST(I18n, PluralFormsFollowEachLanguagesRule) {
    const long counts[] = {0, 1, 2, 3, 5, 11, 21, 22, 25, 101, 111};
    // One letter per count: z(ero) o(ne) t(wo) f(ew) m(any) x (other).
    const std::pair<const char*, const char*> rules[] = {
        {"en", "xoxxxxxxxxx"}, {"de", "xoxxxxxxxxx"}, {"fr", "ooxxxxxxxxx"}, {"pt", "ooxxxxxxxxx"},
        {"es", "xoxxxxxxxxx"}, {"ru", "moffmmofmom"}, {"pl", "moffmmmfmmm"}, {"cs", "xoffxxxxxxx"},
        {"ro", "foffffxxxff"}, {"ja", "xxxxxxxxxxx"}, {"tr", "xxxxxxxxxxx"}, {"he", "xotxxxxxxxx"},
        {"ar", "zotffmmmmxm"},
    };
    for (const auto& [code, want] : rules) {
        std::string got;
        for (long n : counts)
            got += "zotfmx"[static_cast<int>(i18n::pluralCategory(code, n))];
        EXPECT_EQ(got, want) << code;
    }
    LocaleEnv env;
    i18n::setLanguage("ru");
    EXPECT_EQ(i18n::trPlural("playing.movesToGo", 22), "Осталось 22 хода");
    EXPECT_EQ(i18n::trPlural("playing.movesToGo", 21), "Остался 21 ход");
    i18n::setLanguage("ar");
    EXPECT_EQ(i18n::trPlural("playing.movesToGo", 2), "بقيت حركتان");
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::trPlural("playing.movesToGo", 1), "1 move to go");
    EXPECT_EQ(i18n::trPlural("playing.movesToGo", 0), "0 moves to go");
}

TEST(I18n, EveryWorldHasANameInEveryLanguage) {
    LocaleEnv env;
    for (const auto& lang : i18n::languages()) {
        i18n::setLanguage(lang.code);
        for (const auto& w : theme::worlds()) {
            std::string key = std::string("worlds.") + w.id;
            EXPECT_NE(i18n::tr(key), key) << lang.code;
        }
    }
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::tr("worlds.sandstrand"), "Sandy Beach");
    EXPECT_EQ(i18n::tr("worlds.abendstrand"), "Sunset Beach");
}
