// Kink turns.
#include "motifs/kturn.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "pairing/area.hpp"
#include "pairing/splay.hpp"
#include "secondary/xref.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long KT_3WAY = 1, KT_JUNCTION = 2, KT_PKNOT = 4, KT_SPLAY = 8, KT_SPLAY_ONLY = 16;
constexpr double MIN_BEND_WITH_PAIR = 32.0;  // degrees: a smaller bend passes only on its own
constexpr double MIN_SASA = 100.0, UNDECIDED_SASA = 200.0;  // square Angstrom
constexpr double MAX_DISTANCE = 30.0;                        // Angstrom, C-pair to NC-pair origin
constexpr size_t MAX_LOOP_TEXT = 512;

long flag(const struct_mol& mol, long i, int which) { return mol.residues[i].flag[which]; }

pair make_pair(long i, long j, struct_mol& mol) {
  pair p;
  init_one_pair(p);
  if (i > 0 && j > 0) populate_one_base_pair(i, j, mol, p);
  return p;
}

bool passes_angles(double bend, double pair_angle) {
  return bend >= Gvars.kturn_angle || (bend >= MIN_BEND_WITH_PAIR && pair_angle >= Gvars.kturn_angle);
}

// The strand extended by the stem strands at its two ends, 5' to 3'.
std::vector<long> fill_full_strand(const struct_mol& mol, const helix_slots& helices,
                                   const std::vector<long>& strand) {
  std::vector<long> out;
  auto stem_strand = [&](long nt) -> std::vector<long> {
    const long s = flag(mol, nt, rf::stem);
    if (s <= 0 || s > helices.num_stems) return {};
    const helix& h = helices.stems[s];
    std::vector<long> a(h.strand1.begin() + 1, h.strand1.begin() + h.num_pairs + 1);
    std::vector<long> b(h.strand2.begin() + 1, h.strand2.begin() + h.num_pairs + 1);
    std::vector<long> v = std::find(a.begin(), a.end(), nt) != a.end() ? a : b;
    VASK_ASSERT(std::find(v.begin(), v.end(), nt) != v.end());
    std::sort(v.begin(), v.end());  // strand 2 is kept in pair order
    return v;
  };
  const std::vector<long> head = stem_strand(strand.front());
  if (!head.empty()) out.insert(out.end(), head.begin(), head.end() - 1);
  out.insert(out.end(), strand.begin(), strand.end());
  const std::vector<long> tail = stem_strand(strand.back());
  if (!tail.empty()) out.insert(out.end(), tail.begin() + 1, tail.end());
  return out;
}

void add_kt_counts(const struct_mol& mol, const std::vector<long>& s1, const std::vector<long>& s2, kturn& k) {
  for (long i : s1) {
    if (flag(mol, i, rf::splayed)) ++k.num_splayed;
    if (flag(mol, i, rf::cap_acceptor)) ++k.num_capped;
    if (flag(mol, i, rf::a_minor) < 0) ++k.num_aminor;
    const long g = flag(mol, i, rf::sheared_partner);
    if (g > 0 && std::find(s2.begin(), s2.end(), g) != s2.end()) {
      ++k.num_sheared;
      const long m = flag(mol, i, rf::multiplet);
      if (m != 0 && m == flag(mol, g, rf::multiplet)) ++k.num_mp_sheared;
    }
  }
}

std::vector<long> pair_nts(const helix& h, long from, long to) {
  std::vector<long> v{0};
  for (long k = from; k <= to; ++k) {
    v.push_back(h.pairs[k].nt1);
    v.push_back(h.pairs[k].nt2);
  }
  return v;
}

std::vector<long> helix_nts(const helix_slots& helices, long h, const pair& p) {
  if (h <= 0 || h > helices.num_helices) return {0, p.nt1, p.nt2};
  return pair_nts(helices.helices[h], 1, helices.helices[h].num_pairs);
}

// A set's atom records, built once; they keep the areas computed within the set.
std::vector<area_rec>& set_atoms_of(const std::vector<long>& set, const struct_mol& mol, kturn_areas& areas) {
  auto at = areas.atoms.find(set);
  if (at == areas.atoms.end())
    at = areas.atoms.emplace(set, get_atom_records_residue_set(static_cast<long>(set.size()) - 1, set, mol)).first;
  return at->second;
}

