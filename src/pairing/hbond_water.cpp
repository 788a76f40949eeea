// Water bridges and water clusters.
#include "pairing/hbond_water.hpp"

#include <algorithm>

#include "structure/bond.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long CLUSTER_MIN = 3;  // a water cluster joins at least three residues

void sort_connect(connect& set) {
  if (set.count > 1) std::sort(set.members.begin() + 1, set.members.begin() + set.count + 1);
}

long first_oxygen(long k, const struct_mol& mol) {
  const residue& r = mol.residues[k];
  for (long a = r.first_atom; a <= r.last_atom; ++a)
    if (mol.atoms[a].oxygen) return a;
  return -1;
}

// Every two members of a set become partners of each other.
template <typename Owner>
void pair_up(const connect& set, std::vector<Owner>& owners, const char* label, long& warned) {
  for (long i = 1; i <= set.count; ++i)
    for (long j = i + 1; j <= set.count; ++j) {
      add_one_item_to_connect_simple(set[j], owners[set[i]].water_bridged, label, warned);
      add_one_item_to_connect_simple(set[i], owners[set[j]].water_bridged, label, warned);
    }
}

// One model per residue set, written relative to the frame from origin_of.
template <typename Origin>
void write_set_ensemble(const char* part, long n, const std::vector<connect>& sets,
                        Origin origin_of, struct_mol& mol) {
  if (!Gvars.auxfiles || n == 0) return;
  const bool cif = Gvars.output_format == 2;
  scoped_file sf(create_file(name_pdbcif_outfile(part)));
  FILE* fp = sf.get();
  if (cif) write_cif_header(fp, mol.base_name);
  for (long k = 1; k <= n; ++k) {
    const connect& set = sets[k];
    frame f;  // identity axes
    origin_of(k, f.org);
    std::vector<long> list(set.members.begin(), set.members.begin() + set.count + 1);
    begin_ensemble_model(fp, k, {sformat("nts=%ld %s", set.count, get_connect_abbr_full_ids(set, mol).c_str())}, mol);
    write_residue_set_pdb_simple(set.count, list, &f, mol, fp);
    end_ensemble_model(fp);
  }
  mol.cif_model = 0;
  end_pdbfile(fp);
  sf.close();
}

// Every residue with water-bridged partners, and the partners.
void write_first_layer(const struct_mol& mol, FILE* fp) {
  print_separator(fp, '-', 64);
  std::fprintf(fp, "Water-mediated residues in the first layer\n");
  long serial = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const connect& set = mol.residues[k].water_bridged;
    if (set.count == 0) continue;
    std::vector<long> list(set.members.begin(), set.members.begin() + set.count + 1);
    std::fprintf(fp, "%4ld %s [%ld]", ++serial, mol.residues[k].idstr.c_str(), set.count);
    std::fprintf(fp, " %s\n", get_residues_full_ids(set.count, list, mol).c_str());
  }
}

}  // namespace

void populate_waterBridges(struct_mol& mol) {
  VASK_ASSERT(mol.stage.hbonds);
  mol.num_water_bridges = 0;
  mol.water_bridges.assign(1, water_bridge{});
  for (long a = 1; a <= mol.num_atoms; ++a) mol.atoms[a].water_bridged.clear();
  for (long k = 1; k <= mol.num_residues; ++k) mol.residues[k].water_bridged.clear();
  if (mol.num_waters == 0) return;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_water(k, mol)) continue;
    const long ow = first_oxygen(k, mol);
    if (ow == -1) continue;
    water_bridge wb;
    wb.atoms.append(ow);
    wb.residues.append(k);
    const connect& partners = mol.atoms[ow].hbonded;
    for (long m = 1; m <= partners.count; ++m) {
      const long a = partners[m];
      if (mol.atoms[a].water || is_water(mol.atoms[a].residue, mol)) continue;
      add_one_item_to_connect_simple(a, wb.atoms, "populate_waterBridges()", mol.warned.connects);
      if (!wb.residues.has(mol.atoms[a].residue))
        add_one_item_to_connect_simple(mol.atoms[a].residue, wb.residues, "populate_waterBridges()", mol.warned.connects);
    }
    if (wb.residues.count > 2) mol.water_bridges.push_back(std::move(wb));
  }
  mol.num_water_bridges = static_cast<long>(mol.water_bridges.size()) - 1;
  for (long k = 1; k <= mol.num_water_bridges; ++k) {
    const water_bridge& wb = mol.water_bridges[k];
    VASK_ASSERT(is_water(wb.residues[1], mol));
    pair_up(wb.atoms, mol.atoms, "fillout_atom_waterBridges()", mol.warned.connects);
    pair_up(wb.residues, mol.residues, "fillout_residue_waterBridges()", mol.warned.connects);
  }
  for (long a = 1; a <= mol.num_atoms; ++a) sort_connect(mol.atoms[a].water_bridged);
  for (long k = 1; k <= mol.num_residues; ++k) sort_connect(mol.residues[k].water_bridged);
}

