// Base pairs: record and queries, classification, detection, best pairs and
// the G-tetrad revision, tidy-up and marking. The writers are in
// pair_output.cpp.
#include "pairing/pair.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
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

const std::array<const char*, 30> Saenger2Roman = {
    "--",      "01-I",     "02-II",   "03-III",   "04-IV",    "05-V",    "06-VI",    "07-VII",
    "08-VIII", "09-IX",    "10-X",    "11-XI",    "12-XII",   "13-XIII", "14-XIV",   "15-XV",
    "16-XVI",  "17-XVII",  "18-XVIII", "19-XIX",  "20-XX",    "21-XXI",  "22-XXII",  "23-XXIII",
    "24-XXIV", "25-XXV",   "26-XXVI", "27-XXVII", "28-XXVIII", "29-XXIX"};
static_assert(Saenger2Roman.size() == 30, "class 0 and the 29 Saenger classes");

// ---------------------------------------------------------------------------
// Services of the geometry, H-bond and plane stages, reached through one
// place each.
namespace {

constexpr double UNSET = DBL_MAX;

const frame* base_frame_of(long i, const struct_mol& mol) { return base_frame(i, mol); }

long collect_pair_hbonds(long i, long j, struct_mol& mol, std::vector<bond>& hbonds) {
  return get_hbonds_ij(i, j, mol, hbonds);
}

// Centre of the residue's base ring (its base plane).
bool ring_center(long i, const struct_mol& mol, xyz& center) {
  const long k = mol.residues[i].planes[0];
  if (k < 1 || k > mol.num_planes || mol.planes[k].center[1] == DBL_MAX) return false;
  center = mol.planes[k].center;
  return true;
}

double outer_overlap_area(long i, long j, const struct_mol& mol) { return get_outer_overlap_area_byResNum(i, j, mol); }

double base2base_area(long i, long j, const struct_mol& mol) { return get_delta_base2base_area(i, j, mol); }

// The metal residue that both bases coordinate, in both base planes; 0 when none.
long bases_share_metal(long i, long j, const struct_mol& mol) { return ntbases_share_metal(i, j, mol); }

long bases_in_water_bridge(long i, long j, const struct_mol& mol) { return ntbases_in_waterBridge(i, j, mol); }

long nts_linked(long i, long j, const struct_mol& mol) { return residues_in_linkage(i, j, mol); }

double atoms_torsion(long a, long b, long c, long d, const struct_mol& mol) {
  return idx2torsion({0, a, b, c, d}, mol, 0);
}

// H-bond record flags.
bool hb_good_type(const bond& b) { return b.good_type != 0; }
bool hb_both_base(const bond& b, const struct_mol&) { return b.both_base != 0; }
bool hb_any_base(const bond& b, const struct_mol&) { return b.any_base != 0; }
bool hb_good_dist(const bond& b) { return b.good_dist != 0; }
bool hb_mutual_best(const bond& b) { return b.status == 1; }
long hb_json_index(const bond& b) { return b.index; }

// ---------------------------------------------------------------------------
// Window tests of the naming tables.

bool in(double x, double lo, double hi) { return x >= lo && x <= hi; }
bool absin(double x, double lo, double hi) { return in(std::fabs(x), lo, hi); }
bool has(const std::string& list, const std::string& text) {
  return !text.empty() && list.find(text) != std::string::npos;
}

constexpr const char* WC_LETTERS = "A-U; U-A; A-T; T-A; C-G; G-C";
constexpr const char* GU_LETTERS = "G-U; U-G; G-T; T-G";

// Characters 2..4 of the own class: "W-W" and the like.
std::string edge_text(const pair& p) { return p.VASK.size() > 1 ? p.VASK.substr(1, 3) : std::string(); }

double shear(const pair& p) { return p.bp_params[1]; }
double stretch(const pair& p) { return p.bp_params[2]; }
double opening(const pair& p) { return p.bp_params[6]; }
double absX(const pair& p) { return std::fabs(shear(p)); }

bool dWC_in_range(const pair& p) { return in(p.dWC, Gvars.wc_geo, 0.0); }

bool purine_pyrimidine(const pair& p) {
  if (p.bp_upper.size() < 3) return false;
  const std::string R = "AG", Y = "CTU";
  const char a = p.bp_upper[0], b = p.bp_upper[2];
  return (R.find(a) != std::string::npos && Y.find(b) != std::string::npos) ||
         (Y.find(a) != std::string::npos && R.find(b) != std::string::npos);
}

void clear_name_flags(pair& p) {
  p.WC = p.rWC = p.Hoogsteen = p.Hoogsteen_like = p.rHoogsteen = p.rHoogsteen_like = 0;
  p.Wobble = p.Wobble_like = p.rWobble = p.Sheared = p.Sheared_like = 0;
  p.Calcutta = p.Imino = p.Linker = p.Platform = 0;
}

std::string pair_text(const pair& p, const struct_mol& mol) { return get_pair_idstr_abbr(p, mol); }

}  // namespace

// ---------------------------------------------------------------------------
// Record and queries

void init_one_pair(pair& p) {
  p = pair{};
  set_identity_frame(p.frame);
}

std::vector<pair> allocate_pairs_array(long n) {
  VASK_ASSERT(n >= 0);
  std::vector<pair> pairs(static_cast<size_t>(n + 1));
  for (long k = 1; k <= n; ++k) init_one_pair(pairs[k]);
  return pairs;
}

void free_pairs(std::vector<pair>& pairs) { std::vector<pair>().swap(pairs); }

long pair_other_nt(const pair& p, long nt) { return p.nt1 != nt ? p.nt1 : p.nt2; }
long pair_include_nt(const pair& p, long nt) { return p.nt1 == nt || p.nt2 == nt; }
long pair_with_two_nts(const pair& p, long a, long b) {
  return (p.nt1 == a && p.nt2 == b) || (p.nt1 == b && p.nt2 == a);
}
long two_pairs_match(const pair& a, const pair& b) { return pair_with_two_nts(a, b.nt1, b.nt2); }

int pair_compare(const pair& a, const pair& b) {
  if (a.nt1 != b.nt1) return a.nt1 < b.nt1 ? -1 : 1;
  if (a.nt2 != b.nt2) return a.nt2 < b.nt2 ? -1 : 1;
  return 0;
}

void set_pairs_array_status(long n, std::vector<pair>& pairs, long value) {
  for (long k = 1; k <= n; ++k) pairs[k].status = value;
}

void simple_frame(const frame& f, const xyz& p1, const xyz& p2, frame& out) {
  set_identity_frame(out);
  out.org = f.org;
  out.z_axis = f.z_axis;
  diff_xyz(p2, p1, out.y_axis);  // p1 - p2
  derive_frame_x_y0(out);
}

// ---------------------------------------------------------------------------
// Classification

double get_dWC(const par_set& bp, long plus) {
  if (bp[1] == UNSET) return UNSET;
  if (plus)
    return std::fabs(std::fabs(bp[1]) - 0.26) / 0.19 + std::fabs(std::fabs(bp[2]) - 0.14) / 0.13 +
           std::fabs(bp[3]) / 0.31 + std::fabs(std::fabs(bp[4]) - 6.28) / 4.71 +
           std::fabs(std::fabs(bp[5]) - 9.74) / 6.88 + std::fabs(std::fabs(bp[6]) - 0.96) / 3.59;
  return -(std::fabs(std::fabs(bp[1]) - 0.26) / 0.19 + std::fabs(bp[2] + 0.14) / 0.13 +
           std::fabs(bp[3]) / 0.31 + std::fabs(std::fabs(bp[4]) - 6.28) / 4.71 +
           std::fabs(bp[5] + 9.74) / 6.88 + std::fabs(bp[6] - 0.96) / 3.59);
}

long is_Wobble28_by_miscPars(const pair& p) {
  if (!has("W-W", edge_text(p)) || !dWC_in_range(p) || !has(GU_LETTERS, p.bp_upper)) return 0;
  const double X = shear(p);
  if (std::string("TUP").find(p.bp_upper[0]) != std::string::npos) {
    if (X < 0) return 0;
  } else if (X > 0) {
    return 0;
  }
  return in(std::fabs(X), 0.75, 3.5) && absin(stretch(p), 0.0, 1.8) && absin(opening(p), 0.0, 45.0);
}

