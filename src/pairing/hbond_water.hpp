// Water bridges (a water H-bonded to atoms of two or more other residues),
// the clusters of residues joined through waters, and their report section.
#pragma once

#include <cstdio>
#include <vector>

#include "structure/struct_mol.hpp"

namespace vask {

// Fills mol.water_bridges and the atoms' and residues' water-bridged sets;
// needs the H-bonds. Nothing for a structure without waters.
void populate_waterBridges(struct_mol& mol);
void free_waterBridges(std::vector<water_bridge>& bridges);

// Residues linked through waters, merged into networks of at least three;
// only with the water and experimental settings on and enough bridges.
void derive_water_clusters(const struct_mol& mol, long& num_clusters,
                           std::vector<connect>& clusters);

// Report section and the "waterBridges" (and "waterClusters") ensembles.
void output_waterBridges(struct_mol& mol, long num_clusters, const std::vector<connect>& clusters,
                         FILE* fp);

}  // namespace vask
