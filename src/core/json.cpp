// JSON parsing, writing and atomic file replacement for the persistence layer.
#include "core/json.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace json {
namespace {

const Value kNull;

// Deep enough for any document the game writes, shallow enough for the stack.
constexpr int kMaxDepth = 512;

struct Parser {
    const std::string& s;
    size_t i = 0;
    bool ok = true;
    int depth = 0;

    explicit Parser(const std::string& text) : s(text) {}

    bool atEnd() const { return i >= s.size(); }
    void ws() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
            ++i;
    }
    bool eat(char c) {
        ws();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    Value fail() {
        ok = false;
        return Value();
    }

    Value parseValue() {
        ws();
        if (atEnd()) return fail();
        char c = s[i];
        if (c == '"') {
            std::string str;
            if (!parseString(str)) return fail();
            return Value(std::move(str));
        }
        if (c == '[' || c == '{') {
            if (++depth > kMaxDepth) return fail();
            Value v = c == '[' ? parseArray() : parseObject();
            --depth;
            return v;
        }
        if (c == 't') return literal("true", Value(true));
        if (c == 'f') return literal("false", Value(false));
        if (c == 'n') return literal("null", Value());
        return parseNumber();
    }

    Value literal(const char* word, Value v) {
        size_t n = std::char_traits<char>::length(word);
        if (s.compare(i, n, word) != 0) return fail();
        i += n;
        return v;
    }

    Value parseNumber() {
        const char* start = s.c_str() + i;
        char* end = nullptr;
        double d = std::strtod(start, &end);
        if (end == start) return fail();
        i += static_cast<size_t>(end - start);
        return Value(d);
    }

    unsigned hex4() {
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s[i++];
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            v = v * 16 + digit;
        }
        return v;
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

    bool parseString(std::string& out) {
        ++i;  // opening quote
        while (true) {
            if (atEnd()) return false;
            char c = s[i++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) return false;
            char e = s[i++];
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
                    if (s.size() - i < 4) return false;
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp <= 0xDBFF && s.size() - i >= 6 && s[i] == '\\' &&
                        s[i + 1] == 'u') {
                        size_t save = i;
                        i += 2;
                        unsigned lo = hex4();
                        if (lo >= 0xDC00 && lo <= 0xDFFF) {
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                        } else {
                            i = save;  // not a pair: the second escape stands on its own
                        }
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default:
                    return false;
            }
        }
    }

    Value parseArray() {
        ++i;  // '['
        Array a;
        ws();
        if (i < s.size() && s[i] == ']') {
            ++i;
            return Value(std::move(a));
        }
        while (true) {
            Value v = parseValue();
            if (!ok) return Value();
            a.push_back(std::move(v));
            ws();
            if (atEnd()) return fail();
            if (s[i] == ',') {
                ++i;
                continue;
            }
            if (!eat(']')) return fail();
            return Value(std::move(a));
        }
    }

    Value parseObject() {
        ++i;  // '{'
        Object o;
        ws();
        if (i < s.size() && s[i] == '}') {
            ++i;
            return Value(std::move(o));
        }
        while (true) {
            ws();
            if (atEnd() || s[i] != '"') return fail();
            std::string key;
            if (!parseString(key)) return fail();
            if (!eat(':')) return fail();
            Value v = parseValue();
            if (!ok) return Value();
            o[key] = std::move(v);
            ws();
            if (atEnd()) return fail();
            if (s[i] == ',') {
                ++i;
                continue;
            }
            if (!eat('}')) return fail();
            return Value(std::move(o));
        }
    }
};

void dumpString(std::string& out, const std::string& s) {
    out += '"';
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;  // no progress and no error: give up instead of spinning
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string parentDir(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Temporary files are "<name>.tmp-<pid>-<counter>"; earlier versions of the game used
// "<name>.json.tmp", which a crash could leave behind just the same.
const char kTempMark[] = ".tmp-";
constexpr long kStaleTempSeconds = 600;

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 18 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the file name is one of the writer's temporary names; *pid gets its writer, or 0
// for the old form without one.
bool isTempName(const std::string& name, long* pid) {
    const std::string legacy = ".json.tmp";
    if (name.size() > legacy.size() &&
        name.compare(name.size() - legacy.size(), legacy.size(), legacy) == 0) {
        *pid = 0;
        return true;
    }
    const size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos || mark == 0) return false;
    const std::string rest = name.substr(mark + sizeof kTempMark - 1);
    const size_t dash = rest.find('-');
    if (dash == std::string::npos || !allDigits(rest.substr(0, dash)) ||
        !allDigits(rest.substr(dash + 1)))
        return false;
    *pid = std::atol(rest.c_str());
    return true;
}

}  // namespace

