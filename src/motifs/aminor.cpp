// A-minor motifs.
#include "motifs/aminor.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Types I and II
constexpr double MIN_X_ANGLE = 112.0;      // degrees between A's and the pair's x axes
constexpr double MIN_ORG_DIST = 4.68, MAX_ORG_DIST = 9.68;  // A to pair origin, Angstrom
constexpr double MIN_SHEAR = 0.99, MAX_SHEAR = 3.3;
constexpr double MIN_STRETCH = 3.6, MAX_STRETCH = 10.2;
constexpr double MIN_OPENING = 126.0;
constexpr double MAX_NT_DIST = 10.89;      // A to either pair base origin
// Type X: A's origin in the pair frame
constexpr double X_LO = -8.0, X_HI = -3.0, Y_LIM = 5.0, Z_LIM = 3.0;
constexpr double MAX_ANGLE_LIMIT = 75.0;

struct limits {
  double angle = 0;     // z axes, folded
  double in_plane = 0;  // |d . z| of the pair
  double hbond = 0;
};

limits aminor_limits() {
  return {std::min(5.0 + Gvars.pair_angle, MAX_ANGLE_LIMIT), 0.3 + Gvars.pair_vd, Gvars.hbond_good};
}

bool aminor_candidate(long i, const iupac_set& letters, const struct_mol& mol) {
  return is_nt(i, mol) && base_frame(i, mol) != nullptr && in_IUPAC_set(mol.residues[i].letter, letters);
}

double o2_distance(long a, long b, const struct_mol& mol) {
  const long oa = mol.nt_infos[a].O2p, ob = mol.nt_infos[b].O2p;
  if (oa == -1 || ob == -1) return DBL_MAX;
  return dist_atoms(oa, ob, mol);
}

// The types I/II test of A against pair p; the type, or -1 when rejected.
long is_type_I_II(long A, const pair& p, const limits& lim, const struct_mol& mol) {
  const frame& fa = *base_frame(A, mol);
  const frame& fp = p.frame;
  xyz xa = fa.x_axis, xp = fp.x_axis;  // angle_xyz takes its vectors by reference
  if (dot_xyz(xa, xp) >= 0 || angle_xyz(xa, xp) < MIN_X_ANGLE) return -1;
  xyz d;
  diff_xyz(fa.org, fp.org, d);
  if (dot_xyz(d, fp.x_axis) < 0) return -1;  // A on the minor-groove side
  if (angle90_normalized_vectors(fa.z_axis, fp.z_axis) > lim.angle) return -1;
  if (std::fabs(dot_xyz(d, fp.z_axis)) > lim.in_plane) return -1;
  if (!two_points_within_range(fa.org, fp.org, MIN_ORG_DIST, MAX_ORG_DIST)) return -1;
  const frame* f1 = base_frame(p.nt1, mol);
  const frame* f2 = base_frame(p.nt2, mol);
  if (f1 == nullptr || f2 == nullptr) return -1;
  par_set pars1{}, pars2{};
  rotmat rot;
  xyz org;
  get_bp_pars_by_frames(fa, *f1, pars1, rot, org);
  get_bp_pars_by_frames(fa, *f2, pars2, rot, org);
  const bool plus1 = plus_frames(fa, *f1), plus2 = plus_frames(fa, *f2);
  if (plus1 == plus2) return -1;
  for (const par_set* pr : {&pars1, &pars2}) {
    const double shear = std::fabs((*pr)[1]), stretch = std::fabs((*pr)[2]), opening = std::fabs((*pr)[6]);
    if (shear < MIN_SHEAR || shear > MAX_SHEAR || stretch < MIN_STRETCH || stretch > MAX_STRETCH ||
        opening < MIN_OPENING)
      return -1;
  }
  const long P = plus1 ? p.nt1 : p.nt2, Q = plus1 ? p.nt2 : p.nt1;
  if (o2_distance(A, Q, mol) > lim.hbond && good_hbonds_2nts(A, P, mol, lim.hbond) == 0) return -1;
  if (dist_xyz(fa.org, f1->org) > MAX_NT_DIST || dist_xyz(fa.org, f2->org) > MAX_NT_DIST) return -1;
  return pars1[1] > 0 && pars2[1] > 0 ? AMINOR_I : AMINOR_II;
}

