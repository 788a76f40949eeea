// Protein secondary structure by the DSSP method: the assignment.
#include "interactions/dssp.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <cstring>

#include "pairing/torsion.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Kabsch and Sander: q1 q2 f = 0.42 x 0.20 x 332 kcal/mol, in 0.001 kcal/mol.
constexpr double COUPLING = 27888.0;
constexpr double TOO_CLOSE = 0.5;                // Angstrom between any two of the four atoms
constexpr double CA_MIN = 1.5, CA_MAX = 10.0;    // Angstrom: CA-CA window of an H-bond search
constexpr double BEND_LIMIT = 70.0;              // degrees: a larger bend marks 'S'
// Kabsch and Sander break a chain only where C(i)-N(i+1) exceeds 2.5 A. Old
// entries (4HHB) hold peptide bonds as short as 0.8 A, which the structure's
// own 1.0-2.0 A link window refuses; both count as linked here.
constexpr double PEPTIDE_MAX = 2.5;

bool is_set(const xyz& p) { return p[1] != DBL_MAX && p[2] != DBL_MAX && p[3] != DBL_MAX; }

// The links of one structure, looked up once: next[k] is 1 when residue k is
// linked to residue k + 1 by its peptide bond.
struct chain_links {
  long n = 0;
  std::vector<char> next;
  // Residues i..j (i <= j) consecutively linked; false outside 1..n.
  bool all(long i, long j) const {
    if (i < 1 || j > n || i > j) return false;
    for (long k = i; k < j; ++k)
      if (!next[k]) return false;
    return true;
  }
};

const aa_info& info(long k, const struct_mol& mol) { return mol.aa_infos[k]; }

}  // namespace

bool dssp_linked(long i, long j, const struct_mol& mol) {
  if (is_aas_connected(i, j, mol)) return true;
  if (!both_aas(i, j, mol) || !with_same_model_chain(i, j, mol)) return false;
  const long c = info(i, mol).C, n = info(j, mol).N;
  return c != -1 && n != -1 && atoms_same_model_chain_altloc(c, n, mol) &&
         dist_atoms(c, n, mol) <= PEPTIDE_MAX;
}

