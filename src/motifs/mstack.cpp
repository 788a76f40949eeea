// Multiplet stacks: stacked multiplets chained into segments.
#include "motifs/mstack.hpp"

#include <algorithm>
#include <string>

#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/splay.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Two multiplet frames that stack (Angstrom, degrees).
constexpr double MSTACK_DIST_MIN = 2.6, MSTACK_DIST_MAX = 6.6;    // between origins
constexpr double MSTACK_VDIST_MIN = 2.0, MSTACK_VDIST_MAX = 6.0;  // along the normals
constexpr double MSTACK_ANGLE_MAX = 66.0;                          // between the normals
constexpr long MAX_NEIGHBOURS = 2;  // a multiplet has at most one neighbour on each face

double stacked_overlap_sum(const connect& a, const connect& b, const struct_mol& mol) {
  double sum = 0;
  for (long p = 1; p <= a.count; ++p)
    for (long q = 1; q <= b.count; ++q)
      if (residuePlanes_in_stack(a[p], b[q], mol)) sum += get_outer_overlap_area_byResNum(a[p], b[q], mol);
  return sum;
}

// The members of a run (list[1..], count in [0]) in stacking order: from the
// end of smaller index along the neighbours; a ring, or anything that is not
// a simple path, stays in index order.
std::vector<long> order_run(const std::vector<long>& list, const std::vector<connect>& neighbours) {
  const long n = list[0];
  std::vector<long> order(list.begin(), list.begin() + n + 1);
  if (n <= 2) return order;
  long ends = 0, start = 0;
  for (long k = 1; k <= n; ++k) {
    const long c = neighbours[list[k]].count;
    if (c < 1 || c > 2) return order;
    if (c == 1) {
      ++ends;
      if (start == 0) start = list[k];
    }
  }
  if (ends != 2) return order;
  order.assign(1, n);
  long prev = 0, cur = start;
  while (cur != 0 && static_cast<long>(order.size()) <= n) {
    order.push_back(cur);
    long next = 0;
    for (long k = 1; k <= neighbours[cur].count; ++k)
      if (neighbours[cur][k] != prev) next = neighbours[cur][k];
    prev = cur;
    cur = next;
  }
  return order;
}

}  // namespace

std::vector<mstack> allocate_mstacks_array(long n) {
  return std::vector<mstack>(static_cast<size_t>(std::max(n, 0L)) + 1);
}

void free_mstacks(std::vector<mstack>& array) { std::vector<mstack>().swap(array); }

int mstack_compare(const mstack& a, const mstack& b) {
  if (a.num_multiplets != b.num_multiplets) return a.num_multiplets < b.num_multiplets ? -1 : 1;
  for (long k = 1; k <= a.num_multiplets; ++k)
    if (a.multiplets[k] != b.multiplets[k]) return a.multiplets[k] < b.multiplets[k] ? -1 : 1;
  return 0;
}

std::vector<frame> get_mframes(const struct_mol& mol, long n, const std::vector<connect>& multiplets) {
  std::vector<frame> frames(static_cast<size_t>(n) + 1);
  for (long k = 1; k <= n; ++k) get_cnts_frame(mol, multiplets[k], frames[k]);
  return frames;
}

bool two_multiplets_in_stack(long i, long j, const std::vector<connect>& multiplets,
                             const std::vector<frame>& frames, const struct_mol& mol) {
  // the frame tests first: they are cheap and reject nearly every pair
  const frame& fi = frames[i];
  const frame& fj = frames[j];
  const double d = dist_xyz(fi.org, fj.org);
  if (d < MSTACK_DIST_MIN || d > MSTACK_DIST_MAX) return false;
  const double vd = get_vdist_by_frame(fi, fj);
  if (vd < MSTACK_VDIST_MIN || vd > MSTACK_VDIST_MAX) return false;
  if (angle90_normalized_vectors(fi.z_axis, fj.z_axis) > MSTACK_ANGLE_MAX) return false;
  const connect& a = multiplets[i];
  const connect& b = multiplets[j];
  for (long p = 1; p <= a.count; ++p)
    for (long q = 1; q <= b.count; ++q)
      if (residuePlanes_in_stack(a[p], b[q], mol)) return true;
  return false;
}

