// Residues: delimiting consecutive atoms into residues, classifying them
// (nucleotide by base-ring fit, amino acid, water, ligand, other), residue
// predicates and the residue and atom id strings.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "structure/bond.hpp"

namespace vask {

struct struct_mol;

// Words of the residue flag block (75 longs). The first 13 are set while the
// residues are classified; the others by later stages.
namespace rf {
enum : int {
  is_R = 0,       // purine nucleotide
  is_Y,           // pyrimidine nucleotide (also undecided ones)
  ry_undecided,   // purine/pyrimidine cannot be decided
  is_dna,         // nucleotide without O2'
  is_rna,         // nucleotide with O2'
  is_nt,          // nucleotide
  abasic,         // backbone-only nucleotide
  distorted,      // base too distorted for a base frame
  is_aa,          // amino acid
  is_water,
  is_ligand,
  is_misc,        // none of the above
  is_cys,         // cysteine
  is_metal,       // metal ion residue
  modified,       // modified nucleotide
  break_mark,     // chain break before this nucleotide
  c1_angle,       // C1' angle class
  nt_number,      // nucleotide number in nucleotide order
  na_chain,       // index of its nucleic-acid chain
  aa_chain,       // index of its protein chain
  bestpair,       // best-pair partner (residue index)
  pknot,          // pseudoknotted
  helix,          // helix index
  stem,           // stem index
  isolated_pair,  // isolated canonical pair index
  num_pairs,      // base pairs of the nucleotide (the base-pair tidy-up)
  wc_partner,     // Watson-Crick partner
  wobble_partner, // wobble partner
  canonical_partner,
  noncanonical_pairs,  // number of non-canonical pairs
  sheared_partner,
  // marks left by the later finders and read by the nucleotide features
  helix_end,      // helix-end partner
  stem_end,       // stem-end partner
  coaxial_stack,
  multiplet,      // multiplet index
  hairpin,        // hairpin-loop index
  bulge,          // bulge index
  iloop,          // internal-loop index
  junction,       // junction index
  ss_non_loop,    // single-stranded segment outside loops
  kissing_loop,
  uturn,
  kturn,
  non_pair_contact,
  a_minor,
  g_tetrad,
  i_motif,
  ribose_zipper,
  cap_donor,      // atom-base capping donor count
  cap_acceptor,   // atom-base capping acceptor count
  phosphate,      // phosphate-contact mark
  splayed,        // splayed-apart steps the nucleotide belongs to
  cyclic_tetrad,  // cyclic-tetrad index
  helix_partner,  // partner in its helix
  stem_partner,   // partner in its stem
  unlinked_pair,  // in an isolated canonical pair with a nucleotide lacking backbone links
  hairpin_count,  // hairpin loops the nucleotide lies in
  embed_mark,     // embedding-hairpin mark
  loop_closing,   // closing nucleotide of a hairpin loop
  g4_pair_mark = 59,   // in a G+G pair of G-tetrad type
  g4_isolated,         // isolated G-tetrad index
  g4_helix,            // G4 helix index
  g4_stem,             // G4 stem index
  g4_boundary,         // last layer of a stem inside a G4 helix (by the layer's G1)
  // marks of the loop walk, after the G-tetrad/G4 block
  loop_end_count = 64,  // closing-pair records the nucleotide belongs to
  loop_masked,          // repeated in a loop through a knotted isolated pair: taken as unpaired
  hairpin_loop,         // index of the hairpin loop of the loop walk
  hairpin_loop_number,  // its number among the hairpin loops
  bulge_number,         // number among the bulges (bulge holds the loop index)
  iloop_number,
  junction_number,
  in_loop,              // in a hairpin, bulge, internal loop or numbered junction
  capping_partner,      // last residue found capping this base, or capped by it
  count = 75      // size of the block; 59..63 hold G-tetrad/G4 membership marks
};
}  // namespace rf
static_assert(rf::loop_closing < rf::g4_pair_mark, "analysis marks overlap the G-tetrad block");
static_assert(rf::g4_boundary < rf::loop_end_count && rf::capping_partner < rf::count,
              "loop and capping marks overlap the G4 block or overflow");

inline constexpr int NUM_FRAME_SLOTS = 14;  // frame slots per residue, by frame type

struct residue {
  long first_atom = -1;  // inclusive atom range
  long last_atom = -1;
  long num_atoms = -1;
  long index = -1;       // own 1-based number
  std::array<long, NUM_FRAME_SLOTS> frames{-1, -1, -1, -1, -1, -1, -1,
                                           -1, -1, -1, -1, -1, -1, -1};  // frame indices; -1 none
  std::string name = "   ";      // residue name as read, right-justified in 3 characters
  long model = 0;
  std::string segid = "    ";
  std::string chain_id = " ";     // up to 4 characters
  long res_seq = 0;
  char icode = ' ';
  std::string idstr;              // id string in the chosen style
  std::string key;                // model-and-chain key "%10.10ld%4.4s"
  long hetatm = LONG_MAX;         // HETATM flag of the first atom
  std::array<long, rf::count> flag{};  // class flags and later per-residue marks
  double rmsd = -1.0;             // RMSD of the last standard-base fit; -1.0 = none
  std::string std_name = "   ";   // standard parent ("__A" ...), "HOH", or lower-cased aa name
  char letter = '-';              // one-letter code
  char dbn = '.';                 // dot-bracket character
  int color_index = 0;
  // neighbour sets
  connect hbonded;       // H-bond partners
  connect paired;        // paired nucleotides
  connect linked;        // covalently linked nucleotide/amino-acid neighbours
  connect contacts;      // residue contacts
  std::array<long, 3> planes{-1, -1, -1};  // base, side-chain and peptide plane indices; -1 none
  std::array<double, 4> overlap_areas{};  // stacking areas: total, nt-nt, nt-aa, aa-aa (Angstrom^2)
  connect plane_stacks;  // residues whose planes stack on this residue's planes
  long stacked = 0;      // some plane of the residue stacks
  connect stack_neighbours;  // neighbours along the base stacks (the stack finder)
  connect vdw_contacts;
  connect po4_contacts;
  connect po4_bridges;
  connect waters;        // waters near the residue
  connect metals;        // metals near the residue
  connect water_bridged; // residues bridged to this one by a water (water-bridge stage)
  std::array<connect, 4> analysis_sets;  // kept for the analysis stages
  connect mismatched_g4;  // never to be taken as G4 partners of this residue
};

void populate_residues(struct_mol& mol);
void free_residues(std::vector<residue>& residues);

// Residue predicates: 0 for an index outside 1..number of residues.
bool good_residue(long k, const struct_mol& mol);
bool is_nt(long k, const struct_mol& mol);
bool is_R(long k, const struct_mol& mol);
bool is_Y(long k, const struct_mol& mol);
bool is_DNA_nt(long k, const struct_mol& mol);
bool is_RNA_nt(long k, const struct_mol& mol);
bool is_aa(long k, const struct_mol& mol);
bool is_aa_cys(long k, const struct_mol& mol);
bool is_water(long k, const struct_mol& mol);
bool is_metal(long k, const struct_mol& mol);
bool is_ligand(long k, const struct_mol& mol);
bool is_misc(long k, const struct_mol& mol);
bool is_pknot(long k, const struct_mol& mol);
bool is_nt_backbone_only(long k, const struct_mol& mol);
bool no_base_frame(long k, const struct_mol& mol);
bool is_ntaa(long k, const struct_mol& mol);
bool is_modified_nt(long k, const struct_mol& mol);
bool both_nts(long a, long b, const struct_mol& mol);
bool both_aas(long a, long b, const struct_mol& mol);
bool nt_with_aa(long a, long b, const struct_mol& mol);
bool with_same_model_chain(long a, long b, const struct_mol& mol);

// Atom predicates.
bool good_atom(long i, const struct_mol& mol);
bool is_hydrogen(long i, const struct_mol& mol);
bool is_oxygen(long i, const struct_mol& mol);
bool is_nitrogen(long i, const struct_mol& mol);
bool is_on(long i, const struct_mol& mol);
bool is_baseatom(long i, const struct_mol& mol);
bool is_aaSCatom(long i, const struct_mol& mol);
bool is_C1_prime(long i, const struct_mol& mol);
bool atom_is_C1_prime(long i, const struct_mol& mol);

// First atom of that 4-character name in the residue, or -1.
long find_atom_in_residue(const char* name, long k, const struct_mol& mol);
long residue_has_atom(const char* name, long k, const struct_mol& mol);

// The names of one residue's atoms side by side, for a stage that finds many
// names in it: each find gives the answer and the log lines of
// find_atom_in_residue without reading the atom records again. Build it
// after the names are settled; it is read only while they stay so.
class residue_atom_names {
 public:
  residue_atom_names(long k, const struct_mol& mol);
  long find(const char* name) const;

