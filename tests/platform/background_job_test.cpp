// The counting thread's answers, which the window must see in order: only the newest job's, once,
// and never a cancelled one's. A slow first job is replaced while it runs, which typing does
// all the time and no end-to-end step can time. A plain program: it prints a line per failed
// check and returns their count.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolkit.h"

namespace {

using Texts = std::vector<std::string>;

// Runs the thread's messages for `ms`, as the window's loop would.
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    }
}

std::string Joined(const Texts& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += "\"" + text + "\" ";
    return joined;
}

}  // namespace

int main() {
    int failures = 0;
    const auto check = [&failures](const Texts& seen, const Texts& expected, const char* what) {
        if (seen == expected) return;
        std::printf("FAIL %s: saw %s\n", what, Joined(seen).c_str());
        ++failures;
    };
    ui::Form form({.caption = "jobs"});
    ui::BackgroundJob job(form);
    Texts answers;
    job.onAnswer = [&answers](const std::string& answer) { answers.push_back(answer); };

    job.Start([] {
        Sleep(300);
        return std::string("old line");
    });
    Sleep(100);  // the thread is inside the old job now
    job.Start([] { return std::string("new line"); });
    Pump(1000);
    check(answers, {"new line"}, "a job replaced while it ran");

    job.Start([] {
        Sleep(100);
        return std::string("cancelled");
    });
    job.Cancel();
    Pump(500);
    check(answers, {"new line"}, "a cancelled job");
    std::printf("%s\n", failures == 0 ? "background jobs: all checks passed" : "background jobs: FAILED");
    return failures;
}
