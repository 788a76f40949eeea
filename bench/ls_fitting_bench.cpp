// Least-squares superposition on base-sized point sets, as frame fitting calls
// it once per nucleotide: RMSD only, and RMSD with rotation and origin.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "support/fitting.hpp"
#include "support/rotation.hpp"
#include "support/vector3.hpp"

namespace {

struct point_pair {
  std::vector<vask::xyz> moving, target;
};

point_pair make_sets(long n) {
  std::mt19937 gen(static_cast<unsigned>(n));
  std::uniform_real_distribution<double> u(-2.5, 2.5);
  std::normal_distribution<double> noise(0.0, 0.05);
  point_pair p{std::vector<vask::xyz>(n + 1), std::vector<vask::xyz>(n + 1)};
  vask::xyz axis{0, 0.3, -0.5, 0.8};
  vask::rotmat R;
  vask::rot_arb_axis(axis, 57.0, R);
  const vask::xyz shift{0, 12.0, -4.0, 30.0};
  for (long k = 1; k <= n; ++k) {
    p.moving[k] = {0, u(gen), u(gen), 0.2 * u(gen)};
    vask::oR_xyz(shift, R, p.moving[k], p.target[k]);
    for (long i = 1; i <= 3; ++i) p.target[k][i] += noise(gen);
  }
  return p;
}

void BM_ls_fitting_frame(benchmark::State& state) {
  const long n = state.range(0);
  const point_pair p = make_sets(n);
  vask::rotmat R;
  vask::xyz org;
  for (auto _ : state) {
    double rmsd = vask::ls_fitting(p.moving, p.target, n, nullptr, &org, &R);
    benchmark::DoNotOptimize(rmsd);
    benchmark::DoNotOptimize(R);
  }
}
BENCHMARK(BM_ls_fitting_frame)->DenseRange(6, 12, 3);

void BM_ls_fitting_fitted(benchmark::State& state) {
  const long n = state.range(0);
  const point_pair p = make_sets(n);
  std::vector<vask::xyz> fitted(n + 1);
  vask::rotmat R;
  vask::xyz org;
  for (auto _ : state) {
    double rmsd = vask::ls_fitting(p.moving, p.target, n, &fitted, &org, &R);
    benchmark::DoNotOptimize(rmsd);
    benchmark::DoNotOptimize(fitted.data());
  }
}
BENCHMARK(BM_ls_fitting_fitted)->DenseRange(6, 12, 3);

void BM_lsfit_rmsd(benchmark::State& state) {
  const long n = state.range(0);
  const point_pair p = make_sets(n);
  for (auto _ : state) benchmark::DoNotOptimize(vask::lsfit_rmsd(p.moving, p.target, n));
}
BENCHMARK(BM_lsfit_rmsd)->DenseRange(6, 12, 3);

}  // namespace
