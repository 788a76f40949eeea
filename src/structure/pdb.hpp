// The structure record struct_mol (one model of one coordinate file), the
// per-nucleotide and per-amino-acid atom-index records, the PDB reader and the
// preparation pipeline that fills the record.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/option.hpp"
#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "support/common.hpp"
#include "support/utility.hpp"

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

// A water whose oxygen is H-bonded to atoms of two or more other residues.
struct water_bridge {
  connect atoms;     // the water oxygen, then its H-bond partners (ascending)
  connect residues;  // the water, then the partners' residues, each once
};

// Populated stages of the preparation pipeline, in pipeline order (0/1).
struct stage_flags {
  long residues = 0;
  long atom_types = 0;
  long ntaa_linkages = 0;
  long ordered_residues = 0;
  long contacts = 0;
  long vdw_contacts = 0;
  long bonds = 0;
  long po4_links = 0;
  long peptide_links = 0;
  long frames = 0;
  long planes = 0;
  long hbonds = 0;
  long plane_contacts = 0;
  long splay_units = 0;
};

inline constexpr long MAX_ATOMIC_NUMBER = 128;  // rows of the metal tally

// One model of one coordinate file. Arrays are 1-based (slot 0 unused) and
// empty until their stage fills them.
struct struct_mol {
  std::string file_name;   // as given to init_struct_mol
  std::string base_name;   // without directory and extension; the structure id
  stage_flags stage;
  long has_backbone = 0;        // enough nucleotides carry P or C3'
  long atoms_written = 0;       // running count of the residue-set writers
  long max_residue_atoms = 0;
  long max_base_atoms = 0;
  int idstr_width = 0;          // longest residue id string
  long num_atoms = 0;
  long num_bonds = 0;
  long num_hbonds = 0;
  long num_json_hbonds = 0;
  long num_residues = 0;
  long num_nts = 0;
  long num_modified = 0;
  long num_aas = 0;
  // residue order lists (1-based)
  std::vector<long> residue_order;  // thread order
  std::vector<long> nt_order;
  std::vector<long> aa_order_marks;
  std::vector<long> nt_residue;     // nucleotide number -> residue, 1..num_nts
  std::vector<long> aa_residue;     // amino-acid number -> residue, 1..num_aas
  long nts_in_order = 1;
  long aas_in_order = 1;
  long num_framed_nts = 0;
  std::vector<long> framed_nts;
  long num_framed_aas = 0;
  std::vector<long> framed_aas;
  long num_chains = 0;
  long num_na_chains = 0;
  std::string na_chain_text;        // chain summaries of the chain stage
  long num_protein_chains = 0;
  std::string protein_chain_text;
  long dup_na_chain_ids = 0;        // two nucleic-acid chains share an id
  long dup_protein_chain_ids = 0;   // two protein chains share an id
  long num_dna_chains = 0;
  std::string dna_chain_text;
  long num_rna_chains = 0;
  std::string rna_chain_text;
  long num_models = 0;
  std::vector<long> models;         // distinct model numbers of the chains
  std::vector<chain> chains;        // 1..num_chains, by first residue once summarised
  helixVec na_axis;                 // rise and axis over all nucleotides
  long num_splay_units = 0;
  std::array<long, 4> pair_tallies{};  // kept by the base-pair step
  long num_waters = 0;
  long num_water_bridges = 0;
  std::vector<water_bridge> water_bridges;  // 1-based
  long num_frames = 0;
  std::vector<frame> frames;       // 1-based, all groups; residues hold indices into it
  long num_planes = 0;
  long num_plane_contacts = 0;
  long num_metals = 0;
  std::vector<long> metals;
  std::array<long, MAX_ATOMIC_NUMBER + 1> metal_counts{};  // metal atoms per atomic number
  std::string metal_text;
  long num_ligands = 0;
  std::vector<atom> atoms;          // file order
  std::vector<bond> bonds;          // covalent bonds
  std::vector<plane> planes;        // 1-based: base, then side-chain, then peptide planes
  std::vector<planeCnt> plane_contacts;  // 1-based, in planeCnt_compare order
  std::vector<bond> hbonds;         // 1-based, sorted by atom1 then atom2
  std::vector<bond> json_hbonds;
  std::vector<residue> residues;
  std::vector<aa_info> aa_infos;    // indexed by residue
  std::vector<nt_info> nt_infos;    // indexed by residue
  std::string dbn_sequence, dbn_text, dbn_extra;  // secondary-structure texts
  std::string notes;  // "   o ..." lines for the special notes of this structure's report
  long num_segments = 0;
  std::vector<segidx> segments;    // O3'-P linked runs of nucleotides
  // Neighbour index over all atoms (bond.hpp), built once by the linkage
  // stage and reused by the contact, bond, metal and later stages; stale once
  // atoms are moved after the pipeline.
  std::vector<xyz> atom_xyz;       // 1-based copy of the atom coordinates
  cell_grid atom_grid;
};

void init_struct_mol(const std::string& file_name, struct_mol& mol);
void free_struct_mol(struct_mol& mol);
[[noreturn]] void free_pdb_exit(struct_mol& mol);  // frees and ends the run with status 0
inline bool is_dummy(long index) { return index == -1; }
inline bool not_dummy(long index) { return index != -1; }

// Atom selection over residue atom ranges.
void set_residue_atoms_good_status(long k, struct_mol& mol);
void set_residue_atoms_bad_status(long k, struct_mol& mol);
void switch_residue_atoms_status(long k, struct_mol& mol);
void set_all_atoms_good_status(struct_mol& mol);
void set_all_atoms_bad_status(struct_mol& mol);
long pdb_atoms_all_in_good_status(const struct_mol& mol);
long get_number_of_good_atoms_per_pdb(const struct_mol& mol);
long get_number_of_good_atoms_per_residue(long k, const struct_mol& mol);
long get_number_of_good_atoms_residue_set(long n, const std::vector<long>& residues,
                                          const struct_mol& mol);  // residues 1..n
