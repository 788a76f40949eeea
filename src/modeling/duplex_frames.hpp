// Two alternatives to the standard base frames for a duplex: Curves+ frames
// (fitted on a base table of their own, origin placed from the glycosidic
// bond) and CEHS frames (origin between two ring atoms, y along them); the
// parameters of two frames by their single rotation; the conversions between
// step twist and helical twist.
#pragma once

#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// The Curves+ base table of a letter (A, C, G, I, Y, P, T, U; case ignored):
// names[1..n] as " %-3s" with '*' turned into '\'', pts[1..n]; returns n (10
// or 7). Another letter ends the run with the assertion report.
long populate_one_frame_xyz(char letter, std::vector<std::string>& names, std::vector<xyz>& pts);

// The Curves+ frame of nucleotide k: fatal "Cannot ls-fit residue" when
// fewer than three table atoms are found.
void per_curves_plus_frame(long k, const struct_mol& mol, frame& f);

// The CEHS frame of nucleotide k: fatal when k is no purine or pyrimidine, or
// misses a required atom.
void per_CEHS_base_frame(long k, const struct_mol& mol, frame& f);

// Below this rotation angle (degrees) the helical axis has no position.
inline constexpr double MIN_HELICAL_ANGLE = 1.0e-3;

// Parameters of frame b relative to frame a through the single rotation that
// turns a into b: pars[1..3] the origin shift along the mid-frame axes,
// pars[4..6] the rotation vector (degrees) along a's axes; mid gets the
// mid-frame (half rotation, mean origin), helical its z-axis (the rotation
// axis) and, unless the rotation angle is below MIN_HELICAL_ANGLE, its origin
// (a point of the axis). Returns false when the helical origin is left unset
// (all three coordinates DBL_MAX).
bool frames_to_parameters(const frame& a, const frame& b, par_set& pars, frame& mid,
                          frame& helical);

// Step twist <-> helical twist for a bending of sqrt(tilt^2 + roll^2);
// degrees. A helical twist smaller than the bending is an assertion failure.
double twist_to_helical_twist(double twist, double tilt, double roll);
double helical_twist_to_twist(double helical_twist, double tilt, double roll);

// Pair and step parameters of a duplex of pairs[1..n] in the two frame
// schemes. bp gets the pair parameters of each pair (also stored in the
// pair's bp_params), step row i the step parameters from pair i to pair i+1;
// row n stays unset. The Curves+ route rewrites the debug file
// "helix-U-P.dat" in the working directory.
void curves_plus_duplex(long n, std::vector<pair>& pairs, const struct_mol& mol,
                        std::vector<par_set>& steps);
void cehs_duplex(long n, std::vector<pair>& pairs, const struct_mol& mol,
                 std::vector<par_set>& steps);

}  // namespace vask
