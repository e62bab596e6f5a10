// i18ngen: checks the translation catalogues under data/i18n and turns them into the i18n_data
// unit.
//
//   i18ngen <catalogue dir> <output.cpp>   check, then write the unit (exit 1 on any error)
//   i18ngen --check <catalogue dir>         check only, plus notes for a translator's review
//
// languages.json lists the languages in table order; <code>.json holds one flat object per
// language. en.json is the reference: every other catalogue must carry exactly its keys, in its
// order, with the same placeholders, so a missing translation can never reach the game unnoticed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kReferenceCode = "en";
constexpr const char* kLanguagesFile = "languages.json";
// A translation longer than this many times the English text may overflow its widget.
constexpr double kLengthWarnRatio = 1.5;

// ---- Diagnostics ----

int gErrors = 0;

void error(const std::string& file, const std::string& msg) {
    std::fprintf(stderr, "%s: error: %s\n", file.c_str(), msg.c_str());
    ++gErrors;
}

void note(const std::string& file, const std::string& msg) {
    std::printf("%s: note: %s\n", file.c_str(), msg.c_str());
}

std::string inQuotes(const std::string& s) {
    return "\"" + s + "\"";
}

// ---- A strict JSON reader (objects keep their member order) ----

struct Value {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool b = false;
    std::string s;
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;
};

class Reader {
  public:
    Reader(const std::string& text, std::string file) : t_(text), file_(std::move(file)) {}

