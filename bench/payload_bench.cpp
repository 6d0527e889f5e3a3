// How long the user waits for the payload: the extractor on Picture4 against
// the least any extractor must do (copy the same bytes out of the same
// bitmap and write them in one block), and a whole installation run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "payload/bmp.h"
#include "platform/sim/headless_runtime.h"
#include "platform/sim/machine.h"
#include "setup/setup1.h"

namespace {

namespace fs = std::filesystem;
using namespace ortavia;

constexpr std::int32_t kPicture4LastIndex = 1617919;
constexpr const char* kTarget = "C:\\Ortavia_on_line.exe";
constexpr const char* kUacKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

fs::path freshFolder(const char* tag) {
    std::random_device rd;
    return fs::temp_directory_path() / (std::string("ortavia-bench-") + tag + "-" + std::to_string(rd()));
}

struct Machine {
    explicit Machine(const char* tag) : dir(freshFolder(tag)) {
        machine = sim::SimMachine::open(dir);
        machine->setDword(kHkeyLocalMachine, kUacKey, "EnableLUA", 0);
        runtime = std::make_unique<sim::HeadlessRuntime>(*machine);
        setup = std::make_unique<Setup1>(machine->services(), *runtime, embeddedContent());
    }
    ~Machine() {
        setup.reset();
        runtime.reset();
        machine.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    std::unique_ptr<sim::SimMachine> machine;
    std::unique_ptr<sim::HeadlessRuntime> runtime;
    std::unique_ptr<Setup1> setup;
};

void BM_ExtractPicture4(benchmark::State& state) {
    Machine m("extract");
    for (auto _ : state) {
        if (!m.setup->ExtractPictureToFile(kPicture4LastIndex, kTarget, m.setup->Picture4)) {
            state.SkipWithError("extraction failed");
            break;
        }
        benchmark::DoNotOptimize(m.setup->PayloadBytes.data());
    }
    state.SetBytesProcessed(state.iterations() * (kPicture4LastIndex + 1));
}
BENCHMARK(BM_ExtractPicture4)->Unit(benchmark::kMillisecond);

void BM_BaselineCopyPicture4(benchmark::State& state) {
    Machine m("baseline");
    const auto* bmp = dynamic_cast<const payload::BmpImage*>(m.setup->Picture4.picture());
    if (bmp == nullptr) {
        state.SkipWithError("Picture4 is not built in");
        return;
    }
    WindowsServices& os = m.machine->services();
    const int width = bmp->width();
    std::vector<std::uint8_t> bytes(kPicture4LastIndex + 1);
    for (auto _ : state) {
        std::size_t k = 0;
        for (int y = 0; k < bytes.size(); ++y) {
            const int first = y == 0 ? 0 : 1;
            const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(width - first), bytes.size() - k);
            const std::uint8_t* p = bmp->rowData(y) + 3 * first + 2;
            std::uint8_t* out = bytes.data() + k;
            for (std::size_t i = 0; i < count; ++i) out[i] = p[3 * i];
            k += count;
        }
        const FileHandle f = os.openFile(kTarget, FileMode::Binary);
        os.writeFile(f, 0, bytes);
        os.closeFile(f);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * (kPicture4LastIndex + 1));
}
BENCHMARK(BM_BaselineCopyPicture4)->Unit(benchmark::kMillisecond);

// The whole run on a fresh machine each time: folders, the executable, the
// three components, their installation and the shortcut step.
void BM_InstallationRun(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<Machine>("install");
        m->setup->Text2.setText("C:");
        m->runtime->queueAnswer(kIdOk);
        m->runtime->queueAnswer(kIdNo);
        state.ResumeTiming();
        m->setup->RunInstallation();
        state.PauseTiming();
        if (!m->machine->fileExists("C:\\Ortavia_on_line\\msinet.ocx")) state.SkipWithError("the run did not finish");
        m.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InstallationRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
