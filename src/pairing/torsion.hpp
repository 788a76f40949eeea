// Nucleotide conformation: backbone, glycosidic, virtual and sugar torsions,
// pseudorotation and pucker, syn/anti and BI/BII classes, the measures of a
// base to the next phosphate, and the torsion file that lists them all.
//
// Every value lands in the nucleotide's nt_info record (structure/residue_info.hpp);
// missing atoms, frames or over-long bonds leave a field unset (DBL_MAX) or
// give its unassigned text, never an error.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

inline constexpr double MAX_TORSION_BOND = 2.5;  // Angstrom; longer bonds leave a torsion unset

// Dihedral angle of points p[1..4] in [-180, 180] degrees, positive when,
// looking from p[2] to p[3], the near bond turns clockwise onto the far one.
// DBL_MAX when a point is unset or, with bond_check, a bond exceeds 2.5 A.
double torsion(const std::array<xyz, 5>& p, long bond_check);

// torsion() of the atoms idx[1..4]; DBL_MAX when an index is -1.
double idx2torsion(const std::array<long, 5>& idx, const struct_mol& mol, long bond_check);

// Five-atom template classes: 0 none, 1 template 1, 2 template 2 (both fitted
// on idx[1..5] by RMSD; the better one wins when it is under the cutoff and
// the worse/better ratio exceeds the backbone-ratio setting).
using five_points = std::array<xyz, 6>;  // 1-based
long classify_bb_by_rmsd(const std::array<long, 6>& idx, const std::vector<atom>& atoms,
                         const five_points& tmpl1, const five_points& tmpl2, double cutoff);

// The nucleotide whose O3' is linked to P of nucleotide i (its real 5'
// neighbour) and the one whose P is linked to O3' of i; -1 when none.
long nt_5prime_neighbour(long i, const struct_mol& mol);
long nt_3prime_neighbour(long i, const struct_mol& mol);

// "syn", "anti" or "--" from chi, or from the y coordinates of P and C5' in
// the base frame when chi is near neither range or unset.
std::string get_glyco_bond(const nt_info& n, const residue& r);
// Pseudorotation amplitude and phase in [0, 360) of the set sugar torsions
// v0..v4, by the method of the pucker setting.
void get_pseudorotation(nt_info& n);

// Pipeline stages: backbone torsions, chi, syn/anti, BI/BII and the virtual
// torsions; then sugar torsions, pseudorotation, pucker and sugar class.
void get_nt_bb_torsions(struct_mol& mol);
void get_nt_sugar_torsions(struct_mol& mol);

// ssZp, Dp and the splay measures of the step from nucleotide a to b into s;
// left unset unless a's O3' is linked to b's P and both have base frames.
void get_ss_dist_pars(long a, long b, const struct_mol& mol, ss_par& s);
// The same for every linked step of the nucleotide order.
void populate_all_ss_dist_pars(struct_mol& mol);

// Syn/anti queries on the glyco_bond text.
long glyco_syn(long i, const struct_mol& mol);
long glyco_anti(long i, const struct_mol& mol);
long glyco_anti_pair(long i, long j, const struct_mol& mol);
long syn_anti_assigned(long i, const struct_mol& mol);  // glyco_bond is not "--"
// As glyco_syn/glyco_anti, an unassigned nucleotide going to the nearer range of chi.
long glyco_syn_G4(long i, const struct_mol& mol);
long glyco_anti_G4(long i, const struct_mol& mol);

void init_one_ssPar(ss_par& s);
void free_ssPars(std::vector<ss_par>& list);

// The nucleotides of every chain in chain order, 1-based.
std::vector<long> chain_order_nts(const struct_mol& mol);
// A suite bin as shown: "33 p" as "33p", "inc " as "inc".
std::string shown_bin(const std::string& bin);

// A newline and the counter back to 0 when residue i+1 is on another chain.
void reset_if_cswitch(long i, const struct_mol& mol, FILE* fp, long& counter);

// The torsion file: "<prefix>-torsions.txt" when name is null (only with the
// auxiliary files on), else the given name; nothing without nucleotides.
void print_nt_torsions(struct_mol& mol, const char* name);

}  // namespace vask
