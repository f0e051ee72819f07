// One composition runs per operation; it must stay far below anything an archiver costs.
#include <benchmark/benchmark.h>

#include "compose/switch_composition.h"
#include "control/state.h"

namespace {

using quorvex6::ControlState;

void BM_ComposeSwitchesDefaults(benchmark::State& run) {
    ControlState state;
    quorvex6::ApplyNewControlValues(state);
    for (auto _ : run) {
        quorvex6::ComposeSwitches(state);
        benchmark::DoNotOptimize(state.switches.optLhaPack.data());
    }
}
BENCHMARK(BM_ComposeSwitchesDefaults);

void BM_ComposeSwitchesEverythingSet(benchmark::State& run) {
    ControlState state;
    quorvex6::ApplyNewControlValues(state);
    state.swCommand = u"-some -extra --switches=given";
    state.sfxCommand = u"-o";
    state.cabMultiVolume = 1440;
    state.pTypeOfCab = 1;
    state.LevelLZX = 21;
    for (auto _ : run) {
        quorvex6::ComposeSwitches(state);
        benchmark::DoNotOptimize(state.switches.optCabPack.data());
    }
}
BENCHMARK(BM_ComposeSwitchesEverythingSet);

// A control's first composition, when every string still has to get its storage.
void BM_ComposeSwitchesFresh(benchmark::State& run) {
    ControlState defaults;
    quorvex6::ApplyNewControlValues(defaults);
    for (auto _ : run) {
        ControlState state = defaults;
        quorvex6::ComposeSwitches(state);
        benchmark::DoNotOptimize(state.switches.optLhaPack.data());
    }
}
BENCHMARK(BM_ComposeSwitchesFresh);

}  // namespace

BENCHMARK_MAIN();
