// Backbone linkages (O3'-P between nucleotides, C-N between amino acids), the
// residue linkage sets, the thread order of residues, nucleic-acid segments,
// per-nucleotide marks, residue contacts and van der Waals contacts, and the
// phosphate and peptide groups. Declared in bond.hpp.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double O3P_MIN = 1.0, O3P_MAX = 2.3;  // O3'-P bond window, Angstrom
constexpr double CN_MIN = 1.0, CN_MAX = 2.0;    // C-N peptide bond window, Angstrom
constexpr double REVERSE_RATIO = 0.8;           // share of links that must run forward

bool valid_residue(long k, const struct_mol& mol) { return k >= 1 && k <= mol.num_residues; }

long nt_atom(long k, const struct_mol& mol, long nt_info::*field, const char* name) {
  if (static_cast<long>(mol.nt_infos.size()) > k) return mol.nt_infos[k].*field;
  return find_atom_in_residue(name, k, mol);
}

long aa_atom(long k, const struct_mol& mol, long aa_info::*field, const char* name) {
  if (static_cast<long>(mol.aa_infos.size()) > k) return mol.aa_infos[k].*field;
  return find_atom_in_residue(name, k, mol);
}

// Atoms a and b bonded, or both selected, compatible (model, chain, altloc)
// and dmin <= d <= dmax (or d < extra when extra > 0).
bool atoms_linked(long a, long b, const struct_mol& mol, double dmin, double dmax, double extra) {
  if (a == -1 || b == -1) return false;
  if (atoms_a_b_covalent_bond(a, b, mol)) return true;
  if (!mol.atoms[a].status || !mol.atoms[b].status) return false;
  if (!atoms_same_model_chain_altloc(a, b, mol)) return false;
  double d = dist_atoms(a, b, mol);
  return (d >= dmin && d <= dmax) || (extra > 0 && d < extra);
}

bool pair_ok(long i, long j, const struct_mol& mol) {
  return i != j && valid_residue(i, mol) && valid_residue(j, mol) && with_same_model_chain(i, j, mol);
}

