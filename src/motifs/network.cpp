// Pair networks, the edge rules and the connect-set helpers of the motif finders.
#include "motifs/network.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/plane.hpp"
#include "structure/atom.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Looser flat-pair rule: angle and Stagger bounds, and how much less buried
// area it asks for than the network-dsa setting.
constexpr double FLAT_PAIR_ANGLE = 24.0;  // degrees
constexpr double FLAT_PAIR_DV = 1.2;      // Angstrom
constexpr double FLAT_PAIR_DSA_LESS = 5.0;  // square Angstrom
constexpr long NETWORK_MIN = 3;           // members of a pair network

unsigned long long pair_key(long i, long j) {
  if (i > j) std::swap(i, j);
  return (static_cast<unsigned long long>(i) << 32) | static_cast<unsigned long long>(j);
}

}  // namespace

double motif_measures::base_area(long i, long j) {
  const auto key = pair_key(i, j);
  if (auto it = area_.find(key); it != area_.end()) return it->second;
  const double a = get_delta_base2base_area(std::min(i, j), std::max(i, j), mol_);
  if (VERBOSITY > 1)
    prglog_msg("dsa: \t%s vs %s\t%.1f\n", mol_.residues[i].idstr.c_str(),
               mol_.residues[j].idstr.c_str(), a);
  area_.emplace(key, a);
  return a;
}

void motif_measures::set_base_area(long i, long j, double area) { area_[pair_key(i, j)] = area; }

double motif_measures::outer_overlap(long i, long j) {
  const auto key = pair_key(i, j);
  if (auto it = overlap_.find(key); it != overlap_.end()) return it->second;
  const double a = get_outer_overlap_area_byResNum(std::min(i, j), std::max(i, j), mol_);
  overlap_.emplace(key, a);
  return a;
}

namespace {

hbond_counts tally_hbonds(long n, const std::vector<bond>& list, const struct_mol& mol) {
  hbond_counts t;
  for (long k = 1; k <= n; ++k) {
    const bond& b = list[k];
    const bool both_base = is_baseatom(b.atom1, mol) && is_baseatom(b.atom2, mol);
    const bool window = b.distance >= Gvars.hbond_d1 &&
                        b.distance <= sum_vdw_radii_with_delta(b.atom1, b.atom2, mol);
    ++t.all;
    t.window += window;
    t.base += both_base;
    t.base_window += both_base && window;
  }
  return t;
}

}  // namespace

const hbond_counts& motif_measures::hbonds(long i, long j) {
  const auto key = pair_key(i, j);
  if (auto it = hbonds_.find(key); it != hbonds_.end()) return it->second;
  if (residues_in_pair(i, j, mol_)) {
    // a pair's record is asked for later anyway: one H-bond search serves both
    base_pair(std::min(i, j), std::max(i, j));
    return hbonds_.find(key)->second;
  }
  std::vector<bond> list = allocate_hbond_scratch();
  const long n = get_hbonds_ij(std::min(i, j), std::max(i, j), mol_, list);
  return hbonds_.emplace(key, tally_hbonds(n, list, mol_)).first->second;
}

const pair& motif_measures::base_pair(long i, long j) {
  const auto key = (static_cast<unsigned long long>(i) << 32) | static_cast<unsigned long long>(j);
  if (auto it = pairs_.find(key); it != pairs_.end()) return it->second;
  // populate_one_base_pair, keeping its H-bond list for the counts as well
  std::vector<bond> list = allocate_hbond_scratch();
  const long n = get_hbonds_ij(i, j, mol_, list);
  pair p;
  fillout_pair(i, j, n, list, mol_, p);
  if (i < j) hbonds_.try_emplace(pair_key(i, j), tally_hbonds(n, list, mol_));
  return pairs_.emplace(key, std::move(p)).first->second;
}

double nts_list_planarity(const connect& set, const struct_mol& mol) {
  std::vector<xyz> pts(1);
  for (long k = 1; k <= set.count; ++k)
    if (is_nt(set[k], mol)) append_base_plane_points(set[k], mol, pts);
  return get_planarity(static_cast<long>(pts.size()) - 1, pts);
}

int cnt_compare(const connect& a, const connect& b) {
  if (a.count != b.count) return a.count < b.count ? -1 : 1;
  for (long k = 1; k <= a.count; ++k)
    if (a[k] != b[k]) return a[k] < b[k] ? -1 : 1;
  return 0;
}

int cntOrder_compare(const connect& a, const connect& b) {
  for (long k = 1; k <= a.count; ++k) {
    if (k > b.count) return 1;
    if (a[k] != b[k]) return a[k] < b[k] ? -1 : 1;
  }
  return a.count < b.count ? -1 : 0;
}

