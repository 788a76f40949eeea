// Base pairs: detection of a pair between two bases, the candidates of a
// structure, and the base-pair step. The writers are in pair_output.cpp.
#include "pairing/pair.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/pair.hpp"
#include "pairing/pair_common.hpp"
#include "pairing/plane.hpp"
#include "pairing/torsion.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

using namespace pair_detail;

// ---------------------------------------------------------------------------
// Detection

namespace {

// The linked neighbours of r: its 5' side and its 3' side (0 when none).
std::array<long, 2> ordered_neighbours(long r, const struct_mol& mol) {
  return {std::max(nt_5prime_neighbour(r, mol), 0L), std::max(nt_3prime_neighbour(r, mol), 0L)};
}

struct hbond_counts {
  long base = 0, good = 0, moderate = 0;
};

hbond_counts count_base_hbonds(long nh, const std::vector<bond>& hbonds, const struct_mol& mol) {
  hbond_counts c;
  for (long k = 1; k <= nh; ++k) {
    const bond& b = hbonds[k];
    if (!hb_both_base(b, mol)) continue;
    const bool gt = hb_good_type(b), gd = hb_good_dist(b);
    if (gt || gd) ++c.base;
    if (gt && gd) ++c.good;
    if (gt && b.distance >= 2.5 && b.distance <= 3.5) ++c.moderate;
  }
  return c;
}

// Last chance: two bases in Watson-Crick geometry without enough H-bonds.
// `passes` is the caller's remaining test, asked before anything is filled in.
template <class Passes>
long wc_geometry_last_chance(long i, long j, struct_mol& mol, const frame& f1, const frame& f2, double dv,
                             double angle, Passes passes) {
  if (dv > 1.2 || angle > 36) return 0;
  if (good_base2base_distance(i, j, mol, 3.4)) return passes();
  if (!(dot_xyz(f1.x_axis, f2.x_axis) >= 0 && dot_xyz(f1.y_axis, f2.y_axis) < 0 &&
        dot_xyz(f1.z_axis, f2.z_axis) < 0))
    return 0;
  if (!is_nt1_nt2_potential_WC_pair(i, j, mol) || dv > 1.0 || angle > 20 ||
      !good_base2base_distance(i, j, mol, 4.3) || !passes())
    return 0;
  pair tmp;
  populate_one_base_pair(i, j, mol, tmp);
  return tmp.WC_geometry;
}

}  // namespace

long good_base2base_distance(long i, long j, const struct_mol& mol, double d) {
  const residue& a = mol.residues[i];
  const residue& b = mol.residues[j];
  for (long u = a.first_atom; u <= a.last_atom; ++u) {
    if (!is_baseatom(u, mol)) continue;
    for (long v = b.first_atom; v <= b.last_atom; ++v)
      if (is_baseatom(v, mol) && dist_in_cutoff(mol.atoms[u].xyz, mol.atoms[v].xyz, d)) return 1;
  }
  return 0;
}

long with_perfect_base_atom_hbond(long nh, const std::vector<bond>& hbonds, const struct_mol& mol) {
  for (long k = 1; k <= nh; ++k)
    if (hb_any_base(hbonds[k], mol) && hb_good_type(hbonds[k]) && hb_good_dist(hbonds[k])) return 1;
  return 0;
}

long is_nt1_nt2_potential_WC_pair(long i, long j, const struct_mol& mol) {
  std::string t = sformat("%c-%c", mol.residues[i].letter, mol.residues[j].letter);
  up_case(t);
  return has(WC_LETTERS, t);
}

