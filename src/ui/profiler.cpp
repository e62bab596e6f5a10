// Named sections timed on the steady clock, reported by the frame statistics line.
#include "ui/profiler.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace ui {

namespace {

struct ProfEntry {
    double total = 0;
    double started = 0;
    int calls = 0;
};

struct Profiler {
    bool on = std::getenv("VANTREL_STATS") != nullptr;
    std::map<std::string, ProfEntry> sections;
};

Profiler& profiler() {
    static Profiler p;
    return p;
}

double steadySeconds() {
    using clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(clock::now().time_since_epoch()).count();
}

}  // namespace

void profBegin(const char* name) {
    Profiler& p = profiler();
    if (!p.on) return;
    p.sections[name].started = steadySeconds();
}

void profEnd(const char* name) {
    Profiler& p = profiler();
    if (!p.on) return;
    ProfEntry& e = p.sections[name];
    e.calls += 1;
    e.total += steadySeconds() - e.started;
}

std::string profReport() {
    Profiler& p = profiler();
    std::string out;
    if (!p.on) return out;
    char mean[64];
    for (auto& kv : p.sections) {
        ProfEntry& e = kv.second;
        if (e.calls == 0) continue;
        std::snprintf(mean, sizeof mean, " %.1f", e.total * 1000 / e.calls);
        out += ' ';
        out += kv.first;
        out += mean;
        e.total = 0;
        e.calls = 0;
    }
    return out;
}

}  // namespace ui
