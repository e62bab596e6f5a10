// The JSON document model: parser, accessors, compact writer and the atomic file writer.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/json.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testsupport::readText;
using testsupport::writeText;

// ---- Watching the file system calls of the atomic writer ----
//
// These definitions take the place of the C library's for the whole test program and forward
// to it; only while `watching` is set do they note what happens, so a test can tell whether
// data reached the disk before the rename and whether the old file was still there at that
// moment (removing it first leaves a window with no file at all).

namespace {

struct FsWatch {
    bool watching = false;
    std::vector<std::string> events;
};

FsWatch& fsWatch() {
    static FsWatch w;
    return w;
}

template <typename Fn>
Fn realFunction(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

std::string pathOfFd(int fd) {
    char buf[4096];
    std::string link = "/proc/self/fd/" + std::to_string(fd);
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("?");
}

}  // namespace

extern "C" int fsync(int fd) {
    static auto real = realFunction<int (*)(int)>("fsync");
    if (fsWatch().watching) fsWatch().events.push_back("fsync " + pathOfFd(fd));
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static auto real = realFunction<int (*)(const char*, const char*)>("rename");
    if (fsWatch().watching)
        fsWatch().events.push_back(std::string("rename ") + from + " -> " + to +
                                   (access(to, F_OK) == 0 ? " over an existing file" : " alone"));
    return real(from, to);
}

namespace {

const std::string kNul(1, '\0');

std::string workDir() {
    std::string dir = testsupport::tempRoot() + "/json";
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return fs::canonical(dir).string();
}

json::Value num(double d) {
    return json::Value(d);
}

}  // namespace

// ---- Parser ----

TEST(JsonParse, MalformedTextGivesNull) {
    const char* bad[] = {
        "",
        " \t\r\n",
        "[1,2,]",
        "{\"a\":1,}",
        "[1 2]",
        "[1,,2]",
        "[",
        "[1",
        "{\"a\":1",
        "{\"a\" 1}",
        "{a:1}",
        "{'a':1}",
        "{\"a\":}",
        "\"abc",
        "\"a\\x\"",
        "\"a\\",
        "\"\\u12\"",
        "\"\\u00\"",
        "tru",
        "nul",
        "nan",
        "nope",
        "True",
        "-",
        "+",
        ".",
        "{\"a\"\v:1}",
        "[1\f,2]",
        "// c\n{}",
        "{\"a\":1 // c\n}",
        "\xef\xbb\xbf{}",
    };
    for (const char* text : bad)
        EXPECT_TRUE(json::parse(text).isNull()) << '"' << text << '"';
    // An embedded NUL where a value must start cannot be a number.
    EXPECT_TRUE(json::parse("[" + kNul + "]").isNull());
}

TEST(JsonParse, ALaterDuplicateKeyReplacesTheEarlierOne) {
    json::Value v = json::parse("{\"k\":1,\"x\":true,\"k\":2}");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v.size(), 2u);
    EXPECT_EQ(v["k"].asInt(0), 2);
    v = json::parse("{\"k\":{\"deep\":1},\"k\":\"flat\"}");
    EXPECT_EQ(v["k"].asString(), "flat");
}

TEST(JsonParse, TextAfterTheFirstValueIsIgnored) {
    EXPECT_EQ(json::parse(" 42 ").asNumber(0), 42);
    EXPECT_EQ(json::parse("42abc").asNumber(0), 42);
    json::Value v = json::parse("{} and then some words");
    EXPECT_TRUE(v.isObject());
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(json::parse("[1]]]").size(), 1u);
    EXPECT_TRUE(json::parse("true false").asBool(false));
}

