// Cost per call of the correctly rounded functions against the C
// library's, on the arguments the thinning gives them: latitudes,
// longitude differences, cosines of short hops and of bearings, offset
// angles.
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

#include "core/cr_math.h"

namespace {

std::vector<double> arguments(double low, double high) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> spread(low, high);
    std::vector<double> values(4096);
    for (double& v : values) v = spread(random);
    return values;
}

// Cosines of the central angle of hops of 1 to 1000 m.
std::vector<double> short_hop_cosines() {
    std::vector<double> values = arguments(1.0 / 6371032.0, 1000.0 / 6371032.0);
    for (double& v : values) v = std::cos(v);
    return values;
}

void run(benchmark::State& state, double (*function)(double), const std::vector<double>* values) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(function((*values)[i]));
        i = (i + 1) & 4095;
    }
}

double libc_sin(double x) { return std::sin(x); }
double libc_cos(double x) { return std::cos(x); }
double libc_tan(double x) { return std::tan(x); }
double libc_acos(double x) { return std::acos(x); }

const std::vector<double> latitudes = arguments(-1.5, 1.5);
const std::vector<double> longitude_steps = arguments(-1e-3, 1e-3);
const std::vector<double> bearing_cosines = arguments(-1.0, 1.0);
const std::vector<double> hop_cosines = short_hop_cosines();
const std::vector<double> offset_angles = arguments(0.0, 3.14);

}  // namespace

BENCHMARK_CAPTURE(run, cr_sin_latitude, core::cr_sin, &latitudes);
BENCHMARK_CAPTURE(run, libc_sin_latitude, libc_sin, &latitudes);
BENCHMARK_CAPTURE(run, cr_cos_latitude, core::cr_cos, &latitudes);
BENCHMARK_CAPTURE(run, libc_cos_latitude, libc_cos, &latitudes);
BENCHMARK_CAPTURE(run, cr_cos_longitude_step, core::cr_cos, &longitude_steps);
BENCHMARK_CAPTURE(run, libc_cos_longitude_step, libc_cos, &longitude_steps);
BENCHMARK_CAPTURE(run, cr_acos_hop, core::cr_acos, &hop_cosines);
BENCHMARK_CAPTURE(run, libc_acos_hop, libc_acos, &hop_cosines);
BENCHMARK_CAPTURE(run, cr_acos_bearing, core::cr_acos, &bearing_cosines);
BENCHMARK_CAPTURE(run, libc_acos_bearing, libc_acos, &bearing_cosines);
BENCHMARK_CAPTURE(run, cr_tan_offset, core::cr_tan, &offset_angles);
BENCHMARK_CAPTURE(run, libc_tan_offset, libc_tan, &offset_angles);

BENCHMARK_MAIN();