// Residues with an atom within radius of one of atom list's atoms, ascending.
std::vector<long> residues_near_atoms(const struct_mol& mol, const std::vector<long>& atoms,
                                      double radius) {
  std::vector<long> out;
  for (long a : atoms) {
    if (a == -1) continue;
    for_each_within(mol.atom_grid, mol.atom_xyz, mol.atom_xyz[a], radius,
                    [&](long j, double) { out.push_back(mol.atoms[j].residue); });
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Link predicates

bool is_nts_connected(long i, long j, const struct_mol& mol) {
  if (!pair_ok(i, j, mol) || !both_nts(i, j, mol)) return 0;
  long o3 = nt_atom(i, mol, &nt_info::O3p, " O3'");
  long p = nt_atom(j, mol, &nt_info::P, " P  ");
  return atoms_linked(o3, p, mol, O3P_MIN, O3P_MAX, Gvars.op_bond);
}

bool is_aas_connected(long i, long j, const struct_mol& mol) {
  if (!pair_ok(i, j, mol) || !both_aas(i, j, mol)) return 0;
  long c = aa_atom(i, mol, &aa_info::C, " C  ");
  long n = aa_atom(j, mol, &aa_info::N, " N  ");
  return atoms_linked(c, n, mol, CN_MIN, CN_MAX, 0.0);
}

bool is_nts_connected_either_way(long i, long j, const struct_mol& mol) {
  return is_nts_connected(i, j, mol) || is_nts_connected(j, i, mol);
}

bool is_aas_connected_either_way(long i, long j, const struct_mol& mol) {
  return is_aas_connected(i, j, mol) || is_aas_connected(j, i, mol);
}

bool is_ntaa_connected_either_way(long i, long j, const struct_mol& mol) {
  if (both_nts(i, j, mol)) return is_nts_connected_either_way(i, j, mol);
  if (both_aas(i, j, mol)) return is_aas_connected_either_way(i, j, mol);
  return 0;
}

long nts_in_array_connected_5p_to_3p(long n, const std::vector<long>& list, const struct_mol& mol) {
  long count = 0;
  for (long k = 1; k < n; ++k) count += is_nts_connected(list[k], list[k + 1], mol) != 0;
  return count;
}

long aas_in_array_connected(long n, const std::vector<long>& list, const struct_mol& mol) {
  long count = 0;
  for (long k = 1; k < n; ++k) count += is_aas_connected(list[k], list[k + 1], mol) != 0;
  return count;
}

bool is_aa_i2j_all_connected(long i, long j, const struct_mol& mol) {
  if (i > j) return 0;
  for (long k = i; k < j; ++k)
    if (!is_aas_connected(k, k + 1, mol)) return 0;
  return 1;
}

long residues_all_connected(long n, const std::vector<long>& list, const struct_mol& mol) {
  for (long k = 1; k < n; ++k)
    if (!mol.residues[list[k]].linked.has(list[k + 1])) return 0;
  return 1;
}

long count_nts_break(long n, const std::vector<long>& list, const struct_mol& mol, long either_way) {
  if (n < 2) return n - 1;
  long linked = 0;
  for (long k = 1; k < n; ++k)
    if (is_nts_connected(list[k], list[k + 1], mol) ||
        (either_way && is_nts_connected(list[k + 1], list[k], mol)))
      ++linked;
  return n - 1 - linked;
}

long count_nts_disorder(long n, const std::vector<long>& list, const struct_mol& mol) {
  long count = 0;
  for (long k = 1; k < n; ++k) {
    long a = list[k], b = list[k + 1];
    if (is_nts_connected(a, b, mol)) continue;
    if (mol.residues[a].chain_id == mol.residues[b].chain_id && a > b) ++count;
  }
  return count;
}

// ---------------------------------------------------------------------------
// Linkage distance

long nts_i2j_dist(long i, long j, long max, const struct_mol& mol, std::vector<long>* path) {
  VASK_ASSERT(is_nt(i, mol) && is_nt(j, mol) && max >= 1);
  if (i == j || !with_same_model_chain(i, j, mol)) return 0;
  const connect& start = mol.residues[i].linked;
  if (start.count < 1 || start.count > 2) return 0;
  const long limit = std::min(max, mol.num_nts);
  struct walker {
    std::vector<long> nodes;  // from i
    bool stopped = false;
  };
  std::vector<walker> w(static_cast<size_t>(start.count));
  for (long k = 0; k < start.count; ++k) w[k].nodes = {i, start[k + 1]};
  auto found = [&](walker& x) {
    if (x.nodes.back() != j) return false;
    if (path != nullptr) {
      path->assign(x.nodes.size() + 1, 0);
      (*path)[0] = static_cast<long>(x.nodes.size());
      for (size_t k = 0; k < x.nodes.size(); ++k) (*path)[k + 1] = x.nodes[k];
    }
    return true;
  };
  for (auto& x : w)
    if (found(x)) return static_cast<long>(x.nodes.size()) - 1;
  for (;;) {
    bool moved = false;
    for (auto& x : w) {
      if (x.stopped) continue;
      long cur = x.nodes.back(), prev = x.nodes[x.nodes.size() - 2], next = 0;
      const connect& lk = mol.residues[cur].linked;
      for (long k = 1; k <= lk.count; ++k)
        if (lk[k] != prev && lk[k] != i) {
          next = lk[k];
          break;
        }
      if (next == 0 || static_cast<long>(x.nodes.size()) - 1 > limit) {
        x.stopped = true;
        continue;
      }
      moved = true;
      x.nodes.push_back(next);
      if (found(x)) return static_cast<long>(x.nodes.size()) - 1;
    }
    if (!moved) return 0;
  }
}

long nts_dist1(long i, long j, const struct_mol& mol) { return nts_i2j_dist(i, j, 1, mol, nullptr) == 1; }

long nts_connected_distN(long i, long j, const struct_mol& mol, long n) {
  long d = nts_i2j_dist(i, j, n, mol, nullptr);
  return d >= 1 && d <= n;
}

bool is_nt_i2j_all_connected(long i, long j, const struct_mol& mol, long either_way) {
  if (i == j) return 1;
  long d = nts_i2j_dist(i, j, std::labs(j - i), mol, nullptr);
  return either_way ? d == std::labs(j - i) : d == j - i;
}

// ---------------------------------------------------------------------------
// Threads of linked records

long extract_one_lkg(const std::vector<connect>& sets, long start, std::vector<long>& path) {
  const connect& s0 = sets[start];
  if (s0.count != 1 && s0.count != 2) {
    prglog_msg("entry#3:\n");
    return 0;
  }
  path.assign(2, 0);
  path[1] = start;
  path.push_back(s0[1]);
  std::vector<char> in_path(sets.size(), 0);
  in_path[start] = in_path[s0[1]] = 1;
  for (;;) {
    long cur = path.back();
    const connect& s = sets[cur];
    if (s.count == 1) {
      if (in_path[s[1]]) return static_cast<long>(path.size()) - 1;
      prglog_msg("\nentry#1: %6ld %6ld\n", cur, s[1]);
      return 0;
    }
    if (s.count != 2) {
      prglog_msg("entry#3:\n");
      return 0;
    }
    long a = s[1], b = s[2];
    if (in_path[a] && in_path[b]) return static_cast<long>(path.size()) - 1;  // a closed ring
    if (!in_path[a] && !in_path[b]) {
      prglog_msg("entry#2: %6ld %6ld %6ld\n", cur, a, b);
      return 0;
    }
    long next = in_path[a] ? b : a;
    in_path[next] = 1;
    path.push_back(next);
  }
}

long extract_one_residue_thread(long start, const std::vector<connect>& sets,
                                std::vector<long>& path) {
  long n = extract_one_lkg(sets, start, path);
  if (n == 0) fatal("problem with ordering residues!\n");
  if (verbose2()) {
    std::string text = sformat("\nFragments information\nlength=%ld [", n);
    for (long k = 1; k <= n; ++k) text += sformat(" %4ld", path[k]);
    text += "]\n";
    logit(text.c_str());
  }
  return n;
}

long find_atom_in_range(const char* name, long first, long last, const std::vector<atom>& atoms,
                        const std::string& residue_id) {
  const std::string_view want(name);
  long found = -1;
  for (long i = first; i <= last; ++i) {
    if (!same_atom_name(atoms[i].name, want)) continue;
    if (found == -1) {
      found = i;
      if (residue_id.empty()) return found;
    } else {
      prglog_msg("\tmore than one <%s> atoms in %s\n", name, residue_id.c_str());
      prglog_msg("\t*****the first match is used*****\n");
      return found;
    }
  }
  if (found == -1 && !residue_id.empty() && verbose2())
    prglog_msg("\tmissing atom [%s] in %s\n", name, residue_id.c_str());
  return found;
}

void warn_out_of_order(const char* label, long a, long b, const struct_mol& mol) {
  logitf("[w]  with %s out of order: %s[%ld] vs %s[%ld]\n", label, mol.residues[a].idstr.c_str(), a,
         mol.residues[b].idstr.c_str(), b);
}

// ---------------------------------------------------------------------------
// Linkage stage

void populate_ntaaLkgs(struct_mol& mol) {
  VASK_ASSERT(mol.stage.atom_types);
  ensure_atom_grid(mol);
  const long n = mol.num_residues;
  for (long k = 1; k < n; ++k)
    if (is_ntaa_connected_either_way(k, k + 1, mol)) fillout_one_lkg(k, k + 1, mol);

  // Residues still missing a partner: candidates come from the grid around
  // their linking atoms, tried in index order as a scan of later residues would.
  const double reach = std::max(O3P_MAX, Gvars.op_bond);
  for (long k = 1; k <= n; ++k) {
    if (!is_ntaa(k, mol) || mol.residues[k].linked.count == 2) continue;
    std::vector<long> link_atoms;
    if (is_nt(k, mol))
      link_atoms = {nt_atom(k, mol, &nt_info::O3p, " O3'"), nt_atom(k, mol, &nt_info::P, " P  ")};
    else
      link_atoms = {aa_atom(k, mol, &aa_info::C, " C  "), aa_atom(k, mol, &aa_info::N, " N  ")};
    for (long m : residues_near_atoms(mol, link_atoms, reach)) {
      if (mol.residues[k].linked.count == 2) break;  // keeps both sides of every link
      if (m <= k || !is_ntaa(m, mol) || mol.residues[m].linked.count == 2) continue;
      if (mol.residues[k].linked.has(m)) continue;
      if (is_ntaa_connected_either_way(k, m, mol)) fillout_one_lkg(k, m, mol);
    }
  }

  // The downstream link atom of k (P of the next nucleotide, N of the next
  // amino acid); a second candidate is a link error and clears it.
  auto set_next = [&mol](long k, long m, long& next, long atom, const char* kind) {
    if (next != -1)
      prglog_msg("[e] %s link error: %s-%s [%s]\n", kind, mol.residues[k].idstr.c_str(),
                 mol.residues[m].idstr.c_str(), mol.residues[mol.atoms[next].residue].idstr.c_str());
    next = next == -1 ? atom : -1;
  };
  for (long k = 1; k <= n; ++k) {
    if (!is_ntaa(k, mol)) continue;
    const connect& lk = mol.residues[k].linked;
    for (long t = 1; t <= lk.count; ++t) {
      long m = lk[t];
      if (is_nts_connected(k, m, mol)) set_next(k, m, mol.nt_infos[k].next_P, mol.nt_infos[m].P, "nts");
      if (is_aas_connected(k, m, mol)) set_next(k, m, mol.aa_infos[k].next_N, mol.aa_infos[m].N, "aas");
    }
  }
  mol.stage.ntaa_linkages = 1;
}

// ---------------------------------------------------------------------------
// Order

void populate_ordered_residues(struct_mol& mol) {
  VASK_ASSERT(mol.stage.ntaa_linkages);
  const long n = mol.num_residues;
  std::vector<connect> work(static_cast<size_t>(n) + 1);
  for (long k = 1; k <= n; ++k) work[k] = mol.residues[k].linked;
  std::vector<char> placed(static_cast<size_t>(n) + 1, 0);
  std::vector<long> order(1, 0), path;
  long next_end = 1;
  for (;;) {
    while (next_end <= n && (placed[next_end] || work[next_end].count != 1)) ++next_end;
    if (next_end > n) break;
    long len = extract_one_residue_thread(next_end, work, path);
    long forward = 0;
    bool counted = true;
    if (is_nt(path[1], mol))
      forward = nts_in_array_connected_5p_to_3p(len, path, mol);
    else if (is_aa(path[1], mol))
      forward = aas_in_array_connected(len, path, mol);
    else
      counted = false;
    if (counted && round_long(REVERSE_RATIO * static_cast<double>(len - 1)) > forward) {
      if (verbose1()) runlog_msg("\nReverse linkage direction ...\n");
      reverse_larray(len, path);
    }
    for (long k = 1; k <= len; ++k) {
      VASK_ASSERT(!placed[path[k]]);
      placed[path[k]] = 1;
      order.push_back(path[k]);
    }
  }
  for (long k = 1; k <= n; ++k)
    if (!placed[k]) order.push_back(k);
  VASK_ASSERT(static_cast<long>(order.size()) == n + 1);
  mol.residue_order = order;

  mol.nt_order.assign(1, 0);
  mol.aa_order_marks.assign(1, 0);
  for (long k = 1; k <= n; ++k) {
    if (is_nt(order[k], mol)) mol.nt_order.push_back(order[k]);
    if (is_aa(order[k], mol)) mol.aa_order_marks.push_back(order[k]);
  }
  VASK_ASSERT(static_cast<long>(mol.nt_order.size()) - 1 == mol.num_nts);
  VASK_ASSERT(static_cast<long>(mol.aa_order_marks.size()) - 1 == mol.num_aas);
  auto check_order = [&](const std::vector<long>& list, long& flag, const char* label) {
    for (size_t k = 1; k + 1 < list.size(); ++k) {
      long a = list[k], b = list[k + 1];
      if (mol.residues[a].linked.has(b) && a > b) {
        flag = 0;
        warn_out_of_order(label, a, b, mol);
        return;
      }
    }
  };
  mol.nts_in_order = 1;
  mol.aas_in_order = 1;
  check_order(mol.nt_order, mol.nts_in_order, "nts");
  check_order(mol.aa_order_marks, mol.aas_in_order, "aas");

  mol.nt_residue.assign(1, 0);
  mol.aa_residue.assign(1, 0);
  for (long k = 1; k <= n; ++k) {
    if (is_nt(k, mol)) {
      mol.nt_residue.push_back(k);
      mol.residues[k].flag[rf::nt_number] = static_cast<long>(mol.nt_residue.size()) - 1;
    }
    if (is_aa(k, mol)) mol.aa_residue.push_back(k);
  }
  mol.stage.ordered_residues = 1;
}

void populate_na_segments(struct_mol& mol) {
  const long n = mol.num_residues;
  mol.num_segments = 0;
  mol.segments.assign(1, segidx{});
  if (n == 0) return;
  std::vector<long> run(static_cast<size_t>(n) + 1, 0);
  long num = 0;
  for (long i = 1; i <= n; ++i) {
    if (run[i] || !is_nt(i, mol)) continue;
    if (i < n && mol.residues[i].linked.has(i + 1)) {
      run[i] = ++num;
      for (long k = i; k < n && mol.residues[k].linked.has(k + 1); ++k) run[k + 1] = num;
    }
  }
  for (long i = 1; i <= n; ++i)
    if (is_nt(i, mol) && run[i] == 0) run[i] = ++num;
  long nseg = 0;
  std::vector<segidx> all = get_segidx(n, run, nseg);
  for (long s = 1; s <= nseg; ++s) {
    if (!is_nt(all[s].start, mol)) continue;
    all[s].key = 3;
    mol.segments.push_back(all[s]);
  }
  mol.num_segments = num;
}

void populate_nts_miscs(struct_mol& mol) {
  VASK_ASSERT(mol.stage.ordered_residues);
  const std::vector<long>& nts = mol.nt_residue;
  const long n = static_cast<long>(nts.size()) - 1;
  for (long k = 1; k < n; ++k) {
    long a = nts[k], b = nts[k + 1];
    if (with_same_model_chain(a, b, mol) && !is_nts_connected_either_way(a, b, mol))
      mol.residues[a].flag[rf::break_mark] = 'x';
  }
  std::string log;
  for (long k = 2; k < n; ++k) {
    long a = nts[k - 1], b = nts[k], c = nts[k + 1];
    if (!with_same_model_chain(a, b, mol) || !with_same_model_chain(b, c, mol)) continue;
    if (!is_nts_connected_either_way(a, b, mol) || !is_nts_connected_either_way(b, c, mol)) continue;
    long ca = mol.nt_infos[a].C1p, cb = mol.nt_infos[b].C1p, cc = mol.nt_infos[c].C1p;
    if (ca == -1 || cb == -1 || cc == -1) continue;
    long angle = round_long(angle_3atoms(ca, cb, cc, mol));
    mol.residues[b].flag[rf::c1_angle] = angle;
    if (verbose2()) log += sformat("%4ld %s\t%ld\n", k, mol.residues[b].idstr.c_str(), angle);
  }
  if (verbose2()) prglog_msg("\nC1'...C1'...C1' angles\n%s", log.c_str());
  for (long k = 1; k <= n; ++k) {
    residue& r = mol.residues[nts[k]];
    if (std::strchr("ACGTU", r.letter) == nullptr || r.letter == '\0') r.flag[rf::modified] = 1;
  }
}

// ---------------------------------------------------------------------------
// Contacts

void populate_contacts(struct_mol& mol) {
  VASK_ASSERT(mol.stage.atom_types);
  ensure_atom_grid(mol);
  const long n = mol.num_residues;
  std::vector<char> included(static_cast<size_t>(n) + 1, 0);
  for (long k = 1; k <= n; ++k) included[k] = residue_to_include(mol.parts, k, mol) != 0;
  // Two residues are in contact when two of their heavy atoms are closer than
  // the cutoff.
  long& warned = mol.warned.connects;
  auto add = [&warned](long item, connect& set) {
    if (set.count < CONNECT_MAX)
      set.append(item);
    else if (warned < 9)  // the warning, for the first few
      add_one_item_to_connect_simple(item, set, "populate_contacts()", warned);
    else
      ++warned;  // dropped, counted as the bounded add counts it
  };
  // The residue of each heavy atom of an included residue, 0 for the other
  // atoms: the inner loop then reads one number, not the atom record.
  std::vector<long> owner(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    if (!a.hydrogen && a.residue >= 1 && a.residue <= n && included[a.residue]) owner[i] = a.residue;
  }
  std::vector<char> keep(owner.size(), 0);
  for (size_t i = 1; i < owner.size(); ++i) keep[i] = owner[i] != 0;
  const packed_cells cells = pack_cells(mol.atom_grid, mol.atom_xyz, keep);
  std::vector<long> packed_owner(cells.index.size());
  for (size_t e = 0; e < packed_owner.size(); ++e) packed_owner[e] = owner[cells.index[e]];
  // Every atom pair is tried once, cube pair by cube pair; each residue keeps
  // the later residues it meets, without repeats (a residue meets few).
  // A residue that meets many (atoms piled on one another) keeps them with
  // repeats, sorted out whenever the list doubles: no scan per meeting.
  constexpr size_t FEW = 16;
  std::vector<std::vector<long>> later(static_cast<size_t>(n) + 1);
  std::vector<size_t> tidy_at(static_cast<size_t>(n) + 1, 4 * FEW);
  auto tidy = [](std::vector<long>& met) {
    std::sort(met.begin(), met.end());
    met.erase(std::unique(met.begin(), met.end()), met.end());
  };
  for_each_close_pair(cells, packed_owner, CONTACT_CUTOFF, [&](long e, long f) {
    long r = packed_owner[e], o = packed_owner[f];
    if (r > o) std::swap(r, o);
    std::vector<long>& met = later[r];
    if (met.size() < FEW) {
      if (std::find(met.begin(), met.end(), o) == met.end()) met.push_back(o);
      return;
    }
    met.push_back(o);
    if (met.size() >= tidy_at[r]) {
      tidy(met);
      tidy_at[r] = std::max(4 * FEW, 2 * met.size());
    }
  });
  // Residue by residue, the later residues met are added in ascending order,
  // as a double loop over residue pairs would add them; no pair is met twice,
  // so sets that are not full take members without the duplicate scan.
  for (long r = 1; r <= n; ++r) {
    std::vector<long>& near = later[r];
    tidy(near);
    for (long j : near) {
      add(j, mol.residues[r].contacts);
      add(r, mol.residues[j].contacts);
    }
  }
  for (long k = 1; k <= n; ++k) sort_one_connect(mol.residues[k].contacts);
  mol.stage.contacts = 1;
}

namespace {

// Two residues with a pair of heavy atoms in van der Waals contact; the
// atoms' points, radii and hydrogen marks as the caller keeps them.
template <class Point, class Radius, class Heavy>
bool heavy_atoms_touch(const residue& ri, const residue& rj, Point point, Radius radius, Heavy heavy) {
  for (long a = ri.first_atom; a <= ri.last_atom; ++a) {
    if (!heavy(a)) continue;
    for (long b = rj.first_atom; b <= rj.last_atom; ++b)
      if (heavy(b) && vdw_contact(point(a), point(b), radius(a), radius(b))) return true;
  }
  return false;
}

}  // namespace

void populate_vdwCnts(struct_mol& mol) {
  VASK_ASSERT(mol.stage.contacts);
  // The atom pairs of every residue pair in contact are tried: their points,
  // radii and hydrogen marks come from compact arrays, not from the large
  // atom records.
  ensure_atom_grid(mol);
  const std::vector<xyz>& pts = mol.atom_xyz;
  std::vector<double> vdw(static_cast<size_t>(mol.num_atoms) + 1, 0.0);
  std::vector<char> heavy(vdw.size(), 0);
  for (long a = 1; a <= mol.num_atoms; ++a) {
    vdw[a] = element_table.vdw_radius[mol.atoms[a].atomic_number];
    heavy[a] = !mol.atoms[a].hydrogen;
  }
  for (long i = 1; i <= mol.num_residues; ++i) {
    const connect& cs = mol.residues[i].contacts;
    for (long t = 1; t <= cs.count; ++t) {
      long j = cs[t];
      if (j <= i) continue;
      if (!heavy_atoms_touch(
              mol.residues[i], mol.residues[j], [&](long a) -> const xyz& { return pts[a]; },
              [&](long a) { return vdw[a]; }, [&](long a) { return heavy[a] != 0; }))
        continue;
      add_one_item_to_connect_simple(j, mol.residues[i].vdw_contacts, "populate_vdwCnts()", mol.warned.connects);
      add_one_item_to_connect_simple(i, mol.residues[j].vdw_contacts, "populate_vdwCnts()", mol.warned.connects);
    }
  }
  for (long k = 1; k <= mol.num_residues; ++k) sort_one_connect(mol.residues[k].vdw_contacts);
  mol.stage.vdw_contacts = 1;
}

bool residues_touch(long i, long j, const struct_mol& mol) {
  const auto& atoms = mol.atoms;
  return heavy_atoms_touch(
      mol.residues[i], mol.residues[j], [&](long a) -> const xyz& { return atoms[a].xyz; },
      [&](long a) { return element_table.vdw_radius[atoms[a].atomic_number]; },
      [&](long a) { return !atoms[a].hydrogen; });
}

// ---------------------------------------------------------------------------
// Phosphate and peptide groups

namespace {

// The first covalent partner of atom i with this name; -1 when none.
long bonded_partner_named(long i, const char* name, const struct_mol& mol) {
  const connect& bd = mol.atoms[i].bonded;
  for (long t = 1; t <= bd.count; ++t)
    if (mol.atoms[bd[t]].name == name) return bd[t];
  return -1;
}

}  // namespace

void populate_PO4(struct_mol& mol) {
  VASK_ASSERT(mol.stage.bonds);
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_nt(k, mol)) continue;
    nt_info& n = mol.nt_infos[k];
    n.po4 = {-1, n.P, n.OP1, n.OP2, -1, n.O5p};
    if (n.P != -1) n.po4[4] = bonded_partner_named(n.P, " O3'", mol);
  }
  mol.stage.po4_links = 1;
}