void assign_common_name(pair& p, long linked) {
  const std::string e = edge_text(p);
  const std::string& L = p.bp_upper;
  const double X = absX(p), S = stretch(p), O = opening(p);
  auto set = [&p](const char* name, long& flag) {
    p.name = name;
    flag = 1;
  };
  if (linked) {
    set("Platform", p.Platform);
  } else if (has("W-W", e) && has(WC_LETTERS, L) && dWC_in_range(p) && in(X, 0, 1.5) && absin(S, 0, 1.26) &&
             absin(O, 0, 45)) {
    set("WC", p.WC);
  } else if (is_Wobble28_by_miscPars(p)) {
    set("Wobble", p.Wobble);
  } else if (has("M+W; W+M", e) && has("A+U; U+A; A+T; T+A", L) && in(X, 0, 1.5) && absin(S, 2.5, 4.5) &&
             absin(O, 45, 90)) {
    set("Hoogsteen", p.Hoogsteen);
  } else if (has("M-W; W-M", e) && has("A-U; U-A; A-T; T-A", L) && in(X, 2.6, 5.4) && in(S, -3.5, 0.2) &&
             in(O, -120, -70) && p.interBase_angle < 72) {
    set("rHoogsteen", p.rHoogsteen);
  } else if (has("M-m; m-M", e) && has("A-G; G-A", L) && in(X, 5.5, 8.0) && in(S, -6.0, -3.0) &&
             absin(O, 0, 50)) {
    set("Sheared", p.Sheared);
  } else if (has("A+G; G+A", L) && in(X, 1.5, 3.6) && absin(S, 6.0, 8.5) && absin(O, 120, 180)) {
    set("Linker", p.Linker);
  } else if (has("M-W; W-M", e) && has("T-T; U-U", L) && in(X, 2.5, 4.5) && absin(S, 0, 1.5) &&
             in(O, -115, -55)) {
    set("Calcutta", p.Calcutta);
  } else if (has("W-W", e) && purine_pyrimidine(p) && dWC_in_range(p) && in(X, 1.5, 3.0) && absin(S, 0, 1.0) &&
             absin(O, 0, 30)) {
    set("~Wobble", p.Wobble_like);
  } else if (has("M+W; W+M", e) && purine_pyrimidine(p) && in(X, 0, 1.5) && absin(S, 2.5, 4.5) &&
             absin(O, 45, 90)) {
    set("~Hoogsteen", p.Hoogsteen_like);
  } else if (has("M-W; W-M", e) && in(X, 2.6, 5.4) && in(S, -3.5, 0.2) && in(O, -120, -70) &&
             p.interBase_angle < 72) {
    set("~rHoogsteen", p.rHoogsteen_like);
  } else if (has("M-m; m-M", e) && in(X, 5.5, 8.0) && in(S, -6.0, -3.0) && absin(O, 0, 50)) {
    set("~Sheared", p.Sheared_like);
  }
}

void expand_wc_pair(pair& p, const struct_mol* mol) {
  if (p.WC || !has("W-W", edge_text(p)) || !has(WC_LETTERS, p.bp_upper)) return;
  if (p.name == "~Wobble" && in(p.dWC, -30.0, 0.0)) {
    clear_name_flags(p);
    p.WC_recovered = 1;
    p.WC = 1;
    p.name = "WC";
    return;
  }
  const double X = absX(p);
  if (!dWC_in_range(p) || X > 2.0 || p.num_base_polar_hbonds <= 0) return;
  if (p.num_base_polar_hbonds == 1) {
    const bool GC = has("C-G; G-C", p.bp_upper);
    if (GC) return;
    if (!(X < 1.0 && std::fabs(stretch(p)) < 1.8 && std::fabs(opening(p)) < 62)) return;
  }
  clear_name_flags(p);
  p.WC_recovered = -1;
  p.WC = 1;
  p.name = "WC";
  if (verbose2() && mol != nullptr) logitf("recovered WC pair: %s\n", pair_text(p, *mol).c_str());
}

double get_pair_quality(const pair& p, const std::vector<bond>& base_hbonds, long linked) {
  const long m = static_cast<long>(base_hbonds.size()) - 1;
  double h = 0.0;
  for (long k = 1; k <= m; ++k) {
    h += std::fabs(base_hbonds[k].distance - 3.0);
    if (!hb_mutual_best(base_hbonds[k])) h += 1.0;
  }
  if (m < 3) h += 3.0 * static_cast<double>(3 - std::max(m, 0L));
  if (linked) h += 3.0;
  const double dwc = p.dWC == UNSET ? 0.0 : std::fabs(p.dWC);
  double q = (h / 3.0) * dwc + 5.0 * (p.rsum == UNSET ? 0.0 : p.rsum);
  if (p.plus_face) q += 10.0;
  q += 3.0 * (p.dv == UNSET ? 0.0 : p.dv);
  if (p.WC_geometry && has(WC_LETTERS, p.bp_upper))
    q += 0.0;
  else if (has(GU_LETTERS, p.bp_upper))
    q += 3.0;
  else
    q += 6.0;
  return q;
}

