// Contacts of amino acids with nucleotides, base pairs and dinucleotide
// steps: which amino acids touch each unit, and where each sits in the
// unit's reference frame (step parameters of its side-chain frame).
#include <algorithm>
#include <cctype>
#include <cstring>

#include "interactions/triz.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "pairing/splay.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/bp_step_params.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

std::vector<double> as_vector(const par_set& p, long n) { return std::vector<double>(p.begin(), p.begin() + n + 1); }

std::vector<double> xyz_vector(const xyz& p) { return {0.0, p[1], p[2], p[3]}; }

const frame* sidechain_frame(long aa, const struct_mol& mol) {
  return residue_frame(aa, FRAME_SIDECHAIN, mol);
}

char code(long k, const struct_mol& mol) { return mol.residues[k].letter; }
const char* aa_name(long k, const struct_mol& mol) { return mol.residues[k].std_name.c_str(); }
const char* id(long k, const struct_mol& mol) { return mol.residues[k].idstr.c_str(); }

// Amino acids near either of two residues, ascending and each once.
std::vector<long> near_either(const triz_neighbours& nb, long a, long b) {
  std::vector<long> out = nb.near(a);
  std::vector<long> more = nb.near(b);
  out.insert(out.end(), more.begin(), more.end());
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

template <class T, class Cmp>
void sort_records(std::vector<T>& list, Cmp cmp) {
  std::stable_sort(list.begin() + 1, list.end(), [&](const T& a, const T& b) { return cmp(a, b) < 0; });
}

char mark_of(const triz_pars& tp) { return verbose1() ? (tp.z_direction ? '+' : '-') : ' '; }

// Tdst, Rdst, the six parameters and (with the C-alpha switch) the CA.
void print_pars_columns(const triz_options& o, const std::string& start, const triz_pars& tp, FILE* fp) {
  std::fprintf(fp, "%s  %7.2f %7.2f", start.c_str(), tp.trs_dist, tp.rot_dist);
  for (long k = 1; k <= 6; ++k) std::fprintf(fp, " %7.2f", tp.pars[k]);
  if (o.c_alpha)
    for (long k = 1; k <= 3; ++k) std::fprintf(fp, " %8.3f", tp.c_alpha[k]);
  std::fprintf(fp, "\n");
}

void print_list_heading(const triz_options& o, long n, const char* noun, const char* columns, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld %s\n", noun);
  std::fprintf(fp, "%s%s\n", columns, o.c_alpha ? "      Cx       Cy       Cz" : "");
}

void json_pars_tail(const triz_pars& tp, FILE* fp) {
  json_dNumber(fp, "trs_dist", tp.trs_dist);
  json_dNumber(fp, "rot_dist", tp.rot_dist);
  json_dNumberArray(fp, "six_params", 6, as_vector(tp.pars, 6));
  json_dNumberArray0(fp, "C_alpha", 1, 3, xyz_vector(tp.c_alpha));
}

}  // namespace

// ---------------------------------------------------------------------------
// Contact test and relative frames

long ntaa_in_contact(long nt, long aa, const struct_mol& mol, long type, double cutoff) {
  const residue &rn = mol.residues[nt], &ra = mol.residues[aa];
  long base = 0, backbone = 0;
  for (long a = rn.first_atom; a <= rn.last_atom; ++a) {
    if (is_hydrogen(a, mol)) continue;
    const bool base_atom = is_baseatom(a, mol);
    for (long b = ra.first_atom; b <= ra.last_atom; ++b) {
      if (is_hydrogen(b, mol) || !dist_in_cutoff(mol.atoms[a].xyz, mol.atoms[b].xyz, cutoff)) continue;
      if (base_atom)
        ++base;
      else
        ++backbone;
      if (type == 0 || (type == 1 && base) || (type == 2 && backbone) || (type == 3 && base && backbone))
        return 1;
    }
  }
  return 0;
}

void get_triz_pars(const frame& ref, const frame& aa_frame, triz_pars& tp, long& checks) {
  tp.ref = ref;
  tp.aa = aa_frame;
  xyz oA, oB;
  rotmat RA, RB;
  fillout_oR_from_frame(ref, oA, RA);
  fillout_oR_from_frame(aa_frame, oB, RB);
  tp.z_direction = 1;
  if (!plus_frames(ref, aa_frame)) {
    reverse_y_z_rotmat(RB);
    tp.z_direction = 0;
  }
  rotmat mid_rot;
  xyz mid_org, axis;
  get_step_pars(RA, oA, RB, oB, tp.pars, mid_rot, mid_org);
  get_single_rotation_angle_axis(RA, RB, tp.rot_dist, axis, checks);
  xyz d, local;
  diff_xyz(oA, oB, d);
  set_xyz(local, dot_xyz(d, ref.x_axis), dot_xyz(d, ref.y_axis), dot_xyz(d, ref.z_axis));
  tp.trs_dist = local[3] < 0 ? -length_xyz(d) : length_xyz(d);
  rotmat RAt, rel;
  transpose_matrix_3x3(RA, RAt);
  multiply_matrix_3x3(RAt, RB, rel);
  fillout_frame_from_oR(local, rel, tp.rel);
}