namespace {

chain_links get_links(const struct_mol& mol) {
  chain_links L;
  L.n = mol.num_residues;
  L.next.assign(static_cast<size_t>(L.n) + 2, 0);
  for (long k = 1; k < L.n; ++k) L.next[k] = dssp_linked(k, k + 1, mol) ? 1 : 0;
  return L;
}

// O(a)-->H-N(b) is one of a's two best acceptor H-bonds.
bool hbond(long a, long b, const std::vector<dssp_rec>& recs) {
  if (a < 1 || b < 1 || a >= static_cast<long>(recs.size())) return false;
  for (const auto& h : recs[a].acceptor)
    if (h.partner == b && h.energy <= DSSP_HBOND_MAX) return true;
  return false;
}

void keep_best_two(std::array<dssp_hbond, 2>& slots, long partner, long energy) {
  if (energy < slots[0].energy) {
    slots[1] = slots[0];
    slots[0] = {partner, energy};
  } else if (energy < slots[1].energy) {
    slots[1] = {partner, energy};
  }
}

void set_hydrogens(const struct_mol& mol, const chain_links& L, std::vector<dssp_rec>& recs) {
  for (long k = 1; k < L.n; ++k) {
    if (!L.next[k] || mol.residues[k + 1].name == "PRO") continue;
    const long c = info(k, mol).C, o = info(k, mol).O, nn = info(k + 1, mol).N;
    if (c == -1 || o == -1 || nn == -1) continue;
    xyz oc;
    diff_xyz(mol.atoms[o].xyz, mol.atoms[c].xyz, oc);  // O -> C
    const double len = length_xyz(oc);
    if (len < 1e-8) continue;
    move_xyz(mol.atoms[nn].xyz, oc, 1.0 / len, recs[k + 1].H);
  }
}

double atoms_angle(long a1, long a2, long b1, long b2, const struct_mol& mol) {
  if (a1 == -1 || a2 == -1 || b1 == -1 || b2 == -1) return DBL_MAX;
  xyz u, v;
  diff_xyz(mol.atoms[a1].xyz, mol.atoms[a2].xyz, u);
  diff_xyz(mol.atoms[b1].xyz, mol.atoms[b2].xyz, v);
  return angle_xyz(u, v);
}

void set_angles(const struct_mol& mol, const chain_links& L, std::vector<dssp_rec>& recs) {
  for (long i = 1; i <= L.n; ++i) {
    if (!is_aa(i, mol)) continue;
    dssp_rec& r = recs[i];
    const aa_info& a = info(i, mol);
    if (L.all(i - 1, i)) {
      const aa_info& p = info(i - 1, mol);
      r.co_angle = atoms_angle(p.C, p.O, a.C, a.O, mol);
      r.phi = idx2torsion({-1, p.C, a.N, a.CA, a.C}, mol, 0);
    }
    if (L.all(i, i + 1)) r.psi = idx2torsion({-1, a.N, a.CA, a.C, info(i + 1, mol).N}, mol, 0);
    if (L.all(i - 1, i + 2)) {
      r.chirality = idx2torsion(
          {-1, info(i - 1, mol).CA, a.CA, info(i + 1, mol).CA, info(i + 2, mol).CA}, mol, 0);
      if (r.chirality != DBL_MAX) r.label[DSSP_CHIRAL] = r.chirality < 0 ? '-' : '+';
    }
    if (L.all(i - 2, i + 2)) {
      const long c0 = info(i - 2, mol).CA, c2 = info(i + 2, mol).CA;
      r.bend = atoms_angle(c0, a.CA, a.CA, c2, mol);
      r.label[DSSP_BEND] = (r.bend == DBL_MAX || r.bend > BEND_LIMIT) ? 'S' : ' ';
    }
  }
}

// Every counted H-bond between amino acids whose CA atoms lie 1.5 to 10 A
// apart, found on a cell grid of the CA atoms.
void find_backbone_hbonds(const struct_mol& mol, std::vector<dssp_rec>& recs) {
  const long n = mol.num_residues;
  std::vector<xyz> ca(static_cast<size_t>(n) + 1, xyz{0, DBL_MAX, DBL_MAX, DBL_MAX});
  for (long k = 1; k <= n; ++k)
    if (is_aa(k, mol) && info(k, mol).CA != -1) ca[k] = mol.atoms[info(k, mol).CA].xyz;
  const cell_grid grid = make_cell_grid(ca, n, CA_MAX);
  std::vector<long> near;
  for (long i = 1; i <= n; ++i) {
    if (!is_set(ca[i])) continue;
    near.clear();
    for_each_within(grid, ca, ca[i], CA_MAX, [&](long j, double) {
      if (j > i) near.push_back(j);
    });
    std::sort(near.begin(), near.end());
    for (long j : near) {
      if (residues_in_linkage(i, j, mol) || !two_points_within_range(ca[i], ca[j], CA_MIN, CA_MAX))
        continue;
      const long e1 = hb_energy(i, j, mol, recs);  // O(i)-->H-N(j)
      if (e1 <= DSSP_HBOND_MAX) {
        keep_best_two(recs[i].acceptor, j, e1);
        keep_best_two(recs[j].donor, i, e1);
      }
      const long e2 = hb_energy(j, i, mol, recs);  // O(j)-->H-N(i)
      if (e2 <= DSSP_HBOND_MAX) {
        keep_best_two(recs[j].acceptor, i, e2);
        keep_best_two(recs[i].donor, j, e2);
      }
    }
  }
}

// n-turns: O(i)-->H-N(i+n) with i..i+n linked.
void mark_turns(const chain_links& L, std::vector<dssp_rec>& recs) {
  for (long n = 3; n <= 5; ++n) {
    const int col = static_cast<int>(n - 2);
    for (long i = 1; i + n <= L.n; ++i) {
      if (!hbond(i, i + n, recs) || !L.all(i, i + n)) continue;
      char& start = recs[i].label[col];
      start = start == '<' ? 'X' : '>';
      for (long k = i + 1; k < i + n; ++k)
        if (recs[k].label[col] == ' ') recs[k].label[col] = static_cast<char>('0' + n);
      recs[i + n].label[col] = '<';
    }
  }
}

bool turn_start(const dssp_rec& r, int col) { return r.label[col] == '>' || r.label[col] == 'X'; }

// Bridge type of residues i and j (0 none, 1 parallel, 2 antiparallel).
long bridge_type(long i, long j, const std::vector<dssp_rec>& recs) {
  if ((hbond(i - 1, j, recs) && hbond(j, i + 1, recs)) ||
      (hbond(j - 1, i, recs) && hbond(i, j + 1, recs)))
    return 1;
  if ((hbond(i, j, recs) && hbond(j, i, recs)) ||
      (hbond(i - 1, j + 1, recs) && hbond(j - 1, i + 1, recs)))
    return 2;
  return 0;
}

void new_ladder(long type, long i, long j, long n, std::vector<dssp_ladder>& ladders) {
  dssp_ladder d;
  d.type = type;
  d.first1 = d.last1 = i;
  d.first2 = d.last2 = j;
  d.bridges.push_back({i, j});
  d.members.assign(static_cast<size_t>(n) + 1, 0);
  d.members[i] = d.members[j] = 1;
  ladders.push_back(std::move(d));
}

// Bridges, at most two per residue i, each extending the first ladder of its
// type that it continues or starting a new one. Only residues named as
// acceptor partners of i - 1 or i (or the one before such a partner) can
// satisfy a bridge rule, so those are the only ones tried.
void find_ladders(const chain_links& L, const std::vector<dssp_rec>& recs,
                  std::vector<dssp_ladder>& ladders) {
  std::vector<long> cand;
  for (long i = 2; i < L.n; ++i) {
    if (!L.all(i - 1, i + 1)) continue;
    cand.clear();
    for (long a : {i - 1, i})
      for (const auto& h : recs[a].acceptor)
        if (h.partner != 0) {
          cand.push_back(h.partner);
          cand.push_back(h.partner - 1);
        }
    std::sort(cand.begin(), cand.end());
    cand.erase(std::unique(cand.begin(), cand.end()), cand.end());
    long taken = 0;
    for (long j : cand) {
      if (taken == 2) break;
      if (j < i + 3 || !L.all(j - 1, j + 1)) continue;
      const long type = bridge_type(i, j, recs);
      if (type == 0) continue;
      ++taken;
      bool extended = false;
      for (size_t k = 1; k < ladders.size() && !extended; ++k) {
        dssp_ladder& d = ladders[k];
        if (d.type != type || d.last1 + 1 != i) continue;
        if ((type == 1 && d.last2 + 1 == j) || (type == 2 && d.last2 - 1 == j)) {
          d.last1 = i;
          d.last2 = j;
          d.bridges.push_back({i, j});
          d.members[i] = d.members[j] = 1;
          extended = true;
        }
      }
      if (!extended) new_ladder(type, i, j, L.n, ladders);
    }
  }
}

// Ladders of one type joined across a bulge: at most one and four missing
// residues on the two strands (index gaps below 3 and 6, either way round).
void join_bulges(const chain_links& L, std::vector<dssp_ladder>& ladders) {
  const long nl = static_cast<long>(ladders.size()) - 1;
  for (long a = 1; a <= nl; ++a) {
    for (long b = a + 1; b <= nl && ladders[a].next == 0; ++b) {
      const dssp_ladder &x = ladders[a], &y = ladders[b];
      if (x.type != y.type || y.joined_to != 0) continue;
      const long gap1 = y.first1 - x.last1;
      if (gap1 < 1 || gap1 >= 6) continue;
      const long lo2x = std::min(x.first2, x.last2), hi2x = std::max(x.first2, x.last2);
      const long lo2y = std::min(y.first2, y.last2), hi2y = std::max(y.first2, y.last2);
      // a negative gap on strand 2 means the ladders run apart, no bulge
      const long gap2 = x.type == 1 ? y.first2 - x.last2 : x.last2 - y.first2;
      if (gap2 < 0 || !((gap1 < 3 && gap2 < 6) || gap2 < 3)) continue;
      if (!L.all(std::min(x.first1, y.first1), std::max(x.last1, y.last1)) ||
          !L.all(std::min(lo2x, lo2y), std::max(hi2x, hi2y)))
        continue;
      ladders[a].next = b;
      ladders[b].joined_to = a;
    }
  }
}

// The ladders of the bulge-joined chain that starts at head.
std::vector<long> ladder_chain(long head, const std::vector<dssp_ladder>& ladders) {
  std::vector<long> chain;
  for (long k = head; k != 0; k = ladders[k].next) chain.push_back(k);
  return chain;
}

long find_root(std::vector<long>& parent, long k) {
  while (parent[k] != k) k = parent[k] = parent[parent[k]];
  return k;
}

void label_ladders_and_sheets(long n, std::vector<dssp_ladder>& ladders,
                              std::vector<dssp_rec>& recs) {
  const long nl = static_cast<long>(ladders.size()) - 1;
  std::vector<long> heads;
  std::vector<long> head_of(static_cast<size_t>(nl) + 1, 0);
  for (long k = 1; k <= nl; ++k)
    if (ladders[k].joined_to == 0) {
      heads.push_back(k);
      for (long m : ladder_chain(k, ladders)) head_of[m] = k;
    }

  // sheets: chains sharing a residue
  std::vector<long> parent(static_cast<size_t>(nl) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  std::vector<long> owner(static_cast<size_t>(n) + 1, 0);
  for (long k = 1; k <= nl; ++k)
    for (const auto& b : ladders[k].bridges)
      for (long r : b) {
        if (owner[r] == 0)
          owner[r] = head_of[k];
        else
          parent[find_root(parent, head_of[k])] = find_root(parent, owner[r]);
      }
  std::vector<long> sheet_number(static_cast<size_t>(nl) + 1, 0);
  long num_sheets = 0;
  for (long h : heads) {
    const long root = find_root(parent, h);
    if (sheet_number[root] == 0) sheet_number[root] = ++num_sheets;
  }

  long letter = 0;
  for (long h : heads) {
    const std::vector<long> chain = ladder_chain(h, ladders);
    const bool parallel = ladders[h].type == 1;
    const char label = static_cast<char>((parallel ? 'a' : 'A') + letter % 26);
    ++letter;
    const long number = sheet_number[find_root(parent, h)];
    const char sheet = number <= 26 ? static_cast<char>('A' + number - 1) : 'a';
    long lo1 = LONG_MAX, hi1 = 0, lo2 = LONG_MAX, hi2 = 0;
    for (long m : chain) {
      dssp_ladder& d = ladders[m];
      d.label = label;
      d.sheet = sheet;
      d.sheet_number = number;
      lo1 = std::min(lo1, d.first1);
      hi1 = std::max(hi1, d.last1);
      lo2 = std::min({lo2, d.first2, d.last2});
      hi2 = std::max({hi2, d.first2, d.last2});
      for (const auto& b : d.bridges)
        for (int side = 0; side < 2; ++side) {
          dssp_rec& r = recs[b[side]];
          const long partner = b[1 - side];
          if (r.label[DSSP_BRIDGE1] == ' ') {
            r.label[DSSP_BRIDGE1] = label;
            r.L1 = partner;
          } else {
            if (r.label[DSSP_BRIDGE2] != ' ') runlog_msg("===> strand column overwritten <===\n");
            r.label[DSSP_BRIDGE2] = label;
            r.L2 = partner;
          }
        }
    }
    const char ss = hi1 > lo1 ? 'E' : 'B';
    for (auto [lo, hi] : {std::pair{lo1, hi1}, std::pair{lo2, hi2}})
      for (long k = lo; k <= hi; ++k) {
        if (recs[k].label[DSSP_SUMMARY] != 'E') recs[k].label[DSSP_SUMMARY] = ss;
        recs[k].label[DSSP_SHEET] = sheet;
      }
  }
}

// Helices in the order H (overwriting anything), G (only over blanks or G),
// I (over blanks, I or H); each needs two consecutive turn starts. A
// pi-helix takes precedence over an alpha-helix since DSSP 2.1 (2012): one
// extra turn in an alpha-helix is otherwise never seen.
void mark_helices(long n, std::vector<dssp_rec>& recs) {
  struct kind {
    char letter;
    int col;
    long len;
    const char* over;  // summary letters it may replace; null: any
  };
  constexpr kind kinds[] = {{'H', DSSP_TURN4, 4, nullptr}, {'G', DSSP_TURN3, 3, " G"},
                            {'I', DSSP_TURN5, 5, " IH"}};
  for (const kind& h : kinds) {
    if (n <= h.len + 1) continue;
    for (long i = 2; i <= n - h.len; ++i) {
      if (!turn_start(recs[i - 1], h.col) || !turn_start(recs[i], h.col)) continue;
      bool free = true;
      for (long k = i; k < i + h.len && h.over != nullptr; ++k)
        free = free && std::strchr(h.over, recs[k].label[DSSP_SUMMARY]) != nullptr;
      if (!free) continue;
      for (long k = i; k < i + h.len; ++k) recs[k].label[DSSP_SUMMARY] = h.letter;
    }
  }
}

void mark_turns_and_bends(long n, std::vector<dssp_rec>& recs) {
  for (long k = 2; k < n; ++k) {
    dssp_rec& r = recs[k];
    if (r.label[DSSP_SUMMARY] != ' ') continue;
    bool turn = false;
    for (long t = 3; t <= 5 && !turn; ++t)
      for (long m = 1; m < t && !turn; ++m)
        turn = k - m >= 1 && turn_start(recs[k - m], static_cast<int>(t - 2));
    r.label[DSSP_SUMMARY] = turn ? 'T' : r.label[DSSP_BEND];
  }
}

}  // namespace

void init_one_dssp(dssp_rec& r) { r = dssp_rec{}; }

long hb_energy(long i, long j, const struct_mol& mol, const std::vector<dssp_rec>& recs) {
  const long c = info(i, mol).C, o = info(i, mol).O, nn = info(j, mol).N;
  if (c == -1 || o == -1 || nn == -1 || !is_set(recs[j].H)) return 0;
  const xyz &C = mol.atoms[c].xyz, &O = mol.atoms[o].xyz, &N = mol.atoms[nn].xyz, &H = recs[j].H;
  const double rON = dist_xyz(O, N), rCH = dist_xyz(C, H), rOH = dist_xyz(O, H),
               rCN = dist_xyz(C, N);
  if (rON < TOO_CLOSE || rCH < TOO_CLOSE || rOH < TOO_CLOSE || rCN < TOO_CLOSE) {
    logitf("\ttoo close contact between residues %s and %s\n", mol.residues[i].idstr.c_str(),
           mol.residues[j].idstr.c_str());
    return DSSP_TOO_CLOSE;
  }
  return round_long(COUPLING * (1.0 / rON + 1.0 / rCH - 1.0 / rOH - 1.0 / rCN));
}

void assign_dssp(const struct_mol& mol, dssp_result& out) {
  out = dssp_result{};
  if (mol.num_aas == 0) return;
  const long n = mol.num_residues;
  out.recs.assign(static_cast<size_t>(n) + 1, dssp_rec{});
  for (long k = 1; k <= n; ++k) out.recs[k].name = mol.residues[k].name;
  const chain_links L = get_links(mol);
  set_hydrogens(mol, L, out.recs);
  set_angles(mol, L, out.recs);
  find_backbone_hbonds(mol, out.recs);
  mark_turns(L, out.recs);
  out.ladders.assign(1, dssp_ladder{});
  find_ladders(L, out.recs, out.ladders);
  join_bulges(L, out.ladders);
  out.num_ladders = static_cast<long>(out.ladders.size()) - 1;
  label_ladders_and_sheets(n, out.ladders, out.recs);
  mark_helices(n, out.recs);
  mark_turns_and_bends(n, out.recs);
}

void run_dssp(struct_mol& mol) {
  if (mol.num_aas == 0) return;
  dssp_result d;
  assign_dssp(mol, d);
  if (Gvars.auxfiles) output_dssp_to_file(mol, d.recs, d.num_ladders, d.ladders);
  long count = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    mol.aa_infos[k].sstr = d.recs[k].label;
    if (Gvars.test)
      runlog_msg("%4ld %-*s %s\n", ++count, mol.idstr_width, mol.residues[k].idstr.c_str(),
                 d.recs[k].label.c_str());
  }
}

}  // namespace vask
