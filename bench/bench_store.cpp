// SaveStoreFiles and ReadStoreFiles over tables of growing size.
#include "StoreFiles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace qm;

namespace {

struct Table {
    ListBox l1{"List1"}, l2{"List2"}, l3{"List3"};
    CommandTable t{l1, l2, l3};
    explicit Table(int n)
    {
        for (int i = 0; i < n; ++i)
            t.append("phrase number " + std::to_string(100000 + i), "C:\\Program Files\\Some Vendor\\Application " +
                     std::to_string(i) + "\\program.exe", "Open");
    }
};

std::string benchDir()
{
    auto d = std::filesystem::temp_directory_path() / ("qm-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d.string();
}

void BM_SaveStoreFiles(benchmark::State& state)
{
    Table table(static_cast<int>(state.range(0)));
    StorePaths p = EnsureStoreFiles(benchDir());
    for (auto _ : state)
        SaveStoreFiles(p, table.t);
    state.SetComplexityN(state.range(0));
}

void BM_ReadStoreFiles(benchmark::State& state)
{
    Table table(static_cast<int>(state.range(0)));
    StorePaths p = EnsureStoreFiles(benchDir());
    SaveStoreFiles(p, table.t);
    for (auto _ : state) {
        Table into(0);
        ListBox c1("List1"), c2("List2"), c3("List3");
        DisplayCopy copy{c1, c2, c3};
        ReadStoreFiles(p, into.t, copy);
        benchmark::DoNotOptimize(into.l1.ListCount());
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_SaveStoreFiles)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_ReadStoreFiles)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK_MAIN();