void sort_connects(long n, std::vector<connect>& sets) {
  // stable: two equal sets (which the finders never make) keep their order
  std::stable_sort(sets.begin() + 1, sets.begin() + n + 1,
                   [](const connect& a, const connect& b) { return cnt_compare(a, b) < 0; });
}

void tidyup_general_network(long min_size, long n, const std::vector<connect>& sets,
                            std::vector<std::vector<long>>& lists) {
  lists.assign(static_cast<size_t>(n) + 1, std::vector<long>(1, 0));
  std::vector<char> seen(static_cast<size_t>(n) + 1, 0), gathered(static_cast<size_t>(n) + 1, 0);
  for (long i = 1; i <= n; ++i) {
    if (sets[i].count == 0 || gathered[i]) continue;
    std::vector<long> net{i};
    seen[i] = 1;
    for (size_t g = 0; g < net.size(); ++g) {  // breadth first: the list is the queue
      const connect& s = sets[net[g]];
      for (long m = 1; m <= s.count; ++m) {
        const long item = s[m];
        if (item < 1 || item > n || seen[item]) continue;
        seen[item] = 1;
        net.push_back(item);
      }
    }
    for (long x : net) {
      seen[x] = 0;
      gathered[x] = 1;
    }
    std::sort(net.begin(), net.end());
    auto& list = lists[static_cast<size_t>(net.front())];
    list.assign(1, static_cast<long>(net.size()));
    list.insert(list.end(), net.begin(), net.end());
  }
  for (long i = 1; i <= n; ++i) {
    auto& list = lists[static_cast<size_t>(i)];
    if (list[0] < min_size) list[0] = 0;
  }
}

bool is_network_edge(const pair& p, motif_measures& measures) {
  if (p.status != 0) return false;
  if (p.canonical || p.num_good_hbonds > 0) return true;
  if (p.best && p.num_base_hbonds > 1) return true;
  const double dsa = Gvars.network_dsa;
  // the buried area is the costly part: computed once, and only when a rule asks
  double area = -DBL_MAX;
  auto buried = [&]() {
    if (area == -DBL_MAX) area = measures.base_area(p.nt1, p.nt2);
    return area;
  };
  const struct_mol& mol = measures.mol();
  if (p.num_base_polar_hbonds > 0 && pair_with_moderate_hbond(p, mol) && buried() >= dsa) return true;
  const double stagger = std::fabs(p.bp_params[3]);
  const double angle = p.interBase_angle;
  if (angle < Gvars.bpx_angle && stagger < Gvars.bpx_dv && buried() >= dsa) return true;
  return angle < FLAT_PAIR_ANGLE && stagger < FLAT_PAIR_DV && buried() >= dsa - FLAT_PAIR_DSA_LESS;
}

long edge_networks(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                   std::vector<long>& ids, std::vector<connect>& sets) {
  // Numbered by rank among the residues of the edges, so that a small pair
  // list costs nothing per residue of the structure; the rank keeps residue
  // order, so networks, their order and their cuts are those of a whole-
  // structure numbering.
  std::vector<std::pair<long, long>> edges;
  for (long k = 1; k <= num_pairs; ++k) {
    const pair& p = pairs[k];
    if (p.nt1 < 1 || p.nt2 < 1 || !is_network_edge(p, measures)) continue;
    edges.emplace_back(p.nt1, p.nt2);
  }
  ids.assign(1, 0);
  for (const auto& [a, b] : edges) {
    ids.push_back(a);
    ids.push_back(b);
  }
  std::sort(ids.begin() + 1, ids.end());
  ids.erase(std::unique(ids.begin() + 1, ids.end()), ids.end());
  const long m = static_cast<long>(ids.size()) - 1;
  auto rank = [&ids](long r) {
    return static_cast<long>(std::lower_bound(ids.begin() + 1, ids.end(), r) - ids.begin());
  };
  sets = allocate_connects_array(m);
  const struct_mol& mol = measures.mol();
  for (const auto& [a, b] : edges) {
    const long i = rank(a), j = rank(b);
    add_one_item_to_connect_simple(j, sets[i], "convert_pairs2connects()", mol.warned.connects);
    add_one_item_to_connect_simple(i, sets[j], "convert_pairs2connects()", mol.warned.connects);
  }
  tidyup_connection_network(NETWORK_MIN, m, sets, mol.warned.network_cut);
  for (long i = 1; i <= m; ++i) {
    if (sets[i].count == 0) continue;
    for (long k = 1; k <= sets[i].count; ++k) sets[i].members[k] = ids[sets[i].members[k]];
    sets[i].set_owner(0);
  }
  return m;
}

