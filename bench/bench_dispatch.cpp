// One dispatch over a full table with a single matching entry.
#include "CommandDispatch.h"
#include "FakeBackends.h"
#include "FakeDesktop.h"

#include <benchmark/benchmark.h>

using namespace qm;

namespace {

struct NoWindows : WindowSetHost {
    void hideForVoice() override {}
    void showMainWindow() override {}
    NativeHandle mainWindowHandle() override { return 0; }
};

void BM_DispatchFullTable(benchmark::State& state)
{
    ListBox l1("List1"), l2("List2"), l3("List3");
    Image image("Image1", {}, "");
    NoWindows windows;
    FakeDesktop desktop;
    FakePlayer player;
    FakeSession session;
    DispatchContext ctx{{l1, l2, l3}, image, windows, desktop, player, session};
    const int n = static_cast<int>(state.range(0));
    for (int i = 0; i < n; ++i)
        ctx.table.append("phrase number " + std::to_string(100000 + i), "String holder", "Play");
    const std::string last = ctx.table.phrase(n - 1);
    for (auto _ : state)
        DirectSR1_PhraseFinish(ctx, 0, 0, 0, 0, 0, last, "", 0);
    benchmark::DoNotOptimize(player.codes.size());
}

} // namespace

BENCHMARK(BM_DispatchFullTable)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
