// Base pairs: the record and its queries, and the classification of a pair
// (common name, Saenger class, quality). See pair.hpp.
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

const std::array<const char*, 30> Saenger2Roman = {
    "--",      "01-I",     "02-II",   "03-III",   "04-IV",    "05-V",    "06-VI",    "07-VII",
    "08-VIII", "09-IX",    "10-X",    "11-XI",    "12-XII",   "13-XIII", "14-XIV",   "15-XV",
    "16-XVI",  "17-XVII",  "18-XVIII", "19-XIX",  "20-XX",    "21-XXI",  "22-XXII",  "23-XXIII",
    "24-XXIV", "25-XXV",   "26-XXVI", "27-XXVII", "28-XXVIII", "29-XXIX"};
static_assert(Saenger2Roman.size() == 30, "class 0 and the 29 Saenger classes");

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

bool is_Wobble28_by_miscPars(const pair& p) {
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

}  // namespace vask