// The type X test; the projected origin in local.
bool is_type_X(long A, const pair& p, const limits& lim, const struct_mol& mol, xyz& local) {
  const frame& fa = *base_frame(A, mol);
  if (angle90_normalized_vectors(fa.z_axis, p.frame.z_axis) > lim.angle) return false;
  project_xyz_by_frame(p.frame, fa.org, local);
  if (local[1] < X_LO || local[1] > X_HI || std::fabs(local[2]) > Y_LIM || std::fabs(local[3]) > Z_LIM)
    return false;
  return good_hbonds_2nts(A, p.nt1, mol, lim.hbond) > 0 || good_hbonds_2nts(A, p.nt2, mol, lim.hbond) > 0;
}

void link_motif(long A, long k, const pair& p, struct_mol& mol) {
  long& a_link = mol.residues[A].flag[rf::a_minor];
  if (a_link != 0)
    prglog_msg("A-minor [i]: nt %s with pairs# %ld, %ld\n", mol.residues[A].idstr.c_str(), -a_link, k);
  else
    a_link = -k;
  long& p_link = mol.residues[p.nt1].flag[rf::a_minor];
  if (p_link != 0) {
    prglog_msg("A-minor [i]: pair %s-%s with nts# %ld, %ld\n", mol.residues[p.nt1].idstr.c_str(),
               mol.residues[p.nt2].idstr.c_str(), p_link, A);
  } else {
    p_link = A;
    mol.residues[p.nt2].flag[rf::a_minor] = A;
  }
}

connect make_motif(long A, long k, const pair& p, long type) {
  connect c;
  c.append(A);
  c.append(p.nt1);
  c.append(p.nt2);
  c.set_owner(k);
  c.value = static_cast<double>(type);
  return c;
}

// Pairs with Watson-Crick geometry, as candidates near a point: a grid over
// their origins, so a ribosome is not an all-pairs scan.
struct pair_index {
  std::vector<long> ids;  // 1-based: pair numbers
  std::vector<xyz> orgs;
  cell_grid grid;
};

pair_index index_WC_pairs(long num_pairs, const std::vector<pair>& pairs, double radius) {
  pair_index idx;
  idx.ids.assign(1, 0);
  idx.orgs.assign(1, xyz{});
  for (long k = 1; k <= num_pairs; ++k) {
    if (!is_WC_geometry(pairs[k])) continue;
    idx.ids.push_back(k);
    idx.orgs.push_back(pairs[k].frame.org);
  }
  const long n = static_cast<long>(idx.ids.size()) - 1;
  if (n > 0) idx.grid = make_cell_grid(idx.orgs, n, radius);
  return idx;
}

std::vector<long> nearby_pairs(const pair_index& idx, const xyz& q, double radius) {
  std::vector<long> out;
  for_each_within(idx.grid, idx.orgs, q, radius, [&](long j, double) { out.push_back(idx.ids[j]); });
  std::sort(out.begin(), out.end());
  return out;
}

// The base pair of A with nt, its H-bonds collected at the good distance.
pair Aminor_pair(long A, long nt, struct_mol& mol) {
  std::vector<bond> hbonds = allocate_hbond_scratch();
  const long nh = collect_hbonds(A, nt, mol, hbonds, Gvars.hbond_good);
  pair p;
  init_one_pair(p);
  fillout_pair(A, nt, nh, hbonds, mol, p);
  return p;
}

}  // namespace

