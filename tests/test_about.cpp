// The About and Licenses screens through the real game loop, and the link opener behind them.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screen_driver.h"
#include "screens/about.h"
#include "screens/licenses.h"
#include "screens/links.h"
#include "test_support.h"
#include "theme/theme.h"
#include "ui/draw.h"

using ui::ScreenKind;
using namespace testsupport;

namespace {

int depth() {
    return ui::Game::instance()->depth();
}

// Every test gets a recording opener instead of the desktop's: a script that notes its
// argument count, where its output goes, its session and its first argument.
class Links : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        log_ = tempRoot() + "/opened.log";
        std::remove(log_.c_str());
        const std::string script = tempRoot() + "/record-opener";
        ASSERT_TRUE(writeText(script,
                              "#!/bin/sh\nprintf '%s|%s|%s|%s\\n' \"$#\" "
                              "\"$(readlink /proc/$$/fd/1)\" "
                              "\"$(cut -d' ' -f6 /proc/$$/stat)\" \"$1\" >> '" +
                                  log_ + "'\n"));
        ASSERT_EQ(chmod(script.c_str(), 0755), 0);
        screens::setUrlOpener(script);
    }
    void TearDown() override {
        screens::setUrlOpener("");
        audio::shutdown();
    }

    // The addresses opened so far, once `count` have arrived (the opener runs detached), and a
    // little later, so that a second opener for the same click would show.
    // Waits for count addresses and then a moment more, so an extra one would show. Openers
    // started close together may log in either order; callers that care wait for each one.
    std::vector<std::string> opened(size_t count, bool settle = true) {
        std::vector<std::string> urls;
        bool settling = false;
        for (int wait = 0; wait < 1000; ++wait) {
            urls.clear();
            std::istringstream in(readText(log_));
            for (std::string l; std::getline(in, l);) {
                const std::string mine = "1|/dev/null|" + std::to_string(getsid(0)) + "|";
                EXPECT_EQ(l.rfind("1|/dev/null|", 0), 0u) << "one argument, output discarded";
                EXPECT_NE(l.rfind(mine, 0), 0u) << "the opener has a session of its own";
                urls.push_back(l.substr(l.find('|', 12) + 1));
            }
            if (settling) break;
            settling = urls.size() >= count;
            if (settling && !settle) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(settling ? 300 : 20));
        }
        return urls;
    }

    std::string log_;
};

using AboutScreen = Links;
using LicensesScreen = Links;

// Processes whose parent is this one, zombies included; waits up to ten seconds for them to go.
int childrenLeft() {
    int n = 0;
    for (int wait = 0; wait < 500; ++wait) {
        n = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string stat = readText(entry.path().string() + "/stat");
            const size_t close = stat.rfind(')');
            int ppid = 0;
            char state = 0;
            if (close != std::string::npos &&
                std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2)
                n += ppid == getpid();
        }
        if (n == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return n;
}

int channelsStarted() {
    int n = 0;
    for (int ch = 0; ch < Mix_AllocateChannels(-1); ++ch)
        n += Mix_GetChunk(ch) != nullptr;
    return n;
}

}  // namespace