// area(a) + area(b) - area(a and b), computed where the two sets touch.
double buried_area(const std::vector<long>& a, const std::vector<long>& b, const struct_mol& mol,
                   kturn_areas& areas) {
  if (a.size() < 2 || b.size() < 2) return 0;
  auto key = std::make_pair(a, b);
  auto at = areas.buried.find(key);
  if (at == areas.buried.end()) {
    const double d = get_contact_buried_area_records(set_atoms_of(a, mol, areas), set_atoms_of(b, mol, areas));
    at = areas.buried.emplace(std::move(key), d).first;
  }
  return at->second;
}

// The two residue sets whose buried area measures the bend: the helices of
// the C and NC pairs or, within one helix, its pairs before the sheared pair
// and from it on; false when that helix does not hold the sheared pair.
bool kturn_area_sets(struct_mol& mol, const helix_slots& helices, const kturn& k, std::vector<long>& a,
                     std::vector<long>& b) {
  const long h1 = flag(mol, k.Cpair.nt1, rf::helix), h2 = flag(mol, k.NCpair.nt1, rf::helix);
  if (h1 != h2 || h1 == 0) {
    a = helix_nts(helices, h1, k.Cpair);
    b = helix_nts(helices, h2, k.NCpair);
    return true;
  }
  const helix& h = helices.helices[h1];
  long at = 0;
  for (long j = 1; j <= h.num_pairs && at == 0; ++j)
    if (pair_with_two_nts(h.pairs[j], k.GApair.nt1, k.GApair.nt2)) at = j;
  if (at == 0) {
    prglog_msg("get_Kturn_sasa() -- helix=%ld\tnum_pairs=%ld\n", h1, h.num_pairs);
    return false;
  }
  a = pair_nts(h, 1, at - 1);
  b = pair_nts(h, at, h.num_pairs);
  return true;
}

}  // namespace

// The type test: area change, distance and direction, then the type. The
// area, by far the dearest, is computed last, once the geometry and the
// supporting counts leave a type open.
long is_good_kturn(struct_mol& mol, const helix_slots& helices, kturn& k, kturn_areas* areas) {
  std::vector<long> a, b;
  if (!kturn_area_sets(mol, helices, k, a, b)) {
    k.d_sasa = 0;
    return 0;
  }
  const frame& fc = k.Cpair.frame;
  xyz d;
  diff_xyz(fc.org, k.NCpair.frame.org, d);
  k.direction = {dot_xyz(d, fc.x_axis), dot_xyz(d, fc.y_axis), dot_xyz(d, fc.z_axis)};
  const double x = k.direction[0], y = k.direction[1], z = k.direction[2];
  k.distance = std::sqrt(x * x + y * y + z * z);
  if (k.distance > MAX_DISTANCE) return 0;
  const long f = (k.num_splayed != 0) + (k.num_capped != 0) + (k.num_aminor != 0) + (k.num_mp_sheared != 0);
  const bool normal = x < -5.5 && y < 15 && f >= 1, reverse = x > 6 && y < -5;
  if (!normal && !reverse && f == 0) return 0;
  kturn_areas own;
  k.d_sasa = buried_area(a, b, mol, areas != nullptr ? *areas : own);
  if (k.d_sasa < MIN_SASA) return 0;
  if (normal) {
    k.type = KTURN_NORMAL;
    k.type_text = "Normal k-turn";
  } else if (reverse) {
    k.type = KTURN_REVERSE;
    k.type_text = "REVERSE k-turn";
  } else if (k.d_sasa > UNDECIDED_SASA) {
    k.type = KTURN_UNDECIDED;
    k.type_text = "Undecided case";
  } else {
    return 0;
  }
  if (upper_copy(k.GApair.bp) == "A-G") k.type_text += " [A-G]";
  return 1;
}

std::vector<kturn> allocate_Kturns_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<kturn>(static_cast<size_t>(n) + 1);
}

void free_Kturns(std::vector<kturn>& list) { std::vector<kturn>().swap(list); }

bool Kturn_compare(const kturn& a, const kturn& b) {
  if (a.type != b.type) return a.type < b.type;
  if (a.loop != b.loop) return a.loop < b.loop;
  return a.Cpair.nt1 < b.Cpair.nt1;
}

