// Atoms: the element table, the atom-name to element list, the atom record
// and atom typing (element, nucleotide and amino-acid atom classes).
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "structure/bond.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;

// ---------------------------------------------------------------------------
// Element table, rows 0..count by atomic number; row 0 ("__") is the unknown
// element. Built at start-up from the built-in rows, or from "elements.dat"
// when the stand-alone setting is off.
struct periodic_table {
  long count = -1;                      // highest atomic number; -1 = no table
  std::vector<std::string> symbol;      // upper case, right-justified in 2 characters
  std::vector<long> metal;              // 1 metal, 0 not
  std::vector<double> covalent_radius;  // Angstrom
  std::vector<double> vdw_radius;       // Angstrom
  std::vector<double> weight;           // atomic weight; 0 = none given
};

extern periodic_table element_table;

inline constexpr double DEFAULT_COVALENT_RADIUS = 1.666;  // row 0 and unknown rows, Angstrom
inline constexpr double DEFAULT_VDW_RADIUS = 2.0;          // Angstrom

void init_periodic_table();
void allocate_ptable_arrays();
void set_periodic_table();
void free_periodic_table();
void reset_periodic_table();
void ensure_periodic_table();  // builds the table when none exists yet
bool is_valid_element_symbol(const std::string& symbol);        // 2-character symbol
long match_atomic_number_from_name(const std::string& symbol);  // 0 when unknown
double sum_vdw_radii_with_delta(long i, long j, const struct_mol& mol);
void print_periodic_table(FILE* fp);

// ---------------------------------------------------------------------------
// Atom-name list: 4-character name patterns ('_' = any non-letter) to element
// symbols, sorted by pattern then element, case-insensitively.
struct name2element {
  std::string pattern = "____";  // 4 characters: '_' or A-Z
  std::string element = "__";    // right-justified in 2 characters
};

struct atomlist {
  long count = 0;
  std::vector<name2element> entries;  // 1..count; slot 0 unused
};

void set_atomlist(atomlist& list);
// The atom-name list in use: the shared built-in one in stand-alone mode (no
// copy), else the file's, read into scratch.
const atomlist& active_atomlist(atomlist& scratch);
std::vector<name2element> allocate_name2element_array(long n);
void free_atomlist(atomlist& list);
int name2element_full_compare(const name2element& a, const name2element& b);
void print_atomlist(FILE* fp, const atomlist& list);

// The element a 4-character atom name stands for, through the list: " C" for
// " C1'"; "__" when no pattern matches (logged for the first 9 misses).
// The element of a PDB atom name by the atom list; "__" (and a warning, the
// first 9 counted in unmatched) when no entry matches.
std::string convert_pdb_name_to_element(const std::string& name, const atomlist& list, long& unmatched);

// ---------------------------------------------------------------------------
// One atom; arrays are 1-based in file order, slot 0 unused.
struct atom {
  // Hot fields first, in the first cache lines of the record: what the
  // neighbour searches and the preparation stages read for every atom they
  // pass. Names, ids and the connection sets follow.
  vask::xyz xyz{};            // Angstrom, 1-based
  long status = 1;            // 1 selected; writers skip 0
  long residue = -1;          // owning residue index
  long model = 0;
  long atomic_number = 0;     // element-table row; 0 = unknown
  char altloc = ' ';
  char icode = ' ';
  char res_letter = ' ';
  // class flags, one byte each and side by side
  bool base = false;
  bool sugar = false;
  bool backbone = false;
  bool nt_atom = false;
  bool o2prime = false;
  bool sidechain = false;
  bool mainchain = false;
  bool aa_atom = false;
  bool peptide_plane = false;
  bool in_plane = false;
  bool water = false;
  bool spare = false;
  bool hydrogen = false;
  bool carbon = false;
  bool phosphorus = false;
  bool nitrogen = false;
  bool oxygen = false;
  bool n_or_o = false;
  bool c_n_or_o = false;
  bool sulfur = false;
  bool halogen = false;
  bool c_n_o_s_or_halogen = false;
  bool deuterium = false;     // read as " D", stored as " H"
  int color_index = 0;        // residue colour class
  long hbond_role = 8;        // 1 donor, 2 acceptor, 4 either, 8 unknown, 16 none
  long heavy_neighbour = 0;
  long metal = 0;             // the element table's metal mark
  long index = -1;            // own 1-based position
  long hetatm = 0;            // 1 for HETATM records
  long serial = 0;
  long entity = 0;            // mmCIF entity
  long res_seq = 0;
  double occupancy = 1.0;
  double bfactor = 0.0;
  std::string name = "    ";  // 4-character PDB form, e.g. " C1'"
  std::string res_name = "   ";      // 3 characters
  std::string chain_id = " ";        // up to 4 characters
  std::string raw_name = "    ";     // atom name as read
  std::string raw_res_name = "   ";  // residue name as read
  std::string seg_id = "    ";
  std::string element = "  ";  // upper case, right-justified in 2 characters
  std::string charge = "  ";
  long role_changed = 0;
  long frame_index = -1;
  double area = DBL_MAX;       // Angstrom^2; DBL_MAX = unset
  double exposure = DBL_MAX;   // DBL_MAX = unset
  long capping = 0;
  long ligand = 0;             // 1 for every atom of a ligand residue
  std::string idstr;           // atom id string
  connect bonded;              // covalent partners (at most 6), ascending
  connect hbonded;
  connect water_bridged;
};

// name == want for an atom name: four characters (the usual case) compare as
// one word, without the length scan and library call of a string comparison,
// since residue searches run this for every atom they pass.
inline bool same_atom_name(const std::string& name, std::string_view want) {
  if (name.size() != want.size()) return false;
  if (want.size() != 4) return name == want;
  std::uint32_t a = 0, b = 0;
  std::memcpy(&a, name.data(), 4);
  std::memcpy(&b, want.data(), 4);
  return a == b;
}

// a == b for the short texts of the records (chain ids, residue names):
// compared in line, without the library call of a string comparison, since
// the residue and bond stages compare them for neighbouring atoms.
inline bool same_short_text(const std::string& a, const std::string& b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (n > 8) return a == b;
  for (size_t k = 0; k < n; ++k)
    if (a[k] != b[k]) return false;
  return true;
}

void init_one_atom(atom& a);
std::vector<atom> allocate_atoms_array(long n);
void free_atoms(std::vector<atom>& atoms);

double dist_atoms(long i, long j, const struct_mol& mol);         // DBL_MAX for index -1
double dist_atoms_square(long i, long j, const struct_mol& mol);  // DBL_MAX for index -1
double angle_3atoms(long a, long b, long c, const struct_mol& mol);  // degrees, at b
bool atoms_same_altloc(const atom& a, const atom& b);
bool atoms_same_model_chain_altloc(long i, long j, const struct_mol& mol);
long atom2resIdx(long i, const struct_mol& mol);

void populate_atom_types(struct_mol& mol);
void print_pdb_atoms(FILE* fp, const struct_mol& mol);
// "E1:E2" of the two atoms' element symbols, each trimmed.
std::string get_atom_pair(const atom& a1, const atom& a2);
void write_hbond_property(const struct_mol& mol, const char* path);
void write_atom_in_plane(const struct_mol& mol, const char* path);

// Residue-level name tables shared by the structure code (the Gconsts rows).
extern const char* const BASE_RING_ATOMS[10];    // 1..9: six-ring then five-ring
extern const char* const BASE_ATOM_NAMES[17];    // 1..16
extern const char* const BACKBONE_ATOM_NAMES[13];  // 1..12

}  // namespace vask