void check_multiplet_2stacks(long n, std::vector<connect>& neighbours, const struct_mol& mol,
                             const std::vector<connect>& multiplets) {
  for (;;) {
    long crowded = 0;
    for (long i = 1; i <= n; ++i) crowded += neighbours[i].count > MAX_NEIGHBOURS;
    if (crowded == 0) return;
    prglog_msg("[w] -- stacking between multiplets [%ld]\n", crowded);
    for (long i = 1; i <= n; ++i) {
      connect& nb = neighbours[i];
      if (nb.count <= MAX_NEIGHBOURS) continue;
      std::vector<std::pair<double, long>> scored;  // (overlap sum, neighbour), neighbour order
      for (long k = 1; k <= nb.count; ++k)
        scored.emplace_back(stacked_overlap_sum(multiplets[i], multiplets[nb[k]], mol), nb[k]);
      std::stable_sort(scored.begin(), scored.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
      nb.clear();
      for (size_t k = 0; k < scored.size(); ++k) {
        const long other = scored[k].second;
        if (static_cast<long>(k) < MAX_NEIGHBOURS) {
          nb.append(other);
          continue;
        }
        connect& back = neighbours[other];  // the link is mutual: drop it there too
        long kept = 0;
        for (long m = 1; m <= back.count; ++m)
          if (back.members[m] != i) back.members[++kept] = back.members[m];
        back.count = kept;
      }
    }
  }
}

void populate_one_mstack(const struct_mol& mol, const std::vector<connect>& multiplets,
                         const std::vector<frame>& frames, const std::vector<long>& order,
                         mstack& segment) {
  const long n = order[0];
  segment.num_multiplets = n;
  segment.multiplets = order;
  segment.nts.assign(1, 0);
  long total = 0;
  for (long k = 1; k <= n; ++k) {
    const connect& m = multiplets[order[k]];
    total += m.count;
    for (long q = 1; q <= m.count; ++q)
      if (std::find(segment.nts.begin() + 1, segment.nts.end(), m[q]) == segment.nts.end())
        segment.nts.push_back(m[q]);
  }
  segment.num_nts = static_cast<long>(segment.nts.size()) - 1;
  segment.nts[0] = segment.num_nts;
  segment.num_repeated = total - segment.num_nts;
  frame first = frames[order[1]], last = frames[order[n]];
  check_frames_direction(first, last);
  get_middle_step_frame(first, last, segment.mframe);
  (void)mol;
}

void find_mpSegs(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                 long& count, std::vector<mstack>& segments) {
  count = 0;
  segments = allocate_mstacks_array(0);
  const long n = num_multiplets;
  if (n < 2) return;
  const std::vector<frame> frames = get_mframes(mol, n, multiplets);
  std::vector<connect> neighbours = allocate_connects_array(n);
  for (long i = 1; i < n; ++i)
    for (long j = i + 1; j <= n; ++j)
      if (two_multiplets_in_stack(i, j, multiplets, frames, mol)) {
        add_one_item_to_connect_simple(j, neighbours[i], "find_mpSegs()", mol.warned.connects);
        add_one_item_to_connect_simple(i, neighbours[j], "find_mpSegs()", mol.warned.connects);
      }
  check_multiplet_2stacks(n, neighbours, mol, multiplets);
  std::vector<std::vector<long>> runs;
  tidyup_general_network(2, n, neighbours, runs);
  for (long i = 1; i <= n; ++i) {
    if (runs[i][0] == 0) continue;
    segments.emplace_back();
    populate_one_mstack(mol, multiplets, frames, order_run(runs[i], neighbours), segments.back());
  }
  count = static_cast<long>(segments.size()) - 1;
  if (count == 0) return;
  std::stable_sort(segments.begin() + 1, segments.end(),
                   [](const mstack& a, const mstack& b) { return mstack_compare(a, b) < 0; });
  write_mpSegs(mol, n, multiplets, count, segments);
}

void write_mpSegs(struct_mol& mol, long num_multiplets, const std::vector<connect>& multiplets,
                  long count, const std::vector<mstack>& segments) {
  if (count == 0 || num_multiplets == 0 || !Gvars.auxfiles || !Gvars.stack_ens) return;
  scoped_file sf(create_file(name_pdbcif_outfile("multipletSegments")));
  FILE* fp = sf.get();
  if (Gvars.output_format == 2) write_cif_header(fp, mol.base_name);
  for (long k = 1; k <= count; ++k) {
    const mstack& s = segments[k];
    std::vector<std::string> remarks{sformat("multiplets=%ld%c nts=%ld", s.num_multiplets,
                                             s.num_repeated ? '*' : ' ', s.num_nts)};
    for (long m = 1; m <= s.num_multiplets; ++m) {
      const connect& c = multiplets[s.multiplets[m]];
      remarks.push_back(sformat("%4ld nts=%ld %s", m, c.count, get_connect_abbr_full_ids(c, mol).c_str()));
    }
    begin_ensemble_model(fp, k, remarks, mol);
    write_residue_set_pdb_frame(s.num_nts, s.nts, &s.mframe, 0, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

}  // namespace vask