 private:
  long k_;
  const struct_mol& mol_;
  std::vector<std::uint32_t> words_;  // the four characters of each 4-character name
  std::vector<char> four_;            // whether the name has four characters
};
long get_number_of_nt(const struct_mol& mol);
long get_number_of_aa(const struct_mol& mol);

long derive_non_nt_parts(const std::string& text);
long residue_to_include(long mask, long k, const struct_mol& mol);
void count_dna_rna(long k, const struct_mol& mol, long& dna_count, long& rna_count);
std::string assign_na_type(long dna_count, long rna_count);  // "DNA", "RNA", "D+R" or "---"
void mark_nts_per_collect(struct_mol& mol, const connect& set, long value, int slot);
void list_residues(const char* kind, const struct_mol& mol, const char* file);
void print_pdb_residues(FILE* fp, const struct_mol& mol, long with_water);
void prtId(long k, const struct_mol& mol);

// Id strings.
void assign_idstr(struct_mol& mol);
std::string residue_idstr0(const residue& r);  // log form, e.g. 1.A.G.10
std::string idstr_long(residue& r, const std::string& segment, const std::string& name_part,
                       bool unit_id);
std::string get_residues_abbr_ids(long n, const std::vector<long>& list, const struct_mol& mol);
std::string get_residues_full_ids(long n, const std::vector<long>& list, const struct_mol& mol);
std::string get_residues_abbr_full_ids(long n, const std::vector<long>& list,
                                       const struct_mol& mol);
std::string get_connect_abbr_ids(const connect& set, const struct_mol& mol);
std::string get_connect_full_ids(const connect& set, const struct_mol& mol);
std::string get_connect_abbr_full_ids(const connect& set, const struct_mol& mol);
// Nucleotide lists in JSON, as short and long id texts in the form of the
// JSON mode bits (support's json_nt_ids); a "0" writer adds no comma.
void json_abbIds_cnts0(FILE* fp, const char* key, const connect& set, const struct_mol& mol);
void json_abbIds_cnts(FILE* fp, const char* key, const connect& set, const struct_mol& mol);
void json_abbIds_vec0(FILE* fp, const char* key, long n, const std::vector<long>& list,
                      const struct_mol& mol);
void json_abbIds_vec(FILE* fp, const char* key, long n, const std::vector<long>& list,
                     const struct_mol& mol);
// "num_nts" with the count, then the nucleotides under "nts".
void json_numNts_cnts0(FILE* fp, const connect& set, const struct_mol& mol);
void json_numNts_cnts(FILE* fp, const connect& set, const struct_mol& mol);
void json_numNts_vec0(FILE* fp, long n, const std::vector<long>& list, const struct_mol& mol);
void json_numNts_vec(FILE* fp, long n, const std::vector<long>& list, const struct_mol& mol);
// "num_<key>":n and the array key of {"index","num_nts","nts"} objects over
// sets[1..n], followed by a comma; the _dval form adds each set's value
// under dkey (null when unset) when dkey is given.
void json_array_of_nts_list(FILE* fp, const char* key, long n, const std::vector<connect>& sets,
                            const struct_mol& mol);
void json_array_of_nts_list_dval(FILE* fp, const char* key, long n, const std::vector<connect>& sets,
                                 const char* dkey, const struct_mol& mol);
// sets[1..n] in the report: in JSON as json_array_of_nts_list under key; in
// text under a '*' line and the heading (print_noun with noun), one
// "%4ld nts=%ld <ids>" line per set.
void output_nts_lists(FILE* fp, const char* key, const char* heading, const char* noun, long n,
                      const std::vector<connect>& sets, const struct_mol& mol);

std::string get_2residues_info(long a, long b, const struct_mol& mol);
std::string get_3residues_info(long a, long b, long c, const struct_mol& mol);
std::string get_2residues_abbr(long a, long b, const struct_mol& mol);
std::string get_3residues_abbr(long a, long b, long c, const struct_mol& mol);
// The residues as a PyMOL selection ("//model/chain/number" terms joined by
// " OR "); a residue whose chain id is no plain word is left out.
std::string select_tvec_pymol(long n, const std::vector<long>& list, const struct_mol& mol);
bool with_segid(const residue& r);
bool with_icode(const residue& r);
bool with_atom_name_xchk(const std::string& s);
bool with_res_name_xchk(const std::string& s);
bool with_icode_xchk(char c);
bool with_chain_id_xchk(const std::string& s);

}  // namespace vask
