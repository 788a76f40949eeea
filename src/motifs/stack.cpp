// Base stacks: stacking networks cut into piles, and their report.
#include "motifs/stack.hpp"

#include <algorithm>
#include <string>

#include "motifs/network.hpp"
#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "secondary/xref.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long MAX_SIDE_PARTNERS = 16;  // stacked partners kept on each face of a base
constexpr double FORK_BONUS = 66.0;     // end score of a pile end with two partners on its face
constexpr long STACK_MIN = 2;           // members of a stacking network

// A nucleotide of a stem that is not one of the two of its first or last pair.
bool stem_internal(long k, const struct_mol& mol) {
  return get_stem_idx(k, mol) != 0 && mol.residues[k].flag[rf::stem_end] == 0;
}

// A stacking plane contact that joins two residues into a stack.
bool stack_edge(const planeCnt& c, const struct_mol& mol) {
  const long a = c.res1, b = c.res2;
  if (!(Gvars.stacked_nts & STACK_STEM) && share_stem(a, b, mol)) return false;
  const bool nt_a = is_nt(a, mol), nt_b = is_nt(b, mol);
  if (nt_a && nt_b)
    return (Gvars.stacked_nts & STACK_STEM) || (!stem_internal(a, mol) && !stem_internal(b, mol));
  // a nucleotide and an aromatic (side-chain) plane, in either order
  if (nt_a && is_aa(b, mol))
    return !stem_internal(a, mol) && mol.planes[c.plane2].kind == PLANE_SIDECHAIN;
  if (nt_b && is_aa(a, mol))
    return !stem_internal(b, mol) && mol.planes[c.plane1].kind == PLANE_SIDECHAIN;
  return false;
}

const frame* plane_frame(long k, const struct_mol& mol) {
  const plane* p = get_nt_scp_plane(k, mol);
  return p == nullptr ? nullptr : frame_by_index(p->frame_index, mol);
}

bool has_nt(const std::vector<long>& list, const struct_mol& mol) {
  for (long r : list)
    if (is_nt(r, mol)) return true;
  return false;
}

// Partners on the two faces of one member, best overlap first.
struct side_lists {
  std::vector<std::pair<double, long>> up, down;  // (outer overlap area, residue)
};

std::string side_text(const std::vector<std::pair<double, long>>& side) {
  std::string s;
  for (const auto& [area, r] : side) s += sformat(" [%ld, %.1f]", r, area);
  return s;
}

// A stacking contact between two members of a network: i < j, with the
// outer overlap and the face of each that the other lies on.
struct stack_link {
  long i = 0, j = 0;
  double area = 0;
  bool j_above_i = false, i_above_j = false;
};

// The stacking links among the members of a network (ascending), in member
// order; measured once, then read for each pile cut from the network.
std::vector<stack_link> network_links(const std::vector<long>& S, const struct_mol& mol) {
  std::vector<stack_link> links;
  for (size_t a = 0; a < S.size(); ++a)
    for (size_t b = a + 1; b < S.size(); ++b) {
      const long i = S[a], j = S[b];
      if (!residuePlanes_in_stack(i, j, mol)) continue;
      const double area = get_outer_overlap_area_byResNum(i, j, mol);
      if (area < Gvars.stack_cutoff) continue;
      const frame* fi = plane_frame(i, mol);
      const frame* fj = plane_frame(j, mol);
      if (fi == nullptr || fj == nullptr) continue;
      links.push_back({i, j, area, frame2_on_positiveZ_side(*fi, *fj) != 0,
                       frame2_on_positiveZ_side(*fj, *fi) != 0});
    }
  return links;
}