TEST(AboutLayout, ScaleFollowsTheWindowAndUnitsRoundToWholeNumbers) {
    EXPECT_EQ(screens::aboutScale(1280, 720), 1);
    EXPECT_EQ(screens::aboutScale(800, 480), 0.58);
    EXPECT_EQ(screens::aboutScale(1280, 499), 0.58);
    EXPECT_EQ(screens::aboutScale(1280, 500), 0.72);
    EXPECT_EQ(screens::aboutScale(599, 1000), 0.72);
    EXPECT_EQ(screens::aboutScale(1280, 600), 1);

    EXPECT_EQ(screens::aboutUnits(40, 1), 40);
    EXPECT_EQ(screens::aboutUnits(40, 0.58), 23);
    EXPECT_EQ(screens::aboutUnits(48, 0.58), 28);
    EXPECT_EQ(screens::aboutUnits(46, 0.58), 27);  // 26.68 rounds up
    EXPECT_EQ(screens::aboutUnits(13, 0.72), 9);   // 9.36 rounds down

    // The rows start R(20) below the panel top and scroll as one; the content height does not
    // depend on the scroll.
    const auto big = screens::aboutLayout(1280, 720, 0);
    const auto small = screens::aboutLayout(800, 480, 0);
    EXPECT_EQ(big.top[screens::kAboutTitle], 82);
    EXPECT_EQ(big.top[screens::kAboutVersion] - big.top[screens::kAboutTitle], 48);
    EXPECT_EQ(small.top[screens::kAboutTitle], 74);
    EXPECT_EQ(small.top[screens::kAboutVersion] - small.top[screens::kAboutTitle], 28);
    const auto scrolled = screens::aboutLayout(800, 480, 30);
    EXPECT_DOUBLE_EQ(scrolled.contentH, small.contentH);
    EXPECT_DOUBLE_EQ(scrolled.top[screens::kAboutSfxLink], small.top[screens::kAboutSfxLink] - 30);
    // The smallest window the game allows shows the credits and the licences button without
    // scrolling; only the table of keys, too wide to stand beside the panel, follows below.
    const auto smallest = screens::aboutLayout(640, 480, 0);
    EXPECT_FALSE(smallest.controlsBeside);
    EXPECT_LE(smallest.licensesButton.bottom(), smallest.panel.bottom());
    EXPECT_GE(smallest.controls.y, smallest.licensesButton.bottom());
    EXPECT_TRUE(screens::aboutLayout(1280, 800, 0).controlsBeside);
}

TEST_F(AboutScreen, ShortWindowScrollsToTheLicensesButtonAndEveryWayBackPops) {
    ScreenDriver loop(1280, 620);
    ASSERT_TRUE(loop.ok());
    loop.open(ScreenKind::About);
    ASSERT_EQ(topKind(), ScreenKind::About);
    ASSERT_EQ(depth(), 2);

    const auto L0 = screens::aboutLayout(1280, 620, 0);
    ASSERT_GT(L0.contentH, L0.panel.h);
    ASSERT_GT(L0.licensesButton.bottom(), L0.panel.bottom());
    ASSERT_LT(L0.licensesButton.y, 620);
    // The part of the button hanging below the panel is clipped away and does not answer.
    loop.click(L0.licensesButton.cx(), (L0.panel.bottom() + 620) / 2);
    EXPECT_EQ(topKind(), ScreenKind::About);

    // Wheel over the panel; the offset stops at the end of the content.
    for (int i = 0; i < 3; ++i)
        loop.wheel(L0.panel.cx(), L0.panel.cy(), -1);
    const auto L = screens::aboutLayout(1280, 620, L0.contentH - L0.panel.h);
    ASSERT_LE(L.licensesButton.bottom(), L.panel.bottom());
    loop.click(L.licensesButton.cx(), L.licensesButton.cy());
    EXPECT_EQ(topKind(), ScreenKind::Licenses);
    EXPECT_EQ(depth(), 3);

    loop.click(16 + 52, 12 + 17);  // Licenses' back button
    EXPECT_EQ(topKind(), ScreenKind::About);
    EXPECT_EQ(depth(), 2);
    // About is built afresh at the top, where the button is below the panel again.
    loop.click(L.licensesButton.cx(), L.licensesButton.cy());
    EXPECT_EQ(topKind(), ScreenKind::About);

    loop.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_EQ(depth(), 1);

    loop.open(ScreenKind::About);
    loop.click(16 + 52, 12 + 17);  // About's back button
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    loop.open(ScreenKind::Licenses);
    loop.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_TRUE(opened(0).empty());
}

