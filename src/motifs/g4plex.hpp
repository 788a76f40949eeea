// G-quadruplexes built from G-tetrads: G4 helices (tetrads stacked by the
// distances of their centres, whatever the backbone), G4 stems (runs of a
// helix whose layers are also joined along the backbone), their strands,
// bulges, loops and topology names, the stacking of consecutive layers, the
// coaxial stacks of stems within one helix and the loops outside the stems;
// with the report writers and auxiliary files.
//
// All arrays are 1-based (slot 0 unused). A record holds whole copies of its
// layers. The layer and helix counts have no fixed bound: a record grows with
// its helix.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "motifs/gtetrad.hpp"
#include "structure/bond.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// Stacking of two consecutive layers k and k + 1.
struct g4step {
  double area_sum = 0;                       // every guanine of k on every guanine of k+1, Angstrom^2
  std::array<double, 5> strand_areas{};      // [1..4] the s-th guanines of the two layers
  std::array<std::array<double, 4>, 5> ring_areas{};  // [s]: 5/5, 6/6, 5/6 + 6/5 overlap, ring code
  double cross_area = 0;                     // area sum minus the strand areas
  std::string ring_codes;                    // distinct non-zero ring codes, "%2.2ld" each; "--"
  par_set pars{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // step parameters
  double plane_angle = DBL_MAX;              // degrees between the tetrad z axes
  long num_lkgs = 0;                         // strands joined along the backbone across the step
  std::string polarity;                      // "same" or "opposite"
  std::string faces;                         // stack faces of the two tetrad frames
  std::string glyco_sum;                     // step glyco codes ("AA+SA" ...); empty for helices
  frame mid{};                               // middle frame with its quaternion
};

// A loop joining two strand ends of a stem, or a loop outside the stems.
struct g4loop {
  connect nts;        // residues 5' to 3', the two terminal guanines included
  long type = 0;      // index into G4LOOP_Types
  long from = 0, to = 0;          // strand numbers of the 5' and 3' side
  long from_end = 0, to_end = 0;  // terminal guanines: + in the first layer, - in the last
  long reversed = 0;  // extra V-shaped loops: runs on the strand of the first layer's guanine
  long helix = 0;     // extra loops: the G4 helix (negative: isolated tetrad index)
};

inline constexpr const char* G4LOOP_Types[6] = {"unknown", "lateral  ", "diagonal ",
                                                "propeller", "diag-prop", "V-shaped "};

struct g4strand {
  connect nts;               // one guanine per layer, in layer order
  long num_bulges = 0;
  connect bulge_nts;
  long index = 0;            // 1..4
  long direction = 0;        // +1 "U" (5' to 3' in layer order), -1 "D"
  std::string na_type = "---";
  std::string glyco, sugar;  // one character per guanine
  std::vector<std::string> step_glyco;  // [1..L-1] two-character codes of each step
};

// One G4 helix or G4 stem.
struct g4plex {
  long index = 0;
  long num_layers = 0;                // at least 2
  connect stems;                      // helix: its stems (negative: against the helix); stem: its helix
  long single_chain = 0;              // every guanine on the model and chain of the first G1
  double ave_twist = DBL_MAX;         // degrees
  long all_parallel = 0;
  std::string directions = "----";    // per strand 'U' or 'D'
  std::string orientation;            // "parallel", "anti-parallel" or "hybrid-(mixed)"
  long num_bulged = 0;                // strands with a bulge
  std::string descriptor, topology;   // loop descriptor and topology name (stems)
  std::vector<long> all_nts{0};       // guanines, bulges and loop residues, ascending
  std::vector<long> core_nts{0};      // guanines, ascending
  std::vector<gtetrad> layers{1};     // [1..num_layers] in stacking order
  std::vector<g4step> steps{1};       // [1..num_layers - 1]
  std::vector<g4loop> loops{1};       // [1..num_loops]
  long num_loops = 0;
  std::array<g4strand, 5> strands{};  // [1..4]
  std::vector<long> metals{0};        // metal atoms, [1..]
  std::vector<long> coax_codes{0};    // helix: one code per consecutive stem pair
};

// Everything the G-quadruplex finder derives for one structure.
struct g4_results {
  long num_tetrads = 0;        std::vector<gtetrad> tetrads{1};
  long num_isolated = 0;       std::vector<gtetrad> isolated{1};
  long num_helices = 0;        std::vector<g4plex> helices{1};
  long num_stems = 0;          std::vector<g4plex> stems{1};
  long num_costacks = 0;       // helices holding more than one stem
  long num_misassigned = 0;    // stems entered into a second helix
  long num_extra_loops = 0;    std::vector<g4loop> extra_loops{1};
};

inline constexpr double G4_LAYER_DIST = 6.96889;  // Angstrom: centres of stacked tetrads within this
inline constexpr long G4_MAX_EXTRA_LOOPS = 511;

// The whole G-quadruplex pipeline of one structure (g4plex.cpp).
void find_G4plexes(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, g4_results& r);
void process_one_G4plex(struct_mol& mol, g4plex& plex);
long nt1_nt2_connected_no_G4(long i, long j, const struct_mol& mol);
// B continues A along the backbone, B possibly rotated by one position.
long connected_layers(const gtetrad& A, gtetrad& B, const struct_mol& mol);
void check_G4helix_strands(struct_mol& mol, g4plex& plex);
void xcheck_orientation_glyco_bond(const gtetrad& t, const struct_mol& mol);
void assemble_nts_per_G4plex(g4plex& plex);
void reverse_Gtetrads_array(long n, std::vector<gtetrad>& layers);
// Strand directions ('U'/'D'), all-parallel flag and orientation text of a stem.
void set_G4stem_directions(struct_mol& mol, g4plex& stem);
// Step glyco codes of a stem from its strands' glycosidic texts and directions.
void set_G4stem_glyco_codes(g4plex& stem);

// Loops and topology (g4loop.cpp)
void G4stem_strands_bulges(struct_mol& mol, g4plex& stem);
void G4stem_strands_loops(struct_mol& mol, g4plex& stem);
// Descriptor and topology name from the stem's loops, layer grooves and directions.
void set_G4stem_topology(const struct_mol& mol, g4plex& stem);
void extract_G4extraLoops(struct_mol& mol, g4_results& r);

// Steps and coaxial stacks (g4step.cpp)
void derive_parameters_per_G4plex(struct_mol& mol, g4plex& plex);
std::string get_interface_typeStr(long code);
long get_G4stem_idx(const gtetrad& t, const struct_mol& mol);
// Stem list, stem-boundary marks and coaxial codes of every helix.
void cross_reference_G4helices_stems(struct_mol& mol, g4_results& r);

// Report and files (g4plex_output.cpp)
void output_G4plexes(struct_mol& mol, const g4_results& r, FILE* fp);
void list_one_Gtetrad(long k, const gtetrad& t, const struct_mol& mol, FILE* fp);

}  // namespace vask