void populate_peptide(struct_mol& mol) {
  VASK_ASSERT(mol.stage.bonds);
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    aa_info& a = mol.aa_infos[k];
    a.peptide = {-1, a.CA, a.C, a.O, -1, -1};
    const long n = a.C == -1 ? -1 : bonded_partner_named(a.C, " N  ", mol);
    if (n == -1) continue;
    if (mol.atoms[n].residue == k) {
      prglog_msg("[e] %s: C--N\n", mol.residues[k].idstr.c_str());
      continue;
    }
    a.peptide[4] = n;
    a.peptide[5] = find_atom_in_residue(" CA ", mol.atoms[n].residue, mol);
  }
  mol.stage.peptide_links = 1;
}

void populate_PO4_contacts_bridges(struct_mol& mol) {
  VASK_ASSERT(mol.stage.vdw_contacts && mol.stage.po4_links && mol.stage.ntaa_linkages);
  if (mol.num_nts == 0) return;
  auto touches_po4 = [&](long first, long last, bool base_only, long j) {
    const nt_info& nj = mol.nt_infos[j];
    for (long a = first; a <= last; ++a) {
      if (base_only && !mol.atoms[a].base) continue;
      for (int t = 1; t <= 5; ++t)
        if (nj.po4[t] != -1 && atoms_ij_in_vdwCnt(a, nj.po4[t], mol)) return true;
    }
    return false;
  };
  for (long i = 1; i <= mol.num_residues; ++i) {
    const bool nt = is_nt(i, mol);
    if (!nt && !is_aa(i, mol)) continue;
    const residue& ri = mol.residues[i];
    for (long t = 1; t <= ri.vdw_contacts.count; ++t) {
      long j = ri.vdw_contacts[t];
      if (!is_nt(j, mol) || j == i) continue;
      if (nt && is_nts_connected(i, j, mol)) continue;
      if (!touches_po4(ri.first_atom, ri.last_atom, nt, j)) continue;
      add_one_item_to_connect_simple(j, mol.residues[i].po4_contacts, "PO4 contacts", mol.warned.connects);
      add_one_item_to_connect_simple(i, mol.residues[j].po4_bridges, "PO4 bridges", mol.warned.connects);
    }
  }
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_ntaa(k, mol)) continue;
    sort_one_connect(mol.residues[k].po4_contacts);
    sort_one_connect(mol.residues[k].po4_bridges);
  }
  if (!verbose2()) return;
  auto list = [&](const char* title, connect residue::*set) {
    runlog_msg("%s", title);
    for (long k = 1; k <= mol.num_residues; ++k) {
      const connect& s = mol.residues[k].*set;
      if (is_nt(k, mol) && s.count > 1)
        runlog_msg("%s: nts=%ld %s\n", mol.residues[k].idstr.c_str(), s.count,
                   get_connect_abbr_full_ids(s, mol).c_str());
    }
  };
  list("-------- Base/aa-PO4 contacts --------\n", &residue::po4_contacts);
  list("-------- PO4s bridging base/aa --------\n", &residue::po4_bridges);
}

void write_pdb_in_order(struct_mol& mol, const std::string& file) {
  if (file.empty()) return;
  scoped_file sf(output_file(file.c_str()));
  FILE* fp = sf.get();
  write_residue_set_pdb_simple(mol.num_residues, mol.residue_order, nullptr, mol, fp);
  end_pdbfile(fp);
  sf.close();
}

void t_write_residue_hbonds(const struct_mol& mol) {
  runlog_msg("\nList of H-bonds per residue\n");
  for (long k = 1; k <= mol.num_residues; ++k) {
    const connect& s = mol.residues[k].hbonded;
    if (s.count == 0) continue;
    runlog_msg("%s [%ld]", mol.residues[k].idstr.c_str(), s.count);
    for (long t = 1; t <= s.count; ++t) runlog_msg("\t%s", mol.residues[s[t]].idstr.c_str());
    runlog_msg("\n");
  }
  runlog_msg("\n");
}

}  // namespace vask
