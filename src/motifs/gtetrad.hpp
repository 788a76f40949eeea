// G-tetrads: planar cycles of four guanines, each pairing Watson-Crick edge to
// major-groove (Hoogsteen) edge with the next. Detection from the base pairs
// or reading from a user list file, the fixed cyclic order of the four
// guanines, and the per-tetrad parameters: planarity, the simple parameters
// of the four pairs, shape, direction of the H-bond cycle, ONZ class,
// glycosidic, sugar and groove texts, and a frame fitted to an ideal square.
//
// Tetrad arrays are 1-based (slot 0 unused). The quadruplex helices and stems
// built from the tetrads are in g4plex.hpp.
#pragma once

#include <array>
#include <cfloat>
#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"

namespace vask {

// One G-tetrad. Its four consecutive pairs are (G1, G2), (G2, G3), (G3, G4), (G4, G1).
struct gtetrad {
  connect nts;                        // G1..G4 (residue indices), in tetrad order
  double planarity = -1.0;            // RMS distance of the base atoms from their plane, Angstrom
  std::array<par_set, 5> simple_pars{{{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX},
                                      {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX},
                                      {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX},
                                      {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX},
                                      {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX}}};
                                      // [1..4][1..6] simple base-pair parameters per pair
  std::string shape = "other";        // "planar", "bowl", "bowl-2", "saddle" or "other"
  std::string direction = "    --    ";  // "WC-->Major", "Major-->WC" or this
  std::string topo_class = "--";      // ONZ class: "O+", "O-", "N+", "N-", "Z+", "Z-"
  std::string glyco = "----";         // per guanine: 's' syn, '-' anti, '.'
  std::string sugar = "----";         // per guanine: '-' C2'-type, '3' C3'-type, '.'
  std::string groove = "----";        // per pair: '-', 'w', 'n' or '.'
  std::array<double, 5> groove_PP{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // [1..4] P-P, Angstrom
  double rmsd = DBL_MAX;              // ideal square fitted to the four C1' atoms, Angstrom
  frame f{};                          // frame of the tetrad
};

inline constexpr double GTETRAD_SQUARE_HALF = 5.8;  // half the side of the ideal C1' square, Angstrom

std::vector<gtetrad> allocate_Gtetrads_array(long n);  // records 1..n initialised; n < 0: assertion
void free_Gtetrads(std::vector<gtetrad>& arr);

// Detection and reading (gtetrad.cpp)

long is_G4pair_nts(long i, long j, struct_mol& mol);   // the pair (i, j) built afresh is a G4 pair
long valid_G4nt(long i, const struct_mol& mol);        // one-letter code 'G' or 'g'
long is_Gtetrad(const connect& set, struct_mol& mol);
// The G-tetrads of the structure from its pairs[1..num_pairs] into tetrads[1..count]
// (nothing with 3 or fewer G4 pairs); marks each guanine with its tetrad index.
void find_Gtetrads(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                   std::vector<gtetrad>& tetrads);
// The tetrads of the --G4-list file, in the order given, sized by the lines kept.
void read_G4_list(struct_mol& mol, long& count, std::vector<gtetrad>& tetrads);
// The same from an open stream (`name` labels messages).
void read_G4_list_stream(FILE* fp, const std::string& name, struct_mol& mol, long& count,
                         std::vector<gtetrad>& tetrads);
// The frame of four guanines taken in the given order.
void get_Gtetrad_frame(struct_mol& mol, const connect& set, frame& out);

// Parameters (gtetrad_pars.cpp)

void derive_one_Gtetrad_parameters(gtetrad& t, struct_mol& mol);
void derive_simple_parameters(gtetrad& t, struct_mol& mol);
// "planar", "bowl", "bowl-2", "saddle" or "other" from the planarity and b[1..4], p[1..4].
std::string get_Gtetrad_shape(double planarity, const std::array<double, 5>& buckle,
                              const std::array<double, 5>& propeller);
std::string get_Gtetrad_orientation(const gtetrad& t, struct_mol& mol);
// ONZ class of G1..G4 = g[1..4] in the given direction ("WC-->Major" or "Major-->WC").
std::string get_ONZ_class(const std::array<long, 5>& g, const std::string& direction);
void derive_grooves(gtetrad& t, struct_mol& mol);
void derive_one_specific_frame(gtetrad& t, struct_mol& mol);

}  // namespace vask
