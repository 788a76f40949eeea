// The structure record struct_mol (one model of one coordinate file): its
// life cycle, atom selection and coordinate copies.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/chain.hpp"
#include "structure/plane_records.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "support/arrays.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"
#include "support/warning_counts.hpp"

namespace vask {

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
  // prepared for a run that writes the pairs alone: the stages no pair
  // reads are left out until complete_preparation adds them
  long pairs_only = 0;
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
  long bp_overlaps = 0;            // best pairs whose frames overlap (the base-pair step)
  // The model mode this structure is read and analysed in: the setting's,
  // or 1 when an ensemble met in a symmetry mode is read for its first model
  // only (that structure alone: the next one of a list starts from the setting).
  long model_mode = Gvars.model_mode;
  // The residue classes analysed (as the setting's parts): the setting's, or
  // those its reader was given.
  long parts = Gvars.parts;
  // Outer overlap areas of residue pairs (get_outer_overlap_area_byResNum) as
  // they are asked for: several stages ask for the same pairs. A cache, not a
  // result, so it fills through a const structure; keyed by the ordered pair,
  // i * (num_residues + 1) + j, and emptied when the planes are built and when
  // the atoms are moved for good.
  mutable std::unordered_map<long, double> outer_overlaps;
  // Diagnostics, not results: bumped also where the structure is only read.
  mutable warning_counts warned;   // warnings written about this structure
  mutable long cif_model = 0;      // model number of the mmCIF rows an ensemble file is given; 0 none
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
bool pdb_atoms_all_in_good_status(const struct_mol& mol);
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

}  // namespace vask
