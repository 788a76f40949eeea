// Base pairs: the pair record and its queries, pair detection, the
// classification of a pair (common name, Leontis-Westhof class, own class,
// Saenger class, quality score), best pairs with the G-tetrad revision, the
// tidy-up that leaves partners on the residue records, and the pair writers
// (text, JSON, pair ensemble, pair-list file).
//
// Pair lists are 1-based std::vector<pair> (slot 0 unused) with a separate
// count. A record holds no pointers: helices and stems keep whole copies.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "structure/bond.hpp"
#include "support/bp_step_params.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

struct struct_mol;
struct residue;

inline constexpr long MAX_PAIR_HBONDS = 31;  // H-bond indices kept per pair

// One base pair. Unset doubles hold DBL_MAX, unset indices -1.
struct pair {
  long nt1 = -1, nt2 = -1;  // residue indices; detection gives nt1 < nt2, a user list keeps its order
  long num_hbond_indices = 0;
  std::array<long, MAX_PAIR_HBONDS + 1> hbond_indices{};  // 1..31: JSON H-bond list entries, negative
                                                          // when the atoms are stored the other way
  // name flags (0/1): at most one of them is set
  long WC = 0, rWC = 0, Hoogsteen = 0, Hoogsteen_like = 0, rHoogsteen = 0, rHoogsteen_like = 0;
  long Wobble = 0, Wobble_like = 0, rWobble = 0, Sheared = 0, Sheared_like = 0;
  long Calcutta = 0, Imino = 0, Linker = 0, Platform = 0;
  long metal = 0;        // metal residue both bases coordinate; 0 none
  long CC_pair = 0;      // Saenger 15
  long G4_pair = 0;      // Saenger 6
  long canonical = 0;    // WC or Wobble
  long user_mark = 0;    // 1, -1, 9 or -9 from a user pair list
  long WC_geometry = 0;
  long best = 0;
  long plus_face = 0;    // z1.z2 >= 0
  long num_p_hbonds = 0, num_polar_hbonds = 0, num_x_hbonds = 0, num_good_hbonds = 0;
  long num_base_hbonds = 0, num_base_polar_hbonds = 0, num_perfect_hbonds = 0, num_base_atoms = 0;
  long WC_recovered = 0;  // 1 from "~Wobble", -1 by geometry
  long intra_chain = 0;
  long status = 0;        // free for the list's current owner
  long index = 0;         // position in the structure's pair list
  std::string bp;         // e.g. "G-C": letters with the face sign between
  std::string bp_upper;
  std::string name;       // "WC", "Wobble", ... or "--"
  std::string hbond_text; // at most 1023 characters
  std::string hbond_types;  // "%ld%ld%ld%ld" of four H-bond counts
  long num_hbonds = 0;
  long Saenger_num = 0;   // 1..29; 0 none
  std::string Saenger = "--";
  std::string LW = "...";
  std::string VASK = "....";
  char cis_trans = '.';
  double lambda1 = DBL_MAX, lambda2 = DBL_MAX;  // degrees
  double CNNC_torsion = DBL_MAX;                // degrees
  double C1C1_dist = DBL_MAX, N1N9_dist = DBL_MAX, C6C8_dist = DBL_MAX;  // Angstrom
  par_set bp_simpleParams{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
  par_set bp_params{DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX};
  double dWC = DBL_MAX;      // signed deviation from Watson-Crick geometry
  double quality = DBL_MAX;  // lower is better
  double xdir = DBL_MAX;     // x1.x2
  double dm = DBL_MAX;       // Angstrom
  double dv = DBL_MAX;       // Angstrom
  double interBase_angle = DBL_MAX;  // degrees, 0..90
  double rsum = DBL_MAX;
  double planarity = -1.0;
  double area = -1.0;        // square Angstrom, only with the area setting
  vask::frame frame{};       // middle frame of the pair
};

// Structure tallies of special pairs (struct_mol::pair_tallies).
inline constexpr int TALLY_CC = 0, TALLY_SHEARED = 1, TALLY_G4 = 2, TALLY_RHOOGSTEEN = 3;

// ---------------------------------------------------------------------------
// Record and queries

extern const std::array<const char*, 30> Saenger2Roman;  // [0] "--", [k] "%02ld-<Roman>"

void init_one_pair(pair& p);
std::vector<pair> allocate_pairs_array(long n);  // records 1..n initialised; n < 0: assertion
void free_pairs(std::vector<pair>& pairs);
long pair_other_nt(const pair& p, long nt);      // nt1 unless it is nt, else nt2
long pair_include_nt(const pair& p, long nt);
long pair_with_two_nts(const pair& p, long a, long b);
long two_pairs_match(const pair& a, const pair& b);
int pair_compare(const pair& a, const pair& b);  // by nt1, then nt2
void set_pairs_array_status(long n, std::vector<pair>& pairs, long value);
inline bool is_WC_pair(const pair& p) { return p.WC; }
inline bool is_Wobble_pair(const pair& p) { return p.Wobble; }
inline bool is_canonical_pair(const pair& p) { return p.canonical; }
inline bool is_WC_geometry(const pair& p) { return p.WC_geometry; }
inline bool is_best_pair(const pair& p) { return p.best; }
inline long plus_face(const pair& p) { return p.plus_face; }
// f's origin and z axis; y along p1 - p2, then x = y x z and y = z x x.
void simple_frame(const vask::frame& f, const xyz& p1, const xyz& p2, vask::frame& out);

// ---------------------------------------------------------------------------
// Classification

// Describes nucleotides i (nt1) and j (nt2) with their H-bonds hbonds[1..nh].
void fillout_pair(long i, long j, long nh, const std::vector<bond>& hbonds, struct_mol& mol, pair& p);
// fillout_pair with the H-bonds of i and j collected on the spot.
void populate_one_base_pair(long i, long j, struct_mol& mol, pair& p);
void derive_pair_hbonds(long nh, const std::vector<bond>& hbonds, const struct_mol& mol, pair& p);
// Text "O6(carbonyl)-N4(amino)[2.91],..." of hbonds[1..nh]; letters 0 give plain atom names.
std::string derive_hbondStr(char letter1, char letter2, const struct_mol& mol, long nh,
                            const std::vector<bond>& hbonds);
std::string atom_name_to_functional_group(char letter, const std::string& atom_name);
void derive_simple_pair_params(pair& p, const struct_mol& mol);
void assign_three_base_edges(pair& p, const struct_mol& mol);
// Edge counts (1 W, 2 H, 3 S) of points[1..n] given in the frame of a base.
void locate_edge_by_base_sugar_atoms(std::array<long, 4>& counts, long pyrimidine, long n,
                                     const std::vector<xyz>& points);
// The naming steps that need only the record: common name, expansion to WC,
// canonical/WC-geometry, quality, naming setting, Saenger class and its
// reconciliation. base_hbonds[1..m]: the pair's base-to-base H-bonds;
// linked: the two nucleotides are covalently linked; metal: the metal both
// bases share (0 none); mol (may be null) names the pair in log lines.
void classify_pair(pair& p, const std::vector<bond>& base_hbonds, long linked, long metal,
                   const struct_mol* mol = nullptr);
void assign_common_name(pair& p, long linked);
void expand_wc_pair(pair& p, const struct_mol* mol = nullptr);
bool is_Wobble28_by_miscPars(const pair& p);
double get_pair_quality(const pair& p, const std::vector<bond>& base_hbonds, long linked);
long get_Saenger_class(pair& p);        // table rows only; may rename the pair
void assign_Saenger_class(pair& p, const struct_mol* mol = nullptr);  // table, G+G rule, reconciliation
void reconcile_Saenger_common_name(pair& p, const struct_mol* mol = nullptr);
double get_dWC(const par_set& bp_params, long plus);
double get_planarity_2nts(long i, long j, const struct_mol& mol);
// The heavy base atoms of nucleotide r, and C1' when its glycosidic bond is
// C1'-N, appended to pts: the points whose plane the planarity measures.
void append_base_plane_points(long r, const struct_mol& mol, std::vector<xyz>& pts);

// ---------------------------------------------------------------------------
// Detection

// The base pairs of one structure into pairs[1..n] (the results' pair slot):
// detected, or read from the pair-list input; tidied and marked; with report,
// the count to the run log and the pair ensemble; the pair-list output.
void find_pairs(struct_mol& mol, long& n, std::vector<pair>& pairs, long report);
std::vector<pair> populate_base_pairs(struct_mol& mol, long& n);
// Nucleotides i < j (sorted) whose base-frame origins lie within d, found on a cell grid.
std::vector<std::pair<long, long>> base_frame_neighbours(const struct_mol& mol, double d);
bool is_pair(long i, long j, struct_mol& mol, long& nh, std::vector<bond>& hbonds);
long is_pair_simple(long i, long j, struct_mol& mol);
long good_base2base_distance(long i, long j, const struct_mol& mol, double d);
long with_perfect_base_atom_hbond(long nh, const std::vector<bond>& hbonds, const struct_mol& mol);
long is_nt1_nt2_potential_WC_pair(long i, long j, const struct_mol& mol);
long add_more_WC_geo_pairs_in_duplex(struct_mol& mol, long& n, std::vector<pair>& pairs);
void check_recovered_WC_context(struct_mol& mol, long n, std::vector<pair>& pairs);
std::vector<pair> read_pairs_list(const std::string& file, struct_mol& mol, long& n);
// The parse of a pair list (`name` labels messages): kept lines as {i, j,
// mark}; warnings for the rest.
struct pair_list_line {
  long i = 0, j = 0, third = 0;
  std::string text;
};
std::vector<pair_list_line> parse_pairs_list(FILE* fp, const struct_mol& mol, const std::string& name);

// ---------------------------------------------------------------------------
// Best pairs and the G-tetrad revision

void check_for_best_pairs(long n, std::vector<pair>& pairs, struct_mol& mol);
void mark_best_pairs_by_score(long n, std::vector<pair>& pairs, long num_residues);
long check_bestpair_overlaps(long n, const std::vector<pair>& pairs, struct_mol& mol);
void reset_bestpair_for_G4pairs(long n, std::vector<pair>& pairs, struct_mol& mol);
long tetrad_like_G4pair(const pair& p, struct_mol& mol, connect* tetrad);
long is_G4pair(const pair& p, const struct_mol& mol);
// tetrad[1..4] reordered from tetrad[1] so that G1-G2, G2-G3 and G3-G4 run
// Watson-Crick edge to major-groove edge; tetrad[0] = 1 on success, else 0
// with the order untouched.
long order_Gtetrad_wc2Major(std::array<long, 5>& tetrad, struct_mol& mol);
// The same, then G2 and G4 swapped when G1 is syn.
long order_Gtetrad(std::array<long, 5>& tetrad, struct_mol& mol);
// The own-class edge text of a pair ("W+M", "M+W", ...): its characters after the first.
std::string own_class_tail(const pair& p);

// ---------------------------------------------------------------------------
// Tidy-up and marking

void tidyup_and_mark_pairs(long n, std::vector<pair>& pairs, struct_mol& mol);
void remove_wrong_WC_pairs(long n, std::vector<pair>& pairs, const struct_mol& mol);
void mark_residue_str_pair(long n, std::vector<pair>& pairs, struct_mol& mol);
void adjust_bestpair(const pair& p, long n, std::vector<pair>& pairs);
// warned: the count of connection-set overflows (add_one_item_to_connect).
void fillout_pairs_per_residue(long n, const std::vector<pair>& pairs, std::vector<residue>& residues,
                               long& warned);
void apply_user_pair_marks(long n, std::vector<pair>& pairs, const struct_mol& mol);
void count_special_pairs(long n, const std::vector<pair>& pairs, struct_mol& mol);

// ---------------------------------------------------------------------------
// Output

void output_pairs_info(long n, const std::vector<pair>& pairs, const struct_mol& mol, FILE* fp);
void json_pairs(long n, const std::vector<pair>& pairs, const struct_mol& mol, FILE* fp);
void json_pair_basic0(const pair& p, const struct_mol& mol, FILE* fp);
void show_pair_info(long k, const pair& p, const struct_mol& mol, FILE* fp);
void show_pair_info_detailed(long k, const pair& p, const struct_mol& mol, FILE* fp);
void display_three_bp_classifications(const pair& p, FILE* fp);
void display_more_pair_info(const pair& p, const struct_mol& mol, FILE* fp);
std::string get_pair_idstr(long k, const pair& p, const struct_mol& mol);
std::string get_pair_idstr_abbr(const pair& p, const struct_mol& mol);
void write_pairs_pdb_frame(long n, const std::vector<pair>& pairs, struct_mol& mol);
// file empty: "<prefix>-pairs.txt"
void write_pairs_list(const std::string& file, const struct_mol& mol, long n,
                      const std::vector<pair>& pairs);
std::string default_pairs_list_name();
// The pairs-only product on a stream: pairs detected and tidied, their list
// (or JSON pairs with "program"), the pair ensemble file only at pair-only
// code 9 or a raised verbosity.
void write_pairs_only(struct_mol& mol, FILE* fp);
// This structure's run is the pairs-only product (--pair-only, nucleotides
// present, within the server's cap); else the whole analysis runs.
bool pairs_only_run(const struct_mol& mol);
void write_pair_file(struct_mol& mol, const std::string& file);

}  // namespace vask