TEST_F(AboutScreen, ALinkClickPlaysOnceAndStartsOneOpenerWithItsAddress) {
    ASSERT_TRUE(audio::init());
    while (!audio::effectsDecoded())
        SDL_Delay(1);  // the click below must be heard
    ScreenDriver loop(1280, 720);
    ASSERT_TRUE(loop.ok());
    loop.open(ScreenKind::About);
    ASSERT_EQ(channelsStarted(), 0);

    const auto L = screens::aboutLayout(1280, 720, 0);
    const double cx = L.panel.cx();
    loop.click(cx, L.top[screens::kAboutWebsite] + 8);
    EXPECT_EQ(channelsStarted(), 1);
    EXPECT_EQ(opened(1), std::vector<std::string>{"https://vantrel.example/"});
    EXPECT_EQ(childrenLeft(), 0) << "the finished opener is reaped";

    // Beside the text, on the same line, is not the link.
    loop.click(L.panel.x + 30, L.top[screens::kAboutWebsite] + 8);
    loop.click(cx, L.top[screens::kAboutMail] + 8);
    opened(2, false);
    loop.click(cx, L.top[screens::kAboutMusicLink] + 6);
    opened(3, false);
    loop.click(cx, L.top[screens::kAboutSfxLink] + 6);
    const std::vector<std::string> all = {"https://vantrel.example/",
                                          "mailto:hello@vantrel.example",
                                          "https://vantrel.example/music/only-silence-remains/",
                                          "https://vantrel.example/source/tools/soundgen/"};
    EXPECT_EQ(opened(4), all);
    EXPECT_EQ(topKind(), ScreenKind::About);
}

TEST_F(AboutScreen, TheOpenerTakesAnyAddressLiterallyAndAMissingOneDoesNothing) {
    const std::string odd = "https://x.example/a'b\";touch $HOME/owned `id` $(id)";
    // The frame waits only until the opener has started; worth a look now and then.
    const auto start = std::chrono::steady_clock::now();
    screens::openUrl(odd);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("[ figures  ] openUrl returned after %.2f ms\n", took.count());
    EXPECT_EQ(opened(1), std::vector<std::string>{odd});
    EXPECT_FALSE(fileExists(std::string(std::getenv("HOME")) + "/owned"));

    screens::setUrlOpener(tempRoot() + "/no-such-opener");
    screens::openUrl("https://vantrel.example/");
    EXPECT_EQ(childrenLeft(), 0);
    EXPECT_EQ(opened(1).size(), 1u);
}

TEST_F(LicensesScreen, EveryRowLinksItsOwnHomepageInTableOrder) {
    // Tall enough for the whole list without scrolling.
    ScreenDriver loop(800, 1400);
    ASSERT_TRUE(loop.ok());
    loop.open(ScreenKind::Licenses);
    const double pw = 560, px = (800 - pw) / 2;
    double introH = 0;
    loop.measure([&](ui::Ctx& frame) {
        cairo_t* cr = frame.cr;
        ui::TextStyle st;
        st.size = 13;
        introH = ui::measureWrappedHeight(cr, pw - 32, i18n::tr("licenses.intro"), st);
    });
    ASSERT_GT(introH, 10);
    const double firstRow = 62 + 14 + introH + 12;
    for (int i = 0; i <= 17; ++i) {  // one more row than there are libraries
        loop.click(px + 22, firstRow + 72 * i + 40 + 6);
        if (i < 17) opened(i + 1, false);
    }
    ASSERT_EQ(screens::kLibraries.size(), 17u);
    std::vector<std::string> want;
    for (const auto& lib : screens::kLibraries)
        want.push_back(lib.homepage);
    EXPECT_EQ(opened(17), want);
}

TEST_F(LicensesScreen, ScrollingKeepsTheContentHeightAndReachesTheLastRow) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    loop.open(ScreenKind::Licenses);
    const double pw = 560, px = (800 - pw) / 2, ph = 480 - 62 - 16;

    // The scroll bar's thumb, read back from its column away from the rounded corners (where
    // it blends with the rim); its length tells the content height. -1 when it reaches a corner.
    const int straightTop = 62 + 18, straightBottom = int(62 + ph - 18);
    auto thumbLength = [&](int* top) {
        const harness::Image img = loop.snapshot();
        int first = -1, last = -1;
        for (int y = straightTop; y < straightBottom; ++y) {
            const int b = harness::brightness(img.at(int(px + pw - 4), y));
            if (b > 530 && b < 630) {
                if (first < 0) first = y;
                last = y;
            }
        }
        *top = first;
        if (first <= straightTop || last >= straightBottom - 1) return -1;
        return last - first + 1;
    };
    int top = 0;
    ASSERT_EQ(thumbLength(&top), -1);
    ASSERT_EQ(top, straightTop) << "the thumb starts at the top";

    std::vector<int> lengths;
    int lastTop = top, steps = 0;
    for (; steps < 40; ++steps) {
        loop.wheel(px + pw / 2, 62 + ph / 2, -1);
        loop.frame();
        const int length = thumbLength(&top);
        ASSERT_GE(top, straightTop) << "the thumb stays in view";
        if (length > 0) lengths.push_back(length);
        if (top == lastTop) break;
        EXPECT_GT(top, lastTop);
        lastTop = top;
    }
    // 17 rows of 72 below the intro: the content is about three panels high.
    ASSERT_GE(lengths.size(), 5u);
    for (int length : lengths)
        EXPECT_NEAR(length, lengths.front(), 1);
    EXPECT_NEAR(lengths.front(), ph * ph / (14 + 20 + 12 + 17 * 72 + 12), 8);
    EXPECT_LT(steps, 40);

    // At the end the last row sits 12 units above the panel's bottom.
    const double lastRow = 62 + ph - 12 - 72;
    loop.click(px + 22, lastRow + 40 + 6);
    EXPECT_EQ(opened(1), std::vector<std::string>{"https://gcc.gnu.org/"});
}

