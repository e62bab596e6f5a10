// The statistics line of the real game names the texture cache size, which long runs sample.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testsupport;

TEST(StatisticsLine, NamesTheCachedTexturesWithinTheCacheLimit) {
    wipeDataDir();
    Child c = startProcess({VANTREL_BINARY}, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                              "ASAN_OPTIONS=detect_leaks=0",
                                              "VANTREL_STATS=", "VANTREL_SCREEN=attract"});
    ASSERT_TRUE(waitForOutput(c, "[video]")) << readText(c.errPath);
    std::vector<std::string> stats;
    for (int i = 0; i < 1500 && stats.size() < 3; ++i) {
        usleep(20000);
        stats.clear();
        std::istringstream in(readText(c.errPath));
        for (std::string l; std::getline(in, l);)
            if (l.compare(0, 8, "[stats] ") == 0) stats.push_back(l);
    }
    kill(c.pid, SIGTERM);
    ProcessResult r = finishProcess(c);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GE(stats.size(), 3u) << r.err;
    for (const auto& l : stats) {
        int fps = 0, copies = 0, w = 0, h = 0, textures = -1;
        double cpu = 0, gpu = 0;
        ASSERT_EQ(std::sscanf(l.c_str(),
                              "[stats] %d fps   CPU %lf ms   GPU %lf ms   %d Kopien  %dx%d  %d "
                              "Texturen",
                              &fps, &cpu, &gpu, &copies, &w, &h, &textures),
                  7)
            << l;
        // The demo board's marbles, tubes and background are cached from its first frame on.
        EXPECT_GT(textures, 0) << l;
        EXPECT_LE(textures, 401) << l;
    }
}