    bool parse(Value& out) {
        if (t_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;  // editors on some systems add a BOM
        skipSpace();
        if (!value(out, 0)) return false;
        skipSpace();
        if (pos_ != t_.size()) return fail("unexpected text after the JSON value");
        return true;
    }

  private:
    bool fail(const std::string& msg) {
        int line = 1, col = 1;
        for (size_t i = 0; i < pos_ && i < t_.size(); ++i) {
            if (t_[i] == '\n') {
                ++line;
                col = 1;
            } else if ((static_cast<unsigned char>(t_[i]) & 0xC0) != 0x80) {
                ++col;
            }
        }
        error(file_ + ":" + std::to_string(line) + ":" + std::to_string(col), msg);
        return false;
    }

    void skipSpace() {
        while (pos_ < t_.size() &&
               (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\n' || t_[pos_] == '\r'))
            ++pos_;
    }

    bool literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (t_.compare(pos_, n, word) != 0) return false;
        pos_ += n;
        return true;
    }

    bool value(Value& out, int depth) {
        if (depth > 32) return fail("nesting too deep");
        if (pos_ >= t_.size()) return fail("unexpected end of file");
        char c = t_[pos_];
        if (c == '{') return object(out, depth);
        if (c == '[') return array(out, depth);
        if (c == '"') {
            out.type = Value::Type::String;
            return string(out.s);
        }
        if (literal("true") || literal("false")) {
            out.type = Value::Type::Bool;
            out.b = c == 't';
            return true;
        }
        if (literal("null")) {
            out.type = Value::Type::Null;
            return true;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            size_t start = pos_;
            while (pos_ < t_.size() &&
                   std::string("+-.eE0123456789").find(t_[pos_]) != std::string::npos)
                ++pos_;
            out.type = Value::Type::Number;
            out.s = t_.substr(start, pos_ - start);
            return true;
        }
        return fail(std::string("unexpected character '") + c + "'");
    }

    bool object(Value& out, int depth) {
        out.type = Value::Type::Object;
        ++pos_;
        skipSpace();
        if (pos_ < t_.size() && t_[pos_] == '}') {
            ++pos_;
            return true;
        }
        std::set<std::string> seen;
        for (;;) {
            skipSpace();
            if (pos_ >= t_.size() || t_[pos_] != '"') return fail("expected a quoted key");
            std::string key;
            if (!string(key)) return false;
            if (!seen.insert(key).second) return fail("key " + inQuotes(key) + " occurs twice");
            skipSpace();
            if (pos_ >= t_.size() || t_[pos_] != ':') return fail("expected ':' after a key");
            ++pos_;
            skipSpace();
            Value v;
            if (!value(v, depth + 1)) return false;
            out.members.emplace_back(std::move(key), std::move(v));
            skipSpace();
            if (pos_ < t_.size() && t_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < t_.size() && t_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    bool array(Value& out, int depth) {
        out.type = Value::Type::Array;
        ++pos_;
        skipSpace();
        if (pos_ < t_.size() && t_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            Value v;
            if (!value(v, depth + 1)) return false;
            out.items.push_back(std::move(v));
            skipSpace();
            if (pos_ < t_.size() && t_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < t_.size() && t_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }

    static void appendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool hex4(unsigned& cp) {
        if (pos_ + 4 > t_.size()) return fail("short \\u escape");
        cp = 0;
        for (int i = 0; i < 4; ++i) {
            char h = t_[pos_++];
            cp <<= 4;
            if (h >= '0' && h <= '9')
                cp |= h - '0';
            else if (h >= 'a' && h <= 'f')
                cp |= h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                cp |= h - 'A' + 10;
            else
                return fail("bad hex digit in \\u escape");
        }
        return true;
    }

    // Length of the valid UTF-8 sequence at pos_, or 0.
    size_t utf8Length() const {
        auto at = [&](size_t i) { return static_cast<unsigned char>(t_[i]); };
        unsigned char c = at(pos_);
        size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (n == 0 || pos_ + n > t_.size()) return 0;
        for (size_t i = 1; i < n; ++i)
            if ((at(pos_ + i) & 0xC0) != 0x80) return 0;
        unsigned c1 = at(pos_ + 1);
        if (c == 0xE0 && c1 < 0xA0) return 0;   // overlong
        if (c == 0xED && c1 >= 0xA0) return 0;  // surrogate
        if (c == 0xF0 && c1 < 0x90) return 0;   // overlong
        if (c == 0xF4 && c1 >= 0x90) return 0;  // beyond U+10FFFF
        return n;
    }

    bool string(std::string& out) {
        ++pos_;  // opening quote
        out.clear();
        while (pos_ < t_.size()) {
            unsigned char c = static_cast<unsigned char>(t_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20)
                return fail("raw control character in a string (write \\n for a line break)");
            if (c == '\\') {
                if (++pos_ >= t_.size()) break;
                char e = t_[pos_++];
                switch (e) {
                    case '"':
                        out += '"';
                        break;
                    case '\\':
                        out += '\\';
                        break;
                    case '/':
                        out += '/';
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'u': {
                        unsigned cp = 0;
                        if (!hex4(cp)) return false;
                        if (cp >= 0xDC00 && cp <= 0xDFFF)
                            return fail("lone low surrogate in \\u escape");
                        if (cp >= 0xD800 && cp <= 0xDBFF) {
                            unsigned lo = 0;
                            if (t_.compare(pos_, 2, "\\u") != 0) return fail("lone high surrogate");
                            pos_ += 2;
                            if (!hex4(lo)) return false;
                            if (lo < 0xDC00 || lo > 0xDFFF) return fail("bad surrogate pair");
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                        }
                        if (cp == 0) return fail("\\u0000 cannot be stored in a C string");
                        appendUtf8(out, cp);
                        break;
                    }
                    default:
                        return fail(std::string("unknown escape \\") + e);
                }
                continue;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++pos_;
                continue;
            }
            size_t n = utf8Length();
            if (n == 0) return fail("invalid UTF-8 (the file must be saved as UTF-8)");
            out.append(t_, pos_, n);
            pos_ += n;
        }
        return fail("unterminated string");
    }

    const std::string& t_;
    std::string file_;
    size_t pos_ = 0;
};

bool readFile(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

// ---- Catalogue model ----

struct Language {
    std::string code;
    std::string nativeName;
    std::string englishName;
    bool rtl = false;
};

using Entries = std::vector<std::pair<std::string, std::string>>;

struct Catalogue {
    Language lang;
    std::string file;  // as shown in messages
    Entries entries;
    bool ok = false;
};

bool validCode(const std::string& code) {
    if (code.empty() || code.size() > 16 || !(code[0] >= 'a' && code[0] <= 'z')) return false;
    for (char c : code)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    return true;
}

std::vector<Language> readLanguages(const fs::path& dir) {
    std::vector<Language> langs;
    std::string file = (dir / kLanguagesFile).string(), text;
    if (!readFile(dir / kLanguagesFile, text)) {
        error(file, "cannot read the language list");
        return langs;
    }
    Value root;
    if (!Reader(text, file).parse(root)) return langs;
    if (root.type != Value::Type::Array) {
        error(file, "must be an array of language records");
        return langs;
    }
    std::set<std::string> codes;
    for (size_t i = 0; i < root.items.size(); ++i) {
        const Value& rec = root.items[i];
        std::string where = "language record " + std::to_string(i);
        if (rec.type != Value::Type::Object) {
            error(file, where + " is not an object");
            continue;
        }
        Language l;
        bool haveCode = false, haveNative = false, haveEnglish = false, haveRtl = false;
        for (const auto& [name, v] : rec.members) {
            bool isString = v.type == Value::Type::String;
            if (name == "code" && isString) {
                l.code = v.s;
                haveCode = true;
            } else if (name == "nativeName" && isString) {
                l.nativeName = v.s;
                haveNative = !v.s.empty();
            } else if (name == "englishName" && isString) {
                l.englishName = v.s;
                haveEnglish = !v.s.empty();
            } else if (name == "rtl" && v.type == Value::Type::Bool) {
                l.rtl = v.b;
                haveRtl = true;
            } else {
                error(file, where + ": unexpected or mistyped field " + inQuotes(name));
            }
        }
        if (!haveCode || !validCode(l.code)) {
            error(file, where + ": needs a lower-case \"code\" such as \"de\"");
            continue;
        }
        if (!haveNative || !haveEnglish || !haveRtl)
            error(file,
                  where + " (" + l.code + "): needs \"nativeName\", \"englishName\" and \"rtl\"");
        if (!codes.insert(l.code).second)
            error(file, "language " + inQuotes(l.code) + " listed twice");
        langs.push_back(l);
    }
    if (!codes.count(kReferenceCode))
        error(file, std::string("the reference language \"") + kReferenceCode + "\" is not listed");
    return langs;
}

bool readCatalogue(const fs::path& dir, Catalogue& cat) {
    fs::path path = dir / (cat.lang.code + ".json");
    cat.file = path.string();
    std::string text;
    if (!fs::exists(path) || !readFile(path, text)) {
        error(cat.file, "catalogue file of language " + inQuotes(cat.lang.code) + " is missing");
        return false;
    }
    Value root;
    if (!Reader(text, cat.file).parse(root)) return false;
    if (root.type != Value::Type::Object) {
        error(cat.file, "must be one flat JSON object mapping keys to texts");
        return false;
    }
    bool ok = true;
    for (auto& [key, v] : root.members) {
        if (v.type != Value::Type::String) {
            error(cat.file, "key " + inQuotes(key) + ": the text must be a string");
            ok = false;
            continue;
        }
        cat.entries.emplace_back(key, v.s);
    }
    return ok;
}

// ---- Placeholders ----

// The "{{name}}" placeholders of a text, sorted; false if braces are unbalanced or a name is odd.
bool placeholders(const std::string& text, std::vector<std::string>& out) {
    out.clear();
    size_t pos = 0;
    for (;;) {
        size_t open = text.find("{{", pos), close = text.find("}}", pos);
        if (open == std::string::npos) {
            if (close != std::string::npos) return false;
            break;
        }
        if (close == std::string::npos || close < open) return false;
        std::string name = text.substr(open + 2, close - open - 2);
        if (name.empty()) return false;
        for (char c : name)
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_'))
                return false;
        out.push_back(name);
        pos = close + 2;
    }
    std::sort(out.begin(), out.end());
    return true;
}

std::string joinPlaceholders(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string s;
    for (const auto& n : names)
        s += (s.empty() ? "" : " ") + ("{{" + n + "}}");
    return s;
}

// ---- Length estimate for the review notes ----

// Display width in columns: wide East Asian characters count two, combining marks none.
double displayWidth(const std::string& s) {
    double w = 0;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned cp = c;
        size_t n = 1;
        if (c >= 0xF0) {
            cp = c & 0x07;
            n = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            n = 2;
        }
        for (size_t k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (s[i + k] & 0x3F);
        i += n;
        bool combining = (cp >= 0x300 && cp <= 0x36F) || (cp >= 0x591 && cp <= 0x5C7) ||
                         (cp >= 0x610 && cp <= 0x61A) || (cp >= 0x64B && cp <= 0x65F) ||
                         cp == 0x670 || cp == 0x200B || cp == 0x200F || cp == 0x200E;
        bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                    (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                    (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                    (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
        w += combining ? 0 : wide ? 2 : 1;
    }
    return w;
}

size_t countLineBreaks(const std::string& s) {
    return std::count(s.begin(), s.end(), '\n');
}

// ---- Checks ----

void checkReference(Catalogue& ref) {
    std::vector<std::string> names;
    for (size_t i = 0; i < ref.entries.size(); ++i) {
        const auto& [key, text] = ref.entries[i];
        if (i > 0 && !(ref.entries[i - 1].first < key))
            error(ref.file, "key " + inQuotes(key) + " is out of order (keys are sorted)");
        if (text.empty()) error(ref.file, "key " + inQuotes(key) + " has an empty text");
        if (!placeholders(text, names))
            error(ref.file, "key " + inQuotes(key) + " has a malformed placeholder");
    }
    if (ref.entries.empty()) error(ref.file, "the reference catalogue has no keys");
}

void checkAgainst(const Catalogue& ref, const Catalogue& cat, bool review) {
    std::map<std::string, std::string> texts(cat.entries.begin(), cat.entries.end());
    std::set<std::string> refKeys;
    std::vector<std::string> want, got;
    // Plural forms ("key#few") vary by language: each plural text needs its "#other" form
    // (the runtime fallback); which other forms a language needs is its plural rule's business.
    std::set<std::string> pluralBases;
    for (const auto& [key, refText] : ref.entries)
        if (key.find('#') != std::string::npos) pluralBases.insert(key.substr(0, key.find('#')));
    for (const auto& [key, refText] : cat.entries) {
        size_t hash = key.find('#');
        if (hash == std::string::npos || !pluralBases.count(key.substr(0, hash))) continue;
        refKeys.insert(key);
        placeholders(texts[key.substr(0, hash) + "#other"], want);
        // A form for one exact count ("one", "two") may spell the number out.
        if (!placeholders(refText, got) ||
            !std::includes(want.begin(), want.end(), got.begin(), got.end()))
            error(cat.file, "plural form " + inQuotes(key) + " has placeholders its " +
                                "\"#other\" form lacks");
    }
    for (const auto& [key, refText] : ref.entries) {
        bool pluralForm = key.find('#') != std::string::npos;
        if (pluralForm && key.substr(key.find('#')) != "#other") continue;
        refKeys.insert(key);
        auto it = texts.find(key);
        if (it == texts.end()) {
            error(cat.file, "missing key " + inQuotes(key));
            continue;
        }
        const std::string& text = it->second;
        if (text.empty()) {
            error(cat.file, "key " + inQuotes(key) + " has an empty text");
            continue;
        }
        placeholders(refText, want);
        if (!placeholders(text, got)) {
            error(cat.file, "key " + inQuotes(key) + " has a malformed placeholder (expected " +
                                joinPlaceholders(want) + ")");
        } else if (got != want) {
            error(cat.file, "key " + inQuotes(key) + " changes the placeholders: has " +
                                joinPlaceholders(got) + ", English has " + joinPlaceholders(want));
        }
        if (!review) continue;
        double ratio = displayWidth(text) / std::max(1.0, displayWidth(refText));
        if (ratio > kLengthWarnRatio) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.2f", ratio);
            note(cat.file, "key " + inQuotes(key) + " is " + buf +
                               " x the English length: " + inQuotes(text));
        }
        if (text == refText)
            note(cat.file, "key " + inQuotes(key) + " is identical to English: " + inQuotes(text));
        if (countLineBreaks(text) != countLineBreaks(refText))
            note(cat.file,
                 "key " + inQuotes(key) + " has " + std::to_string(countLineBreaks(text)) +
                     " line breaks, English has " + std::to_string(countLineBreaks(refText)));
    }
    for (const auto& [key, text] : cat.entries)
        if (!refKeys.count(key))
            error(cat.file, "extra key " + inQuotes(key) + " (not in English)");

    // Same keys, so the order only matters once the sets agree.
    // (Plural forms are exempt: their number differs between languages.)
    bool sameSet = cat.entries.size() == ref.entries.size() &&
                   std::all_of(cat.entries.begin(), cat.entries.end(),
                               [&](const auto& e) { return refKeys.count(e.first) > 0; });
    if (sameSet) {
        for (size_t i = 0; i < cat.entries.size(); ++i) {
            if (cat.entries[i].first != ref.entries[i].first) {
                error(cat.file, "key " + inQuotes(cat.entries[i].first) +
                                    " is out of order (expected " + inQuotes(ref.entries[i].first) +
                                    " at this place, as in English)");
                break;
            }
        }
    }
}

void checkStrayFiles(const fs::path& dir, const std::vector<Language>& langs) {
    std::set<std::string> expected{kLanguagesFile};
    for (const auto& l : langs)
        expected.insert(l.code + ".json");
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        if (e.path().extension() == ".json" && !expected.count(name))
            error(e.path().string(), "catalogue of a language that languages.json does not list");
    }
}

// ---- Output ----

std::string cString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '?':  // "??x" must not read as a trigraph
                out += out.back() == '?' ? "\\?" : "?";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\%03o", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);  // UTF-8 passes through unchanged
                }
        }
    }
    return out + "\"";
}

std::string identifier(const std::string& code) {
    std::string id = code;
    std::replace(id.begin(), id.end(), '-', '_');
    return id;
}

std::string renderUnit(const std::vector<Catalogue>& cats) {
    std::ostringstream o;
    o << "// generated by tools/i18ngen from data/i18n — do not edit\n"
      << "#include \"i18n/i18n_data.h\"\n\n"
      << "namespace i18n_data {\n\n"
      << "namespace {\n\n";
    for (const auto& cat : cats) {
        Entries sorted = cat.entries;
        std::sort(sorted.begin(), sorted.end());
        o << "const Entry kEntries_" << identifier(cat.lang.code) << "[] = {\n";
        for (const auto& [key, text] : sorted)
            o << "    {" << cString(key) << ", " << cString(text) << "},\n";
        o << "};\n\n";
    }
    o << "}  // namespace\n\n"
      << "const Catalog kCatalogs[] = {\n";
    for (const auto& cat : cats) {
        const Language& l = cat.lang;
        std::string id = identifier(l.code);
        o << "    {" << cString(l.code) << ", " << cString(l.nativeName) << ", "
          << cString(l.englishName) << ", " << (l.rtl ? "true" : "false") << ", kEntries_" << id
          << ", "
          << "static_cast<int>(sizeof kEntries_" << id << " / sizeof kEntries_" << id << "[0])},\n";
    }
    o << "};\n\n"
      << "const int kCatalogCount = static_cast<int>(sizeof kCatalogs / sizeof kCatalogs[0]);\n\n"
      << "}  // namespace i18n_data\n";
    return o.str();
}

// Written whole and renamed, so an interrupted build never leaves half a unit behind.
bool writeFile(const std::string& path, const std::string& text) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) return false;
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    return !ec;
}

int usage() {
    std::fprintf(stderr,
                 "usage: i18ngen <catalogue dir> <output.cpp>\n"
                 "       i18ngen --check <catalogue dir>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool review = false;
    fs::path dir;
    std::string outPath;
    if (argc == 3 && std::string(argv[1]) == "--check") {
        review = true;
        dir = argv[2];
    } else if (argc == 3) {
        dir = argv[1];
        outPath = argv[2];
    } else {
        return usage();
    }

    std::vector<Language> langs = readLanguages(dir);
    std::vector<Catalogue> cats;
    for (const auto& l : langs) {
        Catalogue c;
        c.lang = l;
        c.ok = readCatalogue(dir, c);
        cats.push_back(std::move(c));
    }
    checkStrayFiles(dir, langs);

    auto ref = std::find_if(cats.begin(), cats.end(),
                            [](const Catalogue& c) { return c.lang.code == kReferenceCode; });
    if (ref != cats.end() && ref->ok) {
        checkReference(*ref);
        for (const auto& c : cats)
            if (c.ok && &c != &*ref) checkAgainst(*ref, c, review);
    }

    if (gErrors > 0) {
        std::fprintf(stderr, "i18ngen: %d error%s in the catalogues under %s\n", gErrors,
                     gErrors == 1 ? "" : "s", dir.string().c_str());
        return 1;
    }
    if (review) {
        std::printf("i18ngen: %zu catalogues with %zu keys each are consistent\n", cats.size(),
                    ref->entries.size());
        return 0;
    }
    if (!writeFile(outPath, renderUnit(cats))) {
        std::fprintf(stderr, "i18ngen: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}
