// The per-residue records of a structure: atom indices and conformation of
// each nucleotide (with its step and backbone suite) and of each amino acid.
#pragma once

#include <array>
#include <cfloat>
#include <string>

#include "structure/bond.hpp"
#include "support/vector3.hpp"

namespace vask {

// One dinucleotide step: the measures from a nucleotide's base to the P of
// its 3' neighbour and, for the splayed-apart list, the step's class.
struct ss_par {
  long nt1 = -1, nt2 = -1;      // the two residues
  char type = '-';              // class character of the step
  double ssZp = DBL_MAX;        // z of the 3' neighbour's P in this base's frame, Angstrom
  double Dp = DBL_MAX;          // that P to the line C1'-glycosidic base atom, Angstrom
  long splayed = 0;             // 1: the step counts as splayed apart
  double splay_angle = DBL_MAX;     // degrees at that P between the two base origins
  double splay_distance = DBL_MAX;  // between the two base origins, Angstrom
  double splay_ratio = DBL_MAX;     // distance / (P-origin 1 + P-origin 2)
  std::array<double, 7> pars{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX,
                             DBL_MAX, DBL_MAX, DBL_MAX};  // 1..6 step or helical parameters
};

// RNA backbone suite of one nucleotide (the rows of the suite cluster table
// use the same layout).
struct suite {
  std::string bin;           // "33 p" style, "inc " (incomplete) or "trig" (triaged); empty at start
  std::string cluster;       // two characters, "__" (incomplete) or "!!" (not assigned)
  std::string status;        // "certain" or "wannabe", from the matched cluster
  std::string role;          // "dom", "sat" or "ord", from the matched cluster
  std::array<double, 8> dihedral{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX,
                                 DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
                             // 1-based degrees in [0, 360): [1] delta(i-1), [2] epsilon(i-1),
                             // [3] zeta(i-1), [4] alpha, [5] beta, [6] gamma, [7] delta;
                             // DBL_MAX = unset; cluster means in a table row
  long valid = 1;            // 0 once unassignable or an outlier
  long bin_index = 0;        // 1..12 in suite_bins
  long cluster_index = 0;    // row of the cluster table
  long num_candidates = 0;   // clusters within the 4D cut-off
  std::string comment;       // triage or assignment note
  double suiteness = 0;      // in [0.01, 1] once assigned
};

// Atom indices of one nucleotide (-1 absent) and its conformation; filled for
// nucleotides only. Angles in degrees, DBL_MAX = unset.
struct nt_info {
  long P = -1, OP1 = -1, OP2 = -1;
  long spare1 = -1;
  long O5p = -1, C5p = -1, C4p = -1, O4p = -1, C3p = -1, O3p = -1, C2p = -1, O2p = -1,
       C1p = -1;
  long glyco_n = -1;  // base atom bonded to C1' (N9, N1, C5 or another one)
  long base2 = -1;    // with glyco_n and base3, the atoms that fix chi
  long base3 = -1;
  long spare2 = -1;
  std::array<long, 6> ring{-1, -1, -1, -1, -1, -1};  // 1..5: C1', C2', C3', C4', O4'
  std::array<long, 7> spare3{-1, -1, -1, -1, -1, -1, -1};
  long glyco_type = 0;  // 0 none, 1 C1'-N, 2 C1'-C5 (pseudouridine), 3 another base atom
  xyz c5_local{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // C5' in the base frame; [0] its distance
  xyz p_local{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};   // P in the base frame; [0] its distance
  double c5_angle = DBL_MAX;  // degrees between the frame's x axis and C4'->C5'
  long next_P = -1;  // P of the 3'-linked next nucleotide; -1 none or ambiguous
  std::array<long, 6> po4{-1, -1, -1, -1, -1, -1};  // 1..5: P, OP1, OP2, O3' bonded to P, O5'
  connect linked;
  // backbone: torsions in [-180, 180], the glycosidic class and the BI/BII class
  double alpha = DBL_MAX, beta = DBL_MAX, gamma = DBL_MAX, delta = DBL_MAX,
         epsilon = DBL_MAX, zeta = DBL_MAX, chi = DBL_MAX;
  std::string glyco_bond = "--";  // "syn", "anti" or "--"
  std::string bb_type = "(--) ";  // "(BI) ", "(BII)" or "(--) "
  // virtual torsions through P and C4', C1' or the base origin
  double eta = DBL_MAX, theta = DBL_MAX, eta_prime = DBL_MAX, theta_prime = DBL_MAX,
         eta_base = DBL_MAX, theta_base = DBL_MAX;
  // sugar: endocyclic torsions, pseudorotation (phase in [0, 360)) and class
  double v0 = DBL_MAX, v1 = DBL_MAX, v2 = DBL_MAX, v3 = DBL_MAX, v4 = DBL_MAX;
  double amplitude = DBL_MAX, phase_angle = DBL_MAX;
  std::string puckering;                 // pucker name; empty until set
  std::string sugar_class = "   ----   ";  // "~C2'-endo ", " ~C3'-endo" or "   ----   "
  // mean B-factors of the heavy atoms: [0] all, [1] base, [2] sugar,
  // [3] backbone, [4] chain backbone (P, OP1, OP2, O5', C5', C4', C3', O3'),
  // [5] phosphorus; DBL_MAX = no such atom
  std::array<double, 6> bfactors{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
  ss_par ss;                             // step to the 3' neighbour
  suite bb_suite;                        // the suite ending at this nucleotide
};

// Atom indices of one amino acid (-1 absent); filled for amino acids only.
struct aa_info {
  long N = -1, CA = -1, C = -1, O = -1, CB = -1;
  std::array<long, 8> spare{-1, -1, -1, -1, -1, -1, -1, -1};
  std::string sstr = "   ";  // secondary-structure text, filled by the protein code
  long next_N = -1;  // N of the linked next amino acid; -1 none or ambiguous
  std::array<long, 6> peptide{-1, -1, -1, -1, -1, -1};  // 1..5: CA, C, O, then N, CA of the next
  connect linked;
};

}  // namespace vask