// The Saenger table, groups in order; a later group may overwrite an earlier
// result, and rows 19..28 form one chain that ends at its first match.
long get_Saenger_class(pair& p) {
  const std::string e = edge_text(p);
  const std::string& L = p.bp_upper;
  const std::string& H = p.hbond_text;
  const double X = absX(p), S = stretch(p), O = opening(p);
  auto rename = [&p](const char* name) { p.name = name; };
  auto reflag = [&p](const char* name, long pair::*flag) {
    clear_name_flags(p);
    p.name = name;
    p.*flag = 1;
  };
  long c = 0;
  if (has("W+W", e) && has("A+A", L) && in(X, 1.0, 2.5) && absin(S, 0, 2.5) && absin(O, 160, 180))
    c = 1;
  else if (has("M+M", e) && has("A+A", L) && in(X, 4.5, 7.0) && absin(S, 4.5, 6.0) && absin(O, 160, 180))
    c = 2;
  else if (has("W+W", e) && has("G+G", L) && in(X, 0.5, 1.5) && absin(S, 0.5, 2.0) && absin(O, 160, 180))
    c = 3;
  else if (has("m+m", e) && has("G+G", L) && in(X, 2.5, 4.5) && absin(S, 7.0, 9.0) && absin(O, 160, 180))
    c = 4;
  else if (has("W-M; M-W", e) && has("A-A", L) && in(X, 3.0, 5.0) && in(S, 0.5, 2.5) && in(O, -125, -90))
    c = 5;
  else if (has("W+M; M+W", e) && has("G+G", L) && in(X, 0, 3.5) && absin(S, 2.5, 4.5) && absin(O, 70, 110))
    c = 6;
  else if (has("W-M; M-W", e) && has("G-G", L) && in(X, 4.5, 7.0) && absin(S, 0, 2.0) && in(O, -140, -80))
    c = 7;

  if (has("W-W", e) && has("A-G; G-A", L) && in(X, 0, 1.0) && in(S, 1.0, 2.5) && absin(O, 0, 45)) {
    c = 8;
    reflag("Imino", &pair::Imino);
  } else if (has("M+W; W+M", e) && has("A+G; G+A", L) && in(X, 0, 2.0) && absin(S, 3.5, 5.5) &&
             absin(O, 50, 125)) {
    c = 9;
  } else if (has("m+W; W+m", e) && has("A+G; G+A", L) && in(X, 2.5, 5.0) && absin(S, 2.5, 5.0) &&
             absin(O, 40, 95)) {
    c = 10;
  } else if (has("M-m; m-M", e) && has("A-G; G-A", L) && in(X, 5.5, 8.0) && in(S, -6.0, -3.0) &&
             absin(O, 0, 50)) {
    c = 11;
  }

  if (has("W+W", e) && has("T+T; U+U", L) && has(H, "N3(imino)-O4(carbonyl)") && in(X, 0.5, 2.5) &&
      absin(S, 0, 3.0) && absin(O, 140, 180))
    c = 12;
  else if (has("W+W", e) && has("T+T; U+U", L) && has(H, "O2(carbonyl)-N3(imino)") && in(X, 1.5, 3.0) &&
           absin(S, 2.0, 4.5) && absin(O, 140, 180))
    c = 13;
  else if (has("W+W", e) && has("C+C", L) && has(H, "N3-N4(amino)") && in(X, 1.0, 2.0) && absin(S, 0, 1.5) &&
           absin(O, 140, 180))
    c = 14;
  else if (has("W+W", e) && has("C+C", L) && has(H, "O2(carbonyl)-N4(amino)") && in(X, 1.5, 2.5) &&
           absin(S, 0, 2.5) && absin(O, 140, 180))
    c = 15;
  else if (has("W-W", e) && has("T-T; U-U", L) && in(X, 1.0, 3.5) && in(S, -2.5, -1.0) && absin(O, 0, 45))
    c = 16;

  if (has("W+W", e) && has("C+U; U+C", L) && in(X, 1.5, 2.5) && absin(S, 1.0, 2.5) && absin(O, 145, 180))
    c = 17;
  else if (has("W-W", e) && has("C-U; U-C", L) && in(X, 0, 2.0) && in(S, -2.5, -0.5) && absin(O, 0, 45))
    c = 18;

  constexpr const char* AT = "A-T; A-U; T-A; U-A";
  constexpr const char* ATplus = "A+T; A+U; T+A; U+A";
  if (has("W-W", e) && has("G-C; C-G", L) && in(X, 0, 1.5) && absin(S, 0, 1.26) && absin(O, 0, 45) &&
      dWC_in_range(p)) {
    c = 19;
    rename("WC");
  } else if (has("W-W", e) && has(AT, L) && in(X, 0, 1.5) && absin(S, 0, 1.26) && absin(O, 0, 45) &&
             dWC_in_range(p)) {
    c = 20;
    rename("WC");
  } else if (has("W+W", e) && has(ATplus, L) && in(X, 0, 1.0) && absin(S, 0, 2.5) && absin(O, 130, 180)) {
    c = 21;
    reflag("rWC", &pair::rWC);
  } else if (has("W+W", e) && has("G+C; C+G", L) && in(X, 0, 1.0) && absin(S, 2.0, 5.5) && absin(O, 130, 180)) {
    c = 22;
    reflag("rWC", &pair::rWC);
  } else if (has("M+W; W+M", e) && has(ATplus, L) && in(X, 0, 1.5) && absin(S, 2.5, 4.5) && absin(O, 45, 90)) {
    c = 23;
    rename("Hoogsteen");
  } else if (has("M-W; W-M", e) && has(AT, L) && in(X, 2.6, 5.4) && in(S, -3.5, 0.2) && in(O, -120, -70) &&
             p.interBase_angle < 72) {
    c = 24;
    rename("rHoogsteen");
  } else if (has("W-M; M-W", e) && has("A-C; C-A", L) && in(X, 2.0, 4.0) && absin(S, 0, 1.5) &&
             in(O, -125, -60)) {
    c = 25;
    rename("~rHoogsteen");
  } else if (has("W+W", e) && has("A+C; C+A", L) && in(X, 0, 1.0) && absin(S, 0, 3.0) && absin(O, 130, 180)) {
    c = 26;
    rename("~rWobble");
  } else if (has("W+W", e) && has("G+T; G+U; T+G; U+G", L) && in(X, 0, 1.0) && absin(S, 0, 2.0) &&
             absin(O, 135, 180)) {
    c = 27;
    reflag("rWobble", &pair::rWobble);
  } else if (is_Wobble28_by_miscPars(p)) {
    c = 28;
    rename("Wobble");
  }

  if (has("m+W; W+m", e) && has("G+C; C+G", L) && in(X, 1.0, 3.0) && absin(S, 2.0, 4.0) && absin(O, 50, 115))
    c = 29;
  return c;
}

void reconcile_Saenger_common_name(pair& p, const struct_mol* mol) {
  const long c = p.Saenger_num;
  long now = c, changes = 0;
  auto expect = [&](bool named, long cls) {  // a named pair takes its class
    if (!named || c == cls) return;
    now = cls;
    ++changes;
  };
  if (c != 19 && c != 20) expect(p.WC, p.bp_upper.find('G') != std::string::npos ? 19 : 20);
  expect(p.Wobble, 28);
  expect(p.Hoogsteen, 23);
  expect(p.rHoogsteen, 24);
  expect(p.Sheared, 11);
  p.Saenger_num = now;
  if (changes == 1 && verbose2() && mol != nullptr)
    logitf("%s [reconcile_Saenger_common_name(): %s ---> %s]\n", pair_text(p, *mol).c_str(),
           Saenger2Roman[static_cast<size_t>(c)], Saenger2Roman[static_cast<size_t>(now)]);
}

void assign_Saenger_class(pair& p, const struct_mol* mol) {
  long c = 0;
  if (p.num_base_polar_hbonds >= 2 && p.num_base_atoms >= 2) c = get_Saenger_class(p);
  if (c != 6 && in(p.dWC, 45.0, 80.0) && has("G+G", p.bp_upper) && has("cW+M; cM+W; .W+M; .M+W", p.VASK)) c = 6;
  p.Saenger_num = c;
  reconcile_Saenger_common_name(p, mol);
  p.Saenger = Saenger2Roman[static_cast<size_t>(p.Saenger_num)];
  if (p.Saenger_num == 15) p.CC_pair = 1;
  if (p.Saenger_num == 6) p.G4_pair = 1;
}

void classify_pair(pair& p, const std::vector<bond>& base_hbonds, long linked, long metal,
                   const struct_mol* mol) {
  assign_common_name(p, linked);
  if (!p.Platform) {
    expand_wc_pair(p, mol);
    if (p.WC || p.Wobble) {
      p.canonical = 1;
      p.WC_geometry = 1;
    } else if (has("W-W", edge_text(p)) && dWC_in_range(p)) {
      const double X = absX(p);
      if (X < 1.6 || std::fabs(opening(p)) < 35) p.WC_geometry = 1;
    }
    if (p.name.empty() && metal) {
      p.metal = metal;
      p.name = "Metal";
    }
  }
  p.quality = get_pair_quality(p, base_hbonds, linked);
  if (Gvars.pair_name == 1 && p.name.find('~') != std::string::npos) p.name.clear();
  if (p.name.empty()) p.name = "--";
  assign_Saenger_class(p, mol);
}

// ---------------------------------------------------------------------------
// H-bonds of a pair

namespace {

// Functional groups of base atoms, looked up by "<base letter>.<atom name>".
constexpr std::array<const char*, 16> name2symbol = {
    "A.N6(amino)",    "C.O2(carbonyl)", "C.N4(amino)",    "G.N1(imino)",    "G.N2(amino)",    "G.O6(carbonyl)",
    "T.O2(carbonyl)", "T.N3(imino)",    "T.O4(carbonyl)", "U.O2(carbonyl)", "U.N3(imino)",    "U.O4(carbonyl)",
    "P.N1(imino)",    "P.O2(carbonyl)", "P.N3(imino)",    "P.O4(carbonyl)"};
static_assert(name2symbol.size() == 16, "functional groups of the base atoms");

constexpr size_t HBOND_TEXT_MAX = 1023;

}  // namespace

std::string atom_name_to_functional_group(char letter, const std::string& atom_name) {
  if (atom_name == " O2'") return "O2'(hydroxyl)";
  const std::string name = trimmed(atom_name);
  const std::string key = sformat("%c.%s", static_cast<char>(std::toupper(static_cast<unsigned char>(letter))),
                                  name.c_str());
  for (const char* row : name2symbol)
    if (std::strncmp(row, key.c_str(), key.size()) == 0) return row + 2;
  return name;
}

std::string derive_hbondStr(char letter1, char letter2, const struct_mol& mol, long nh,
                            const std::vector<bond>& hbonds) {
  const bool groups = Gvars.hbond_string && letter1 && letter2;
  std::string text;
  for (long k = 1; k <= nh; ++k) {
    const bond& b = hbonds[k];
    const std::string& n1 = mol.atoms[b.atom1].name;
    const std::string& n2 = mol.atoms[b.atom2].name;
    const std::string a1 = groups ? atom_name_to_functional_group(letter1, n1) : trimmed(n1);
    const std::string a2 = groups ? atom_name_to_functional_group(letter2, n2) : trimmed(n2);
    const char mid = b.type == 'x' ? '*' : (b.type == '?' ? '?' : '-');
    text += sformat("%s%c%s[%.2f],", a1.c_str(), mid, a2.c_str(), b.distance);
  }
  if (!text.empty()) text.pop_back();
  if (text.size() > HBOND_TEXT_MAX + 1) runlog_msg("H-bond string too long\n");
  if (text.size() > HBOND_TEXT_MAX) text.resize(HBOND_TEXT_MAX);
  return text;
}

