// Restrained refinement of a helical repeat: the free nucleotides of one
// repeat (sugar-phosphate atoms in Cartesian coordinates, bases as rigid
// standard bases placed by a few frame parameters) are refined so that every
// copy the helix makes of them has standard bond lengths and angles, closed
// O3'-P links, natural chirality, sugar puckers and torsions near the targets
// of their family, and no close contacts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chemistry.hpp"
#include "geometry.hpp"

namespace fibergen {

using params = std::vector<double>;

// Target conformation of a nucleotide (degrees). The sugar ring follows the
// pseudorotation phase and amplitude.
struct conformation {
  double alpha, beta, gamma, epsilon, zeta, chi;
  double phase, amplitude;
};

struct free_nt {
  sugar sug = sugar::deoxy;
  std::vector<std::string> bases;          // residue names whose atoms the nt carries (union)
  std::function<xform(const params&)> frame;  // base frame in unit coordinates
  conformation target{};
  long offset = 0;                          // first coordinate of its sugar-phosphate atoms in params
  std::vector<std::string> moving;          // sugar-phosphate atoms that are parameters (no C1')
};

// A copy of a free nucleotide placed in the repeat.
struct nt_copy {
  long nt = 0;
  std::function<xform(const params&)> place;  // applied to the nucleotide's unit coordinates
  long level = 0;                             // copies of one level pair with each other
  bool keep_o2 = true;                        // false: a deoxy strand of a ribose nucleotide
};

// O3' of copy `from` bonded to P of copy `to` moved by `power` repeat screws.
struct link_def {
  long from = 0, to = 0, power = 0;
};

// A restraint on a frame parameter: weight (value - target)^2.
struct param_restraint {
  long index;
  double target, weight;
};

// A restraint on the distance of two base atoms of two copies (pair and
// tetrad H-bonds whose geometry is not fixed by the frames).
struct contact_restraint {
  long copy1;
  std::string atom1;
  long copy2;
  std::string atom2;
  double distance;
};

struct helix_system {
  xform repeat;                         // the screw that makes the next repeat
  std::vector<free_nt> nts;
  std::vector<nt_copy> copies;
  std::vector<link_def> links;
  std::vector<param_restraint> restraints;
  std::vector<contact_restraint> contacts;
  long images = 6;                      // repeats on either side seen by the contact search
  double link_weight = 1.0;             // of the O3'-P lengths against the other terms
  double link_length = kO3P;            // A, the O3'-P length aimed at
  // A, how close two oxygens of different nucleotides may come when one can
  // give an H-bond (OP1, OP2 of a protonated phosphate, O2'); 0: as any
  // non-bonded atoms. The refinement keeps them a little further.
  double oxygen_contact = 0;
  double phosphate_angle_weight = 1.0;  // of the angles at P against the other terms
  double torsion_weight = 1.0;          // of the backbone and glycosidic torsion targets
  double contact_distance = 2.9;        // A, non-bonded atoms of different nucleotides in the refinement
  // A, how far from 1.60 A the O3'-P links of the sound unit may be: the
  // sugars carried onto the other bases of a nucleotide move its O3'
  double link_tolerance = 0.04;
  params start;                         // parameter vector to start from (frame parameters set)
};

// Builds the starting sugar-phosphate atoms of every free nucleotide from its
// target conformation into sys.start (frame parameters must be set).
void build_start(helix_system& sys);

// Refines from sys.start; returns the refined parameters and their score.
params refine(const helix_system& sys, const params& from, double& score, long iterations);

// Refines one parameter vector for several systems at once (the sum of their
// energies): nucleotides that must close their links in more than one helix.
params refine_jointly(const std::vector<const helix_system*>& systems, const params& from, double& score,
                      long iterations);

// Puts every nucleotide's OP1 and OP2 where the P, its O5' and the bonded O3'
// want them (a way out of a minimum with the phosphate turned inside out).
void reseat_phosphates(const helix_system& sys, params& p);

// Atoms of a free nucleotide in unit coordinates for the given parameters:
// the sugar-phosphate atoms (on its first base) and every base atom named
// "RES:NAME".
std::vector<named_point> nucleotide_atoms(const helix_system& sys, const params& p, long nt);

// For each base of a free nucleotide (in the order of its bases), the move in
// unit coordinates that carries the sugar-phosphate atoms from the first base
// onto that one (sugar_carry in the base frame); the first is the identity.
std::vector<xform> sugar_moves(const helix_system& sys, const params& p, long nt);

// Geometry report over the repeat and its neighbours: largest bond and angle
// deviations, shortest non-bonded distance, O3'-P range; links and contacts
// of every base's nucleotide, its sugar carried onto it.
struct soundness {
  double bond_dev = 0, angle_dev = 0, min_contact = 99, link_min = 99, link_max = 0;
  double link_tolerance = 0.04;
  std::string worst_bond, worst_angle, worst_contact;
  bool sound() const {
    return bond_dev <= 0.03 && angle_dev <= 4.0 && min_contact >= 2.55 && link_min >= 1.60 - link_tolerance &&
           link_max <= 1.60 + link_tolerance;
  }
};
soundness check_soundness(const helix_system& sys, const params& p);

}  // namespace fibergen
