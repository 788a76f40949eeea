// Planar groups of residues (base rings, planar side chains, peptide units)
// and the contacts between two of them.
#pragma once

#include <array>
#include <cfloat>
#include <string>

#include "support/vector3.hpp"

namespace vask {

// The planar group of one residue: a base ring, a planar side chain or a
// peptide unit (filled by the residue-plane stage).
struct plane {
  unsigned kind = 0;           // 0 base, 1 side chain, 2 peptide
  long frame_index = -1;       // the group's frame in struct_mol::frames; -1 none
  long num_atoms = 0;          // vertices in inner (= in outer); at most 15
  xyz center{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // mean of the inner atoms; DBL_MAX unset
  std::array<long, 16> inner{};  // 1..num_atoms: planar atoms in polygon order
  std::array<long, 16> outer{};  // the same polygon with exocyclic atoms in place of ring atoms
};

// The contact of two planes in van der Waals range, its measures and its one
// class (pair, stack, T-shape or other); filled by the plane-contact stage.
struct planeCnt {
  long res1 = -1, res2 = -1;      // residues of the two planes
  long plane1 = -1, plane2 = -1;  // indices into struct_mol::planes; plane1 < plane2
  std::string faces;              // stack faces of a stack ("pm(>>,forward)" ...); empty otherwise
  double oarea = DBL_MAX;         // gated overlap of the outer polygons, mean normal (Angstrom^2)
  double oarea1 = DBL_MAX;        // ungated overlap along plane 1's normal
  double oarea2 = DBL_MAX;        // ungated overlap along plane 2's normal
  double dv = DBL_MAX, dh = DBL_MAX;    // centre separation along / across the mean normal
  double dv1 = DBL_MAX, dh1 = DBL_MAX;  // the same for plane 1's normal
  double dv2 = DBL_MAX, dh2 = DBL_MAX;  // the same for plane 2's normal
  double dcc = DBL_MAX;           // centre distance, Angstrom
  double angle = DBL_MAX;         // normals' angle folded into 0..90 degrees
  long hbonded = 0;               // outer atoms of the two planes H-bonded
  long linked = 0;                // residues covalently linked
  long is_pair = 0, is_stack = 0, is_tshape = 0, is_other = 0;  // exactly one is 1
};

}  // namespace vask
