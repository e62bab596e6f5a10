// Translations: picks the language and looks up the texts of the interface by key.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace i18n {

struct Language {
    std::string code;
    std::string nativeName;
    std::string englishName;
    bool rtl = false;
};

// A placeholder name (without braces) and the text that replaces "{{name}}".
using Arg = std::pair<const char*, std::string>;

// All built-in languages in the settings screen's order.
const std::vector<Language>& languages();

// The first catalogue code named by LANGUAGE, LC_ALL, LC_MESSAGES or LANG, else "en".
std::string detectSystemLanguage();

// Activates the catalogue with exactly this code (English if there is none); "" means the
// system language.
void setLanguage(const std::string& code);

// The text of key in the active language, or the key itself if the catalogue lacks it.
std::string tr(std::string_view key);
// The same with placeholders filled in the given order; unnamed placeholders stay as they are.
std::string tr(std::string_view key, const std::vector<Arg>& args);

// The CLDR cardinal plural categories, as the key suffixes of plural texts ("key#few").
enum class Plural { Zero, One, Two, Few, Many, Other };
const char* pluralName(Plural p);
// The category of the count n in the language with this code.
Plural pluralCategory(std::string_view code, long n);
// The categories a catalogue of this language must provide for every plural text, in order.
std::vector<Plural> pluralCategories(std::string_view code);
// The plural text "key#<category of n>" in the active language, "key#other" if that form is
// missing; "{{n}}" becomes n, the other placeholders are filled as by tr.
std::string trPlural(std::string_view key, long n, const std::vector<Arg>& args = {});

std::string currentLanguage();
bool currentIsRtl();
// The language tag to hand to the text shaper, so that shared Han characters take the regional
// glyph forms of the active language.
const char* shapingLanguage();
// The same for the language with this catalogue code (the language list draws every name in its
// own language).
const char* shapingLanguageOf(std::string_view code);

}  // namespace i18n
