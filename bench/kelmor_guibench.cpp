// The desktop's side of the benchmark: operations timed in the database window as the
// user starts them, offscreen, with the desktop's own text comparison.
//   build/bench/kelmor_guibench [--runs N]
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/systemregional.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

using TClock = std::chrono::steady_clock;
constexpr int kChildren = 65534;

// Sort Branch on a node whose 65,534 children (a full database) come in a scrambled
// order; the time from the command to the re-read tree, in milliseconds.
double TimeSortBranch(bool collationKeys, bool engineOnly = false) {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t big = AddNode(engine, 0, "Big");
        for (int i = 0; i < kChildren; ++i) AddNode(engine, big, "Entry " + std::to_string((i * 7919) % kChildren));
    });
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    engine.SetTextComparer(CompareDescriptions);
    if (collationKeys) engine.SetCollationKeys(DescriptionCollationKeys());
    const QModelIndex big = fixture.Item({"Big"});
    fixture.Select(big);
    fixture.Expand(big);
    const auto start = TClock::now();
    if (engineOnly) {
        engine.SortChildren(window.SelectedNode());
        return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
    }
    window.ExecuteCommand(TCommandId::SortBranch);
    const double time = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
    if (fixture.Children(fixture.Item({"Big"})).value(1) != QStringLiteral("Entry 1"))
        throw std::runtime_error("the branch was not sorted");
    return time;
}

void Report(const char* operation, int runs, bool collationKeys, bool engineOnly = false) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) times.push_back(TimeSortBranch(collationKeys, engineOnly));
    std::sort(times.begin(), times.end());
    std::printf("%-58s %8d %10.2f %10.2f\n", operation, kChildren, times.front(), times[times.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    }
    UseTestSettings();
    std::printf("%-58s %8s %10s %10s\n", "operation (in the database window)", "children", "min ms", "median ms");
    Report("Sort Branch, text comparison for each pair", runs, false);
    Report("Sort Branch, collation keys made once per child", runs, true);
    Report("  of which the engine's sort with collation keys", runs, true, true);
    return 0;
}
