// The triz module: protein-nucleic-acid interactions of one structure.
//
// Its settings (triz_options) are filled by the sub-command's option parser
// and only read here. Per structure, a triz_state holds the partner lists of
// the residues (which amino acids touch, H-bond, pair or stack on which
// nucleotides) and the model numbers of the coordinate files appended to;
// the finders fill it, the summaries read it. Contacts with nucleotides, base
// pairs and steps (triz_contact.cpp), H-bonds and plane contacts by moiety
// (triz_hbond.cpp), 5-methyl-C and triads (triz_methyl.cpp) and the interface
// summaries (triz_summary.cpp) share this header. Distances in Angstrom,
// angles in degrees, residues by their 1-based index in the structure.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/vector3.hpp"

namespace vask {

// ---------------------------------------------------------------------------
// Settings of one run

inline constexpr long TRIZ_NUM_SWITCHES = 129;  // interface switches 0..128
enum triz_interface : int { TRIZ_BASIC = 1, TRIZ_PLUS = 2, TRIZ_SASA = 3, TRIZ_AMINO = 4 };
inline constexpr double TRIZ_CUTOFF = 4.5;  // default contact distance

struct triz_options {
  std::string input;              // -i
  std::string output = "stdout";  // -o
  long helix_pair = 4;            // pairs of helices taken: 1 WC, 2 canonical, 3 WC geometry, 4 all
  std::array<char, TRIZ_NUM_SWITCHES> interface{};  // triz_interface switches
  double cutoff = TRIZ_CUTOFF;    // atom contact distance, 3.0 .. 8.0
  long moiety = 0;                // nucleotide part in contact: 0 either, 1 base, 2 backbone, 3 both
  std::string residue_names;      // "DT;T", "5CM", ... for the 5-methyl-C and triad analyses
  long triad = 0;
  long quick = 0;                 // 0 off, 1 on, 9 counts only in JSON
  long pair_order = 1;            // 1 purine first, 0 as found, -1 pyrimidine first
  long c_alpha = 0;               // step contacts and C-alpha columns
  // start of the structure's report: the run's, or in a JSON ensemble the end of the previous model's
  long start_clock = Gvars.start_clock;
  std::string start_timestamp = Gvars.start_timestamp;
};

bool any_interface_switch(const triz_options& o);

// ---------------------------------------------------------------------------
// Per-structure state

// Flags of one partner of a residue.
inline constexpr long TRIZ_HBOND = 1, TRIZ_PAIR = 2, TRIZ_STACK = 4, TRIZ_CONTACT = 8;

// The partners of one residue (amino acids of a nucleotide, nucleotides of an
// amino acid) with a flag word each, in the order first met; grows as needed.
struct triz_partner_list {
  std::vector<long> residues;  // 0-based
  std::vector<long> flags;     // TRIZ_* bits, beside residues
};

struct triz_state {
  std::vector<triz_partner_list> partners;  // by residue, 1..num_residues
  std::map<std::string, long> next_model;   // next MODEL number of each file appended to
};

void init_triz_state(const struct_mol& mol, triz_state& st);
// nt and aa enter each other's list with the flag ORed in.
void add_triz_partner(long nt, long aa, long flag, triz_state& st);
// The partners of residue k as a 1-based list (slot 0 unused).
std::vector<long> triz_partner_residues(long k, const triz_state& st);

// The module's coordinate-file table: "<prefix>-<name>.pdb" each.
inline constexpr std::array<const char*, 7> triz_file_table = {
    "baseAA-pairs", "baseAA-stacks", "stepAA", "nt-AAs", "aa-NTs", "pairs", "helices"};
std::string triz_file_name(const char* name);  // "<prefix>-<name>.pdb"

// A file of findings gathered in parts: under --cleanup=no added to what an
// earlier run left, else made anew by this run's first part (nothing is
// removed beforehand).
FILE* append_triz_file(const std::string& file);

// Appends one model (MODEL line numbered after the file's last one, one
// REMARK line, the residues in the frame, ENDMDL) to a multi-model PDB file.
void append_triz_model(const std::string& file, const std::string& remark,
                       const std::vector<long>& residues, const frame* f, struct_mol& mol,
                       triz_state& st);

namespace triz {
// Every fixed name the module writes (the per-structure 5-methyl-C files
// aside).
std::vector<std::string> fixed_names();
// Removes the module's output files unless the clean-up setting is 0.
void delete_common_files();
}  // namespace triz

// ---------------------------------------------------------------------------
// Helices as the module reads them: pairs in helix order, whether the helix
// is anti-parallel, the two strands and the groove values of each step.
struct triz_helix {
  long num_pairs = 0;
  std::vector<pair> pairs;            // 1..num_pairs
  bool anti_parallel = true;          // neither overlapping pairs nor parallel strands
  std::vector<long> strand1, strand2;  // 1..num_pairs, each 5' to 3'
  std::vector<std::array<double, 5>> grooves;  // step k (1..num_pairs-1): [1..4]; DBL_MAX unset
};

// ---------------------------------------------------------------------------
// Contacts of amino acids with nucleotides, base pairs and steps

// The amino acid's side-chain frame in the reference frame of a nucleotide,
// base pair or mid-step.
struct triz_pars {
  double trs_dist = DBL_MAX;  // Tdst: signed distance of the two origins (minus: below the reference)
  double rot_dist = DBL_MAX;  // Rdst: signed single rotation angle, degrees
  long z_direction = 1;       // 0 when the amino-acid frame was turned over (y and z negated)
  par_set pars{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // Tx Ty Tz Rx Ry Rz
  xyz c_alpha{0, -1.0, -1.0, -1.0};  // CA in the reference frame; -1 x 3 without CA
  frame ref{};                // the reference frame
  frame aa{};                 // the side-chain frame as found
  frame rel{};                // the side-chain frame (after any flip) in reference coordinates
};

struct ntaa {
  std::string label;  // "%c-%s:%5ld-%5ld", not printed
  long nt = -1, aa = -1;
  triz_pars tp;
};

struct bpaa {
  std::string label;  // "%c%c-%s:%5ld-%5ld-%5ld", not printed
  long nt1 = -1, nt2 = -1, aa = -1;
  triz_pars tp;
};

struct stepaa {
  std::string label;                 // "%c%c/%c%c-%s", e.g. AG/CT-arg
  std::array<long, 5> nts{0, -1, -1, -1, -1};  // nt1a, nt1b, nt2a, nt2b
  long aa = -1;
  triz_pars tp;
  pair bp1, bp2;                     // the step's two pairs
  frame mid{};                       // mid-step frame
  par_set step{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
  std::array<double, 5> grooves{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};  // [1..4]
};

// A nucleotide with a base frame; an amino acid (not also a nucleotide) with
// a side-chain frame.
bool triz_nt(long k, const struct_mol& mol);
bool triz_aa(long k, const struct_mol& mol);

long ntaa_in_contact(long nt, long aa, const struct_mol& mol, long type, double cutoff);
// checks: the rotation diagnostics shown (get_single_rotation_angle_axis).
void get_triz_pars(const frame& ref, const frame& aa_frame, triz_pars& tp, long& checks);
void get_triz_c_alpha(long aa, const frame& ref, const struct_mol& mol, triz_pars& tp);
int ntaa_compare(const ntaa& a, const ntaa& b);
int bpaa_compare(const bpaa& a, const bpaa& b);
int stepaa_compare(const stepaa& a, const stepaa& b);

// The amino acids in contact with each residue of a set, from a grid of the
// amino acids' heavy atoms (ascending residue order).
class triz_neighbours {
 public:
  triz_neighbours(const struct_mol& mol, double cutoff);
  std::vector<long> near(long residue) const;  // amino acids with an atom within the cutoff
 private:
  const struct_mol& mol_;
  double cutoff_;
  std::vector<xyz> pts_;
  std::vector<long> owner_;
  cell_grid grid_;
};

// The finders: every record found, sorted, into list[1..n].
void find_ntaa_contacts(const triz_options& o, const struct_mol& mol, triz_state& st,
                        std::vector<ntaa>& list);
void find_bpaa_contacts(const triz_options& o, const std::vector<triz_helix>& helices,
                        struct_mol& mol, std::vector<bpaa>& list);
void find_stepaa_contacts(const triz_options& o, const std::vector<triz_helix>& helices,
                          const struct_mol& mol, std::vector<stepaa>& list);

// The writers (text or JSON by the settings; nothing for an empty list).
void output_ntaa_contacts(const triz_options& o, const std::vector<ntaa>& list, struct_mol& mol,
                          triz_state& st, FILE* fp);
void output_bpaa_contacts(const triz_options& o, const std::vector<bpaa>& list, struct_mol& mol,
                          triz_state& st, FILE* fp);
void output_stepaa_contacts(const triz_options& o, const std::vector<stepaa>& list,
                            struct_mol& mol, triz_state& st, FILE* fp);
// Finds, sorts and writes the step contacts (C-alpha switch on, a helix and a stream).
void check_step_aa(const triz_options& o, const std::vector<triz_helix>& helices, struct_mol& mol,
                   triz_state& st, FILE* fp);

// ---------------------------------------------------------------------------
// H-bonds by nucleotide moiety, base/side-chain pairs and stacks, interface stacks

// H-bond type codes: 1..3 phosphate, sugar, base to a main-chain atom; 4..6
// to a side-chain atom; 0 otherwise.
struct ntaa_hbond {
  long nt_atom = -1, aa_atom = -1;
  long type = 0;
  long salt_bridge = 0;  // phosphate oxygen to a charged Arg/Lys/His nitrogen
};
std::string derive_ntAA_hbond_typeStr(long type, long salt_bridge);

enum triz_moiety : int { MOIETY_PHOSPHATE = 1, MOIETY_SUGAR = 2, MOIETY_BASE = 3 };
// The H-bonds of one moiety of every nucleotide to amino-acid atoms,
// list[1..n]; adds the partners.
void collect_ntAA_hbonds(int moiety, const struct_mol& mol, triz_state& st,
                         std::vector<ntaa_hbond>& list);
void output_ntAA_hbonds(const char* title, const std::vector<ntaa_hbond>& list,
                        const struct_mol& mol, FILE* fp);

// Base/side-chain plane contacts classed as pairs, or stacks (T-shapes too
// with the T-shape switch): indices into mol.plane_contacts, list[1..n].
void collect_baseAA_contacts(bool pairs, const struct_mol& mol, triz_state& st,
                             std::vector<long>& list);
void json_output_plane_contacts(bool pairs, const std::vector<long>& list,
                                const struct_mol& mol, FILE* fp);
void output_plane_contacts(const std::vector<long>& list, struct_mol& mol,
                           const std::string& file_base, triz_state& st, FILE* fp);
void output_baseAA_contacts(bool pairs, const std::vector<long>& list, struct_mol& mol,
                            triz_state& st, FILE* fp);

// Stacks of three or more planar groups with an amino acid among them.
std::vector<connect> collect_interface_stacks(long n, const std::vector<connect>& stacks,
                                              const struct_mol& mol);
void output_ntAA_mstacks(const std::vector<connect>& list, const struct_mol& mol, FILE* fp);

// ---------------------------------------------------------------------------
// 5-methyl-C and triads

// Residue names joined by ';' ("*" anywhere: every residue qualifies).
bool qualifies_by_name(const std::string& list, const std::string& name);
void normalise_residue_names(std::string& list);
void context_in_helix(long nt, const triz_helix& h, const struct_mol& mol, std::string& text);
void collect_5mC_contacts(const triz_options& o, long nt, const std::vector<triz_helix>& helices,
                          const struct_mol& mol, std::vector<long>& set, std::string& text);
// Files "<structure>-5mC.pdb" and "-5mC.txt" for the modified nucleotides
// modified[1..n] in contact with amino acids.
void check_5mC_contacts(const triz_options& o, long n, const std::vector<long>& modified,
                        const std::vector<triz_helix>& helices, struct_mol& mol);
void search_one_triad(long nt, struct_mol& mol, triz_state& st);
void output_one_triad(long x, long aa, long y, struct_mol& mol, triz_state& st);
void search_triads(const triz_options& o, const std::vector<triz_helix>& helices, struct_mol& mol,
                   triz_state& st);

// ---------------------------------------------------------------------------
// Interface summaries

// Shortest heavy-atom distance from residue k to any of partners[1..n], with
// the two atoms; finding none is a broken invariant.
double get_shortest_atompair(long k, long n, const std::vector<long>& partners,
                             const struct_mol& mol, long& atom, long& partner_atom);
std::string triz_interaction_text(long k, const triz_state& st);  // "hp.,..s"
void json_output_ntaa_cnts(long k, const triz_state& st, const struct_mol& mol, bool sasa, FILE* fp);
void output_nts_with_aas(const triz_options& o, struct_mol& mol, triz_state& st, FILE* fp);
void output_aas_with_nts(const triz_options& o, struct_mol& mol, triz_state& st, FILE* fp);

}  // namespace vask