void mask_off_hydrogens(struct_mol& mol);
void renumber_atom(struct_mol& mol);  // selected atoms from the renumber-atoms setting on

// Coordinate copies (1-based point lists).
void copy_pdb_xyz(const struct_mol& mol, std::vector<xyz>& points);
void copy_xyz_pdb(const std::vector<xyz>& points, struct_mol& mol);
void copy_atoms_xyz(long n, const std::vector<atom>& atoms, std::vector<xyz>& points);
void copy_xyz_atoms(long n, const std::vector<xyz>& points, std::vector<atom>& atoms);
long extract_residue_xyz(long k, const struct_mol& mol, std::vector<xyz>& points);
void ave_pdb_xyz(const struct_mol& mol, xyz& point);  // all atoms, hydrogens included
// Mean of the non-hydrogen atoms of residues 1..n of the list; the origin when
// there is no such atom.
void residue_set_center(long n, const std::vector<long>& residues, const struct_mol& mol,
                        xyz& point);
// Largest, smallest and mean coordinates of the non-hydrogen atoms of
// nucleotides and amino acids.
void get_extremeXYZ_pdb(const struct_mol& mol, xyz& max, xyz& min, xyz& mean);

// Reading.
void read_pdb(const std::string& file, struct_mol& mol);
void read_pdb_model(const std::string& file, struct_mol& mol, long model);
// The reading stage alone; a null altloc or chain set means "*" (everything).
void read_pdb_simple_model(const std::string& file, struct_mol& mol, long model,
                           const std::string* altlocs, const chain_selection* chains);
void read_pdb_simple(const std::string& file, struct_mol& mol);
// The PDB record reader on an open stream; atoms end up in mol.
void read_pdb_model_fp(FILE* fp, long model, const std::string& altlocs,
                       const chain_selection& chains, struct_mol& mol);
// The atoms read (slot 0 unused) become mol's atom array, every name in its
// 4-character form and every element checked; the same for each reader. No
// atoms at all is an input error.
void set_atoms_array(std::vector<atom>& atoms, long model, struct_mol& mol);
long check_mmcif(const std::string& file);  // 1 when the file is taken as mmCIF
long is_atom_hetatm_record(const char* line, long length);
// Filter: altloc and chain sets, occupancy and B-factor cutoffs, coordinate range.
bool valid_atom(atom& a, const std::string& altlocs, const chain_selection& chains);
void add_more_atom_info(atom& a);
void check_atom_name(std::string& name);
void standardize_atom_symbol_number(struct_mol& mol);

// Preparation pipeline.
void add_info_struct_mol(struct_mol& mol);
void populate_nt_info(struct_mol& mol);
void populate_aa_info(struct_mol& mol);
void populate_color_index(struct_mol& mol);
// The structure's JSON H-bond list: every H-bond with the waters setting on,
// else those without a water residue; the listing switches are left as found.
void populate_json_hbonds(struct_mol& mol);

// ---------------------------------------------------------------------------
// Writing atom records and residue sets (pdb_output.cpp). Every writer does
// nothing for a null stream and skips atoms of status 0. A PDB value too wide
// for its column is narrowed, never shifting the columns, with a warning.

void write_atom_record(FILE* fp, const atom& a);      // mmCIF row or PDB line by the output format
void write_atom_record_pdb(FILE* fp, const atom& a);
void write_atom_record_cif(FILE* fp, const atom& a);
void write_residue_record(FILE* fp, long k, const struct_mol& mol);
// Residue k with coordinates pts[1..] (atom order) and serials atoms_written + 1, ...
void write_residue_record_xyz(FILE* fp, long k, const struct_mol& mol, const std::vector<xyz>& pts);
// Residues list[1..n] projected into frame f (unless null or the raw-xyz switch).
void write_residue_set_pdb_simple(long n, const std::vector<long>& list, const frame* f,
                                  struct_mol& mol, FILE* fp);
void write_residue_set_pdb_frame(long n, const std::vector<long>& list, const frame* f, long view,
                                 struct_mol& mol, FILE* fp);
void write_struct_mol(struct_mol& mol, const std::string& file);
void write_mol_by_align(const frame& f, struct_mol& mol, const std::string& file);
void write_mol_by_frame(const frame* f, long view, struct_mol& mol, const std::string& file);
// All atoms, then a CONECT line per bonded atom naming the serials written.
void write_pdb_connects(const struct_mol& mol, const std::string& file);
std::string name_pdbcif_outfile(const std::string& part);  // "<prefix>-<part>.pdb" or ".cif"
void end_pdbfile(FILE* fp);          // "END" unless the output is mmCIF
// Model k of an ensemble file: in mmCIF output the model number of the rows
// that follow; in PDB output a MODEL line and one REMARK line per text.
void begin_ensemble_model(FILE* fp, long k, const std::vector<std::string>& remarks);
void end_ensemble_model(FILE* fp);   // "ENDMDL" unless the output is mmCIF
void output_model_header(FILE* fp);  // mmCIF header "model_VASK", or "REMARK VASK"
long get_nextModelNumber(const std::string& file);
// The nucleotide list file: name, or "<prefix>-nts.txt" when name is empty.
void write_nts_list(const struct_mol& mol, long n, const std::vector<long>& nts,
                    const std::string& name);

}  // namespace vask
