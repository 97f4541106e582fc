// The exports measured beside their floors: memcpy for the images, the XML reader for the
// mapping. Names are stable so that runs can be compared.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/HeapMeter.h"
#include "bench/Shapes.h"
#include "bench/Workload.h"
#include "provider/FirmwareImageCatalog.h"
#include "provider/fwprovider.h"

namespace {

const std::string kDrive = driveDescription(0);

uint32_t mapDrive(const std::string& drive, std::vector<char>& answer) {
  uint32_t length = static_cast<uint32_t>(answer.size());
  return GetTargetFirmwareMappingAttributes(drive.data(), static_cast<uint32_t>(drive.size()),
                                            answer.data(), &length);
}

// One destination per image, shared by the export and its floor: how fast a copy runs depends on
// where its source and destination lie relative to each other, so both copy the same bytes into
// the same buffer.
std::vector<uint8_t>& destination(const std::string& image, uint32_t size) {
  static std::map<std::string, std::vector<uint8_t>> buffers;
  std::vector<uint8_t>& buffer = buffers[image];
  buffer.resize(size, 1);
  return buffer;
}

void BM_BinaryExport(benchmark::State& state, const std::string& name) {
  uint32_t size = 0;
  GetTargetFirmwareBinary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &size);
  std::vector<uint8_t>& buffer = destination(name, size);
  for (auto _ : state) {
    uint32_t length = size;
    benchmark::DoNotOptimize(GetTargetFirmwareBinary(
        name.data(), static_cast<uint32_t>(name.size()), buffer.data(), &length));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

// The floor: memcpy of the image's own bytes, where the plug-in keeps them.
void BM_Memcpy(benchmark::State& state, const std::string& name) {
  uint32_t size = 0;
  const uint8_t* image = fwprovider::findImage(name, size);
  std::vector<uint8_t>& buffer = destination(name, size);
  for (auto _ : state) {
    std::memcpy(buffer.data(), image, size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

void BM_MappingExport(benchmark::State& state) {
  std::vector<char> answer(1024);
  for (auto _ : state) benchmark::DoNotOptimize(mapDrive(kDrive, answer));
}
BENCHMARK(BM_MappingExport);

void BM_ReadXmlOnly(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(readXmlAlone(kDrive));
}
BENCHMARK(BM_ReadXmlOnly);

void BM_ConfigExport(benchmark::State& state) {
  std::vector<char> answer(1024);
  for (auto _ : state) {
    uint32_t length = static_cast<uint32_t>(answer.size());
    benchmark::DoNotOptimize(
        GetFirmwareConfigurationAttributes(nullptr, 0, answer.data(), &length));
  }
}
BENCHMARK(BM_ConfigExport);

void BM_MappingProperties(benchmark::State& state) {
  const std::string drive = driveDescription(static_cast<int>(state.range(0)) - 6);
  std::vector<char> answer(1024);
  for (auto _ : state) benchmark::DoNotOptimize(mapDrive(drive, answer));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MappingProperties)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

// The dependency's own scaling: the reader alone on the same documents.
void BM_ReadXmlProperties(benchmark::State& state) {
  const std::string drive = driveDescription(static_cast<int>(state.range(0)) - 6);
  for (auto _ : state) benchmark::DoNotOptimize(readXmlAlone(drive));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ReadXmlProperties)->Arg(100)->Arg(10000);

void BM_MappingThreads(benchmark::State& state) {
  std::vector<char> answer(1024);
  for (auto _ : state) benchmark::DoNotOptimize(mapDrive(kDrive, answer));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_MappingThreads)->Threads(1)->Threads(2)->UseRealTime();

// The dependency's own scaling across threads.
void BM_ReadXmlThreads(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(readXmlAlone(kDrive));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ReadXmlThreads)->Threads(1)->Threads(2)->UseRealTime();

// A description grown along one dimension, per unit of that dimension; processor time too, which
// other programs on a shared machine add less to.
void BM_MappingShape(benchmark::State& state, Shape shape) {
  const std::string drive = shapedDescription(shape, static_cast<size_t>(state.range(0)));
  std::vector<char> answer(1024);
  for (auto _ : state) benchmark::DoNotOptimize(mapDrive(drive, answer));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * drive.size()));
}

// A description of 1 MiB of one shape through the export, and through the reader alone.
void BM_MappingMiB(benchmark::State& state, Shape shape) {
  const std::string drive = shapedDescription(shape, countForSize(shape, 1 << 20));
  std::vector<char> answer(1024);
  for (auto _ : state) benchmark::DoNotOptimize(mapDrive(drive, answer));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * drive.size()));
}

void BM_ReadXmlMiB(benchmark::State& state, Shape shape) {
  const std::string drive = shapedDescription(shape, countForSize(shape, 1 << 20));
  for (auto _ : state) benchmark::DoNotOptimize(readXmlAlone(drive));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * drive.size()));
}

// One call's heap high-water mark; the timing of these two is of no interest.
template <typename Call>
void measureHeap(benchmark::State& state, Call call) {
  HeapFigures figures{};
  for (auto _ : state) {
    startHeapMeter();
    benchmark::DoNotOptimize(call());
    figures = stopHeapMeter();
  }
  state.counters["peak_heap_bytes"] = static_cast<double>(figures.peakBytes);
  state.counters["allocations"] = static_cast<double>(figures.allocations);
}

void BM_MappingPeakHeap(benchmark::State& state) {
  std::vector<char> answer(1024);
  measureHeap(state, [&] { return mapDrive(kDrive, answer); });
}
BENCHMARK(BM_MappingPeakHeap)->Iterations(10);

void BM_ReadXmlPeakHeap(benchmark::State& state) {
  measureHeap(state, [] { return readXmlAlone(kDrive); });
}
BENCHMARK(BM_ReadXmlPeakHeap)->Iterations(10);

void BM_ConfigPeakHeap(benchmark::State& state) {
  std::vector<char> answer(1024);
  measureHeap(state, [&] {
    uint32_t length = static_cast<uint32_t>(answer.size());
    return GetFirmwareConfigurationAttributes(nullptr, 0, answer.data(), &length);
  });
}
BENCHMARK(BM_ConfigPeakHeap)->Iterations(10);

}  // namespace

void registerShapeBenchmarks() {
  for (const Shape shape : kShapes) {
    const std::string name = shapeName(shape);
    auto* grown =
        benchmark::RegisterBenchmark(("BM_MappingShape/" + name).c_str(), BM_MappingShape, shape);
    grown->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_MappingMiB/" + name).c_str(), BM_MappingMiB, shape)
        ->Unit(benchmark::kMicrosecond);
    // Deeper than the reader's limit, a description is refused by the depth check alone; read_xml
    // recurses once per level and overflows an 8 MiB stack on 1 MiB of nesting.
    if (shape == Shape::kDepth) {
      grown->Arg(100)->Arg(255);
      continue;
    }
    grown->RangeMultiplier(10)->Range(100, 100'000);
    benchmark::RegisterBenchmark(("BM_ReadXmlMiB/" + name).c_str(), BM_ReadXmlMiB, shape)
        ->Unit(benchmark::kMicrosecond);
  }
}

void registerImageBenchmarks() {
  for (const char* name : {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3}) {
    benchmark::RegisterBenchmark((std::string("BM_BinaryExport/") + name).c_str(), BM_BinaryExport,
                                 std::string(name));
    benchmark::RegisterBenchmark((std::string("BM_Memcpy/") + name).c_str(), BM_Memcpy,
                                 std::string(name));
  }
}