void derive_pair_hbonds(long nh, const std::vector<bond>& hbonds, const struct_mol& mol, pair& p) {
  p.num_hbonds = nh;
  std::vector<long> atoms1, atoms2;
  const bool with_indices = (Gvars.idstr == 5 || Gvars.idstr == 6) && mol.num_json_hbonds > 0;
  for (long k = 1; k <= nh; ++k) {
    const bond& b = hbonds[k];
    const bool good_type = hb_good_type(b);
    const bool good_dist = hb_good_dist(b);
    const bool both_base = hb_both_base(b, mol);
    if (b.type == 'p') ++p.num_p_hbonds;
    if (good_type) ++p.num_polar_hbonds;
    if (b.type == 'x') ++p.num_x_hbonds;
    if (good_dist) ++p.num_good_hbonds;
    if (both_base) {
      ++p.num_base_hbonds;
      if (std::find(atoms1.begin(), atoms1.end(), b.atom1) == atoms1.end()) atoms1.push_back(b.atom1);
      if (std::find(atoms2.begin(), atoms2.end(), b.atom2) == atoms2.end()) atoms2.push_back(b.atom2);
      if (good_type) ++p.num_base_polar_hbonds;
    }
    if (hb_any_base(b, mol) && good_type && good_dist) ++p.num_perfect_hbonds;
    if (!with_indices) continue;
    const bool swapped = b.atom1 > b.atom2;
    bond key;
    key.atom1 = std::min(b.atom1, b.atom2);
    key.atom2 = std::max(b.atom1, b.atom2);
    auto first = mol.json_hbonds.begin() + 1;
    auto last = mol.json_hbonds.begin() + 1 + mol.num_json_hbonds;
    auto it = std::lower_bound(first, last, key, bond_compare);
    if (it == last || it->atom1 != key.atom1 || it->atom2 != key.atom2) continue;
    if (p.num_hbond_indices >= MAX_PAIR_HBONDS) {
      // more H-bonds than a pair record indexes: keep the first ones
      if (++Gvars.counts.pair_hbonds_capped <= 9)
        runlog_msg("[w] more than %ld H-bonds in one pair; the rest are not indexed\n", MAX_PAIR_HBONDS);
      continue;
    }
    p.hbond_indices[static_cast<size_t>(++p.num_hbond_indices)] = swapped ? -hb_json_index(*it) : hb_json_index(*it);
  }
  p.num_base_atoms = static_cast<long>(std::min(atoms1.size(), atoms2.size()));
}

// ---------------------------------------------------------------------------
// Edges, cis/trans and simple parameters

void locate_edge_by_base_sugar_atoms(std::array<long, 4>& counts, long pyrimidine, long n,
                                     const std::vector<xyz>& points) {
  counts = {0, 0, 0, 0};
  const double yW = pyrimidine ? 2.0 : 0.0;
  const double yHS = pyrimidine ? 0.0 : -2.0;
  for (long k = 1; k <= n; ++k) {
    const double x = points[k][1], y = points[k][2];
    if (y < yW && x >= -7.5 && x <= 5.0) ++counts[1];
    if (x > 0 && y > yHS) ++counts[2];
    if (x < -1.0 && y > yHS) ++counts[3];
  }
  const long least = std::lround(0.7618 * static_cast<double>(n));
  for (long e = 1; e <= 3; ++e)
    if (counts[static_cast<size_t>(e)] < least) counts[static_cast<size_t>(e)] = 0;
}

namespace {

// The other residue's base atoms (sugar atoms with sugar set) in frame f.
long residue_points_in_frame(long r, const struct_mol& mol, const frame& f, bool sugar, std::vector<xyz>& pts) {
  const residue& res = mol.residues[r];
  pts.assign(1, xyz{});
  for (long a = res.first_atom; a <= res.last_atom; ++a) {
    const atom& at = mol.atoms[a];
    if (at.hydrogen) continue;
    if (sugar ? !at.sugar : !at.base) continue;
    pts.push_back(at.xyz);
  }
  const long n = static_cast<long>(pts.size()) - 1;
  project_xyzNx3_by_frame(f, n, pts);
  return n;
}

// Edge (1 W, 2 H, 3 S; 0 none) that residue `self` (frame f) offers to `other`.
long base_edge(long self, long other, const struct_mol& mol, const frame& f) {
  std::vector<xyz> pts;
  std::array<long, 4> counts{};
  const long pyrimidine = !is_R(self, mol);
  long n = residue_points_in_frame(other, mol, f, false, pts);
  locate_edge_by_base_sugar_atoms(counts, pyrimidine, n, pts);
  if (counts[1] == 0 && counts[2] == 0 && counts[3] == 0) {
    n = residue_points_in_frame(other, mol, f, true, pts);
    locate_edge_by_base_sugar_atoms(counts, pyrimidine, n, pts);
  }
  long best = 0;
  for (long e = 1; e <= 3; ++e)
    if (counts[static_cast<size_t>(e)] > counts[static_cast<size_t>(best)]) best = e;
  if (best == 0) return 0;
  for (long e = 1; e <= 3; ++e)
    if (e != best && counts[static_cast<size_t>(e)] >= counts[static_cast<size_t>(best)]) return 0;
  return best;
}

char get_cis_trans(const pair& p, const struct_mol& mol) {
  const nt_info& a = mol.nt_infos[p.nt1];
  const nt_info& b = mol.nt_infos[p.nt2];
  if (a.C1p < 1 || a.glyco_n < 1 || b.C1p < 1 || b.glyco_n < 1) return '.';
  xyz c1, c2;
  if (ring_center(p.nt1, mol, c1) && ring_center(p.nt2, mol, c2)) {
    xyz g1, g2, r, n1, n2;
    diff_xyz(mol.atoms[a.glyco_n].xyz, mol.atoms[a.C1p].xyz, g1);
    diff_xyz(mol.atoms[b.glyco_n].xyz, mol.atoms[b.C1p].xyz, g2);
    diff_xyz(c1, c2, r);
    cross_xyz(g1, r, n1);
    cross_xyz(g2, r, n2);
    return dot_xyz(n1, n2) < 0 ? 't' : 'c';
  }
  if (p.CNNC_torsion == UNSET) return '.';
  const double t = std::fabs(p.CNNC_torsion);
  if (t < 45) return 'c';
  if (t >= 135 && t <= 180) return 't';
  return '.';
}

}  // namespace

void assign_three_base_edges(pair& p, const struct_mol& mol) {
  const frame* f1 = base_frame_of(p.nt1, mol);
  const frame* f2 = base_frame_of(p.nt2, mol);
  long e1 = 0, e2 = 0;
  if (f1 != nullptr && f2 != nullptr) {
    e1 = base_edge(p.nt1, p.nt2, mol, *f1);
    e2 = base_edge(p.nt2, p.nt1, mol, *f2);
  }
  p.cis_trans = get_cis_trans(p, mol);
  if (e1 == 0 && e2 == 0) {
    p.LW = "--";
    p.VASK = "--";
    return;
  }
  constexpr const char* lw = ".WHS";
  constexpr const char* own = ".WMm";
  const char sign = p.bp.size() > 1 ? p.bp[1] : '-';
  p.LW = {p.cis_trans, lw[e1], lw[e2]};
  p.VASK = {p.cis_trans, own[e1], sign, own[e2]};
}

namespace {

bool simple_ref_point(long r, const struct_mol& mol, xyz& out) {
  const nt_info& nt = mol.nt_infos[r];
  long a = -1;
  switch (Gvars.simple_pair) {
    case 0:
    case 1: a = nt.base3; break;
    case 2: a = nt.glyco_n; break;
    case 4: a = nt.C1p; break;
    case 8: return ring_center(r, mol, out);
    default: return false;
  }
  if (a < 1) return false;
  out = mol.atoms[a].xyz;
  return true;
}

}  // namespace