void free_waterBridges(std::vector<water_bridge>& bridges) { std::vector<water_bridge>().swap(bridges); }

void derive_water_clusters(const struct_mol& mol, long& num_clusters, std::vector<connect>& clusters) {
  num_clusters = 0;
  if (Gvars.waters == 0 || !Gvars.experimental || mol.num_water_bridges == 0 ||
      mol.num_water_bridges < Gvars.waters)
    return;
  std::vector<connect> network(static_cast<size_t>(mol.num_residues) + 1);
  for (long k = 1; k <= mol.num_residues; ++k) network[k] = mol.residues[k].water_bridged;
  tidyup_connection_network(CLUSTER_MIN, mol.num_residues, network, mol.warned.network_cut);
  clusters.assign(1, connect{});
  for (long k = 1; k <= mol.num_residues; ++k)
    if (network[k].count >= CLUSTER_MIN) clusters.push_back(network[k]);
  num_clusters = static_cast<long>(clusters.size()) - 1;
}

void output_waterBridges(struct_mol& mol, long num_clusters, const std::vector<connect>& clusters,
                         FILE* fp) {
  if (Gvars.waters == 0 || mol.num_water_bridges == 0 || fp == nullptr) return;
  const long n = mol.num_water_bridges;
  std::vector<connect> bridges(static_cast<size_t>(n) + 1);
  for (long k = 1; k <= n; ++k) bridges[k] = mol.water_bridges[k].residues;
  const bool with_clusters = Gvars.experimental && num_clusters > 0;
  write_set_ensemble("waterBridges", n, bridges,
                     [&](long k, xyz& o) { o = mol.atoms[mol.water_bridges[k].atoms[1]].xyz; }, mol);
  if (with_clusters)
    write_set_ensemble("waterClusters", num_clusters, clusters,
                       [&](long k, xyz& o) {
                         const connect& c = clusters[k];
                         std::vector<long> list(c.members.begin(), c.members.begin() + c.count + 1);
                         residue_set_center(c.count, list, mol, o);
                       },
                       mol);
  if (Gvars.json) return;  // the lists have no JSON form: keep them out of a JSON report

  print_leadline_sepchar(fp, '*', 76);
  print_noun(fp, n, "List of %ld %s mediating two or more residues\n", "water");
  for (long k = 1; k <= n; ++k)
    std::fprintf(fp, "%4ld nts=%ld %s\n", k, bridges[k].count,
                 get_connect_abbr_full_ids(bridges[k], mol).c_str());
  write_first_layer(mol, fp);
  if (!with_clusters) return;
  print_separator(fp, '-', 64);
  std::fprintf(fp, "Water-mediated network of residues\n");
  for (long k = 1; k <= num_clusters; ++k)
    std::fprintf(fp, "%4ld nts=%ld %s\n", k, clusters[k].count,
                 get_connect_abbr_full_ids(clusters[k], mol).c_str());
}

}  // namespace vask