bool is_pair(long i, long j, struct_mol& mol, long& nh, std::vector<bond>& hbonds) {
  nh = 0;
  if (i == j || !is_nt(i, mol) || !is_nt(j, mol) || !mol.residues[i].contacts.has(j)) return 0;
  const frame* f1 = base_frame_of(i, mol);
  const frame* f2 = base_frame_of(j, mol);
  if (f1 == nullptr || f2 == nullptr) return 0;
  double sum = 0.0;
  for (int k = 1; k <= 3; ++k) {
    const double d = f1->org[k] - f2->org[k];
    if (std::fabs(d) > Gvars.pair_dist) return 0;
    sum += d * d;
    if (sum > Gvars.pair_dist * Gvars.pair_dist) return 0;
  }
  double dv = 0.0, angle = 0.0;
  get_dv_angle(*f1, *f2, dv, angle);
  const double dm = get_vdist_min_by_frame(*f1, *f2);
  // Bases too far apart along their normals, or too steeply inclined, fail
  // the tests below whatever H-bonds they share: the overlap polygons and
  // the H-bonds, which cost most, are not worked out for them. (Without a
  // base plane the overlap notes it in the test log, so it is asked.)
  if (((dv > Gvars.pair_vd && dm > 1.6) || (angle > Gvars.pair_angle && angle >= 85)) &&
      get_nt_scp_plane(i, mol) != nullptr && get_nt_scp_plane(j, mol) != nullptr)
    return 0;
  if (outer_overlap_area(i, j, mol) > 0) return 0;

  nh = collect_pair_hbonds(i, j, mol, hbonds);
  const hbond_counts c = count_base_hbonds(nh, hbonds, mol);
  const long metal = bases_share_metal(i, j, mol);

  if (nh == 0 && !metal && (dv > 1.2 || angle > 36)) return 0;
  // Without H-bonds the bases must also bury enough area. The area costs more
  // than any other test, so it is asked only where the answer would
  // otherwise be yes, or before a pair record is filled in (which marks
  // residues): the same answers, from a fraction of the areas.
  int buries = nh != 0 ? 1 : -1;  // -1: not asked yet
  auto buries_enough = [&] {
    if (buries < 0) {
      const double area = base2base_area(i, j, mol);
      buries = !(area < 72 && !(dv <= 1.0 && angle <= 20 && area >= 56));
    }
    return buries == 1;
  };
  if ((Gvars.pair_hbond & 1) && nh < 2) return 0;
  if ((Gvars.pair_hbond & 2) && c.base < 2) return 0;
  if (nts_linked(i, j, mol) &&
      (dv / Gvars.pair_vd + angle / Gvars.pair_angle > 1.62 || angle > Gvars.pair_angle ||
       dv > std::min(2.2, Gvars.pair_vd)))
    return 0;
  if (dv > Gvars.pair_vd && !(c.good >= 1 && dm <= 1.6)) return 0;
  if (angle > Gvars.pair_angle) {
    if (c.good == 0) return 0;
    if (c.good == 1 && angle > 75) return 0;
    if (c.good > 1 && angle >= 85) return 0;
  }
  if (nh <= 1 && dv > 0.618 && dm > 0.618) {
    const double t = 0.618 * (1.0 - angle / 90.0);
    const double L1 = Gvars.pair_vd - t, L2 = Gvars.network_vdist - t;
    bool pass = false;
    if (c.good >= 1) {
      pass = dv <= L1 || dm <= L2;
    } else {
      if (c.moderate >= 1) {
        if (std::fabs(dv - L1) + std::fabs(dm - L2) < 0.3)
          pass = true;
        else if (nh >= 1 && hb_mutual_best(hbonds[1]) && base2base_area(i, j, mol) >= 72 && dv <= 2.32 &&
                 angle <= 30)
          pass = true;
      }
      if (!pass) pass = dv <= L1 && dm <= L2;
    }
    if (!pass) return 0;
  }
  if (std::toupper(static_cast<unsigned char>(mol.residues[i].letter)) == 'G' &&
      std::toupper(static_cast<unsigned char>(mol.residues[j].letter)) == 'G' && plus_frames(*f1, *f2)) {
    if (!buries_enough()) return 0;
    pair tmp;
    fillout_pair(i, j, nh, hbonds, mol, tmp);
    if (tmp.num_hbonds == 1 && has(tmp.hbond_text, "O6(carbonyl)*O6(carbonyl") && stretch(tmp) > 4.0 &&
        opening(tmp) < -120)
      return 0;
  }
  if (c.base > 0) return buries_enough();
  if (metal && good_base2base_distance(i, j, mol, 4.6)) return buries_enough();

  const bool bpx = bad_bpx(dv, angle);
  const bool perfect = nh > 0 && with_perfect_base_atom_hbond(nh, hbonds, mol);
  bool to16 = false;
  if (dv <= 1.618 && angle <= 40) {
    if (nh > 0 && perfect) {
      if (good_base2base_distance(i, j, mol, 3.26) && base2base_area(i, j, mol) > 52) return buries_enough();
      if (bpx) return 0;
      to16 = true;
    } else if (bpx) {
      return 0;
    }
  } else {
    if (bpx) return 0;
    to16 = perfect;
  }
  if (!to16) to16 = bases_in_water_bridge(i, j, mol) != 0;
  if (to16 && good_base2base_distance(i, j, mol, Gvars.hbond_dist)) return buries_enough();
  for (long k = 1; k <= nh; ++k)
    if (hbonds[k].status == 8) return buries_enough();
  return wc_geometry_last_chance(i, j, mol, *f1, *f2, dv, angle, buries_enough);
}

