// A multi-volume ISH set of one file, for measuring what joining it costs:
//   bench_ish_volumes IN BLOCKS_PER_VOLUME OUT_BASE     (writes OUT_BASE.i01, OUT_BASE.i02, ...)
// The volumes come from the tests' generator: our encoder writes no sets.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "volume_set_maker.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "bench_ish_volumes: %s\n", what);
    return 1;
}

std::string VolumeName(const std::string& base, std::size_t number) {
    return base + (number < 10 ? ".i0" : ".i") + std::to_string(number);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: IN BLOCKS_PER_VOLUME OUT_BASE");
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) return Fail("cannot open the input");
    const std::string data(std::istreambuf_iterator<char>(in), {});
    quorvex6::testing::VolumeSetPlan plan;
    const std::string path = argv[1];
    plan.info.name = path.substr(path.find_last_of('/') + 1);
    plan.info.dos_time = 0x58221883;  // 2024-01-02 03:04:06: any valid time
    plan.blocks_per_volume = static_cast<uint32_t>(std::stoul(argv[2]));
    if (plan.blocks_per_volume == 0) return Fail("a volume needs at least one block");
    const std::vector<std::string> volumes = quorvex6::testing::MakeVolumeSet(plan, data);
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        std::ofstream out(VolumeName(argv[3], i + 1), std::ios::binary);
        out << volumes[i];
        if (!out.flush()) return Fail("cannot write a volume");
    }
    return 0;
}