void derive_simple_pair_params(pair& p, const struct_mol& mol) {
  const frame* f1 = base_frame_of(p.nt1, mol);
  const frame* f2 = base_frame_of(p.nt2, mol);
  xyz p1, p2;
  if (f1 == nullptr || f2 == nullptr || !simple_ref_point(p.nt1, mol, p1) || !simple_ref_point(p.nt2, mol, p2))
    return;
  frame F;
  simple_frame(p.frame, p1, p2, F);
  xyz z1 = f1->z_axis, y1 = f1->y_axis, y2 = f2->y_axis, z2 = f2->z_axis;
  if (!p.plus_face) {
    negate_xyz(y2);
    negate_xyz(z2);
  }
  xyz d;
  diff_xyz(f2->org, f1->org, d);  // origin(i) - origin(j)
  double propeller = get_vector_angle(z2, z1, F.y_axis);
  double buckle = get_vector_angle(z2, z1, F.x_axis);
  const double norm = std::sqrt(buckle * buckle + propeller * propeller);
  if (norm > 1e-6 && p.interBase_angle != UNSET) {
    buckle *= p.interBase_angle / norm;
    propeller *= p.interBase_angle / norm;
  }
  p.bp_simpleParams[1] = dot_xyz(d, F.x_axis);
  p.bp_simpleParams[2] = dot_xyz(d, F.y_axis);
  p.bp_simpleParams[3] = dot_xyz(d, F.z_axis);
  p.bp_simpleParams[4] = buckle;
  p.bp_simpleParams[5] = propeller;
  p.bp_simpleParams[6] = get_vector_angle(y2, y1, F.z_axis);
}

void append_base_plane_points(long r, const struct_mol& mol, std::vector<xyz>& pts) {
  const residue& res = mol.residues[r];
  for (long a = res.first_atom; a <= res.last_atom; ++a)
    if (mol.atoms[a].base && !mol.atoms[a].hydrogen) pts.push_back(mol.atoms[a].xyz);
  const nt_info& nt = mol.nt_infos[r];
  if (nt.glyco_type == 1 && nt.C1p > 0) pts.push_back(mol.atoms[nt.C1p].xyz);
}

double get_planarity_2nts(long i, long j, const struct_mol& mol) {
  std::vector<xyz> pts(1);
  for (long r : {i, j}) append_base_plane_points(r, mol, pts);
  return get_planarity(static_cast<long>(pts.size()) - 1, pts);
}

// ---------------------------------------------------------------------------
// One pair described completely

void fillout_pair(long i, long j, long nh, const std::vector<bond>& hbonds, struct_mol& mol, pair& p) {
  init_one_pair(p);
  p.planarity = get_planarity_2nts(i, j, mol);
  if (Gvars.sasa) p.area = base2base_area(i, j, mol);
  p.intra_chain = with_same_model_chain(i, j, mol);
  p.nt1 = i;
  p.nt2 = j;
  derive_pair_hbonds(nh, hbonds, mol, p);

  const frame* f1 = base_frame_of(i, mol);
  const frame* f2 = base_frame_of(j, mol);
  if (f1 == nullptr || f2 == nullptr) {
    // a base without a frame has no geometry to classify: the record stays unnamed
    p.name = "--";
    p.LW = p.VASK = "--";
    return;
  }
  rotmat mid_rot{};
  xyz mid_org{};
  get_bp_pars_by_frames(*f1, *f2, p.bp_params, mid_rot, mid_org);
  p.plus_face = plus_frames(*f1, *f2);
  p.dWC = get_dWC(p.bp_params, p.plus_face);
  p.xdir = dot_xyz(f1->x_axis, f2->x_axis);
  fillout_frame_from_oR(mid_org, mid_rot, p.frame);  // axes, origin and quaternion
  get_dv_angle(*f1, *f2, p.dv, p.interBase_angle);
  p.dm = get_vdist_min_by_frame(*f1, *f2);
  p.rsum = p.dv / Gvars.pair_vd + p.interBase_angle / Gvars.pair_angle;

  const residue& ri = mol.residues[i];
  const residue& rj = mol.residues[j];
  p.bp = {ri.letter, p.plus_face ? '+' : '-', rj.letter};
  p.bp_upper = upper_copy(p.bp);
  p.hbond_text = derive_hbondStr(p.bp[0], p.bp[2], mol, nh, hbonds);
  p.hbond_types = sformat("%ld%ld%ld%ld", p.num_hbonds, p.num_good_hbonds, p.num_polar_hbonds, p.num_base_hbonds);

  const nt_info& a = mol.nt_infos[i];
  const nt_info& b = mol.nt_infos[j];
  if (a.base3 > 0 && b.base3 > 0) p.C6C8_dist = dist_atoms(a.base3, b.base3, mol);
  if (a.C1p > 0 && b.C1p > 0) p.C1C1_dist = dist_atoms(a.C1p, b.C1p, mol);
  if (a.glyco_n > 0 && b.glyco_n > 0) p.N1N9_dist = dist_atoms(a.glyco_n, b.glyco_n, mol);
  if (a.C1p > 0 && b.C1p > 0) {
    xyz u, v;
    if (a.glyco_n > 0) {
      diff_xyz(mol.atoms[a.C1p].xyz, mol.atoms[a.glyco_n].xyz, u);
      diff_xyz(mol.atoms[a.C1p].xyz, mol.atoms[b.C1p].xyz, v);
      p.lambda1 = angle_xyz(u, v);
    }
    if (b.glyco_n > 0) {
      diff_xyz(mol.atoms[b.C1p].xyz, mol.atoms[a.C1p].xyz, u);
      diff_xyz(mol.atoms[b.C1p].xyz, mol.atoms[b.glyco_n].xyz, v);
      p.lambda2 = angle_xyz(u, v);
    }
  }
  p.CNNC_torsion = atoms_torsion(a.C1p, a.glyco_n, b.glyco_n, b.C1p, mol);

  derive_simple_pair_params(p, mol);
  assign_three_base_edges(p, mol);

  std::vector<bond> base_hbonds(1);
  for (long k = 1; k <= nh; ++k)
    if (hb_both_base(hbonds[k], mol)) base_hbonds.push_back(hbonds[k]);
  const long linked = nts_linked(i, j, mol);
  classify_pair(p, base_hbonds, linked, linked ? 0 : bases_share_metal(i, j, mol), &mol);
  if (p.G4_pair) {
    mol.residues[i].flag[rf::g4_pair_mark] = 1;
    mol.residues[j].flag[rf::g4_pair_mark] = 1;
  }
}

void populate_one_base_pair(long i, long j, struct_mol& mol, pair& p) {
  VASK_ASSERT(good_residue(i, mol) && good_residue(j, mol));
  std::vector<bond> hbonds = allocate_hbond_scratch();
  const long nh = collect_pair_hbonds(i, j, mol, hbonds);
  fillout_pair(i, j, nh, hbonds, mol, p);
}

// ---------------------------------------------------------------------------
// Best pairs and the G-tetrad revision

namespace {

// The residue's stacking partners of the plane contacts.
const connect* stacked_set(long r, const struct_mol& mol) {
  return good_residue(r, mol) ? &mol.residues[r].plane_stacks : nullptr;
}

// One linkage step between i and j, either way.
bool linkage_neighbours(long i, long j, const struct_mol& mol) {
  return good_residue(i, mol) && good_residue(j, mol) &&
         (mol.nt_infos[i].linked.has(j) || mol.nt_infos[j].linked.has(i) || mol.residues[i].linked.has(j));
}

void demote_canonical(pair& p, const struct_mol& mol) {
  p.name = "--";
  p.canonical = p.WC = p.Wobble = 0;
  p.Saenger_num = 0;
  p.Saenger = "--";
  const long metal = bases_share_metal(p.nt1, p.nt2, mol);
  if (metal) {
    p.metal = metal;
    p.name = "Metal";
  }
}

}  // namespace