long is_pair_simple(long i, long j, struct_mol& mol) {
  std::vector<bond> hbonds = allocate_hbond_scratch();
  long nh = 0;
  return is_pair(i, j, mol, nh, hbonds);
}

long add_more_WC_geo_pairs_in_duplex(struct_mol& mol, long& n, std::vector<pair>& pairs) {
  prglog_msg("\nChecking for extra pairs with WC geometry\n");
  std::vector<char> seen(static_cast<size_t>(n + 1), 0);
  long added = 0;
  for (;;) {
    const long listed = n;
    long this_pass = 0;
    // the pairs listed when the pass starts, by nucleotide: whether a or b is
    // taken is asked of their own pairs, not of the whole list
    std::vector<long> start(static_cast<size_t>(mol.num_residues) + 2, 0), of_nt(2 * static_cast<size_t>(listed));
    for (long l = 1; l <= listed; ++l) {
      ++start[static_cast<size_t>(pairs[l].nt1) + 1];
      ++start[static_cast<size_t>(pairs[l].nt2) + 1];
    }
    for (size_t r = 1; r < start.size(); ++r) start[r] += start[r - 1];
    std::vector<long> fill(start.begin(), start.end() - 1);
    for (long l = 1; l <= listed; ++l) {
      of_nt[static_cast<size_t>(fill[static_cast<size_t>(pairs[l].nt1)]++)] = l;
      of_nt[static_cast<size_t>(fill[static_cast<size_t>(pairs[l].nt2)]++)] = l;
    }
    auto taken_by = [&](long x, long a, long b) {
      for (long t = start[static_cast<size_t>(x)]; t < start[static_cast<size_t>(x) + 1]; ++t) {
        const pair& q = pairs[of_nt[static_cast<size_t>(t)]];
        if (q.canonical || pair_with_two_nts(q, a, b)) return true;
      }
      return false;
    };
    for (long k = 1; k <= listed; ++k) {
      if (!pairs[k].WC || seen[static_cast<size_t>(k)]) continue;
      seen[static_cast<size_t>(k)] = 1;
      const long a = ordered_neighbours(pairs[k].nt1, mol)[1];
      const long b = ordered_neighbours(pairs[k].nt2, mol)[0];
      if (!a || !b || !mol.residues[a].contacts.has(b)) continue;
      if (taken_by(a, a, b) || taken_by(b, a, b)) continue;
      const frame* fa = base_frame_of(a, mol);
      const frame* fb = base_frame_of(b, mol);
      if (fa == nullptr || fb == nullptr) continue;
      if (!(dot_xyz(fa->x_axis, fb->x_axis) >= 0 && dot_xyz(fa->y_axis, fb->y_axis) < 0 &&
            dot_xyz(fa->z_axis, fb->z_axis) < 0))
        continue;
      if (!is_nt1_nt2_potential_WC_pair(a, b, mol) || !good_base2base_distance(a, b, mol, 4.3)) continue;
      pair p;
      populate_one_base_pair(a, b, mol, p);
      if (!p.WC_geometry) continue;
      const double area = base2base_area(a, b, mol);
      if (area <= 90 && !(p.dv <= 1.2 && p.interBase_angle <= 36 && area > 56)) continue;
      pairs.push_back(p);
      seen.push_back(0);
      ++n;
      ++this_pass;
      if (PRGLOG != nullptr) {
        show_pair_info(this_pass, pairs[k], mol, PRGLOG);
        std::fprintf(PRGLOG, "\t---->lead to\t");
        show_pair_info(this_pass, pairs[n], mol, PRGLOG);
      }
    }
    added += this_pass;
    if (this_pass == 0) break;
  }
  return added;
}