void get_triz_c_alpha(long aa, const frame& ref, const struct_mol& mol, triz_pars& tp) {
  const long ca = find_atom_in_residue(" CA ", aa, mol);
  if (ca == -1) {
    set_xyz(tp.c_alpha, -1.0, -1.0, -1.0);
    return;
  }
  project_xyz_by_frame(ref, mol.atoms[ca].xyz, tp.c_alpha);
}

int ntaa_compare(const ntaa& a, const ntaa& b) {
  if (int c = compare_lvals(a.nt, b.nt)) return c;
  return compare_lvals(a.aa, b.aa);
}

int bpaa_compare(const bpaa& a, const bpaa& b) {
  if (int c = compare_lvals(a.nt1, b.nt1)) return c;
  if (int c = compare_lvals(a.nt2, b.nt2)) return c;
  return compare_lvals(a.aa, b.aa);
}

int stepaa_compare(const stepaa& a, const stepaa& b) {
  if (int c = compare_lvals(a.nts[1], b.nts[1])) return c;
  if (int c = compare_lvals(a.nts[3], b.nts[3])) return c;
  return compare_lvals(a.aa, b.aa);
}

// ---------------------------------------------------------------------------
// Neighbours: a cell grid over the heavy atoms of the amino acids that take part

triz_neighbours::triz_neighbours(const struct_mol& mol, double cutoff)
    : mol_(mol), cutoff_(cutoff), pts_(1), owner_(1, 0) {
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!triz_aa(k, mol)) continue;
    const residue& r = mol.residues[k];
    for (long a = r.first_atom; a <= r.last_atom; ++a) {
      if (is_hydrogen(a, mol)) continue;
      pts_.push_back(mol.atoms[a].xyz);
      owner_.push_back(k);
    }
  }
  grid_ = make_cell_grid(pts_, static_cast<long>(pts_.size()) - 1, cutoff);
}

