// SPDX-License-Identifier: Apache-2.0
// How independent channels scale over threads: each thread owns its own correction, transform
// and gating objects and data, as a host processing several channels at once does, and runs
// the same work on 1 and on 2 threads. The table printed at the end gives, per workload, the
// total throughput on 2 threads divided by that on 1 thread: near 2 means nothing shared
// serialises the threads (on an otherwise idle machine with at least 2 cores). A second ratio
// uses the processor time per iteration instead of the wall clock: 2 × (time per iteration on
// 1 thread) / (time per iteration on 2 threads), the throughput ratio if each thread had a core
// of its own. It stays near 2 on a busy machine too, unless the threads slow each other down
// by sharing memory (contended locks, shared cache lines, a memory bandwidth limit); a lock
// that puts a thread to sleep lowers only the wall-clock ratio.
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/n_port.h"
#include "tessel/timedomain/gating.h"
#include "tessel/timedomain/time_domain.h"

namespace {

using Tessel::DataMatrix;
using Tessel::Gating;
using Tessel::NPort;
using Tessel::TimeDomain;
using Tessel::TsComplex;

// Plausible, point-dependent values: tracking terms near 1, everything else small.
TsComplex Sample(int i, int k, bool tracking) {
    const float w = 0.001f * float((i * 7 + k * 13) % 101);
    return tracking ? TsComplex(0.9f - w, w) : TsComplex(0.05f + w, -w);
}

std::vector<TsComplex> Response(int n) {
    std::vector<TsComplex> in(n);
    for (int i = 0; i < n; ++i) {
        in[i] = TsComplex::FromMagPhase(0.5, -0.37 * i) + TsComplex::FromMagPhase(0.3, -1.9 * i);
    }
    return in;
}

void Finish(benchmark::State& state, int points) {
    state.SetItemsProcessed(state.iterations() * points);
}

// An N-port correction of one channel, with its own error terms, raw data and output.
void BM_ThreadsNPort(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)), points = static_cast<int>(state.range(1));
    std::vector<int> ports;
    for (int p = 1; p <= n; ++p) {
        ports.push_back(p);
    }
    NPort alg(n, ports);
    std::vector<std::wstring> names;
    alg.GetErrorTermNames(names);
    alg.GetRawNames(names);
    std::vector<std::vector<TsComplex>> arrays(names.size(), std::vector<TsComplex>(points));
    for (size_t k = 0; k < names.size(); ++k) {
        const bool tracking = names[k].find(L"Tracking") != std::wstring::npos;
        for (int i = 0; i < points; ++i) {
            arrays[k][i] = Sample(i, int(k), tracking);
        }
        if (!alg.SetErrorTermData(names[k].c_str(), arrays[k].data(), points)) {
            alg.SetRawData(names[k].c_str(), arrays[k].data());
        }
    }
    boost::shared_ptr<DataMatrix> out;
    alg.CreateOutputContainer(out, points);
    for (auto _ : state) {
        benchmark::DoNotOptimize(alg.ApplyCorrection(0, points, *out, 0));
        benchmark::ClobberMemory();
    }
    Finish(state, points);
}

// The twelve-term kernel on one channel's 20 arrays.
void BM_ThreadsCorrect2Port(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    std::vector<std::vector<TsComplex>> a(20, std::vector<TsComplex>(points));  // raw, terms, out
    for (int k = 0; k < 20; ++k) {
        for (int i = 0; i < points; ++i) {
            a[k][i] = Sample(i, k, k == 8 || k == 9 || k == 12 || k == 13);
        }
    }
    const std::vector<const TsComplex*> raw{a[0].data(), a[1].data(), a[2].data(), a[3].data()};
    std::vector<const TsComplex*> terms;
    for (int k = 4; k < 16; ++k) {
        terms.push_back(a[k].data());
    }
    const std::vector<TsComplex*> out{a[16].data(), a[17].data(), a[18].data(), a[19].data()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(Tessel::Correct2Port(raw, terms, 0, points, out));
        benchmark::ClobberMemory();
    }
    Finish(state, points);
}

// A band-pass time-domain transform; the first Execute (outside the timing) builds the
// object's window and chirp tables and, for the first thread to get there, the FFT plans.
void BM_ThreadsTimeDomain(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    TimeDomain td;
    td.SetFrequencyData(1e9, 6e9, points);
    const std::vector<TsComplex> in = Response(points);
    std::vector<TsComplex> out;
    td.Execute(in, out);
    for (auto _ : state) {
        benchmark::DoNotOptimize(td.Execute(in, out));
        benchmark::DoNotOptimize(out.data());
    }
    Finish(state, points);
}

// A band-pass gate over the same kind of data.
void BM_ThreadsGating(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    Gating g;
    g.SetFrequencyData(1e9, 6e9, points);
    g.SetGateStart(-1e-9);
    g.SetGateStop(3e-9);
    const std::vector<TsComplex> in = Response(points);
    std::vector<TsComplex> out;
    double dc = 0;
    bool valid = false;
    g.GateDataBandpass(in, out, dc, valid);
    for (auto _ : state) {
        benchmark::DoNotOptimize(g.GateDataBandpass(in, out, dc, valid));
        benchmark::DoNotOptimize(out.data());
    }
    Finish(state, points);
}

BENCHMARK(BM_ThreadsNPort)
    ->Args({2, 20001})
    ->Args({4, 1601})
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();
BENCHMARK(BM_ThreadsCorrect2Port)->Arg(20001)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(BM_ThreadsTimeDomain)->Arg(1601)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(BM_ThreadsGating)->Arg(1601)->Threads(1)->Threads(2)->UseRealTime();

// The console output, then the throughput ratio of 2 threads to 1 per workload.
class ScalingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto items = run.counters.find("items_per_second");
            if (run.run_type != Run::RT_Iteration || items == run.counters.end()) {
                continue;
            }
            std::string name = run.benchmark_name();
            const auto threads = name.find("/threads:");
            if (threads != std::string::npos) {
                name.erase(threads);
            }
            rates_[name][run.threads] = {items->second.value, run.GetAdjustedCPUTime()};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %13s %13s %8s %8s\n", "workload", "1 thread /s", "2 threads /s",
                    "scaling", "cpu");
        for (const auto& [name, byThreads] : rates_) {
            const auto one = byThreads.find(1), two = byThreads.find(2);
            if (one == byThreads.end() || two == byThreads.end()) {
                continue;
            }
            std::printf("%-44s %13.4g %13.4g %8.2f %8.2f\n", name.c_str(), one->second.rate,
                        two->second.rate, two->second.rate / one->second.rate,
                        2 * one->second.cpuPerIteration / two->second.cpuPerIteration);
        }
    }

  private:
    struct Figures {
        double rate;             // items per second of wall-clock time, all threads together
        double cpuPerIteration;  // processor time per iteration of one thread
    };
    std::map<std::string, std::map<int, Figures>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ScalingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
