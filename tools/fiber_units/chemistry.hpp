// Standard nucleotide chemistry for the fiber-unit generator: the bases in
// their reference frames, the sugar-phosphate atoms, and the ideal bond
// lengths and angles the units are refined to.
//
// Bases: the standard bases of data/standard_frames (A, C, G, T, U), and the
// ones made from them here: hypoxanthine (G without N2), xanthine (G with O2
// for N2), 5-bromouracil, 4-thiothymine and 2-thiouracil. Sugar-phosphate
// geometry: the averages of high-resolution nucleic-acid structures
// (Parkinson, Vojtechovsky, Clowney, Brunger and Berman, Acta Cryst. D52,
// 57-64, 1996; Gelbin et al., J. Am. Chem. Soc. 118, 519-529, 1996).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "geometry.hpp"

namespace fibergen {

struct named_point {
  std::string name;  // trimmed atom name, e.g. "C1'"
  vec p;
};

// One base in its standard reference frame, C1' first, atoms in file order.
struct base_template {
  std::string res_name;     // "A", "5BU", ...
  char letter = ' ';        // sequence letter of the parent base
  bool purine = false;
  std::vector<named_point> atoms;
};

// One base from a standard frame file (ATOM lines, C1' first).
base_template read_frame_file(const std::string& path, const std::string& res, char letter, bool purine);
// Reads the five standard bases from <data_dir>/standard_frames and derives
// the modified ones; ends the program when a file is missing.
void load_base_templates(const std::string& data_dir);
const base_template& base_for(const std::string& res_name);
// Position of a named atom of a base; ends the program when it has none.
vec atom_position(const base_template& b, const std::string& name);

// Sugar kinds: 2'-deoxyribose, ribose, and ribose with a 2'-O-ethyl group.
enum class sugar { deoxy, ribose, ethyl };

// Sugar-phosphate atom names in the unit order (P ... C2', O2', C1', C6', C7').
std::vector<std::string> backbone_names(sugar s);

struct bond_def {
  std::string a, b;
  double length;
};
struct angle_def {
  std::string a, b, c;
  double value;  // degrees
};
// Covalent bonds and bond angles inside one nucleotide that involve a
// sugar-phosphate atom; "N*" stands for the glycosidic nitrogen, "C*" for
// the base atoms bonded to it.
const std::vector<bond_def>& nucleotide_bonds();
const std::vector<angle_def>& nucleotide_angles();
// The O3'(i)-P(i+1) link: its length and the four angles it spans.
inline constexpr double kO3P = 1.607;
const std::vector<angle_def>& link_angles();  // names with '-' belong to residue i

// Chiral centres with the hand of natural D-nucleotides: the sign of
// chiral_volume(centre, a, b, c).
struct chirality_def {
  std::string centre, a, b, c;
  double sign;
};
const std::vector<chirality_def>& nucleotide_chirality();

// Glycosidic nitrogen and its two ring neighbours of a base.
std::string glycosidic_n(const base_template& b);
std::pair<std::string, std::string> glycosidic_neighbours(const base_template& b);

// The move, in base-frame coordinates, that carries a sugar sitting on base
// `from` onto base `to`: a turn about the frame's z axis that brings from's
// C1'->glycosidic-N direction onto to's, then from's C1' onto to's C1'. The
// sugar keeps its own bond lengths and the glycosidic bond its angles; the
// standard bases' C1' atoms lie up to 0.06 A apart in their frames, so the
// sugar of one base cannot simply be reused on another.
xform sugar_carry(const base_template& from, const base_template& to);

}  // namespace fibergen
