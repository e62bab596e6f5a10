// The installed game: `cmake --install` into a temporary prefix gives a tree a desktop can use,
// the icons are real pictures at their nominal sizes, and the game runs from that prefix.
#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// ---- The asset directory search, seen from an installed copy of this program ----
//
// The search looks next to the running executable, so a copy of this test program is placed in
// the prefix's bin/ and asked where it finds the data directory; it answers and exits before
// any test runs.

constexpr char kProbeVar[] = "VANTREL_INSTALL_PROBE";

class InstallProbe : public ::testing::Environment {
  public:
    void SetUp() override {
        std::printf("assetDir=%s\n", paths::assetDir().c_str());
        std::fflush(stdout);
        std::error_code ec;
        fs::remove_all(tempRoot(), ec);
        _exit(0);
    }
};

[[maybe_unused]] const bool kProbeRegistered =
    std::getenv(kProbeVar) != nullptr &&
    ::testing::AddGlobalTestEnvironment(new InstallProbe) != nullptr;

const std::string kId = VANTREL_APP_ID;
const int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

// Installs the build tree once per test process and returns the prefix.
const std::string& installedPrefix() {
    static const std::string prefix = [] {
        const std::string p = tempRoot() + "/prefix";
        ProcessResult r =
            runProcess({VANTREL_CMAKE, "--install", VANTREL_BUILD_DIR, "--prefix", p}, {}, 120);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        return p;
    }();
    return prefix;
}

bool isExecutableFile(const std::string& p) {
    return fs::is_regular_file(p) && ::access(p.c_str(), X_OK) == 0;
}

// Share of pixels that are mostly opaque, and whether the coral and the teal marble show.
struct IconLook {
    int width = 0, height = 0;
    double covered = 0;
    bool coral = false, teal = false;
};

IconLook lookAt(const std::string& png) {
    IconLook look;
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        look.width = cairo_image_surface_get_width(s);
        look.height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int opaque = 0;
        for (int y = 0; y < look.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
            for (int x = 0; x < look.width; ++x) {
                const uint32_t px = row[x];
                const int a = px >> 24, r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
                if (a < 200) continue;
                ++opaque;
                if (r > 180 && g < 140 && b < 140) look.coral = true;
                if (r < 120 && g > 150 && b > 150) look.teal = true;
            }
        }
        look.covered = static_cast<double>(opaque) / (look.width * look.height);
    }
    cairo_surface_destroy(s);
    return look;
}

}  // namespace

TEST(Install, PutsProgramMenuEntryDetailsManualAndDataWhereTheDesktopLooks) {
    const std::string p = installedPrefix();
    EXPECT_TRUE(isExecutableFile(p + "/bin/vantrel-marbles"));

    const std::string desktop = readText(p + "/share/applications/" + kId + ".desktop");
    EXPECT_NE(desktop.find("\nExec=vantrel-marbles\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nIcon=" + kId + "\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nCategories=Game;LogicGame;\n"), std::string::npos);
    // Every catalogue but the English one lends its tagline as a translated comment.
    int comments = 0;
    for (size_t at = desktop.find("Comment["); at != std::string::npos;
         at = desktop.find("Comment[", at + 1))
        ++comments;
    EXPECT_EQ(comments, 21);

    const std::string meta = readText(p + "/share/metainfo/" + kId + ".metainfo.xml");
    EXPECT_NE(meta.find("<id>" + kId + "</id>"), std::string::npos);
    EXPECT_NE(meta.find("<launchable type=\"desktop-id\">" + kId + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(meta.find("<release version=\"1.1.0\""), std::string::npos);
    int langs = 0;
    for (size_t at = meta.find("<lang>"); at != std::string::npos; at = meta.find("<lang>", at + 1))
        ++langs;
    EXPECT_EQ(langs, 22);
    EXPECT_EQ(meta.find('@'), std::string::npos) << "an unreplaced template variable";

    EXPECT_TRUE(fs::is_regular_file(p + "/share/man/man6/vantrel-marbles.6.gz") ||
                fs::is_regular_file(p + "/share/man/man6/vantrel-marbles.6"));
    EXPECT_TRUE(fs::is_regular_file(p + "/share/doc/vantrel-marbles/copyright"));
    // The two folders by which the game recognises its data directory.
    EXPECT_TRUE(fs::is_directory(p + "/share/vantrelMarbles/assets/audio"));
    EXPECT_TRUE(fs::is_directory(p + "/share/vantrelMarbles/assets/fonts"));
}

TEST(Install, IconsAreMarblePicturesAtEveryNominalSize) {
    const std::string icons = installedPrefix() + "/share/icons/hicolor/";
    for (int size : kIconSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const IconLook look = lookAt(icons + dim + "/apps/" + kId + ".png");
        EXPECT_EQ(look.width, size) << dim;
        EXPECT_EQ(look.height, size) << dim;
        // A tall tube on a clear ground: neither an empty square nor a filled one.
        EXPECT_GT(look.covered, 0.25) << dim;
        EXPECT_LT(look.covered, 0.75) << dim;
        EXPECT_TRUE(look.coral) << dim;
        EXPECT_TRUE(look.teal) << dim;
    }
    const std::string svg = readText(icons + "scalable/apps/" + kId + ".svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 512 512\""), std::string::npos) << svg.substr(0, 300);
    EXPECT_NE(svg.find("<linearGradient"), std::string::npos);
    EXPECT_NE(svg.find("<radialGradient"), std::string::npos);
}

TEST(Install, TheInstalledGameStartsFromItsPrefix) {
    const std::string bin = installedPrefix() + "/bin/vantrel-marbles";
    Child c = startProcess({bin}, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                   "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_TRUE(waitForOutput(c, "[video] Treiber offscreen")) << readText(c.errPath);
    kill(c.pid, SIGTERM);
    ProcessResult r = finishProcess(c);
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(Install, TheAssetDirectorySearchFindsTheInstalledDataDirectory) {
    const std::string prefix = installedPrefix();
    const std::string probe = prefix + "/bin/vantrel-probe";
    const fs::path self = testsupport::selfPath();
    std::error_code ec;
    fs::create_hard_link(self, probe, ec);  // the test program is large; a link costs nothing
    if (ec) fs::copy_file(self, probe, ec);
    ASSERT_FALSE(ec) << ec.message();
    // SNAP, APPDIR and VANTREL_ASSET_DIR would come before the installed tree; empty is unset.
    ProcessResult r = runProcess(
        {probe}, {std::string(kProbeVar) + "=1", "SNAP=", "APPDIR=", "VANTREL_ASSET_DIR="}, 60);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Google Test's banner comes first; the answer is the one line that starts with the name.
    const size_t at = r.out.find("\nassetDir=");
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(at + 1), "assetDir=" + prefix + "/bin/../share/vantrelMarbles\n");
}
