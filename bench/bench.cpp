// SPDX-License-Identifier: GPL-3.0-or-later
// Measures Moltiplix against a bare Qt program and prints a table. Each figure comes
// from fresh processes of this same executable, run in turns, on the offscreen platform.
//
//   moltiplix_bench [runs]
#include "app/moltiplix.h"
#include "baseline_app.h"
#include "probe.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int benchTicks = 800;

struct Spread {
    double median, low, high;
};

Spread spreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

std::string self;

// Runs one child measure; returns its report's words and how long until its first line.
std::map<std::string, double> runChild(const std::string& measure, const std::string& program,
                                       int size, double* millisecondsToFirstLine = nullptr)
{
    int out[2];
    if (pipe(out) != 0) std::exit(2);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string sizeText = std::to_string(size);
    const char* args[] = {self.c_str(),    "child",          measure.c_str(),
                          program.c_str(), sizeText.c_str(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), &actions, nullptr, const_cast<char**>(args), environ))
        std::exit(2);
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (millisecondsToFirstLine)
        *millisecondsToFirstLine = std::chrono::duration<double, std::milli>(end - start).count();

    std::map<std::string, double> values;
    std::istringstream words(line);
    std::string key;
    double value = 0;
    while (words >> key) {
        if (key == "error" || key == "ready")
            values[key] = 1;
        else if (words >> value)
            values[key] = value;
    }
    if (values.count("error") || line.empty()) {
        std::fprintf(stderr, "%s %s failed: %s\n", measure.c_str(), program.c_str(), line.c_str());
        std::exit(1);
    }
    return values;
}

void row(const char* what, const std::string& game, const std::string& baseline,
         const Spread& ratio, const char* goal, bool met)
{
    std::printf("| %s | %s | %s | %.2f (%.2f-%.2f) | %s | %s |\n", what, game.c_str(),
                baseline.c_str(), ratio.median, ratio.low, ratio.high, goal,
                met ? "met" : "missed");
}

std::string number(double value, const char* unit, int decimals = 1)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

int harness(int runs)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("| measure | Moltiplix (median) | baseline (median) | ratio, median (min-max) "
                "| goal | |\n|---|---|---|---|---|---|\n");

    std::vector<double> game, base, ratios;
    for (int i = 0; i < runs; ++i) {
        double g = 0, b = 0;
        runChild("startup", "baseline", 0, &b);
        runChild("startup", "game", 0, &g);
        game.push_back(g);
        base.push_back(b);
        ratios.push_back(g / b);
    }
    Spread ratio = spreadOf(ratios);
    row("start-up to first dialog", number(spreadOf(game).median, "ms"),
        number(spreadOf(base).median, "ms"), ratio, "<= 1.15", ratio.median <= 1.15);

    game.clear(), base.clear(), ratios.clear();
    std::vector<double> painted, largest;
    for (int i = 0; i < std::max(3, runs / 2); ++i) {
        const auto b = runChild("ticks", "baseline", benchTicks);
        const auto g = runChild("ticks", "game", benchTicks);
        game.push_back(g.at("cpu_us_per_tick"));
        base.push_back(b.at("cpu_us_per_tick"));
        ratios.push_back(game.back() / base.back());
        painted.push_back(g.at("painted_px_per_tick"));
        largest.push_back(g.at("largest_px"));
    }
    ratio = spreadOf(ratios);
    row("CPU per countdown tick", number(spreadOf(game).median, "us"),
        number(spreadOf(base).median, "us"), ratio, "<= 1.2", ratio.median <= 1.2);
    const double clockArea = (1575 / 15) * (495 / 15);
    const Spread area = spreadOf(painted);
    std::printf("| area repainted per tick (largest) | %.0f px (%.0f px) | clock label: %.0f px "
                "| - | only the clock label | %s |\n",
                area.median, spreadOf(largest).high, clockArea,
                area.high <= clockArea ? "met" : "missed");

    game.clear(), base.clear(), ratios.clear();
    for (int i = 0; i < std::max(3, runs / 2); ++i) {
        base.push_back(runChild("memory", "baseline", 0).at("hwm_kib") / 1024);
        game.push_back(runChild("memory", "game", 0).at("hwm_kib") / 1024);
        ratios.push_back(game.back() / base.back());
    }
    const double extra = spreadOf(game).median - spreadOf(base).median;
    row("peak memory, window shown", number(spreadOf(game).median, "MiB"),
        number(spreadOf(base).median, "MiB"), spreadOf(ratios), "<= baseline + 8 MiB", extra <= 8);

    for (int height : {1080, 2160}) {
        std::vector<double> handler, shown, fill, shownRatio;
        for (int i = 0; i < 3; ++i) {
            const auto q = runChild("question", "game", height);
            handler.push_back(q.at("question_ms"));
            shown.push_back(q.at("question_shown_ms"));
            fill.push_back(q.at("fill_ms"));
            shownRatio.push_back(shown.back() / fill.back());
        }
        const std::string what = "new question at " + std::to_string(height * 16 / 9) + "x" +
                                 std::to_string(height) + " (handler; painted and shown)";
        const std::string figures = number(spreadOf(handler).median, "ms", 2) + "; " +
                                    number(spreadOf(shown).median, "ms", 2);
        row(what.c_str(), figures, "one-colour fill: " + number(spreadOf(fill).median, "ms", 2),
            spreadOf(shownRatio), "< 16 ms", spreadOf(shown).median < 16);
    }
    return 0;
}

int child(int argc, char** argv)
{
    static const std::map<std::string, Probe::Measure> measures{
        {"startup", Probe::Measure::Startup},
        {"memory", Probe::Measure::Memory},
        {"ticks", Probe::Measure::Ticks},
        {"question", Probe::Measure::Question},
    };
    const Probe::Measure measure = measures.at(argv[2]);
    const bool game = std::strcmp(argv[3], "game") == 0;
    const int size = std::atoi(argv[4]);
    int qtArgc = 1;
    auto prepare = [&](QApplication& app) { new Probe(measure, size, app); };
    (void)argc;
    return game ? runMoltiplix(qtArgc, argv, prepare) : runBaseline(qtArgc, argv, prepare);
}

} // namespace

int main(int argc, char* argv[])
{
    self = argv[0];
    if (argc == 5 && std::strcmp(argv[1], "child") == 0) return child(argc, argv);
    return harness(argc > 1 ? std::atoi(argv[1]) : 11);
}