void set_IUPAC_nts(char letter, iupac_set& table) {
  table.fill(0);
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  struct code {
    char letter;
    const char* set;
  };
  static constexpr code kCodes[] = {
      {'A', "A"},     {'C', "C"},      {'G', "G"},   {'P', "P"},    {'T', "T"},    {'U', "U"},
      {'B', "CGPTU"}, {'D', "AGPTU"},  {'H', "ACPTU"}, {'K', "GPTU"}, {'M', "AC"},   {'N', "ACGPTU"},
      {'R', "AG"},    {'S', "CG"},     {'V', "ACG"}, {'W', "APTU"}, {'Y', "CPTU"},
  };
  static_assert(std::size(kCodes) == 17, "one row per nucleotide or IUPAC code");
  for (const auto& row : kCodes) {
    if (row.letter != c) continue;
    for (const char* s = row.set; *s; ++s) table[static_cast<size_t>(*s - 'A')] = 1;
    return;
  }
  fatal("[e] '%c' is no nucleotide letter or IUPAC code (A C G T U P B D H K M N R S V W Y)\n",
        std::isprint(static_cast<unsigned char>(letter)) ? letter : '?');
}

bool in_IUPAC_set(char code, const iupac_set& table) {
  const int c = std::toupper(static_cast<unsigned char>(code));
  return c >= 'A' && c <= 'Z' && table[static_cast<size_t>(c - 'A')] != 0;
}

long good_hbonds_2nts(long a, long b, const struct_mol& mol, double cutoff) {
  std::vector<bond> hbonds = allocate_hbond_scratch();
  const long nh = collect_hbonds(a, b, mol, hbonds, cutoff);
  long count = 0;
  for (long k = 1; k <= nh; ++k)
    if (hbonds[k].type == 'p' || hbonds[k].type == 'o') ++count;
  return count;
}

void find_Aminors(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                  std::vector<connect>& list) {
  count = 0;
  list = allocate_connects_array(0);
  if (num_pairs <= 0) return;
  iupac_set letters{};
  set_IUPAC_nts(static_cast<char>(Gvars.a_minor), letters);
  const limits lim = aminor_limits();
  // every candidate of either pass lies within 10 A of its pair's origin
  constexpr double kReach = 10.0;
  const pair_index idx = index_WC_pairs(num_pairs, pairs, kReach);
  std::vector<connect> found(1);
  long checked = 0;
  for (long A = 1; A <= mol.num_residues; ++A) {
    if (!aminor_candidate(A, letters, mol)) continue;
    ++checked;
    for (long k : nearby_pairs(idx, base_frame(A, mol)->org, kReach)) {
      const pair& p = pairs[k];
      if (pair_include_nt(p, A)) continue;
      const long type = is_type_I_II(A, p, lim, mol);
      if (type < 0) continue;
      found.push_back(make_motif(A, k, p, type));
      link_motif(A, k, p, mol);
    }
  }
  const long num_I_II = static_cast<long>(found.size()) - 1;
  if (num_I_II > 0) total_counts("A-minor (types I and II) motifs", num_I_II);
  prglog_msg("%ld residues checked for types I/II A-minor motifs\n", checked);

  prglog_msg("\nChecking eXtended (non-types I or II) A-minor motifs\n");
  long num_X = 0;
  checked = 0;
  for (long A = 1; A <= mol.num_residues; ++A) {
    if (!aminor_candidate(A, letters, mol) || mol.residues[A].flag[rf::a_minor] != 0) continue;
    ++checked;
    for (long k : nearby_pairs(idx, base_frame(A, mol)->org, kReach)) {
      const pair& p = pairs[k];
      if (pair_include_nt(p, A)) continue;
      xyz local;
      if (!is_type_X(A, p, lim, mol, local)) continue;
      found.push_back(make_motif(A, k, p, AMINOR_X));
      link_motif(A, k, p, mol);
      prglog_msg("%4ld %s:%10.3f%10.3f%10.3f\n", ++num_X, mol.residues[A].idstr.c_str(), local[1], local[2],
                 local[3]);
    }
  }
  if (num_X > 0) total_counts("eXtended A-minor (type X) motifs", num_X);
  prglog_msg("%ld residues checked for eXtended A-minor motifs\n", checked);
  count = static_cast<long>(found.size()) - 1;
  list = std::move(found);
  sort_connects(count, list);
}