void convert_pairs2connects(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                            std::vector<connect>& sets) {
  std::vector<long> ids;
  std::vector<connect> local;
  const long m = edge_networks(num_pairs, pairs, measures, ids, local);
  sets = allocate_connects_array(measures.mol().num_residues);
  for (long i = 1; i <= m; ++i)
    if (local[i].count > 0) sets[ids[i]] = std::move(local[i]);
}

void find_pairNetworks(long num_pairs, const std::vector<pair>& pairs, motif_measures& measures,
                       long& count, std::vector<connect>& networks) {
  count = 0;
  networks.assign(1, connect{});
  if (num_pairs == 0) return;
  const struct_mol& mol = measures.mol();
  std::vector<connect> sets;
  convert_pairs2connects(num_pairs, pairs, measures, sets);
  for (long i = 1; i <= mol.num_residues; ++i)
    if (sets[i].count >= NETWORK_MIN) networks.push_back(std::move(sets[i]));
  count = static_cast<long>(networks.size()) - 1;
  if (Gvars.pair_network) total_counts("pairing networks", count);
  sort_connects(count, networks);
  for (long k = 1; k <= count; ++k) networks[k].value = nts_list_planarity(networks[k], mol);
}

void write_multiplets_pdb(long n, const std::vector<connect>& sets, const char* suffix,
                          struct_mol& mol) {
  write_sets_pdb(n, sets, suffix, true, mol);
}

void write_sets_pdb(long n, const std::vector<connect>& sets, const char* suffix, bool flagged,
                    struct_mol& mol) {
  if (n <= 0) return;
  scoped_file sf(create_file(name_pdbcif_outfile(suffix)));
  FILE* fp = sf.get();
  if (Gvars.output_format == 2) write_cif_header(fp, mol.base_name);
  for (long i = 1; i <= n; ++i) {
    const connect& set = sets[i];
    frame f;
    get_cnts_frame(mol, set, f);
    const char* mark = flagged && set.owner() == 0 ? "*" : "";
    begin_ensemble_model(fp, i, {sformat("model=%ld  nts=%ld%s  %s", i, set.count, mark,
                                         get_connect_abbr_full_ids(set, mol).c_str())}, mol);
    std::vector<long> list(static_cast<size_t>(set.count) + 1, 0);
    for (long k = 1; k <= set.count; ++k) list[k] = set[k];
    write_residue_set_pdb_frame(set.count, list, &f, 0, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

void show_nts_sets(const char* noun, long n, const std::vector<connect>& sets, bool flagged,
                   const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld %s\n", noun);
  for (long k = 1; k <= n; ++k) {
    const connect& set = sets[k];
    const char* mark = flagged && set.owner() == 0 ? "*" : "";
    std::fprintf(fp, "%4ld nts=%ld%s %s", k, set.count, mark,
                 get_connect_abbr_full_ids(set, mol).c_str());
    if (VERBOSITY >= 1) std::fprintf(fp, "   planarity=%.3f", set.value);
    std::fprintf(fp, "\n");
  }
}

void show_pairNetworks_nts(long n, const std::vector<connect>& networks, const struct_mol& mol,
                           FILE* fp) {
  show_nts_sets("pair network", n, networks, false, mol, fp);
}

void output_pairNetworks_info(struct_mol& mol, long n, const std::vector<connect>& networks,
                              FILE* fp) {
  if (!Gvars.pair_network || n == 0 || fp == nullptr) return;
  output_sets_info(mol, n, networks, "pairNetworks", "pair network", false, fp);
}

void output_sets_info(struct_mol& mol, long n, const std::vector<connect>& sets, const char* key,
                      const char* noun, bool flagged, FILE* fp) {
  if (Gvars.auxfiles) write_multiplets_pdb(n, sets, key, mol);
  if (Gvars.json) {
    json_array_of_nts_list_dval(fp, key, n, sets, "planarity", mol);
    return;
  }
  show_nts_sets(noun, n, sets, flagged, mol, fp);
  log_sets_summary(n, sets, (std::string(noun) + "s").c_str());
}

void log_sets_summary(long n, const std::vector<connect>& sets, const char* noun) {
  if (VERBOSITY < 1) return;
  long most = 0;
  for (long k = 1; k <= n; ++k) most = std::max(most, sets[k].count);
  prglog_msg("\nthere are a total of %ld unique %s\n", n, noun);
  prglog_msg("\twith a maximum of %ld bases\n", most);
}

}  // namespace vask