// Side lists of every member of S (ascending residue numbers) from the links
// whose two ends are still in S.
std::vector<side_lists> build_sides(const std::vector<long>& S, const std::vector<stack_link>& links,
                                    const struct_mol& mol) {
  const size_t n = S.size();
  std::vector<side_lists> sides(n);
  auto at = [&S](long r) {
    auto it = std::lower_bound(S.begin(), S.end(), r);
    return it != S.end() && *it == r ? static_cast<long>(it - S.begin()) : -1L;
  };
  auto add = [&](std::vector<std::pair<double, long>>& side, double area, long r) {
    if (static_cast<long>(side.size()) >= MAX_SIDE_PARTNERS) {
      prglog_msg("[i] -- too many stacked partner [%ld]\n", static_cast<long>(side.size()) + 1);
      return;
    }
    side.emplace_back(area, r);
  };
  for (const stack_link& l : links) {
    const long a = at(l.i), b = at(l.j);
    if (a < 0 || b < 0) continue;
    add(l.j_above_i ? sides[a].up : sides[a].down, l.area, l.j);
    add(l.i_above_j ? sides[b].up : sides[b].down, l.area, l.i);
  }
  auto by_area = [](const auto& x, const auto& y) { return x.first > y.first; };
  for (size_t a = 0; a < n; ++a) {
    std::stable_sort(sides[a].up.begin(), sides[a].up.end(), by_area);
    std::stable_sort(sides[a].down.begin(), sides[a].down.end(), by_area);
    if (PRGLOG != nullptr)
      prglog_msg(" \t%4ld %-*s +z[%ld]%s ||| -z[%ld]%s\n", static_cast<long>(a + 1), mol.idstr_width,
                 mol.residues[S[a]].idstr.c_str(), static_cast<long>(sides[a].up.size()),
                 side_text(sides[a].up).c_str(), static_cast<long>(sides[a].down.size()),
                 side_text(sides[a].down).c_str());
  }
  return sides;
}

bool any_in_chain(const std::vector<std::pair<double, long>>& side, const std::vector<long>& chain) {
  for (const auto& [area, r] : side)
    if (std::find(chain.begin(), chain.end(), r) != chain.end()) return true;
  return false;
}

// One walk through the pile S from its best end; empty when no member can start.
std::vector<long> walk_one_chain(const std::vector<long>& S, const std::vector<side_lists>& sides,
                                 const struct_mol& mol) {
  long start = -1;
  double best = 0;
  for (size_t a = 0; a < S.size(); ++a) {
    const auto& up = sides[a].up;
    const auto& down = sides[a].down;
    if (up.empty() == down.empty()) continue;  // both faces or none: not an end
    const auto& side = up.empty() ? down : up;
    const double score = side.front().first + (side.size() >= 2 ? FORK_BONUS : 0.0);
    if (start == -1 || score > best) {
      start = static_cast<long>(a);
      best = score;
    }
  }
  if (start == -1) return {};
  auto at = [&S](long r) { return static_cast<size_t>(std::find(S.begin(), S.end(), r) - S.begin()); };
  const auto& first = sides[start].up.empty() ? sides[start].down : sides[start].up;
  std::vector<long> chain{S[start], first.front().second};
  for (;;) {
    const side_lists& c = sides[at(chain.back())];
    if (!c.up.empty() && !c.down.empty()) {
      long added = 0;
      if (!any_in_chain(c.up, chain)) {
        chain.push_back(c.up.front().second);
        ++added;
      }
      if (!any_in_chain(c.down, chain)) {
        chain.push_back(c.down.front().second);
        ++added;
      }
      if (added == 1) continue;
      std::vector<long> nts(chain.begin(), chain.end());
      nts.insert(nts.begin(), 0);
      prglog_msg("[e] %ld -- stacks cannot continued\n", static_cast<long>(chain.size()));
      prglog_msg("\t[broken] %s\n",
                 get_residues_abbr_full_ids(static_cast<long>(chain.size()), nts, mol).c_str());
      break;
    }
    const auto& side = c.up.empty() ? c.down : c.up;
    if (!side.empty() && !any_in_chain(side, chain)) chain.push_back(side.front().second);
    break;
  }
  if (chain.front() > chain.back()) std::reverse(chain.begin(), chain.end());
  return chain;
}