void output_Aminors_info_pdb(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long n,
                             const std::vector<connect>& list, FILE* fp) {
  if (fp == nullptr || n <= 0) return;
  auto type_of = [&list](long k) { return Aminor_typeStr[static_cast<long>(list[k].value)]; };
  auto receptor = [&](long k) -> const pair& {
    const long idx = list[k].owner();
    VASK_ASSERT(idx >= 1 && idx <= num_pairs);
    return pairs[idx];
  };
  if (Gvars.auxfiles) {
    scoped_file sf(open_ensemble_file("Aminors", mol));
    FILE* out = sf.get();
    for (long k = 1; k <= n; ++k) {
      const connect& m = list[k];
      const std::vector<long> set = {0, m[1], m[2], m[3]};
      begin_ensemble_model(out, k, {sformat("model=%ld  A-minor-type-%s  %s", k, type_of(k),
                                            get_residues_abbr_full_ids(3, set, mol).c_str())}, mol);
      write_residue_set_pdb_simple(3, set, &receptor(k).frame, mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  std::vector<std::array<pair, 2>> with(static_cast<size_t>(n) + 1);
  for (long k = 1; k <= n; ++k)
    with[k] = {Aminor_pair(list[k][1], list[k][2], mol), Aminor_pair(list[k][1], list[k][3], mol)};
  auto id = [&mol](long r) { return mol.residues[r].idstr.c_str(); };
  if (Gvars.json) {
    json_lNumber(fp, "num_Aminors", n);
    json_begin_array(fp, "Aminors");
    for (long k = 1; k <= n; ++k) {
      const connect& m = list[k];
      const pair& p = receptor(k);
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "type", type_of(k));
      json_string(fp, "desc_short", sformat("%c vs %s (%s)", mol.residues[m[1]].letter, p.bp.c_str(), p.name.c_str()));
      json_string(fp, "desc_long", sformat("%s vs %s,%s", id(m[1]), id(m[2]), id(m[3])));
      for (int t = 0; t < 2; ++t) {
        const pair& q = with[k][t];
        json_begin_object(fp, t == 0 ? "A_nt1" : "A_nt2");
        json_string(fp, "desc", sformat("%s vs %s", id(m[1]), id(m[t + 2])));
        json_string(fp, "face_type", plus_face(q) ? "+" : "-");
        json_hbonds_num_str0(fp, q.num_hbonds, q.hbond_text);
        if (t == 0)
          json_end_object(fp);
        else
          json_end_object0(fp);
      }
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld A-minor %s (types I, II, or X)\n", "motif");
  for (long k = 1; k <= n; ++k) {
    const connect& m = list[k];
    const pair& p = receptor(k);
    const char code = mol.residues[m[1]].letter;
    std::fprintf(fp, "%4ld%c type=%s %c|%s\t", k, code == 'a' || code == 'A' ? ' ' : '*', type_of(k), code,
                 p.bp.c_str());
    std::fprintf(fp, "%s|%s,%s %s\n", id(m[1]), id(m[2]), id(m[3]), p.name.c_str());
    for (int t = 0; t < 2; ++t) {
      const pair& q = with[k][t];
      std::fprintf(fp, "        %c%s\tH-bonds[%ld]: \"%s\"\n", plus_face(q) ? '+' : '-', id(m[t + 2]),
                   q.num_hbonds, q.hbond_text.c_str());
      if (verbose2()) {
        std::fprintf(fp, "        ");
        for (int r = 1; r <= 6; ++r) std::fprintf(fp, " %8.2f", q.bp_params[r]);
        std::fprintf(fp, "\n");
      }
    }
  }
}

}  // namespace vask
