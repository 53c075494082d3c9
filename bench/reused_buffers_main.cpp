// The main of the benchmarks that run as the player does: large buffers kept for the next
// picture or frame, so that no case pays the kernel for fresh pages the player never pays for.
#include <benchmark/benchmark.h>

#include "base/large_buffers.h"

int main(int argc, char** argv) {
    pellumo::KeepLargeBuffersForReuse();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