TEST_F(LicensesScreen, LinksClippedOutOfThePanelDoNotAnswer) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    bool hit = true;
    loop.measure([&](ui::Ctx& frame) {
        cairo_t* cr = frame.cr;
        ui::Ctx c;
        c.cr = cr;
        c.w = 800;
        c.h = 480;
        c.in.mouseX = 40;
        c.in.mouseY = 20;
        c.in.pressed = true;
        ui::TextStyle st;
        st.size = 12;
        // The pointer is on the text but outside the panel the link is shown in.
        hit = screens::drawLink(c, 30, 15, "https://vantrel.example/", st,
                                "https://vantrel.example/", {0, 62, 800, 400});
        EXPECT_FALSE(c.clickUsed);
        c.in.mouseY = 70;
        EXPECT_FALSE(screens::drawLink(c, 30, 140, "https://vantrel.example/", st, "x", {}));
        EXPECT_TRUE(screens::drawLink(c, 30, 65, "https://vantrel.example/", st,
                                      "https://vantrel.example/licences", {0, 62, 800, 400}));
    });
    EXPECT_FALSE(hit);
    EXPECT_EQ(opened(1), std::vector<std::string>{"https://vantrel.example/licences"});
}

// Rows scrolled to the panel's bottom are cut at its face: the raised edge below keeps its own
// colour at every scroll offset.
TEST_F(LicensesScreen, RowsNeverDrawOverThePanelsBottomEdge) {
    ScreenDriver loop(800, 480);
    ASSERT_TRUE(loop.ok());
    loop.open(ScreenKind::Licenses);
    const double pw = 560, px = (800 - pw) / 2, bottom = 480 - 16;
    int stray = 0;
    for (int step = 0; step < 30; ++step) {
        const harness::Image img = loop.snapshot();
        for (int y = int(bottom) - 3; y < int(bottom); ++y)
            for (int x = int(px + 24); x < int(px + pw - 24); ++x)
                if (!near(img.at(x, y), theme::kPillBorderBottom, 10)) ++stray;
        loop.wheel(px + pw / 2, 240, -0.5);
        loop.frame();
    }
    EXPECT_EQ(stray, 0);
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(AboutScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    const int sizes[][2] = {{1280, 720}, {800, 480}, {1280, 620}};
    for (const char* lang : {"en", "de", "ja", "ar"}) {
        i18n::setLanguage(lang);
        for (auto [w, h] : sizes) {
            for (ScreenKind kind : {ScreenKind::About, ScreenKind::Licenses}) {
                ScreenDriver loop(w, h);
                ASSERT_TRUE(loop.ok());
                loop.open(kind);
                const std::string name = std::string(dir) + "/" +
                                         (kind == ScreenKind::About ? "about" : "licenses") + "_" +
                                         lang + "_" + std::to_string(w) + "x" + std::to_string(h);
                EXPECT_TRUE(loop.snapshot().writePng(name + ".png"));
                for (int i = 0; i < 30; ++i)
                    loop.wheel(w / 2.0, h / 2.0, -1);
                loop.frame();
                EXPECT_TRUE(loop.snapshot().writePng(name + "_end.png"));
            }
        }
    }
}