// Cuts one network into chains appended to out.
void cut_network(std::vector<long> S, const struct_mol& mol, std::vector<std::vector<long>>& out) {
  const long bits = Gvars.stacked_nts;
  const std::vector<stack_link> links = network_links(S, mol);
  while (!S.empty()) {
    const std::vector<side_lists> sides = build_sides(S, links, mol);
    std::vector<long> chain = walk_one_chain(S, sides, mol);
    if (chain.empty()) break;
    std::vector<long> left;
    if (chain.size() < S.size()) {
      for (size_t a = 0; a < S.size(); ++a) {
        const bool in_chain = std::find(chain.begin(), chain.end(), S[a]) != chain.end();
        const bool fork = sides[a].up.size() >= 2 || sides[a].down.size() >= 2;
        if (!in_chain || ((bits & STACK_REUSE) && fork)) left.push_back(S[a]);
      }
      if (left.size() == S.size()) {
        prglog_msg("\tselected set is just a SUBSET -- forced removal\n");
        left.clear();
        for (long r : S)
          if (std::find(chain.begin(), chain.end(), r) == chain.end()) left.push_back(r);
      }
    }
    S = std::move(left);
    if (!has_nt(chain, mol)) continue;
    if ((bits & STACK_LONG) && chain.size() < 3) continue;
    if (bits & STACK_BREAK) {
      std::vector<long> list(chain.begin(), chain.end());
      list.insert(list.begin(), 0);
      if (residues_all_connected(static_cast<long>(chain.size()), list, mol)) continue;
    }
    out.push_back(std::move(chain));
  }
  if (!S.empty()) prglog_msg("[w] %ld leftover residues\n", static_cast<long>(S.size()));
}

}  // namespace

long refine_stacks(struct_mol& mol, long n, std::vector<connect>& networks) {
  std::vector<std::vector<long>> chains;
  for (long i = 1; i <= n; ++i) {
    const connect& net = networks[i];
    if (net.count == 0) continue;
    std::vector<long> S(net.members.begin() + 1, net.members.begin() + net.count + 1);
    if (!has_nt(S, mol)) continue;
    if (Gvars.stacked_nts & STACK_RAW)
      chains.push_back(std::move(S));
    else
      cut_network(std::move(S), mol, chains);
  }
  const long k = static_cast<long>(chains.size());
  networks = allocate_connects_array(k);
  for (long s = 1; s <= k; ++s) {
    const auto& chain = chains[static_cast<size_t>(s - 1)];
    for (long r : chain) networks[s].append(r);
    for (size_t m = 0; m + 1 < chain.size(); ++m) {
      add_one_item_to_connect_simple(chain[m + 1], mol.residues[chain[m]].stack_neighbours,
                                     "fill_residue_stacks()", mol.warned.connects);
      add_one_item_to_connect_simple(chain[m], mol.residues[chain[m + 1]].stack_neighbours,
                                     "fill_residue_stacks()", mol.warned.connects);
    }
  }
  if (PRGLOG != nullptr) {
    print_leadline_sepchar(PRGLOG, '-', SEPARATOR_WIDTH);
    prglog_msg("List of stacked residues\n");
    long counter = 0;
    for (long r = 1; r <= mol.num_residues; ++r) {
      const connect& nb = mol.residues[r].stack_neighbours;
      if (nb.count == 0) continue;
      prglog_msg("%4ld %-16s res=%ld  %s\n", ++counter, mol.residues[r].idstr.c_str(), nb.count,
                 get_connect_abbr_full_ids(nb, mol).c_str());
    }
  }
  return k;
}

