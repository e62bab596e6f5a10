// Tests of the embedded asset store: unscrambling, caching, overrides and unknown names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets_data.h"
#include "platform/assets.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

std::string sourceAsset(const std::string& name) {
    return testsupport::readText(std::string(VANTREL_TEST_DATA) + "/../assets/" + name);
}

const assets_data::Entry& entryNamed(const std::string& name) {
    for (const assets_data::Entry& e : assets_data::kEntries) {
        if (name == e.name) return e;
    }
    ADD_FAILURE() << "no entry " << name;
    return assets_data::kEntries[0];
}

}  // namespace

// Served assets stay cached for the whole run, so the overrides are checked in a fresh child
// process where nothing has been cached yet. Returns a description of every mismatch.
std::string overrideMismatches() {
    std::string bad;
    auto check = [&](bool ok, const char* what) {
        if (!ok) bad += std::string(what) + "\n";
    };
    const std::string dir = testsupport::tempRoot() + "/override";
    fs::create_directories(dir + "/assets/audio");
    testsupport::writeText(dir + "/assets/audio/sfx_click.ogg", "not really ogg");
    testsupport::writeText(dir + "/assets/audio/sfx_pickup.ogg", "");
    testsupport::writeText(dir + "/assets/audio/extra.ogg", "extra");

    setenv("VANTREL_ASSET_DIR", "", 1);
    check(assets::blob("audio/sfx_success.ogg") == sourceAsset("audio/sfx_success.ogg"),
          "an empty VANTREL_ASSET_DIR counts as unset");

    setenv("VANTREL_ASSET_DIR", dir.c_str(), 1);
    check(assets::blob("audio/sfx_click.ogg") == "not really ogg",
          "an override file is taken unchanged");
    check(assets::blob("audio/sfx_pickup.ogg").empty(),
          "an empty override file wins over the embedded copy");
    check(assets::blob("audio/extra.ogg") == "extra", "an override can supply a new name");
    check(!assets::has("audio/extra.ogg"), "an override does not make a name embedded");
    check(assets::blob("audio/sfx_illegal.ogg") == sourceAsset("audio/sfx_illegal.ogg"),
          "without an override file the embedded copy is served");

    unsetenv("VANTREL_ASSET_DIR");
    check(assets::blob("audio/sfx_click.ogg") == "not really ogg",
          "a served asset stays as it was");
    return bad;
}

TEST(Assets, OverrideDirectoryReplacesAndSuppliesFilesByName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes: a fresh cache
    EXPECT_EXIT(
        {
            std::string bad = overrideMismatches();
            std::fputs(bad.c_str(), stderr);
            std::_Exit(bad.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(Assets, TableHoldsTheSoundsInTheirFixedOrder) {
    ASSERT_EQ(assets_data::kEntryCount, 39);
    std::vector<std::string> expected = {
        "audio/bgm_calm.ogg",    "audio/sfx_click.ogg",   "audio/sfx_pickup.ogg",
        "audio/sfx_illegal.ogg", "audio/sfx_success.ogg", "audio/sfx_win_glare.ogg",
        "audio/sfx_star1.ogg",   "audio/sfx_star2.ogg",   "audio/sfx_star3.ogg"};
    for (int i = 0; i < 15; ++i)
        expected.push_back("audio/sfx_drop_" + std::to_string(i) + ".ogg");
    for (int i = 0; i < 15; ++i) {
        expected.push_back("audio/sfx_fluid_rise_" + std::to_string(i) + ".ogg");
    }
    for (int i = 0; i < assets_data::kEntryCount; ++i) {
        EXPECT_EQ(assets_data::kEntries[i].name, expected[i]) << "entry " << i;
        EXPECT_TRUE(assets::has(expected[i]));
    }
    EXPECT_FALSE(assets::has("audio/sfx_drop_15.ogg"));
    EXPECT_FALSE(assets::has("sfx_click.ogg"));
}

TEST(Assets, EmbeddedBytesEqualTheSourceFilesAndAreCached) {
    unsetenv("VANTREL_ASSET_DIR");
    for (const assets_data::Entry& e : assets_data::kEntries) {
        const std::string& first = assets::blob(e.name);
        EXPECT_EQ(static_cast<int>(first.size()), e.size) << e.name;
        EXPECT_TRUE(first == sourceAsset(e.name)) << e.name;
        // The same string: later callers may keep pointers into it.
        EXPECT_EQ(&assets::blob(e.name), &first) << e.name;
    }
}

TEST(Assets, ScramblingXorsTheKeyAndTheBlockNumber) {
    // The music is long enough to show the block number wrapping after 64 KiB.
    const assets_data::Entry& e = entryNamed("audio/bgm_calm.ogg");
    ASSERT_GT(e.size, 65536 + 600);
    const std::string plain = sourceAsset(e.name);
    ASSERT_EQ(static_cast<int>(plain.size()), e.size);
    auto mask = [&](int i) {
        return static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ e.data[i]);
    };
    for (int i = 0; i < 600; ++i) {
        int block = i < 256 ? 0 : i < 512 ? 1 : 2;
        ASSERT_EQ(mask(i), assets_data::kKey[i % 8] ^ block) << "byte " << i;
    }
    for (int i = 65536; i < 65536 + 600; ++i) {
        int block = i < 65536 + 256 ? 0 : i < 65536 + 512 ? 1 : 2;
        ASSERT_EQ(mask(i), assets_data::kKey[i % 8] ^ block) << "byte " << i;
    }
    // The stored bytes really are scrambled: the Ogg signature does not show.
    EXPECT_NE(std::string(reinterpret_cast<const char*>(e.data), 4), "OggS");
    EXPECT_EQ(plain.substr(0, 4), "OggS");
}

TEST(Assets, UnknownNameGivesNoBytesAndIsReportedEveryTime) {
    unsetenv("VANTREL_ASSET_DIR");
    testing::internal::CaptureStderr();
    const std::string& a = assets::blob("audio/missing.ogg");
    const std::string& b = assets::blob("audio/missing.ogg");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(err,
              "[assets] unknown asset: audio/missing.ogg\n"
              "[assets] unknown asset: audio/missing.ogg\n");
}
