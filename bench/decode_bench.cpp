// Each file named on the command line decoded from memory by the reader the image library
// registers for its extension. A file whose extension has no reader yet is reported as an
// error ("no reader yet") rather than left out, so that its row shows and starts measuring as
// soon as the reader is registered.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/large_buffers.h"
#include "base/memory_stream.h"
#include "imaging/formats/format_registry.h"

namespace pellumo {
namespace {

TGraphicClass ReaderFor(const std::filesystem::path& file) {
    TFileFormatList& registry = FormatRegistry();
    const int index = registry.IndexOfExtension(file.extension().string().substr(file.has_extension() ? 1 : 0));
    if (index < 0) return nullptr;
    return registry.ExtensionEntries()[static_cast<std::size_t>(index)]->ClassEntry->ImageClass;
}

void Decode(benchmark::State& state, const std::string& file) {
    const TGraphicClass reader = ReaderFor(file);
    if (reader == nullptr) {
        state.SkipWithError("no reader yet");
        return;
    }
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    for (auto _ : state) {
        bytes.SetPosition(0);
        std::unique_ptr<TGraphic> graphic = reader->Create();
        try {
            graphic->LoadFromStream(bytes);
        } catch (const std::exception& failure) {
            state.SkipWithError(failure.what());
            break;
        }
        benchmark::DoNotOptimize(graphic->Width());
    }
}

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    // As the player runs; Pillow, the peer, likewise keeps its image memory for the next image.
    pellumo::KeepLargeBuffersForReuse();
    const pellumo::TImageFormatsGuard imageFormats;  // the readers are found by extension
    benchmark::Initialize(&argc, argv);
    // The CPU time of every thread: some codecs decode on threads of their own, and the peers'
    // times count all of theirs.
    for (int i = 1; i < argc; ++i)
        benchmark::RegisterBenchmark(argv[i], pellumo::Decode, std::string(argv[i]))
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