namespace {

bool loop_has_pknot_stem(const struct_mol& mol, const loop& L) {
  for (long b = 1; b <= L.num_bridges; ++b)
    if (flag(mol, L.bridges[b].nt1, rf::pknot)) return true;
  return false;
}

bool loop_scanned(const struct_mol& mol, const loop& L) {
  if (L.num_sheared_GA == 0 || L.is_hairpin || L.is_bulge) return false;
  if (L.num_bridges == 2) return true;
  if (!(Gvars.kturn & KT_PKNOT) && loop_has_pknot_stem(mol, L)) return false;
  return L.num_bridges >= 3 && ((Gvars.kturn & KT_JUNCTION) || (L.num_bridges == 3 && (Gvars.kturn & KT_3WAY)));
}

long strand_breaks(const struct_mol& mol, const std::vector<long>& s) {
  long n = 0;
  for (size_t k = 1; k < s.size(); ++k)
    if (!residues_in_linkage(s[k - 1], s[k], mol)) ++n;
  return n;
}

// The first nucleotide of a whose sheared partner lies in b; 0 when none.
long first_cross_sheared(const struct_mol& mol, const std::vector<long>& a, const std::vector<long>& b) {
  for (long i : a) {
    const long g = flag(mol, i, rf::sheared_partner);
    if (g > 0 && std::find(b.begin(), b.end(), g) != b.end()) return i;
  }
  return 0;
}

// Splayed, capped and A-minor nucleotides of the two strands, and the votes
// they give: a strand with more of one kind gets its vote.
struct strand_votes {
  std::array<std::array<long, 2>, 3> counts{};
  std::array<long, 2> votes{};
};

strand_votes count_votes(const struct_mol& mol, const std::vector<long>& s1, const std::vector<long>& s2) {
  strand_votes v;
  auto marked = [&mol](const std::vector<long>& s, int which) {
    return static_cast<long>(std::count_if(s.begin(), s.end(), [&](long i) {
      return which == 2 ? flag(mol, i, rf::a_minor) < 0
                        : flag(mol, i, which == 0 ? rf::splayed : rf::cap_acceptor) != 0;
    }));
  };
  for (int w = 0; w < 3; ++w) {
    v.counts[w] = {marked(s1, w), marked(s2, w)};
    if (v.counts[w][0] > v.counts[w][1]) ++v.votes[0];
    if (v.counts[w][1] > v.counts[w][0]) ++v.votes[1];
  }
  return v;
}

void print_diagnostic_msg(const strand_votes& v, struct_mol& mol, const kturn& k) {
  const char* labels[] = {"Splayed", "Capped", "Aminor"};
  for (int w = 0; w < 3; ++w) prglog_msg("%s: %ld %ld\n", labels[w], v.counts[w][0], v.counts[w][1]);
  prglog_msg("sum: %ld %ld\n", v.votes[0], v.votes[1]);
  prglog_msg(" C-pair: %s\n", get_pair_idstr_abbr(k.Cpair, mol).c_str());
  prglog_msg("NC-pair: %s\n", get_pair_idstr_abbr(k.NCpair, mol).c_str());
  prglog_msg("GA-pair: %s\n", get_pair_idstr_abbr(k.GApair, mol).c_str());
}

// A candidate with its three pairs set: the counts, the full strands into
// the nts list, the two stem groups, then the test.
bool complete_kturn(struct_mol& mol, const helix_slots& helices, const std::vector<long>& s1,
                    const std::vector<long>& s2, kturn& k, kturn_areas& areas) {
  add_kt_counts(mol, s1, s2, k);
  const std::vector<long> f1 = fill_full_strand(mol, helices, s1), f2 = fill_full_strand(mol, helices, s2);
  const long len1 = static_cast<long>(f1.size()), len2 = static_cast<long>(f2.size());
  k.nts.insert(k.nts.end(), f1.begin(), f1.end());
  k.nts.insert(k.nts.end(), f2.begin(), f2.end());
  k.Cstem = {get_stem_icpair_idx(s1.front(), mol), 1, len1, len1};
  k.NCstem = {get_stem_icpair_idx(s1.back(), mol), len1 + 1, len1 + len2, len2};
  return is_good_kturn(mol, helices, k, &areas) != 0;
}

// One candidate from bridges k1 < k2 of loop L; true when it is a kink turn.
bool kturn_from_bridges(struct_mol& mol, const helix_slots& helices, long li, const loop& L, long k1, long k2,
                        kturn& k, kturn_areas& areas) {
  const cfrag& c1 = L.bridges[k1];
  const cfrag& c2 = L.bridges[k2];
  if (c1.key == c2.key || c1.key == 0 || c2.key == 0) return false;
  for (const cfrag* c : {&c1, &c2})
    if (c->key < 0 && flag(mol, c->nt1, rf::pknot)) return false;
  const double bend = get_stems_angle_by_indices(c1.key, c2.key, mol, helices);
  const double pangle = get_cfrags_angle(c1, c2, mol);
  if (!passes_angles(bend, pangle)) return false;
  const long p1 = std::min(c1.start, c2.start), p2 = std::max(c1.start, c2.start);
  std::vector<long> s1, s2;
  for (long p = p1; p < p2; ++p) s1.push_back(L.nts[p]);
  for (long p = p2; p <= L.num_nts; ++p) s2.push_back(L.nts[p]);
  for (long p = 1; p < p1; ++p) s2.push_back(L.nts[p]);
  if (s1.empty() || s2.empty() || first_cross_sheared(mol, s1, s2) == 0) return false;
  const strand_votes v = count_votes(mol, s1, s2);
  if (v.votes[1] > v.votes[0] || (v.votes[0] == v.votes[1] && s2.size() > s1.size())) std::swap(s1, s2);
  const long ga = first_cross_sheared(mol, s1, s2);
  if (ga == 0) return false;  // a nucleotide in two sheared pairs keeps one partner mark only
  k = kturn{};
  k.Cpair = make_pair(s1.front(), flag(mol, s1.front(), rf::bestpair), mol);
  k.NCpair = make_pair(s1.back(), flag(mol, s1.back(), rf::bestpair), mol);
  k.GApair = make_pair(ga, flag(mol, ga, rf::sheared_partner), mol);
  VASK_ASSERT(k.GApair.nt1 > 0);
  if (k.Cpair.nt1 <= 0 || k.NCpair.nt1 <= 0 || k.Cpair.nt2 <= 0 || k.NCpair.nt2 <= 0) return false;
  const char code = mol.residues[ga].letter;
  if (code == 'A' || code == 'a')
    prglog_msg("[w] sheared A-G (not G-A) pair: (%s, %s)\n", mol.residues[k.GApair.nt1].idstr.c_str(),
               mol.residues[k.GApair.nt2].idstr.c_str());
  if (VERBOSITY > 0) print_diagnostic_msg(v, mol, k);
  if (!complete_kturn(mol, helices, s1, s2, k, areas)) return false;
  k.loop = li;
  k.bending_angle = bend;
  k.pair_angle = pangle;
  k.strand2_breaks = strand_breaks(mol, s2);
  return true;
}

// ---------------------------------------------------------------------------
// Derivation from splayed dinucleotides

constexpr long SPLAY_WALK = 16;  // nucleotides a walk from the splay may cover
constexpr long SHEARED_REACH = 3;  // a sheared nucleotide this far from the splay makes it a candidate

bool is_sheared(const struct_mol& mol, long i) { return is_nt(i, mol) && flag(mol, i, rf::sheared_partner) > 0; }
bool in_stem(const struct_mol& mol, long i) { return flag(mol, i, rf::stem) > 0; }
bool in_isolated_pair(const struct_mol& mol, long i) { return get_icpair_idx(i, mol) != 0; }

// The nucleotide d steps along the backbone from `from` (d = +1 or -1),
// when both are nucleotides and linked 5' to 3'; 0 otherwise.
long backbone_step(const struct_mol& mol, long from, long d) {
  const long to = from + d;
  if (!is_nt(to, mol)) return 0;
  return (d > 0 ? is_nts_connected(from, to, mol) : is_nts_connected(to, from, mol)) ? to : 0;
}

// From `start` (itself included) along the backbone in direction d, over at
// most SPLAY_WALK connected nucleotides: the first with a Watson-Crick partner.
long walk_to_wc(const struct_mol& mol, long start, long d) {
  long k = start;
  for (long s = 0; s < SPLAY_WALK && k > 0; ++s) {
    if (!is_nt(k, mol)) return 0;
    if (flag(mol, k, rf::wc_partner) > 0) return k;
    k = backbone_step(mol, k, d);
  }
  return 0;
}

// From `start` along the backbone in direction d (one walk of at most
// SPLAY_WALK connected nucleotides): the first sheared nucleotide g, then
// past it the first one in a stem, or in an isolated pair at least 2 past g.
void walk_to_sheared_stem(const struct_mol& mol, long start, long d, long& g, long& n) {
  g = n = 0;
  long k = start;
  for (long s = 0; s < SPLAY_WALK && k > 0; ++s) {
    if (!is_nt(k, mol)) break;
    if (g == 0) {
      if (is_sheared(mol, k)) g = k;
    } else if (in_stem(mol, k) || (in_isolated_pair(mol, k) && (k - g) * d >= 2)) {
      n = k;
      return;
    }
    k = backbone_step(mol, k, d);
  }
}

// The pair of nucleotide i and its best-pair partner (or, sheared, its
// sheared partner); nt1 stays 0 when i has no such partner.
pair partner_pair(struct_mol& mol, long i, int which) {
  const long j = i > 0 ? flag(mol, i, which) : 0;
  return j > 0 ? make_pair(i, j, mol) : make_pair(0, 0, mol);
}

// The three pairs of a candidate splay (i, j), from a stem 5' of the splay to
// one 3' of it with the sheared pair between, or the mirror of that read
// through the partners; false when neither walk finds them.
bool splay_pairs(struct_mol& mol, long i, long j, kturn& k) {
  const long c = walk_to_wc(mol, backbone_step(mol, i, -1), -1);
  long g = 0, n = 0;
  walk_to_sheared_stem(mol, j, +1, g, n);
  if (c > 0 && n > 0) {
    k.Cpair = partner_pair(mol, c, rf::bestpair);
    k.NCpair = partner_pair(mol, n, rf::bestpair);
    k.GApair = partner_pair(mol, g, rf::sheared_partner);
  } else {
    const long c2 = walk_to_wc(mol, j, +1);
    walk_to_sheared_stem(mol, backbone_step(mol, i, -1), -1, g, n);
    if (c2 == 0 || n == 0) return false;
    k.Cpair = partner_pair(mol, flag(mol, c2, rf::bestpair), rf::bestpair);
    k.NCpair = partner_pair(mol, flag(mol, n, rf::bestpair), rf::bestpair);
    k.GApair = partner_pair(mol, flag(mol, g, rf::sheared_partner), rf::sheared_partner);
  }
  return k.Cpair.nt1 > 0 && k.NCpair.nt1 > 0 && k.GApair.nt1 > 0;
}

// Strand 1: the residues from the C-pair's first nucleotide to the NC-pair's,
// unbroken, no stem inside, holding the sheared pair's first nucleotide;
// empty when any of that fails.
std::vector<long> splay_strand1(const struct_mol& mol, const kturn& k) {
  const long from = k.Cpair.nt1, to = k.NCpair.nt1;
  std::vector<long> s{from};
  for (long r = from + 1; r <= to; ++r) {
    if (backbone_step(mol, r - 1, +1) != r) return {};
    if (r != to && in_stem(mol, r)) return {};
    s.push_back(r);
  }
  if (s.size() < 2 || std::find(s.begin(), s.end(), k.GApair.nt1) == s.end()) return {};
  return s;
}

// Strand 2 from the loop that holds the sheared pair's first nucleotide: its
// nucleotides outside strand 1, from the NC-pair's second nucleotide on;
// empty when there is no such loop or the strand lacks a pair's nucleotide.
std::vector<long> splay_strand2_from_loop(const struct_mol& mol, long num_loops, const std::vector<loop>& loops,
                                          const kturn& k, const std::vector<long>& s1) {
  long li = flag(mol, k.GApair.nt1, rf::junction);
  if (li == 0) li = flag(mol, k.GApair.nt1, rf::iloop);
  if (li <= 0 || li > num_loops || loop_has_pknot_stem(mol, loops[li])) return {};
  const loop& L = loops[li];
  std::vector<long> s;
  for (long p = 1; p <= L.num_nts; ++p)
    if (std::find(s1.begin(), s1.end(), L.nts[p]) == s1.end()) s.push_back(L.nts[p]);
  auto holds = [&s](long x) { return std::find(s.begin(), s.end(), x) != s.end(); };
  if (!holds(k.Cpair.nt2) || !holds(k.NCpair.nt2) || !holds(k.GApair.nt2)) return {};
  const auto at = std::find(s.begin(), s.end(), k.NCpair.nt2);
  VASK_ASSERT(at != s.end());
  std::rotate(s.begin(), at, s.end());
  return s;
}

// Strand 2 along the backbone: the path from the NC-pair's second nucleotide
// to the sheared pair's, then on 3' towards the C-pair's second nucleotide
// while the nucleotides touch strand 1, and, when that is not reached, back
// from it as far as they touch; empty when there is no path.
std::vector<long> splay_strand2_by_backbone(const struct_mol& mol, const kturn& k, const std::vector<long>& s1) {
  std::vector<long> path;
  if (nts_i2j_dist(k.NCpair.nt2, k.GApair.nt2, SPLAY_WALK, mol, &path) == 0) return {};
  std::vector<long> s(path.begin() + 1, path.begin() + path[0]);  // without its last, the sheared nt
  auto touches = [&](long x) {
    return std::any_of(s1.begin(), s1.end(), [&](long y) { return residues_in_vdwCnt(x, y, mol) != 0; });
  };
  auto holds = [&s](long x) { return std::find(s.begin(), s.end(), x) != s.end(); };
  const long c2 = k.Cpair.nt2;
  bool reached = false;
  long x = k.GApair.nt2;
  for (long n = 0; n < SPLAY_WALK && x > 0 && !reached; ++n) {
    if (!touches(x)) break;
    s.push_back(x);
    reached = x == c2;
    x = backbone_step(mol, x, +1);
  }
  if (!reached) {
    std::vector<long> back;
    x = c2;
    for (long n = 0; n < SPLAY_WALK && x > 0; ++n) {
      if (holds(x) || !touches(x)) break;
      back.push_back(x);
      x = backbone_step(mol, x, -1);
    }
    s.insert(s.end(), back.rbegin(), back.rend());
  }
  return s;
}

bool same_pair(const pair& a, const pair& b) {
  return (a.nt1 == b.nt1 && a.nt2 == b.nt2) || (a.nt1 == b.nt2 && a.nt2 == b.nt1);
}

// An already listed kink turn with the same sheared pair, or the same two
// stem pairs (in either order).
bool kturn_known(const std::vector<kturn>& found, const kturn& k) {
  for (size_t m = 1; m < found.size(); ++m) {
    const kturn& o = found[m];
    if (same_pair(o.GApair, k.GApair)) return true;
    if ((same_pair(o.Cpair, k.Cpair) && same_pair(o.NCpair, k.NCpair)) ||
        (same_pair(o.Cpair, k.NCpair) && same_pair(o.NCpair, k.Cpair)))
      return true;
  }
  return false;
}

// The splays that may start a kink turn: flagged, outside hairpin loops and
// kink turns already found, with a sheared nucleotide within three of i, and
// sharing no nucleotide with one kept before. Each kept is logged.
std::vector<const ss_par*> splay_candidates(const struct_mol& mol, long num_ss_pars,
                                            const std::vector<ss_par>& ss_pars, const std::vector<kturn>& found) {
  std::vector<char> in_kturn(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (size_t m = 1; m < found.size(); ++m)
    for (size_t t = 1; t < found[m].nts.size(); ++t) in_kturn[found[m].nts[t]] = 1;
  std::vector<const ss_par*> kept;  // grows: nothing bounds the splays of a structure
  for (long q = 1; q <= num_ss_pars; ++q) {
    const ss_par& sp = ss_pars[q];
    const long i = sp.nt1, j = sp.nt2;
    if (!sp.splayed || i <= 0 || j <= 0 || flag(mol, i, rf::hairpin) || in_kturn[i] || in_kturn[j]) continue;
    long hit = 0;
    for (long d = 0; d <= SHEARED_REACH && hit == 0 && is_nt(i + d, mol); ++d)
      if (is_sheared(mol, i + d)) hit = i + d;
    for (long d = 1; d <= SHEARED_REACH && hit == 0 && is_nt(i - d, mol); ++d)
      if (is_sheared(mol, i - d)) {
        hit = i - d;
        prglog_msg("[i] sheared G-A (%s) in the 3' side of %s\n", mol.residues[hit].idstr.c_str(),
                   mol.residues[i].idstr.c_str());
      }
    if (hit == 0) continue;
    const bool shares = std::any_of(kept.begin(), kept.end(), [&](const ss_par* o) {
      return o->nt1 == i || o->nt2 == i || o->nt1 == j || o->nt2 == j;
    });
    if (shares) continue;
    kept.push_back(&sp);
    output_one_splayed_NpN(static_cast<long>(kept.size()), sp, mol, PRGLOG);
  }
  return kept;
}

}  // namespace

void derive_Kturns_from_splayed_strands(struct_mol& mol, const helix_slots& helices, long num_loops,
                                        const std::vector<loop>& loops, long num_ss_pars,
                                        const std::vector<ss_par>& ss_pars, std::vector<kturn>& found,
                                        kturn_areas* areas) {
  kturn_areas own;
  kturn_areas& known = areas != nullptr ? *areas : own;
  if (found.empty()) found.emplace_back();  // record 0 stays unused
  if (mol.num_splay_units == 0) return;
  for (const ss_par* sp : splay_candidates(mol, num_ss_pars, ss_pars, found)) {
    kturn k;
    if (!splay_pairs(mol, sp->nt1, sp->nt2, k)) continue;
    const double bend = get_stems_angle_by_nts(k.Cpair.nt1, k.NCpair.nt1, mol, helices);
    const double pangle = get_angle_between_pairs(k.Cpair, k.NCpair);
    if (!passes_angles(bend, pangle)) continue;
    const std::vector<long> s1 = splay_strand1(mol, k);
    if (s1.empty()) continue;
    std::vector<long> s2 = splay_strand2_from_loop(mol, num_loops, loops, k, s1);
    if (s2.empty()) s2 = splay_strand2_by_backbone(mol, k, s1);
    if (s2.empty() || first_cross_sheared(mol, s1, s2) == 0) continue;
    if (VERBOSITY > 0) print_diagnostic_msg(count_votes(mol, s1, s2), mol, k);
    if (!complete_kturn(mol, helices, s1, s2, k, known) || kturn_known(found, k)) continue;
    prglog_msg("[i] k-turn based on splay: %s\n", mol.residues[sp->nt1].idstr.c_str());
    k.bending_angle = bend;
    k.pair_angle = pangle;
    k.strand2_breaks = strand_breaks(mol, s2);
    found.push_back(std::move(k));
  }
}

void find_Kturns(struct_mol& mol, const helix_slots& helices, long num_loops, std::vector<loop>& loops,
                 long num_ss_pars, const std::vector<ss_par>& ss_pars, long& count, std::vector<kturn>& list) {
  count = 0;
  list.clear();
  if (mol.pair_tallies[TALLY_SHEARED] == 0) return;
  std::vector<kturn> found{kturn{}};  // grows: nothing bounds the kink turns one loop may hold
  kturn_areas areas;
  if (Gvars.kturn & KT_SPLAY_ONLY) {
    prglog_msg("[i] deriving k-turns based on single-stranded splays only.\n");
  } else {
    for (long li = 1; li <= num_loops; ++li) {
      const loop& L = loops[li];
      if (!loop_scanned(mol, L)) continue;
      for (long k1 = 1; k1 < L.num_bridges; ++k1)
        for (long k2 = k1 + 1; k2 <= L.num_bridges; ++k2) {
          kturn k;
          if (kturn_from_bridges(mol, helices, li, L, k1, k2, k, areas)) found.push_back(std::move(k));
        }
    }
  }
  if (Gvars.kturn & KT_SPLAY)
    derive_Kturns_from_splayed_strands(mol, helices, num_loops, loops, num_ss_pars, ss_pars, found, &areas);
  count = static_cast<long>(found.size()) - 1;
  if (count == 0) return;
  total_counts("kink turns", count);
  std::stable_sort(found.begin() + 1, found.end(), Kturn_compare);
  for (long i = 1; i <= count; ++i) {
    kturn& k = found[i];
    if (k.type != KTURN_UNDECIDED)
      for (size_t j = 1; j < k.nts.size(); ++j) mol.residues[k.nts[j]].flag[rf::kturn] = 1;
    if (k.loop > 0) {
      const std::string lower = lower_copy(k.type_text);
      const char* word = lower.find("normal") != std::string::npos    ? "normal"
                         : lower.find("reverse") != std::string::npos ? "reverse"
                                                                      : "undecided";
      std::string& text = loops[k.loop].text;
      text += std::string(" k-turn:") + word;
      if (text.size() > MAX_LOOP_TEXT) text.resize(MAX_LOOP_TEXT);
    }
  }
  list = std::move(found);
}

namespace {

std::string pair_info(const pair& p, const struct_mol& mol) {
  if (p.nt1 <= 0) return "--";
  return sformat("%s (%s,%s) %s", p.bp.c_str(), mol.residues[p.nt1].idstr.c_str(),
                 mol.residues[p.nt2].idstr.c_str(), p.name.c_str());
}

std::vector<long> part(const kturn& k, const std::array<long, 4>& g) {
  std::vector<long> v{0};
  for (long j = g[1]; j <= g[2]; ++j) v.push_back(k.nts[j]);
  return v;
}

std::string strand_text(const kturn& k, const std::array<long, 4>& g, const struct_mol& mol) {
  return get_residues_abbr_ids(g[3], part(k, g), mol);
}

std::string stems_line(const kturn& k, const struct_mol& mol) {
  return sformat("C#%ld[%s] [%s] NC#%ld[%s]", k.Cstem[0], pair_info(k.Cpair, mol).c_str(),
                 pair_info(k.GApair, mol).c_str(), k.NCstem[0], pair_info(k.NCpair, mol).c_str());
}

}  // namespace

void output_Kturn_info_pdb(struct_mol& mol, const std::vector<loop>& loops, long n,
                           const std::vector<kturn>& list, FILE* fp) {
  if (fp == nullptr || n <= 0) return;
  if (Gvars.auxfiles) {
    scoped_file sf(open_ensemble_file("Kturns", mol));
    FILE* out = sf.get();
    for (long i = 1; i <= n; ++i) {
      const kturn& k = list[i];
      begin_ensemble_model(out, i, {stems_line(k, mol),
                                    sformat("strand1 nts=%ld; %s", k.Cstem[3], strand_text(k, k.Cstem, mol).c_str()),
                                    sformat("strand2 nts=%ld; %s", k.NCstem[3], strand_text(k, k.NCstem, mol).c_str())}, mol);
      write_residue_set_pdb_simple(static_cast<long>(k.nts.size()) - 1, k.nts, &k.Cpair.frame, mol, out);
      end_ensemble_model(out);
    }
    close_ensemble_file(sf, mol);
  }
  if (Gvars.json) {
    json_lNumber(fp, "num_Kturns", n);
    json_begin_array(fp, "Kturns");
    for (long i = 1; i <= n; ++i) {
      const kturn& k = list[i];
      json_bareObject_start_with_idx(fp, i);
      json_string(fp, "type", k.type_text);
      if (k.loop > 0)
        json_lNumber(fp, loops[k.loop].num_bridges == 2 ? "iloop_index" : "junction_index",
                     loops[k.loop].type_index);
      json_lNumberArray(fp, "bounding_stems", 2, {0, k.Cstem[0], k.NCstem[0]});
      json_lNumber(fp, "Cstem_index", k.Cstem[0]);
      json_lNumber(fp, "NCstem_index", k.NCstem[0]);
      json_string(fp, "Cstem_pair", pair_info(k.Cpair, mol));
      json_string(fp, "NCstem_pair", pair_info(k.NCpair, mol));
      json_string(fp, "GA_pair", pair_info(k.GApair, mol));
      json_dNumber(fp, "bending_angle", k.bending_angle);
      json_begin_object(fp, "strand1");
      json_numNts_vec0(fp, k.Cstem[3], part(k, k.Cstem), mol);
      json_end_object(fp);
      json_begin_object(fp, "strand2");
      json_numNts_vec0(fp, k.NCstem[3], part(k, k.NCstem), mol);
      json_end_object0(fp);
      json_bareObject_end_check_idx(fp, i, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld possible kink %s\n", "turn");
  for (long i = 1; i <= n; ++i) {
    const kturn& k = list[i];
    std::fprintf(fp, "%4ld %s; ", i, k.type_text.c_str());
    if (k.loop <= 0)
      std::fprintf(fp, "not-in-loop");
    else if (loops[k.loop].num_bridges == 2)
      std::fprintf(fp, "iloop#%ld", loops[k.loop].type_index);
    else
      std::fprintf(fp, "%ld-way-junction#%ld", loops[k.loop].num_bridges, loops[k.loop].type_index);
    std::fprintf(fp, "; between stems [#%ld,#%ld]", k.Cstem[0], k.NCstem[0]);
    if (VERBOSITY > 0) {
      std::fprintf(fp, "\n      sheared-GA=%ld; bending-angle=%.0f; pair-angle=%.0f; sasa=%.0f\n", k.num_sheared,
                   k.bending_angle, k.pair_angle, k.d_sasa);
      std::fprintf(fp, "      A-minor=%ld; splays=%ld; multiplets=%ld; atom/base-stacking=%ld\n", k.num_aminor,
                   k.num_splayed, k.num_mp_sheared, k.num_capped);
      std::fprintf(fp, "      directions [%.1f, %.1f, %.1f]\n", k.direction[0], k.direction[1], k.direction[2]);
    } else {
      std::fprintf(fp, "; bending-angle=%.0f\n", k.bending_angle);
    }
    std::fprintf(fp, "      %s\n", stems_line(k, mol).c_str());
    std::fprintf(fp, "      strand1 nts=%ld; %s\n", k.Cstem[3], strand_text(k, k.Cstem, mol).c_str());
    std::fprintf(fp, "      strand2 nts=%ld%s; %s\n", k.NCstem[3], k.strand2_breaks ? "*" : "",
                 strand_text(k, k.NCstem, mol).c_str());
  }
}

}  // namespace vask