void find_stacks(struct_mol& mol, long& count, std::vector<connect>& stacks, long& num_non_stacked,
                 std::vector<long>& non_stacked) {
  count = num_non_stacked = 0;
  stacks = allocate_connects_array(0);
  non_stacked.assign(1, 0);
  if (Gvars.stacked_nts == 0 || mol.num_residues < 2) return;
  for (long r = 1; r <= mol.num_residues; ++r) mol.residues[r].stack_neighbours.clear();
  std::vector<connect> sets = allocate_connects_array(mol.num_residues);
  for (long k = 1; k <= mol.num_plane_contacts; ++k) {
    const planeCnt& c = mol.plane_contacts[k];
    if (!c.is_stack || !stack_edge(c, mol)) continue;
    add_one_item_to_connect_simple(c.res2, sets[c.res1], "convert_stacks2connects()", mol.warned.connects);
    add_one_item_to_connect_simple(c.res1, sets[c.res2], "convert_stacks2connects()", mol.warned.connects);
  }
  tidyup_connection_network(STACK_MIN, mol.num_residues, sets, mol.warned.network_cut);
  count = refine_stacks(mol, mol.num_residues, sets);
  stacks = std::move(sets);
  sort_connects(count, stacks);
  for (long k = 1; k <= mol.num_nts; ++k) {
    const long r = mol.nt_residue[k];
    const residue& res = mol.residues[r];
    if (res.stacked || res.planes[0] == -1) continue;
    if ((Gvars.stacked_nts & STACK_NO_STEM_NTS) && get_stem_idx(r, mol) != 0) continue;
    non_stacked.push_back(r);
  }
  num_non_stacked = static_cast<long>(non_stacked.size()) - 1;
}

void output_stacks_info(struct_mol& mol, long count, const std::vector<connect>& stacks,
                        long num_non_stacked, const std::vector<long>& non_stacked, FILE* fp) {
  if (fp == nullptr) return;
  if (count > 0 && Gvars.auxfiles) {
    scoped_file sf(create_file(name_pdbcif_outfile("stacks")));
    FILE* out = sf.get();
    if (Gvars.output_format == 2) write_cif_header(out, mol.base_name);
    for (long k = 1; k <= count; ++k) {
      const connect& s = stacks[k];
      const frame* f = nullptr;  // the base frame of the stack's first nucleotide
      for (long m = 1; m <= s.count && f == nullptr; ++m)
        if (is_nt(s[m], mol)) f = base_frame(s[m], mol);
      begin_ensemble_model(out, k, {sformat("nts=%ld %s", s.count, get_connect_abbr_full_ids(s, mol).c_str())}, mol);
      std::vector<long> list(s.members.begin(), s.members.begin() + s.count + 1);
      write_residue_set_pdb_frame(s.count, list, f, 0, mol, out);
      end_ensemble_model(out);
    }
    mol.cif_model = 0;
    end_pdbfile(out);
    sf.close();
  }
  if (Gvars.json) {
    json_array_of_nts_list(fp, "stacks", count, stacks, mol);
    if (num_non_stacked > 0) {
      json_begin_object(fp, "nonStack");
      json_numNts_vec0(fp, num_non_stacked, non_stacked, mol);
      json_end_object(fp);
    }
    return;
  }
  if (count > 0) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    print_noun(fp, count, "List of %ld base %s\n", "stack");
    std::fprintf(fp, "  Note: a stack is an ordered list of nucleotides assembled together via\n"
                     "        base-stacking interactions, regardless of backbone connectivity.\n"
                     "        Stacking interactions within a stem are *not* included.\n");
    for (long k = 1; k <= count; ++k)
      std::fprintf(fp, "%4ld nts=%ld %s\n", k, stacks[k].count,
                   get_connect_abbr_full_ids(stacks[k], mol).c_str());
  }
  if (num_non_stacked > 0) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    std::fprintf(fp, "Nucleotides not involved in stacking interactions\n");
    std::fprintf(fp, "     nts=%ld %s\n", num_non_stacked,
                 get_residues_abbr_full_ids(num_non_stacked, non_stacked, mol).c_str());
  }
}

}  // namespace vask