void mark_best_pairs_by_score(long n, std::vector<pair>& pairs, long num_residues) {
  // A short list (the pairs of one multiplet) is scored on its own residues,
  // ranked in order, rather than over every residue of the structure: the
  // best pairs come out the same, since residues without a pair never match.
  if (n > 0 && n < num_residues / 8) {
    std::vector<long> ids;
    for (long k = 1; k <= n; ++k) {
      ids.push_back(pairs[k].nt1);
      ids.push_back(pairs[k].nt2);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    auto rank = [&ids](long r) { return static_cast<long>(std::lower_bound(ids.begin(), ids.end(), r) - ids.begin()) + 1; };
    std::vector<pair> local(pairs.begin(), pairs.begin() + n + 1);
    for (long k = 1; k <= n; ++k) {
      local[k].nt1 = rank(pairs[k].nt1);
      local[k].nt2 = rank(pairs[k].nt2);
    }
    mark_best_pairs_by_score(n, local, static_cast<long>(ids.size()));
    for (long k = 1; k <= n; ++k) {
      pairs[k].best = local[k].best;
      pairs[k].quality = local[k].quality;
    }
    return;
  }
  std::vector<double> lowest(static_cast<size_t>(num_residues + 1));
  std::vector<long> partner(static_cast<size_t>(num_residues + 1));
  std::vector<long> matched(static_cast<size_t>(num_residues + 1), 0);
  long previous = num_residues;
  for (;;) {
    std::fill(lowest.begin(), lowest.end(), DBL_MAX);
    std::fill(partner.begin(), partner.end(), 0);
    for (long k = 1; k <= n; ++k) {
      const pair& p = pairs[k];
      if (p.quality < 0) continue;
      if (p.quality < lowest[p.nt1]) {
        lowest[p.nt1] = p.quality;
        partner[p.nt1] = p.nt2;
      }
      if (p.quality < lowest[p.nt2]) {
        lowest[p.nt2] = p.quality;
        partner[p.nt2] = p.nt1;
      }
    }
    for (long k = 1; k <= n; ++k) {
      pair& p = pairs[k];
      if (partner[p.nt1] == p.nt2 && partner[p.nt2] == p.nt1) {
        p.best = 1;
        matched[p.nt1] = matched[p.nt2] = 1;
      }
    }
    long unmatched = 0;
    for (long r = 1; r <= num_residues; ++r) unmatched += !matched[r];
    if (unmatched == previous || unmatched == 0) break;
    previous = unmatched;
    for (long k = 1; k <= n; ++k)
      if (matched[pairs[k].nt1] || matched[pairs[k].nt2]) pairs[k].quality = -pairs[k].quality;
  }
  for (long k = 1; k <= n; ++k) pairs[k].quality = std::fabs(pairs[k].quality);
}

namespace {

constexpr double OVERLAP_DIST = 1.2;  // Angstrom between pair-frame origins

// Pairs k < l (among those with keep[k]) whose frame origins lie within 1.2;
// found by a sweep along x so that large lists stay fast.
template <class F>
void for_each_overlap(long n, const std::vector<pair>& pairs, const std::vector<char>& keep, F&& f) {
  std::vector<long> order;
  for (long k = 1; k <= n; ++k)
    if (keep[static_cast<size_t>(k)]) order.push_back(k);
  std::stable_sort(order.begin(), order.end(),
                   [&pairs](long a, long b) { return pairs[a].frame.org[1] < pairs[b].frame.org[1]; });
  std::vector<std::array<long, 2>> hits;
  for (size_t u = 0; u < order.size(); ++u)
    for (size_t v = u + 1; v < order.size(); ++v) {
      const xyz& a = pairs[order[u]].frame.org;
      const xyz& b = pairs[order[v]].frame.org;
      if (b[1] - a[1] > OVERLAP_DIST) break;
      if (dist_in_cutoff(a, b, OVERLAP_DIST)) hits.push_back({std::min(order[u], order[v]), std::max(order[u], order[v])});
    }
  std::sort(hits.begin(), hits.end());
  for (const auto& h : hits) f(h[0], h[1]);
}

}  // namespace

long check_bestpair_overlaps(long n, const std::vector<pair>& pairs, const struct_mol& mol) {
  std::vector<char> keep(static_cast<size_t>(n + 1), 0);
  for (long k = 1; k <= n; ++k) keep[static_cast<size_t>(k)] = pairs[k].best != 0;
  long count = 0;
  for_each_overlap(n, pairs, keep, [&](long k, long l) {
    ++count;
    prglog_msg("[w]  bp-overlaps #%ld:\n", count);
    prglog_msg("\t%s\n", get_pair_idstr_abbr(pairs[k], mol).c_str());
    prglog_msg("\t%s\n", get_pair_idstr_abbr(pairs[l], mol).c_str());
  });
  Gvars.bp_overlaps = count;
  return count;
}

std::string own_class_tail(const pair& p) { return p.VASK.size() > 1 ? p.VASK.substr(1) : std::string(); }

long is_G4pair(const pair& p, const struct_mol& mol) {
  return p.G4_pair && good_residue(p.nt1, mol) && !mol.residues[p.nt1].mismatched_g4.has(p.nt2);
}

long tetrad_like_G4pair(const pair& p, struct_mol& mol, connect* tetrad) {
  if (tetrad != nullptr) tetrad->clear();
  if (!is_G4pair(p, mol)) return 0;
  const long a = p.nt1, b = p.nt2;
  if (mol.residues[a].paired.count < 2 || mol.residues[b].paired.count < 2) return 0;
  pair tmp;
  auto first_g4_partner = [&](long x, long skip) {
    const connect& set = mol.residues[x].paired;
    for (long k = 1; k <= set.count; ++k) {
      const long y = set[k];
      if (y == skip || !is_nt(y, mol)) continue;
      populate_one_base_pair(x, y, mol, tmp);
      if (is_G4pair(tmp, mol)) return y;
    }
    return 0L;
  };
  const long c = first_g4_partner(a, b);
  if (!c) return 0;
  const long d = first_g4_partner(b, a);
  if (!d || !mol.residues[c].paired.has(d) || !mol.residues[d].paired.has(c)) return 0;
  populate_one_base_pair(c, d, mol, tmp);
  if (!is_G4pair(tmp, mol)) return 0;
  if (tetrad != nullptr) {
    for (long g : {a, b, c, d}) add_one_item_to_connect_simple(g, *tetrad, "");
    sort_one_connect(*tetrad);
  }
  return 1;
}

long order_Gtetrad_wc2Major(std::array<long, 5>& tetrad, struct_mol& mol) {
  tetrad[0] = 0;
  const long g1 = tetrad[1];
  long next = 0, previous = 0;
  pair tmp;
  for (size_t k = 2; k <= 4; ++k) {
    const long g = tetrad[k];
    if (!residues_in_pair(g1, g, mol) || mol.residues[g1].mismatched_g4.has(g)) continue;
    populate_one_base_pair(g1, g, mol, tmp);
    if (!tmp.G4_pair) continue;
    const std::string tail = own_class_tail(tmp);
    if (tail == "W+M") next = g;  // a later match replaces an earlier one
    if (tail == "M+W") previous = g;
  }
  if (!next || !previous) return 0;
  long opposite = 0;
  for (size_t k = 2; k <= 4; ++k)
    if (tetrad[k] != next && tetrad[k] != previous) opposite = tetrad[k];
  if (!opposite) return 0;
  populate_one_base_pair(next, opposite, mol, tmp);
  if (own_class_tail(tmp) != "W+M") return 0;
  populate_one_base_pair(opposite, previous, mol, tmp);
  if (own_class_tail(tmp) != "W+M") return 0;
  tetrad[0] = 1;
  tetrad[2] = next;
  tetrad[3] = opposite;
  tetrad[4] = previous;
  return 1;
}

long order_Gtetrad(std::array<long, 5>& tetrad, struct_mol& mol) {
  const long ok = order_Gtetrad_wc2Major(tetrad, mol);
  if (ok && glyco_syn_G4(tetrad[1], mol)) std::swap(tetrad[2], tetrad[4]);
  return ok;
}

namespace {

struct g4_copy {
  long nt1 = 0, nt2 = 0;
  long mark = 0;
  long source = 0;
  bool processed = false;
};

bool in_g4_list(long r, const std::vector<g4_copy>& list) {
  for (const auto& g : list)
    if (g.nt1 == r || g.nt2 == r) return true;
  return false;
}

double get_noG4_stack_areas(long t, const std::vector<g4_copy>& list, long n, const std::vector<pair>& pairs,
                            const struct_mol& mol) {
  const connect* stacked = stacked_set(t, mol);
  if (stacked == nullptr) return 0.0;
  double sum = 0.0;
  for (long k = 1; k <= stacked->count; ++k) {
    const long s = (*stacked)[k];
    if (in_g4_list(s, list)) continue;
    for (long m = 1; m <= n; ++m)
      if (pairs[m].best && pair_include_nt(pairs[m], s) && !in_g4_list(pair_other_nt(pairs[m], s), list))
        sum += outer_overlap_area(t, s, mol);
  }
  return sum;
}

// Tracts of consecutive guanines along the backbone: marks list pairs that
// continue one another, so that one orientation of a G-quadruplex is chosen.
void mark_g4_tracts(std::vector<g4_copy>& list, std::vector<long> S, const struct_mol& mol) {
  auto in_S = [&S](long r) { return std::find(S.begin(), S.end(), r) != S.end(); };
  while (S.size() > 1) {
    std::sort(S.begin(), S.end());
    long marked = 0;
    long current = 0;
    auto mark_first = [&](long x, bool need_neighbour) {
      for (auto& g : list) {
        if (g.mark || (g.nt1 != x && g.nt2 != x)) continue;
        const long y = g.nt1 == x ? g.nt2 : g.nt1;
        if (!in_S(y)) continue;
        if (need_neighbour && (!current || !linkage_neighbours(current, y, mol))) continue;
        g.mark = 1;
        ++marked;
        return y;
      }
      return 0L;
    };
    current = mark_first(S[0], false);
    for (size_t u = 1; u < S.size(); ++u) {
      if (!linkage_neighbours(S[u - 1], S[u], mol)) break;
      const long y = mark_first(S[u], true);
      if (!y) break;
      current = y;
    }
    if (!marked) break;  // nothing more to mark: the tracts are done
    std::vector<long> rest;
    for (long r : S) {
      bool used = false;
      for (const auto& g : list)
        if (g.mark && (g.nt1 == r || g.nt2 == r)) used = true;
      if (!used) rest.push_back(r);
    }
    S.swap(rest);
  }
}

}  // namespace

void reset_bestpair_for_G4pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (!Gvars.g4[0]) {
    for (long k = 1; k <= n; ++k)
      if (is_G4pair(pairs[k], mol) && tetrad_like_G4pair(pairs[k], mol, nullptr)) pairs[k].best = 0;
    return;
  }
  std::vector<long> tetrad_pairs;
  for (long k = 1; k <= n; ++k)
    if (is_G4pair(pairs[k], mol) && tetrad_like_G4pair(pairs[k], mol, nullptr)) tetrad_pairs.push_back(k);
  const long m = static_cast<long>(tetrad_pairs.size());
  if (m < 5 || m % 4 != 0 || !mol.has_backbone) return;

  std::vector<g4_copy> list;
  std::vector<long> S;
  connect tetrad;
  for (long k : tetrad_pairs) {
    tetrad_like_G4pair(pairs[k], mol, &tetrad);
    std::array<long, 5> t{1, tetrad[1], tetrad[2], tetrad[3], tetrad[4]};
    if (!order_Gtetrad(t, mol)) continue;
    list.push_back({pairs[k].nt1, pairs[k].nt2, 0, k, false});
    for (long r : {pairs[k].nt1, pairs[k].nt2})
      if (std::find(S.begin(), S.end(), r) == S.end()) S.push_back(r);
  }
  mark_g4_tracts(list, S, mol);

  for (;;) {
    size_t first = 0;
    while (first < list.size() && list[first].processed) ++first;
    if (first == list.size()) break;
    std::vector<long> R;
    for (const auto& g : list)
      if (!g.processed) {
        R.push_back(g.nt1);
        R.push_back(g.nt2);
      }
    auto in_R = [&R](long r) { return std::find(R.begin(), R.end(), r) != R.end(); };
    std::vector<long> G{list[first].nt1, list[first].nt2};
    auto grow = [&](auto members_of) {
      for (size_t u = 0; u < G.size(); ++u) {
        const connect* set = members_of(G[u]);
        if (set == nullptr) continue;
        for (long k = 1; k <= set->count; ++k) {
          const long r = (*set)[k];
          if (in_R(r) && std::find(G.begin(), G.end(), r) == G.end()) G.push_back(r);
        }
      }
    };
    grow([&mol](long r) -> const connect* { return &mol.residues[r].paired; });
    grow([&mol](long r) { return stacked_set(r, mol); });
    auto in_G = [&G](long r) { return std::find(G.begin(), G.end(), r) != G.end(); };

    long chosen = -1;
    double max_area = Gvars.stack_cutoff;
    for (size_t u = 0; u < list.size(); ++u) {
      if (!in_G(list[u].nt1) || !in_G(list[u].nt2)) continue;
      const double area = get_noG4_stack_areas(list[u].nt1, list, n, pairs, mol) +
                          get_noG4_stack_areas(list[u].nt2, list, n, pairs, mol);
      if (area > max_area) {
        max_area = area;
        chosen = static_cast<long>(u);
      }
    }
    if (chosen >= 0 && list[static_cast<size_t>(chosen)].mark == 0) {
      const g4_copy& c = list[static_cast<size_t>(chosen)];
      prglog_msg("[i] reverted: max-area=%-6.1f G4pair=#%ld: %s with %s\n", max_area, chosen + 1,
                 mol.residues[c.nt1].idstr.c_str(), mol.residues[c.nt2].idstr.c_str());
      for (auto& g : list)
        if (in_G(g.nt1) && in_G(g.nt2)) g.mark = !g.mark;
    }
    for (auto& g : list) {
      if (!in_G(g.nt1) || !in_G(g.nt2)) continue;
      if (g.mark) {
        pairs[g.source].best = 1;
        adjust_bestpair(pairs[g.source], n, pairs);
      }
      g.processed = true;
    }
    // a first pair outside its own group cannot happen, but never loop forever
    list[first].processed = true;
  }
}