TEST(JsonParse, NumbersAcceptWhatTheCLibraryReads) {
    EXPECT_EQ(json::parse("+1").asNumber(0), 1);
    EXPECT_EQ(json::parse(".5").asNumber(0), 0.5);
    EXPECT_EQ(json::parse("5.").asNumber(0), 5);
    EXPECT_EQ(json::parse("0x1A").asNumber(0), 26);
    EXPECT_EQ(json::parse("\v7").asNumber(0), 7);
    EXPECT_EQ(json::parse("\f-7").asNumber(0), -7);
    EXPECT_EQ(json::parse("1e-2").asNumber(0), 0.01);
    EXPECT_TRUE(std::signbit(json::parse("-0").asNumber(1)));
    EXPECT_EQ(json::parse("Infinity").asNumber(0), HUGE_VAL);
    EXPECT_EQ(json::parse("-INF").asNumber(0), -HUGE_VAL);
    EXPECT_EQ(json::parse("1e400").asNumber(0), HUGE_VAL);
    EXPECT_TRUE(std::isnan(json::parse("NAN").asNumber(0)));
    EXPECT_TRUE(std::isnan(json::parse("-nan").asNumber(0)));
    // A lower-case n is always the start of null.
    EXPECT_TRUE(json::parse("nan").isNull());
    EXPECT_TRUE(json::parse("[1,nan]").isNull());
}

