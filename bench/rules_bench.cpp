// The rules alone, natively: NormaliseSpec, CheckSpecSyntax, ParseSpec, ExpandPatterns and
// CheckFolderNames on InputBuf, as the create command runs them, for lines of 1,250 and 2,500
// characters in several shapes, and for pattern lines that make 1,000 and 10,000 folders. Every line is checked first:
// it must pass the rules and parse into the folders it names.
//
// Prints, on standard output, the rows of bench/run.sh's table (tab-separated: figure, Quillet,
// baseline, ratio, goal, verdict) and how each shape grows with its length; Google Benchmark's own
// report goes to standard error. Its flags (--benchmark_repetitions and the like) are passed on.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Shared.h"
#include "Unit2.h"
#include "fake_system.h"
#include "lines.h"

namespace {

constexpr double TypicalGoalUs = 25;
constexpr double ShapeGoalRatio = 3;
constexpr std::size_t Lengths[] = {1250, 2500};
constexpr std::size_t InputCapacity = 4096;
constexpr double PatternGrowthGoal = 15;  // ten times the folders: about ten times the time

struct Shape {
    const char* name;
    const char* label;
    lines::Line (*make)(std::size_t length);
};

const Shape Shapes[] = {
    {"typical", "typical line", [](std::size_t length) { return lines::Projects(length); }},
    {"blanks", "blanks around every separator", [](std::size_t length) { return lines::Projects(length, true); }},
    {"nested", "nested levels `a<a<...>>`", lines::DeepNest},
    {"long", "one 215-character name per level", lines::LongNames},
    {"siblings", "one-letter siblings", lines::ShortSiblings},
};

// `*(1..outer)<*(1..99)>`: outer times 100 folders.
lines::Line PatternLine(int outer) {
    lines::Line line{"*(1.." + std::to_string(outer) + ")<*(1..99)>", {}};
    for (int folder = 1; folder <= outer; ++folder) {
        line.folders.push_back(std::to_string(folder));
        for (int inner = 1; inner <= 99; ++inner)
            line.folders.push_back(std::to_string(folder) + "\\" + std::to_string(inner));
    }
    return line;
}

std::string Key(const Shape& shape, std::size_t length) {
    return std::string("rules/") + shape.name + "/" + std::to_string(length);
}

// One pass of the rules over a fresh copy of the line; the parsed list is freed, as the command does.
bool RunRules(const std::string& text, std::size_t* names = nullptr) {
    std::memcpy(InputBuf.get(), text.c_str(), text.size() + 1);
    NormaliseSpec();
    if (!CheckSpecSyntax() || !ParseSpec() || !ExpandPatterns()) return false;
    if (names != nullptr) {
        *names = 0;
        for (const SpecNode* node = SpecList.get(); node != nullptr && node->name != nullptr; node = node->next.get())
            ++*names;
    }
    const bool named = CheckFolderNames();
    FreeSpecNodes();
    return named;
}

// A line the rules refuse, or parse into other folders than it names, would time the wrong work.
bool CheckLine(const Shape& shape, std::size_t length, const lines::Line& line) {
    std::size_t names = 0;
    const bool passed = RunRules(line.text, &names);
    if (passed && names == line.folders.size() && line.text.size() <= length) return true;
    const std::string error = ShownErrors().empty() ? "" : ShownErrors().back();
    std::fprintf(stderr, "rules_bench: %s: %s, %zu names parsed for %zu folders named, %zu characters; %s\n",
                 Key(shape, length).c_str(), passed ? "passed" : "refused", names, line.folders.size(),
                 line.text.size(), error.c_str());
    return false;
}

// Google Benchmark's console report, on standard error, and the median of each benchmark (its
// only run when it ran once), in microseconds.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) failed = true;
            const bool only = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (only || run.aggregate_name == "median")
                medianUs[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    std::map<std::string, double> medianUs;
    bool failed = false;
};

std::string Micros(double us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f us", us);
    return text;
}

std::string Times(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

void PrintRow(const std::string& figure, const std::string& quillet, const std::string& baseline,
              const std::string& ratio, const std::string& goal, bool met) {
    std::printf("row\t%s\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), quillet.c_str(), baseline.c_str(), ratio.c_str(),
                goal.c_str(), met ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    fake::Reset();
    InputBuf.reset(new char[InputCapacity]);
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", "C:\\Data");

    std::map<std::string, lines::Line> made;
    for (const Shape& shape : Shapes) {
        for (std::size_t length : Lengths) {
            lines::Line line = shape.make(length);
            if (!CheckLine(shape, length, line)) return 1;
            const std::string key = Key(shape, length);
            benchmark::RegisterBenchmark(key.c_str(), [text = line.text](benchmark::State& state) {
                for (auto _ : state) benchmark::DoNotOptimize(RunRules(text));
            })->Unit(benchmark::kMicrosecond);
            made.emplace(key, std::move(line));
        }
    }

    const Shape patterns{"patterns", "pattern line", nullptr};
    for (const int outer : {10, 100}) {
        lines::Line line = PatternLine(outer);
        if (!CheckLine(patterns, line.folders.size(), line)) return 1;
        const std::string key = Key(patterns, line.folders.size());
        benchmark::RegisterBenchmark(key.c_str(), [text = line.text](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(RunRules(text));
        })->Unit(benchmark::kMicrosecond);
        made.emplace(key, std::move(line));
    }
    // What each keystroke costs the window: the status is the whole line read anew into its
    // folders' paths (what is there already is counted in another thread).
    const std::string previewTypical = "preview/typical", previewPatterns = "preview/patterns";
    for (const auto& [key, text] : {std::pair{previewTypical, made[Key(Shapes[0], Lengths[1])].text},
                                    {previewPatterns, made[Key(patterns, 10000)].text}}) {
        benchmark::RegisterBenchmark(key.c_str(), [text = text](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(PlanFolders(text));
            // The status takes a buffer of the line's size, as Create does; the other
            // benchmarks copy their lines into one of InputCapacity.
            InputBuf.reset(new char[InputCapacity]);
        })->Unit(benchmark::kMicrosecond);
    }

    MedianCollector collector;
    collector.SetOutputStream(&std::cerr);
    collector.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    if (collector.failed || collector.medianUs.size() != made.size() + 2) {
        std::fprintf(stderr, "rules_bench: a benchmark failed or did not run\n");
        return 1;
    }

    const std::size_t longest = Lengths[std::size(Lengths) - 1];
    const std::string typicalKey = Key(Shapes[0], longest);
    const double typicalUs = collector.medianUs[typicalKey];
    for (const Shape& shape : Shapes) {
        const std::string key = Key(shape, longest);
        const lines::Line& line = made[key];
        const std::string figure = std::string("rules, ") + shape.label + " (" + std::to_string(line.text.size()) +
                                   " chars, " + std::to_string(line.folders.size()) + " folders), native -O2";
        const double us = collector.medianUs[key];
        if (key == typicalKey) {
            PrintRow(figure, Micros(us), "", "", "under 25 us", us < TypicalGoalUs);
            continue;
        }
        const double ratio = us / typicalUs;
        PrintRow(figure, Micros(us), "typical " + Micros(typicalUs), Times(ratio), "at most 3x typical",
                 ratio <= ShapeGoalRatio);
    }
    const double thousandUs = collector.medianUs[Key(patterns, 1000)],
                 patternUs = collector.medianUs[Key(patterns, 10000)];
    PrintRow("rules, pattern line `" + made[Key(patterns, 10000)].text + "` (10000 folders), native -O2",
             Micros(patternUs), "typical " + Micros(typicalUs), Times(patternUs / typicalUs), "", true);
    PrintRow("rules, the same pattern line at 10000 folders against 1000 (linear: about 10x)",
             Times(patternUs / thousandUs), "1000 folders " + Micros(thousandUs), "", "at most 15x",
             patternUs / thousandUs <= PatternGrowthGoal);
    const double keystrokeUs = collector.medianUs[previewTypical],
                 patternKeystrokeUs = collector.medianUs[previewPatterns];
    PrintRow("status while typing, per keystroke, typical line (2500 chars), native -O2", Micros(keystrokeUs),
             "rules " + Micros(typicalUs), Times(keystrokeUs / typicalUs), "", true);
    PrintRow("status while typing, per keystroke, pattern line (10000 folders), native -O2", Micros(patternKeystrokeUs),
             "rules " + Micros(patternUs), Times(patternKeystrokeUs / patternUs), "", true);
    std::printf("Rules, time for %zu characters against %zu (linear: about 2x):\n", Lengths[1], Lengths[0]);
    for (const Shape& shape : Shapes) {
        const double shorter = collector.medianUs[Key(shape, Lengths[0])];
        const double longer = collector.medianUs[Key(shape, Lengths[1])];
        std::printf("  %-36s %9s  %9s  %s\n", shape.label, Micros(shorter).c_str(), Micros(longer).c_str(),
                    Times(longer / shorter).c_str());
    }
    return 0;
}