std::vector<long> triz_neighbours::near(long k) const {
  std::vector<long> out;
  if (pts_.size() < 2) return out;
  const residue& r = mol_.residues[k];
  for (long a = r.first_atom; a <= r.last_atom; ++a) {
    if (is_hydrogen(a, mol_)) continue;
    for_each_within(grid_, pts_, mol_.atoms[a].xyz, cutoff_,
                    [&](long j, double) { out.push_back(owner_[j]); });
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// ---------------------------------------------------------------------------
// Finders

void find_ntaa_contacts(const triz_options& o, const struct_mol& mol, triz_state& st,
                        std::vector<ntaa>& list) {
  list.assign(1, ntaa{});
  const triz_neighbours nb(mol, o.cutoff);
  for (long i = 1; i <= mol.num_residues; ++i) {
    const frame* bf = base_frame(i, mol);
    if (bf == nullptr) continue;
    for (long j : nb.near(i)) {
      if (!ntaa_in_contact(i, j, mol, o.moiety, o.cutoff)) continue;
      ntaa r;
      r.nt = i;
      r.aa = j;
      r.label = sformat("%c-%s:%5ld-%5ld", code(i, mol), aa_name(j, mol), i, j);
      get_triz_c_alpha(j, *bf, mol, r.tp);
      get_triz_pars(*bf, *sidechain_frame(j, mol), r.tp, mol.warned.rotation_check);
      list.push_back(std::move(r));
      add_triz_partner(i, j, TRIZ_CONTACT, st);
    }
  }
  sort_records(list, ntaa_compare);
}

namespace {
bool pair_taken(long mode, const pair& p) {
  switch (mode) {
    case 1: return is_WC_pair(p);
    case 2: return is_canonical_pair(p);
    case 3: return is_WC_geometry(p);
    default: return true;
  }
}

bool letter_in(char c, const char* set) {
  return std::strchr(set, std::toupper(static_cast<unsigned char>(c))) != nullptr;
}
}  // namespace

void find_bpaa_contacts(const triz_options& o, const std::vector<triz_helix>& helices,
                        struct_mol& mol, std::vector<bpaa>& list) {
  list.assign(1, bpaa{});
  if (helices.size() < 2) return;
  const triz_neighbours nb(mol, o.cutoff);
  for (size_t h = 1; h < helices.size(); ++h) {
    const triz_helix& hx = helices[h];
    for (long m = 1; m <= hx.num_pairs; ++m) {
      const pair& p = hx.pairs[m];
      if (!pair_taken(o.helix_pair, p)) continue;
      long nt1 = p.nt1, nt2 = p.nt2;
      const char c1 = code(nt1, mol), c2 = code(nt2, mol);
      if ((o.pair_order == 1 && letter_in(c1, "CTUP") && letter_in(c2, "AG")) ||
          (o.pair_order == -1 && letter_in(c1, "AG") && letter_in(c2, "CTUP")))
        std::swap(nt1, nt2);
      pair bp;
      populate_one_base_pair(nt1, nt2, mol, bp);
      for (long j : near_either(nb, nt1, nt2)) {
        if (!ntaa_in_contact(nt1, j, mol, o.moiety, o.cutoff) &&
            !ntaa_in_contact(nt2, j, mol, o.moiety, o.cutoff))
          continue;
        bpaa r;
        r.nt1 = nt1;
        r.nt2 = nt2;
        r.aa = j;
        r.label = sformat("%c%c-%s:%5ld-%5ld-%5ld", code(nt1, mol), code(nt2, mol), aa_name(j, mol),
                          static_cast<long>(h), m, j);
        get_triz_c_alpha(j, bp.frame, mol, r.tp);
        get_triz_pars(bp.frame, *sidechain_frame(j, mol), r.tp, mol.warned.rotation_check);
        list.push_back(std::move(r));
      }
    }
  }
  sort_records(list, bpaa_compare);
}

void find_stepaa_contacts(const triz_options& o, const std::vector<triz_helix>& helices,
                          const struct_mol& mol, std::vector<stepaa>& list) {
  list.assign(1, stepaa{});
  const triz_neighbours nb(mol, o.cutoff);
  for (size_t h = 1; h < helices.size(); ++h) {
    const triz_helix& hx = helices[h];
    if (hx.num_pairs < 2 || !hx.anti_parallel) continue;
    for (long k = 1; k < hx.num_pairs; ++k) {
      stepaa s;
      s.bp1 = hx.pairs[k];
      s.bp2 = hx.pairs[k + 1];
      frame f1 = s.bp1.frame, f2 = s.bp2.frame;
      check_frames_direction(f1, f2);
      rotmat mid_rot;
      xyz mid_org;
      get_step_pars_by_frames(f1, f2, s.step, mid_rot, mid_org);
      fillout_frame_from_oR(mid_org, mid_rot, s.mid);
      if (static_cast<long>(hx.grooves.size()) > k) s.grooves = hx.grooves[k];
      s.nts = {0, s.bp1.nt1, s.bp2.nt1, s.bp2.nt2, s.bp1.nt2};
      for (long j : near_either(nb, s.nts[1], s.nts[2])) {
        if (!ntaa_in_contact(s.nts[1], j, mol, o.moiety, o.cutoff) &&
            !ntaa_in_contact(s.nts[2], j, mol, o.moiety, o.cutoff))
          continue;
        stepaa r = s;
        r.aa = j;
        r.label = sformat("%c%c/%c%c-%s", code(r.nts[1], mol), code(r.nts[2], mol),
                          code(r.nts[3], mol), code(r.nts[4], mol), aa_name(j, mol));
        get_triz_c_alpha(j, r.mid, mol, r.tp);
        get_triz_pars(r.mid, *sidechain_frame(j, mol), r.tp, mol.warned.rotation_check);
        list.push_back(std::move(r));
      }
    }
  }
  sort_records(list, stepaa_compare);
}

// ---------------------------------------------------------------------------
// Writers

void output_ntaa_contacts(const triz_options& o, const std::vector<ntaa>& list, struct_mol& mol,
                          triz_state& st, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_ntAA_contacts", n);
    json_begin_array(fp, "ntAA_contacts");
    for (long k = 1; k <= n; ++k) {
      const ntaa& r = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "ntaa", sformat("%c-%s", code(r.nt, mol), aa_name(r.aa, mol)));
      json_string(fp, "nt", mol.residues[r.nt].idstr);
      json_string(fp, "aa", mol.residues[r.aa].idstr);
      json_pars_tail(r.tp, fp);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  total_counts("nucleotide/amino-acid contacts", n);
  print_list_heading(o, n, "nucleotide/amino-acid interaction",
                     "       id   nt-aa   nt           aa              Tdst    Rdst     Tx      Ty"
                     "      Tz      Rx      Ry      Rz",
                     fp);
  for (long k = 1; k <= n; ++k) {
    const ntaa& r = list[k];
    const std::string kind = sformat("%c-%s", code(r.nt, mol), aa_name(r.aa, mol));
    const std::string start = sformat("%4ld  %s  %s  %-12s %-12s", k, mol.base_name.c_str(),
                                      kind.c_str(), id(r.nt, mol), id(r.aa, mol));
    print_pars_columns(o, start, r.tp, fp);
    if (Gvars.auxfiles)
      append_triz_model(kind + ".pdb", start, {0, r.nt, r.aa}, base_frame(r.nt, mol), mol, st);
  }
}

void output_bpaa_contacts(const triz_options& o, const std::vector<bpaa>& list, struct_mol& mol,
                          triz_state& st, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_bpAA_contacts", n);
    json_begin_array(fp, "bpAA_contacts");
    for (long k = 1; k <= n; ++k) {
      const bpaa& r = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "bpaa", sformat("%c%c-%s", code(r.nt1, mol), code(r.nt2, mol), aa_name(r.aa, mol)));
      json_string(fp, "z_directions", r.tp.z_direction ? "+" : "-");
      json_string(fp, "nt1", mol.residues[r.nt1].idstr);
      json_string(fp, "nt2", mol.residues[r.nt2].idstr);
      json_string(fp, "aa", mol.residues[r.aa].idstr);
      json_pars_tail(r.tp, fp);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  total_counts("base-pair/amino-acid contacts", n);
  print_list_heading(o, n, "base-pair/amino-acid interaction",
                     "       id   bp-aa     nt1          nt2          aa              Tdst    Rdst"
                     "     Tx      Ty      Tz      Rx      Ry      Rz",
                     fp);
  for (long k = 1; k <= n; ++k) {
    const bpaa& r = list[k];
    const std::string kind = sformat("%c%c-%s", code(r.nt1, mol), code(r.nt2, mol), aa_name(r.aa, mol));
    const std::string start =
        sformat("%4ld  %s  %s %c %-12s %-12s %-12s", k, mol.base_name.c_str(), kind.c_str(),
                mark_of(r.tp), id(r.nt1, mol), id(r.nt2, mol), id(r.aa, mol));
    print_pars_columns(o, start, r.tp, fp);
    if (Gvars.auxfiles) append_triz_model(kind + ".pdb", start, {0, r.nt1, r.nt2, r.aa}, &r.tp.ref, mol, st);
  }
}

void output_stepaa_contacts(const triz_options& o, const std::vector<stepaa>& list,
                            struct_mol& mol, triz_state& st, FILE* fp) {
  const long n = static_cast<long>(list.size()) - 1;
  if (n < 1 || fp == nullptr) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_stepAA_contacts", n);
    json_begin_array(fp, "stepAA_contacts");
    for (long k = 1; k <= n; ++k) {
      const stepaa& r = list[k];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "stepaa", r.label);
      json_string(fp, "z_directions", r.tp.z_direction ? "+" : "-");
      const char* keys[] = {"", "nt1a", "nt1b", "nt2a", "nt2b"};
      for (long m = 1; m <= 4; ++m) json_string(fp, keys[m], mol.residues[r.nts[m]].idstr);
      json_string(fp, "aa", mol.residues[r.aa].idstr);
      json_dNumberArray(fp, "bp1_params", 6, as_vector(r.bp1.bp_params, 6));
      json_dNumberArray(fp, "bp2_params", 6, as_vector(r.bp2.bp_params, 6));
      json_dNumberArray(fp, "step_params", 6, as_vector(r.step, 6));
      json_dNumberArray(fp, "grooves", 4, std::vector<double>(r.grooves.begin(), r.grooves.end()));
      json_pars_tail(r.tp, fp);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  total_counts("dinucleotide-step/amino-acid contacts", n);
  print_list_heading(o, n, "dinucleotide-step/amino-acid interaction",
                     "       id    step-aa     nt1a         nt1b         nt2a         nt2b         aa"
                     "              Tdst    Rdst     Tx      Ty      Tz      Rx      Ry      Rz",
                     fp);
  for (long k = 1; k <= n; ++k) {
    const stepaa& r = list[k];
    const std::string start = sformat(
        "%4ld  %s  %s %c %-12s %-12s %-12s %-12s %-12s", k, mol.base_name.c_str(), r.label.c_str(),
        mark_of(r.tp), id(r.nts[1], mol), id(r.nts[2], mol), id(r.nts[3], mol), id(r.nts[4], mol),
        id(r.aa, mol));
    print_pars_columns(o, start, r.tp, fp);
    if (Gvars.auxfiles)
      append_triz_model(triz_file_name("stepAA"), start,
                        {0, r.nts[1], r.nts[2], r.nts[3], r.nts[4], r.aa}, &r.mid, mol, st);
  }
}

void check_step_aa(const triz_options& o, const std::vector<triz_helix>& helices, struct_mol& mol,
                   triz_state& st, FILE* fp) {
  if (!o.c_alpha || helices.size() < 2 || fp == nullptr) return;
  std::vector<stepaa> list;
  find_stepaa_contacts(o, helices, mol, list);
  output_stepaa_contacts(o, list, mol, st, fp);
}

}  // namespace vask