void check_for_best_pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (n == 0) return;
  mark_best_pairs_by_score(n, pairs, mol.num_residues);

  if (Gvars.model_mode > 3 && mol.num_models >= 2) {
    std::vector<char> all(static_cast<size_t>(n + 1), 1);
    long count = 0;
    for_each_overlap(n, pairs, all, [&count](long, long) { ++count; });
    if (count > n) runlog_msg("\n[w] pair overlaps: an ensemble of %ld models (--symm?)\n", mol.num_models);
  }

  check_bestpair_overlaps(n, pairs, mol);

  for (long k = 1; k < n; ++k) {
    if (!is_G4pair(pairs[k], mol)) continue;
    for (long l = k + 1; l <= n; ++l) {
      if (!is_G4pair(pairs[l], mol) || pairs[l].nt1 != pairs[k].nt1) continue;
      if (own_class_tail(pairs[l]) != own_class_tail(pairs[k])) continue;
      show_pair_info(k, pairs[k], mol, PRGLOG);
      show_pair_info(l, pairs[l], mol, PRGLOG);
      pair& loser = pairs[l].quality > pairs[k].quality ? pairs[l] : pairs[k];
      loser.G4_pair = 0;
      loser.Saenger_num = 0;
      loser.Saenger = "--";
      add_one_item_to_connect_simple(loser.nt2, mol.residues[loser.nt1].mismatched_g4, "mismatched nts for G4 pair");
      add_one_item_to_connect_simple(loser.nt1, mol.residues[loser.nt2].mismatched_g4, "mismatched nts for G4 pair");
    }
  }

  reset_bestpair_for_G4pairs(n, pairs, mol);
}

// ---------------------------------------------------------------------------
// Tidy-up and marking

void adjust_bestpair(const pair& p, long n, std::vector<pair>& pairs) {
  for (long k = 1; k <= n; ++k) {
    pair& q = pairs[k];
    if (two_pairs_match(p, q)) continue;
    if (pair_include_nt(q, p.nt1) || pair_include_nt(q, p.nt2)) q.best = 0;
  }
}

void remove_wrong_WC_pairs(long n, std::vector<pair>& pairs, const struct_mol& mol) {
  long changed = 0;
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    if (!p.canonical || p.best) continue;
    demote_canonical(p, mol);
    ++changed;
  }
  if (changed && VERBOSITY == 2)
    logitf("[i] -- '%s' has %ld WC pairs reverted\n", mol.file_name.c_str(), changed);
}