TEST(JsonParse, EscapesDecodeToUtf8AndRawBytesStay) {
    EXPECT_EQ(json::parse("\"\\ud83d\\ude00\"").asString(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(json::parse("\"\\uD83D\\uDE00\"").asString(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(json::parse("\"\\ud83d\"").asString(), "\xED\xA0\xBD");
    EXPECT_EQ(json::parse("\"\\ude00\"").asString(), "\xED\xB8\x80");
    // A high surrogate followed by something other than a low one stands alone.
    EXPECT_EQ(json::parse("\"\\ud83d\\u0041\"").asString(),
              "\xED\xA0\xBD"
              "A");
    EXPECT_EQ(json::parse("\"\\ud83dx\"").asString(), "\xED\xA0\xBDx");
    EXPECT_EQ(json::parse("\"\\ude00\\ud83d\"").asString(), "\xED\xB8\x80\xED\xA0\xBD");
    EXPECT_TRUE(json::parse("\"\\ud83d\\u12\"").isNull());
    EXPECT_EQ(json::parse("\"\\u00e9\"").asString(), "\xC3\xA9");
    EXPECT_EQ(json::parse("\"\\u20AC\"").asString(), "\xE2\x82\xAC");
    EXPECT_EQ(json::parse("\"\\uZZZZ\"").asString(), kNul);
    EXPECT_EQ(json::parse("\"a\\u0000b\"").asString(), "a" + kNul + "b");
    EXPECT_EQ(json::parse("\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"").asString(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(json::parse("\"\x01\x1f\x7f\xff\xc0\"").asString(), "\x01\x1f\x7f\xff\xc0");
    EXPECT_EQ(json::parse("\"a" + kNul + "b\"").asString(), "a" + kNul + "b");
}

TEST(JsonParse, NestingBeyondTheLimitFailsInsteadOfOverflowingTheStack) {
    const size_t million = 1000000;
    EXPECT_TRUE(json::parse(std::string(million, '[')).isNull());
    EXPECT_TRUE(json::parse(std::string(million, '[') + std::string(million, ']')).isNull());
    std::string objects;
    for (size_t k = 0; k < million / 4; ++k)
        objects += "{\"a\":";
    EXPECT_TRUE(json::parse(objects + "1" + std::string(million / 4, '}')).isNull());
    std::string mixed;
    for (size_t k = 0; k < million / 2; ++k)
        mixed += k % 2 ? "{\"k\":" : "[";
    EXPECT_TRUE(json::parse(mixed).isNull());

    // Anything the game could plausibly write is far shallower and still parses.
    const int depth = 256;
    json::Value v = json::parse(std::string(depth, '[') + "7" + std::string(depth, ']'));
    const json::Value* at = &v;
    for (int k = 0; k < depth; ++k) {
        ASSERT_TRUE(at->isArray()) << "level " << k;
        at = &(*at)[0];
    }
    EXPECT_EQ(at->asInt(0), 7);
}

// ---- Accessors ----

TEST(JsonValue, LookupsThatMissGiveTheFallback) {
    json::Value v = json::parse("{\"a\":[1,{\"b\":5}],\"s\":\"text\",\"n\":3}");
    EXPECT_EQ(v["a"][1]["b"].asInt(7), 5);
    EXPECT_EQ(v["a"][1]["c"].asInt(7), 7);
    EXPECT_EQ(v["a"][2]["b"].asInt(7), 7);
    EXPECT_EQ(v["a"][-1].asInt(7), 7);
    EXPECT_EQ(v["missing"]["deeper"][0].asInt(7), 7);
    EXPECT_EQ(v["s"]["b"].asInt(7), 7);
    EXPECT_EQ(v[0].asInt(7), 7);
    EXPECT_EQ(v["s"].asInt(7), 7);
    EXPECT_EQ(v["n"].asString(), "");
    EXPECT_TRUE(v["n"].asArray().empty());
    EXPECT_TRUE(v["s"].asObject().empty());
    EXPECT_TRUE(v["s"].asBool(true));
    EXPECT_EQ(v["s"].asNumber(2.5), 2.5);
    EXPECT_EQ(v["s"].size(), 0u);
    EXPECT_EQ(v["a"].size(), 2u);
    EXPECT_EQ(v.size(), 3u);
    EXPECT_TRUE(v.has("s"));
    EXPECT_FALSE(v.has("b"));
    EXPECT_FALSE(v["a"].has("0"));
    EXPECT_TRUE(json::Value().isNull());
}

TEST(JsonValue, AsIntRoundsHalfUp) {
    EXPECT_EQ(num(2.5).asInt(0), 3);
    EXPECT_EQ(num(-2.5).asInt(0), -2);
    EXPECT_EQ(num(-2.6).asInt(0), -3);
    EXPECT_EQ(num(2.4999).asInt(0), 2);
    EXPECT_EQ(num(0.5).asInt(9), 1);
    EXPECT_EQ(num(-0.5).asInt(9), 0);
    EXPECT_EQ(num(-0.0).asInt(9), 0);
    EXPECT_EQ(json::Value("3").asInt(7), 7);
    EXPECT_EQ(json::Value(true).asInt(7), 7);
    EXPECT_EQ(json::Value().asInt(7), 7);
}

TEST(JsonValue, AsIntIsDefinedForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(num(1e300).asInt(7), INT_MAX);
    EXPECT_EQ(num(-1e300).asInt(7), INT_MIN);
    EXPECT_EQ(num(DBL_MAX).asInt(7), INT_MAX);
    EXPECT_EQ(num(-DBL_MAX).asInt(7), INT_MIN);
    EXPECT_EQ(num(inf).asInt(7), INT_MAX);
    EXPECT_EQ(num(-inf).asInt(7), INT_MIN);
    EXPECT_EQ(num(nan).asInt(7), 7);
    EXPECT_EQ(num(-nan).asInt(-7), -7);
    EXPECT_EQ(num(DBL_MIN).asInt(7), 0);
    EXPECT_EQ(num(4.9e-324).asInt(7), 0);
    // Right at the edges of the int range.
    EXPECT_EQ(num(2147483647.0).asInt(0), INT_MAX);
    EXPECT_EQ(num(2147483646.4).asInt(0), 2147483646);
    EXPECT_EQ(num(2147483647.5).asInt(0), INT_MAX);
    EXPECT_EQ(num(2147483648.0).asInt(0), INT_MAX);
    EXPECT_EQ(num(-2147483648.0).asInt(0), INT_MIN);
    EXPECT_EQ(num(-2147483647.4).asInt(0), -2147483647);
    EXPECT_EQ(num(-2147483648.6).asInt(0), INT_MIN);
    EXPECT_EQ(num(-2147483649.0).asInt(0), INT_MIN);
    // Numbers read from text take the same path.
    EXPECT_EQ(json::parse("[1e300]")[0].asInt(7), INT_MAX);
    EXPECT_EQ(json::parse("[-Infinity]")[0].asInt(7), INT_MIN);
    EXPECT_EQ(json::parse("[NaN]")[0].asInt(7), 7);
}

TEST(JsonValue, StoredNumbersConvertToSixtyFourAndThirtyTwoBitsForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(json::truncToInt64(2.9), 2);
    EXPECT_EQ(json::truncToInt64(-2.9), -2);
    EXPECT_EQ(json::truncToInt64(1700000000123.0), 1700000000123LL);
    EXPECT_EQ(json::truncToInt64(1e300), INT64_MAX);
    EXPECT_EQ(json::truncToInt64(-1e300), INT64_MIN);
    EXPECT_EQ(json::truncToInt64(inf), INT64_MAX);
    EXPECT_EQ(json::truncToInt64(-inf), INT64_MIN);
    EXPECT_EQ(json::truncToInt64(nan), 0);
    EXPECT_EQ(json::truncToInt64(9223372036854775807.0), INT64_MAX);  // that is 2^63
    EXPECT_EQ(json::truncToInt64(-9223372036854775808.0), INT64_MIN);
    EXPECT_EQ(json::truncToInt64(9223372036854774784.0), 9223372036854774784LL);
    EXPECT_EQ(json::truncToInt64(-9223372036854774784.0), -9223372036854774784LL);

    EXPECT_EQ(json::truncToUint32(4294967295.0), 4294967295u);
    EXPECT_EQ(json::truncToUint32(4294967295.9), 4294967295u);
    EXPECT_EQ(json::truncToUint32(4294967296.0), 0u);
    EXPECT_EQ(json::truncToUint32(4294967296.0 + 77), 77u);
    EXPECT_EQ(json::truncToUint32(-1.0), 4294967295u);
    EXPECT_EQ(json::truncToUint32(-0.9), 0u);
    EXPECT_EQ(json::truncToUint32(77.9), 77u);
    EXPECT_EQ(json::truncToUint32(nan), 0u);
    EXPECT_EQ(json::truncToUint32(1e300), 4294967295u);
    EXPECT_EQ(json::truncToUint32(-1e300), 0u);
    EXPECT_EQ(json::truncToUint32(inf), 4294967295u);
}

// ---- Writer ----

TEST(JsonDump, NumbersAreWrittenAsIntegersOnlyWhenWholeAndBelow1e15) {
    EXPECT_EQ(num(3.0).dump(), "3");
    EXPECT_EQ(num(-0.0).dump(), "0");
    EXPECT_EQ(num(-5).dump(), "-5");
    EXPECT_EQ(num(4294967295.0).dump(), "4294967295");
    EXPECT_EQ(num(999999999999999.0).dump(), "999999999999999");
    EXPECT_EQ(num(-999999999999999.0).dump(), "-999999999999999");
    EXPECT_EQ(num(1e17).dump(), "1e+17");
    EXPECT_EQ(num(1e20).dump(), "1e+20");
    EXPECT_EQ(num(0.25).dump(), "0.25");
    EXPECT_EQ(num(2.5).dump(), "2.5");
    EXPECT_EQ(num(0.1).dump(), "0.10000000000000001");
    EXPECT_EQ(json::Value(1700000000123LL).dump(), "1700000000123");
    EXPECT_EQ(json::Value(7).dump(), "7");
}

TEST(JsonDump, StringsEscapeOnlyQuotesBackslashesAndControlBytes) {
    EXPECT_EQ(json::Value(std::string("\x01\x7f")).dump(), "\"\\u0001\x7f\"");
    EXPECT_EQ(json::Value(std::string("\x1b\b\f")).dump(), "\"\\u001b\\u0008\\u000c\"");
    EXPECT_EQ(json::Value(std::string("a" + kNul + "b")).dump(), "\"a\\u0000b\"");
    EXPECT_EQ(json::Value("q\"b\\t\tn\nr\r/").dump(), "\"q\\\"b\\\\t\\tn\\nr\\r/\"");
    EXPECT_EQ(json::Value("\xC3\xA9\xFF\x80").dump(), "\"\xC3\xA9\xFF\x80\"");
    EXPECT_EQ(json::Value("").dump(), "\"\"");
}

TEST(JsonDump, ObjectsAreWrittenCompactlyInKeyOrder) {
    json::Object o;
    o["z"] = 1;
    o["a"] = 2;
    o["m"] = 3;
    EXPECT_EQ(json::Value(std::move(o)).dump(), "{\"a\":2,\"m\":3,\"z\":1}");
    EXPECT_EQ(json::parse("{ \"b\" : [ 1 , 2.5 , \"x\" ] ,\n \"a\" : true }").dump(),
              "{\"a\":true,\"b\":[1,2.5,\"x\"]}");
    // Byte-wise order: upper case before lower case, "10" before "2".
    EXPECT_EQ(json::parse("{\"b\":0,\"2\":0,\"10\":0,\"B\":0,\"\":0}").dump(),
              "{\"\":0,\"10\":0,\"2\":0,\"B\":0,\"b\":0}");
    EXPECT_EQ(json::parse("[[],{},null,false]").dump(), "[[],{},null,false]");
    EXPECT_EQ(json::Value().dump(), "null");
}

TEST(JsonDump, EveryValueSurvivesWritingAndReading) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += static_cast<char>(b);
    json::Object o;
    o["bytes"] = allBytes;
    o[allBytes] = "as a key";
    json::Array numbers;
    for (double d : {0.0, 0.1, -0.1, 1e-300, -1e300, 4294967295.0, 9007199254740993.0, 1e15,
                     123456789.125, 1.0 / 3.0, DBL_MAX, DBL_MIN, 4.9e-324})
        numbers.emplace_back(d);
    o["numbers"] = json::Value(std::move(numbers));
    o["flags"] = json::Array{json::Value(true), json::Value(false), json::Value()};
    o["nested"] = json::parse("{\"a\":[[],[{}],{\"b\":[1,[2,[3]]]}]}");
    json::Value v(std::move(o));

    std::string text = v.dump();
    json::Value back = json::parse(text);
    EXPECT_EQ(back.dump(), text);
    EXPECT_EQ(back["bytes"].asString(), allBytes);
    EXPECT_EQ(back[allBytes].asString(), "as a key");
    for (size_t k = 0; k < v["numbers"].size(); ++k)
        EXPECT_EQ(back["numbers"][k].asNumber(-1), v["numbers"][k].asNumber(-2)) << k;
}

TEST(JsonDump, NumbersThatAreNotFiniteStillGiveReadableText) {
    json::Array a;
    a.emplace_back(std::numeric_limits<double>::infinity());
    a.emplace_back(-std::numeric_limits<double>::infinity());
    a.emplace_back(std::numeric_limits<double>::quiet_NaN());
    a.emplace_back(1);
    json::Value back = json::parse(json::Value(std::move(a)).dump());
    ASSERT_TRUE(back.isArray());
    EXPECT_EQ(back.size(), 4u);
    EXPECT_EQ(back[3].asInt(0), 1);
}

// ---- Files ----

TEST(JsonFile, ParseFileFailsWithoutTouchingTheOutput) {
    std::string dir = workDir();
    json::Value out(std::string("untouched"));
    writeText(dir + "/null.json", "null");
    writeText(dir + "/bad.json", "{\"a\":");
    writeText(dir + "/empty.json", "");
    for (std::string name : {"missing.json", "null.json", "bad.json", "empty.json", ""}) {
        EXPECT_FALSE(json::parseFile(dir + "/" + name, &out)) << name;
        EXPECT_EQ(out.asString(), "untouched") << name;
    }
    writeText(dir + "/good.json", "\r\n{\"a\":[1,2]}\n");
    ASSERT_TRUE(json::parseFile(dir + "/good.json", &out));
    EXPECT_EQ(out.dump(), "{\"a\":[1,2]}");
    writeText(dir + "/zero.json", "0");
    ASSERT_TRUE(json::parseFile(dir + "/zero.json", &out));
    EXPECT_EQ(out.asNumber(-1), 0);
}

TEST(JsonFile, AnAtomicWriteLeavesExactlyTheDumpAndNoTemporaryFile) {
    std::string dir = workDir();
    std::string path = dir + "/doc.json";
    json::Value v = json::parse("{\"b\":[1,2.5,\"x\"],\"a\":true}");
    ASSERT_TRUE(json::writeFileAtomic(path, v));
    EXPECT_EQ(readText(path), "{\"a\":true,\"b\":[1,2.5,\"x\"]}");
    writeText(path, std::string(5000, 'x'));  // a longer old file must not leave a tail
    ASSERT_TRUE(json::writeFileAtomic(path, json::Value(3)));
    EXPECT_EQ(readText(path), "3");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(JsonFile, AnAtomicWriteSyncsTheDataBeforeTheRenameAndNeverRemovesTheOldFile) {
    std::string dir = workDir();
    std::string path = dir + "/doc.json";
    writeText(path, "{\"old\":1}");
    fsWatch().events.clear();
    fsWatch().watching = true;
    bool ok = json::writeFileAtomic(path, json::parse("{\"new\":2}"));
    fsWatch().watching = false;
    ASSERT_TRUE(ok);
    EXPECT_EQ(readText(path), "{\"new\":2}");

    const auto& ev = fsWatch().events;
    // The temporary file is "<path>.tmp-<pid>-<n>": its events match by their head and tail.
    auto at = [&](const std::string& head, const std::string& tail) {
        return std::find_if(ev.begin(), ev.end(),
                            [&](const std::string& e) {
                                return e.size() >= head.size() + tail.size() &&
                                       e.compare(0, head.size(), head) == 0 &&
                                       e.compare(e.size() - tail.size(), tail.size(), tail) == 0;
                            }) -
               ev.begin();
    };
    std::string all;
    for (const auto& e : ev)
        all += e + "\n";
    auto syncTmp = at("fsync " + path + ".tmp-", "");
    auto swap = at("rename " + path + ".tmp-", " -> " + path + " over an existing file");
    auto syncDir = std::find(ev.begin(), ev.end(), "fsync " + dir) - ev.begin();
    auto n = static_cast<decltype(swap)>(ev.size());
    ASSERT_LT(swap, n) << "the rename must find the old file still in place:\n" << all;
    ASSERT_LT(syncTmp, n) << all;
    ASSERT_LT(syncDir, n) << all;
    EXPECT_LT(syncTmp, swap) << all;
    EXPECT_GT(syncDir, swap) << all;
}

TEST(JsonFile, AFailedAtomicWriteReportsFalseAndKeepsTheOldFile) {
    std::string dir = workDir();
    EXPECT_FALSE(json::writeFileAtomic(dir + "/no/such/dir/doc.json", json::Value(1)));
    EXPECT_FALSE(testsupport::fileExists(dir + "/no"));

    // A name as long as a name may be, so that no temporary name fits beside it whatever the
    // process id: nothing can be written, the old file stays and nothing else appears.
    std::string path = dir + "/" + std::string(250, 'd') + ".json";
    writeText(path, "{\"old\":1}");
    EXPECT_FALSE(json::writeFileAtomic(path, json::Value(2)));
    EXPECT_EQ(readText(path), "{\"old\":1}");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // The target is a directory: the write fails and the directory is left alone.
    std::string target = dir + "/adir.json";
    fs::create_directory(target);
    writeText(target + "/inside", "x");
    EXPECT_FALSE(json::writeFileAtomic(target, json::Value(3)));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(readText(target + "/inside"), "x");
}