int Value::asInt(int def) const {
    if (!isNumber() || std::isnan(num_)) return def;
    double r = std::floor(num_ + 0.5);
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(r);
}

const Value& Value::operator[](const std::string& key) const {
    if (!isObject()) return kNull;
    auto it = obj_.find(key);
    return it == obj_.end() ? kNull : it->second;
}

const Value& Value::operator[](size_t index) const {
    if (!isArray() || index >= arr_.size()) return kNull;
    return arr_[index];
}

const Value& Value::operator[](int index) const {
    if (index < 0) return kNull;
    return (*this)[static_cast<size_t>(index)];
}

size_t Value::size() const {
    if (isArray()) return arr_.size();
    if (isObject()) return obj_.size();
    return 0;
}

bool Value::has(const std::string& key) const {
    return isObject() && obj_.count(key) > 0;
}

std::string Value::dump() const {
    std::string out;
    dumpTo(out);
    return out;
}

void Value::dumpTo(std::string& out) const {
    switch (type_) {
        case Type::Null:
            out += "null";
            break;
        case Type::Bool:
            out += bool_ ? "true" : "false";
            break;
        case Type::Number: {
            char buf[40];
            if (!std::isfinite(num_)) {
                out += "null";  // keeps the file valid JSON; the game never stores these
            } else if (num_ == std::floor(num_) && std::fabs(num_) < 1e15) {
                std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(num_));
                out += buf;
            } else {
                std::snprintf(buf, sizeof buf, "%.17g", num_);
                out += buf;
            }
            break;
        }
        case Type::String:
            dumpString(out, str_);
            break;
        case Type::Array:
            out += '[';
            for (size_t k = 0; k < arr_.size(); ++k) {
                if (k) out += ',';
                arr_[k].dumpTo(out);
            }
            out += ']';
            break;
        case Type::Object: {
            out += '{';
            bool first = true;
            for (const auto& [key, v] : obj_) {
                if (!first) out += ',';
                first = false;
                dumpString(out, key);
                out += ':';
                v.dumpTo(out);
            }
            out += '}';
            break;
        }
    }
}

Value parse(const std::string& text) {
    Parser p(text);
    Value v = p.parseValue();
    return p.ok ? std::move(v) : Value();
}

bool parseFile(const std::string& path, Value* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    Value v = parse(ss.str());
    if (v.isNull()) return false;
    if (out) *out = std::move(v);
    return true;
}

bool writeFileAtomic(const std::string& path, const Value& value) {
    // A name of its own for every write, created exclusively: two running copies of the game
    // never write into the same temporary file, so each rename publishes one writer's whole
    // file. A name taken by a stale file of a crashed process is skipped.
    static std::atomic<unsigned> counter{0};
    const std::string prefix = path + kTempMark + std::to_string(::getpid()) + "-";
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        tmp = prefix + std::to_string(counter++);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    // The data must be on disk before the rename makes it the file, or a power loss
    // could leave an empty target behind.
    bool ok = writeAll(fd, value.dump()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // rename() replaces the target atomically; removing it first would open a window
    // in which no file exists at all.
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    int dfd = ::open(parentDir(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);  // makes the rename itself durable; best effort
        ::close(dfd);
    }
    return true;
}

void removeStaleTemps(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        long pid = 0;
        if (!isTempName(e->d_name, &pid)) continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // A live writer's file is left alone: another copy of the game may be saving right now.
        // Our own pid can only be a dead process's (the call comes before our first save), and
        // a file far older than any write takes belongs to a dead one whose pid was reused.
        const bool alive = pid > 0 && pid != ::getpid() &&
                           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (!alive || now - st.st_mtime > kStaleTempSeconds) ::unlink(path.c_str());
    }
    ::closedir(d);
}

int64_t truncToInt64(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9223372036854775807.0) return INT64_MAX;
    if (d <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(d);
}

uint32_t truncToUint32(double d) {
    return static_cast<uint32_t>(static_cast<uint64_t>(truncToInt64(d)));
}

}  // namespace json