void apply_user_pair_marks(long n, std::vector<pair>& pairs, const struct_mol& mol) {
  // a user's best pair takes best away from its competitors, and a canonical
  // competitor is demoted with it, so each nucleotide keeps one canonical partner
  auto take_over = [&](long k) {
    pairs[k].best = 1;
    for (long l = 1; l <= n; ++l) {
      pair& q = pairs[l];
      if (l == k || two_pairs_match(q, pairs[k])) continue;
      if (!pair_include_nt(q, pairs[k].nt1) && !pair_include_nt(q, pairs[k].nt2)) continue;
      q.best = 0;
      if (q.canonical) demote_canonical(q, mol);
    }
  };
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    switch (p.user_mark) {
      case 1:
        p.canonical = 1;
        take_over(k);
        break;
      case -1:
        p.WC = p.Wobble = p.canonical = 0;
        break;
      case 9:
        take_over(k);
        break;
      case -9:
        p.best = 0;
        break;
      default:
        break;
    }
  }
}

void fillout_pairs_per_residue(long n, const std::vector<pair>& pairs, std::vector<residue>& residues) {
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    add_one_item_to_connect_simple(p.nt2, residues[p.nt1].paired, "fillout_pairs_per_residue()");
    add_one_item_to_connect_simple(p.nt1, residues[p.nt2].paired, "fillout_pairs_per_residue()");
  }
}

void mark_residue_str_pair(long n, std::vector<pair>& pairs, struct_mol& mol) {
  // marking again (after pseudoknot removal) starts from clean marks
  for (long r = 1; r <= mol.num_residues; ++r)
    for (int f : {static_cast<int>(rf::num_pairs), static_cast<int>(rf::wc_partner),
                  static_cast<int>(rf::wobble_partner), static_cast<int>(rf::canonical_partner),
                  static_cast<int>(rf::noncanonical_pairs), static_cast<int>(rf::sheared_partner),
                  static_cast<int>(rf::bestpair)})
      mol.residues[r].flag[static_cast<size_t>(f)] = 0;
  for (long k = 1; k <= n; ++k) {
    pair& p = pairs[k];
    p.index = k;
    auto& f1 = mol.residues[p.nt1].flag;
    auto& f2 = mol.residues[p.nt2].flag;
    auto mark_partners = [&](int f) {  // each side records the other
      f1[f] = p.nt2;
      f2[f] = p.nt1;
    };
    ++f1[rf::num_pairs];
    ++f2[rf::num_pairs];
    if (p.canonical) {
      mark_partners(rf::canonical_partner);
      if (p.WC) mark_partners(rf::wc_partner);
      if (p.Wobble) mark_partners(rf::wobble_partner);
    } else {
      ++f1[rf::noncanonical_pairs];
      ++f2[rf::noncanonical_pairs];
    }
    if (p.best) mark_partners(rf::bestpair);
    if (p.Sheared) mark_partners(rf::sheared_partner);
  }
}

void count_special_pairs(long n, const std::vector<pair>& pairs, struct_mol& mol) {
  mol.pair_tallies = {0, 0, 0, 0};
  for (long k = 1; k <= n; ++k) {
    const pair& p = pairs[k];
    if (p.CC_pair)
      ++mol.pair_tallies[TALLY_CC];
    else if (p.Sheared)
      ++mol.pair_tallies[TALLY_SHEARED];
    else if (is_G4pair(p, mol))
      ++mol.pair_tallies[TALLY_G4];
    else if (p.rHoogsteen)
      ++mol.pair_tallies[TALLY_RHOOGSTEEN];
  }
}

void tidyup_and_mark_pairs(long n, std::vector<pair>& pairs, struct_mol& mol) {
  if (n == 0) return;
  check_for_best_pairs(n, pairs, mol);
  remove_wrong_WC_pairs(n, pairs, mol);
  if (!Gvars.pair_list_inp.empty()) {
    apply_user_pair_marks(n, pairs, mol);
  }
  mark_residue_str_pair(n, pairs, mol);
  count_special_pairs(n, pairs, mol);
}

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
long wc_geometry_last_chance(long i, long j, struct_mol& mol, const frame& f1, const frame& f2, double dv,
                             double angle) {
  if (dv > 1.2 || angle > 36) return 0;
  if (good_base2base_distance(i, j, mol, 3.4)) return 1;
  if (!(dot_xyz(f1.x_axis, f2.x_axis) >= 0 && dot_xyz(f1.y_axis, f2.y_axis) < 0 &&
        dot_xyz(f1.z_axis, f2.z_axis) < 0))
    return 0;
  if (!is_nt1_nt2_potential_WC_pair(i, j, mol) || dv > 1.0 || angle > 20 ||
      !good_base2base_distance(i, j, mol, 4.3))
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

long is_pair(long i, long j, struct_mol& mol, long& nh, std::vector<bond>& hbonds) {
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
  if (outer_overlap_area(i, j, mol) > 0) return 0;

  double dv = 0.0, angle = 0.0;
  get_dv_angle(*f1, *f2, dv, angle);
  nh = collect_pair_hbonds(i, j, mol, hbonds);
  const hbond_counts c = count_base_hbonds(nh, hbonds, mol);
  const long metal = bases_share_metal(i, j, mol);

  if (nh == 0) {
    if (!metal && (dv > 1.2 || angle > 36)) return 0;
    const double area = base2base_area(i, j, mol);
    if (area < 72 && !(dv <= 1.0 && angle <= 20 && area >= 56)) return 0;
  }
  if ((Gvars.pair_hbond & 1) && nh < 2) return 0;
  if ((Gvars.pair_hbond & 2) && c.base < 2) return 0;
  if (nts_linked(i, j, mol) &&
      (dv / Gvars.pair_vd + angle / Gvars.pair_angle > 1.62 || angle > Gvars.pair_angle ||
       dv > std::min(2.2, Gvars.pair_vd)))
    return 0;
  const double dm = get_vdist_min_by_frame(*f1, *f2);
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
    pair tmp;
    fillout_pair(i, j, nh, hbonds, mol, tmp);
    if (tmp.num_hbonds == 1 && has(tmp.hbond_text, "O6(carbonyl)*O6(carbonyl") && stretch(tmp) > 4.0 &&
        opening(tmp) < -120)
      return 0;
  }
  if (c.base > 0) return 1;
  if (metal && good_base2base_distance(i, j, mol, 4.6)) return 1;

  const bool bpx = bad_bpx(dv, angle);
  const bool perfect = nh > 0 && with_perfect_base_atom_hbond(nh, hbonds, mol);
  bool to16 = false;
  if (dv <= 1.618 && angle <= 40) {
    if (nh > 0 && perfect) {
      if (good_base2base_distance(i, j, mol, 3.26) && base2base_area(i, j, mol) > 52) return 1;
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
  if (to16 && good_base2base_distance(i, j, mol, Gvars.hbond_dist)) return 1;
  for (long k = 1; k <= nh; ++k)
    if (hbonds[k].status == 8) return 1;
  return wc_geometry_last_chance(i, j, mol, *f1, *f2, dv, angle);
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
    for (long k = 1; k <= listed; ++k) {
      if (!pairs[k].WC || seen[static_cast<size_t>(k)]) continue;
      seen[static_cast<size_t>(k)] = 1;
      const long a = ordered_neighbours(pairs[k].nt1, mol)[1];
      const long b = ordered_neighbours(pairs[k].nt2, mol)[0];
      if (!a || !b || !mol.residues[a].contacts.has(b)) continue;
      bool taken = false;
      for (long l = 1; l <= listed && !taken; ++l) {
        const pair& q = pairs[l];
        if ((q.canonical && (pair_include_nt(q, a) || pair_include_nt(q, b))) || pair_with_two_nts(q, a, b))
          taken = true;
      }
      if (taken) continue;
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
  fillout_pairs_per_residue(n, pairs, mol.residues);
  return pairs;
}

// ---------------------------------------------------------------------------
// The base-pair step of one structure

void find_pairs(struct_mol& mol, long& n, std::vector<pair>& pairs, long report) {
  n = 0;
  pairs.assign(1, pair{});
  Gvars.bp_overlaps = 0;  // a count of this structure only
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