void check_recovered_WC_context(struct_mol& mol, long n, std::vector<pair>& pairs) {
  pair tmp;
  auto canonical_neighbours = [&](long x, long y) {
    if (!is_nt(x, mol) || !is_nt(y, mol) || !is_pair_simple(x, y, mol)) return false;
    populate_one_base_pair(x, y, mol, tmp);
    return tmp.canonical != 0;
  };
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    if (!p.WC_recovered) continue;
    const auto n1 = ordered_neighbours(p.nt1, mol);
    const auto n2 = ordered_neighbours(p.nt2, mol);
    if (canonical_neighbours(n1[0], n2[1]) || canonical_neighbours(n2[0], n1[1])) continue;
    prglog_msg("[i] remove recovered canonical pair: %s\n", get_pair_idstr_abbr(p, mol).c_str());
    p.canonical = p.WC = p.Wobble = 0;
    p.name = p.WC_recovered == 1 ? "~Wobble" : "--";
    if (p.WC_recovered == 1) p.Wobble_like = 1;
    p.Saenger_num = 0;
    p.Saenger = "--";
  }
}

// Nucleotide pairs (i < j, sorted by i then j) whose base-frame origins lie
// within d of each other: the candidates of the pair test, from one cell grid
// over the origins instead of all residue pairs.
std::vector<std::pair<long, long>> base_frame_neighbours(const struct_mol& mol, double d) {
  std::vector<long> nts(1);
  std::vector<xyz> origins(1);
  for (long i = 1; i <= mol.num_residues; ++i) {
    const frame* f = is_nt(i, mol) ? base_frame(i, mol) : nullptr;
    if (f == nullptr) continue;
    nts.push_back(i);
    origins.push_back(f->org);
  }
  const long m = static_cast<long>(nts.size()) - 1;
  std::vector<std::pair<long, long>> result;
  if (m < 2) return result;
  const cell_grid grid = make_cell_grid(origins, m, std::max(d, 1.0));
  for (const auto& [u, v] : near_pairs(grid, origins, m, d)) result.emplace_back(nts[u], nts[v]);
  std::sort(result.begin(), result.end());
  return result;
}

std::vector<pair> populate_base_pairs(struct_mol& mol, long& n) {
  n = 0;
  std::vector<pair> pairs(1);
  if (mol.num_nts < 2) return pairs;
  std::vector<bond> hbonds = allocate_hbond_scratch();
  for (const auto& [i, j] : base_frame_neighbours(mol, Gvars.pair_dist)) {
    long nh = 0;
    if (!is_pair(i, j, mol, nh, hbonds)) continue;
    pair p;
    fillout_pair(i, j, nh, hbonds, mol, p);
    if (Gvars.pair_cross && p.intra_chain) continue;
    pairs.push_back(p);
    ++n;
  }
  const long added = add_more_WC_geo_pairs_in_duplex(mol, n, pairs);
  if (added > 0) {
    prglog_msg("find %ld additional pairs\n", added);
    std::stable_sort(pairs.begin() + 1, pairs.end(),
                     [](const pair& a, const pair& b) { return pair_compare(a, b) < 0; });
  }
  check_recovered_WC_context(mol, n, pairs);
  fillout_pairs_per_residue(n, pairs, mol.residues, mol.warned.connects);
  return pairs;
}

// ---------------------------------------------------------------------------
// The base-pair step of one structure

void find_pairs(struct_mol& mol, long& n, std::vector<pair>& pairs, long report) {
  n = 0;
  pairs.assign(1, pair{});
  mol.bp_overlaps = 0;  // a count of this structure only
  if (mol.num_nts == 0) return;
  const bool from_list = !Gvars.pair_list_inp.empty();
  pairs = from_list ? read_pairs_list(Gvars.pair_list_inp, mol, n) : populate_base_pairs(mol, n);
  if (n == 0) return;
  tidyup_and_mark_pairs(n, pairs, mol);
  if (report) {
    total_counts("base pairs", n);
    if (Gvars.auxfiles) write_pairs_pdb_frame(n, pairs, mol);
  }
  if (Gvars.pair_list_type == 0 || from_list) return;
  std::vector<pair> chosen(1);
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    const long type = Gvars.pair_list_type;
    if ((type == 1 && p.WC) || (type == 2 && p.canonical) || (type == 3 && p.best) || type == 4)
      chosen.push_back(p);
  }
  const long m = static_cast<long>(chosen.size()) - 1;
  if (m > 0) write_pairs_list(Gvars.pair_list_out, mol, m, chosen);
}

}  // namespace vask
