// The settings record Gvars and the constant tables Gconsts.
//
// Fields get their defaults where they are declared (set_globals() resets the
// whole record to them and fills the run identity) and are written by the
// option parsers and sub-command drivers only; everything else reads them.
// Distances are in Angstrom, angles in degrees; an unset double is DBL_MAX,
// an unset index -1.
#pragma once

#include <array>
#include <cfloat>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "support/ref_frame.hpp"

namespace vask {

// 128 on/off flags numbered from 0 (block-file, cartoon, loop, G4, get-hbond,
// alc/mol and select switches); a set counts as on when any flag is non-zero.
using switch_set = std::array<char, 128>;
bool opts_with_switch_set(const switch_set& s);          // any of flags 0..127
bool cartoon_opts_with_switch_set(const switch_set& s);  // any of flags 3..127

// One colour: red, green, blue in [0, 1]; -1 = not set.
using rgb_t = std::array<double, 3>;

// One residue of the frame option (structure written in a residue frame).
struct frame_spec {
  long model = -1;           // model number; -1 any
  std::string chain = "*";   // chain id (at most 4 characters); "*" any
  std::string name = "***";  // residue name; a leading '*' means any
  long number = -1;          // residue number (always compared)
  char icode = '*';          // insertion code; '*' any
  int frame_type = 0;        // as frame::type
  long view = 0;             // 0 none, 1 minor-groove edge, 2 major-groove edge, 90 turned about z
  long residue = 0;          // matched residue index, 1-based
};

// One residue-name mapping: the name (three characters, right-justified,
// upper-cased) and its standard parent ("__A" ... "__P"; lower-case letters for
// user parents of modified bases). Fresh entries hold "___" in both.
struct base_entry {
  std::string name = "___";
  std::string parent = "___";
};

// A list of residue-name mappings, 1-based (entries[0] unused).
struct baselist {
  long num = 0;
  std::vector<base_entry> entries = std::vector<base_entry>(1);
};

// Chains to read: either every chain, or the listed ids. An id is at most 4
// characters and is stored left-justified and blank-padded to 4, as atom
// chain ids are compared. `all` is a flag of its own, so no number of listed
// chains can be mistaken for "every chain"; an empty list with `all` off
// selects nothing.
struct chain_selection {
  bool all = true;
  std::vector<std::string> ids;  // 0-based, each exactly 4 characters
  // True when atoms of this chain id (as read, unpadded or padded) are kept.
  bool selects(std::string_view chain_id) const;
};

// The sub-command a usage error shows the help of (set by that sub-command's
// driver), and whether the main run reads one coordinate file.
struct subcommand_flags {
  long analyze = 0;
  long rebuild = 0;
  long mutate = 0;
  long fiber = 0;
  long triz = 0;
  long search = 0;
  long task = 0;
  long project = 0;
  long composite = 0;
  long single_file = 0;
};

// Slots of the block colour table.
enum block_color_slot : int {
  COLOR_OTHER = 0, COLOR_A = 1, COLOR_C = 2, COLOR_G = 3, COLOR_T = 4, COLOR_U = 5,
  COLOR_P = 6, COLOR_GC = 7, COLOR_AT = 8, COLOR_GU = 9, COLOR_GTETRAD = 10,
  COLOR_EDGE = 11, COLOR_MINOR = 12, COLOR_MAJOR = 13, COLOR_UPPER = 14,
  COLOR_LOWER = 15, COLOR_RIGHT = 16, COLOR_LEFT = 17, COLOR_SYN = 18,
  COLOR_PEPTIDE = 19, COLOR_SIDECHAIN = 20, COLOR_HBOND = 21, COLOR_FILL_UPPER = 22,
  COLOR_FILL_LOWER = 23, COLOR_FRAME = 24, COLOR_C2ENDO = 25, COLOR_C3ENDO = 26,
  NUM_BLOCK_COLORS = 64
};
using block_color_table = std::array<rgb_t, NUM_BLOCK_COLORS>;
block_color_table default_block_colors();

// Flags of the block-file switch set (Gvars.block_file).
enum block_file_flag : int {
  BLK_FACE = 0, BLK_EDGE = 1, BLK_EDGE_COLOR = 2, BLK_TRANSPARENT = 3, BLK_PAIR = 4,
  BLK_CANONICAL = 5, BLK_PAIR_COLOR = 6, BLK_MINOR = 7, BLK_MAJOR = 8, BLK_UPPER = 9,
  BLK_LOWER = 10, BLK_RIGHT = 11, BLK_LEFT = 12, BLK_GREY = 13, BLK_EQUAL = 14,
  BLK_SLIM = 15, BLK_GTETRAD = 16, BLK_G4_SIDE = 17, BLK_G4_FULL_SIDE = 18, BLK_SYN = 19,
  BLK_NO_BASE = 20, BLK_SUGAR = 21, BLK_PEPTIDE = 22, BLK_SIDECHAIN = 23, BLK_HBOND = 24,
  BLK_FILL_UPPER = 25, BLK_FILL_LOWER = 26, BLK_NORMAL = 27, BLK_FRAME_ORIGIN = 28,
  BLK_FRAME_XY = 29, BLK_FRAME_WHOLE = 30, BLK_TOP = 31, BLK_GLOBAL_FRAME = 32,
  BLK_GLOBAL_FRAME_ONLY = 33, BLK_ARROW = 34, BLK_SPECIAL_ARROW = 35, BLK_NO_CARTOON = 36
};

// Flags of the cartoon switch set (Gvars.cartoon).
enum cartoon_flag : int {
  CTN_BLOCK_FILE = 0, CTN_BLOCK_COLOR = 1, CTN_BLOCK_DEPTH = 2, CTN_BLOCK = 3,
  CTN_BEST_VIEW = 4, CTN_NA_ONLY = 5, CTN_ORIENT = 6, CTN_BLACK_BG = 7, CTN_RAY_PNG = 8,
  CTN_RUN_PYMOL = 9, CTN_OPEN_IMAGE = 10, CTN_ON = 11, CTN_PROTEIN = 12, CTN_SYMMETRY = 13,
  CTN_BLOCKS_ONLY = 14, CTN_LIGAND = 15, CTN_LIGAND0 = 16, CTN_ORGANIC = 17, CTN_METAL = 18,
  CTN_STICK_BALL = 19, CTN_LINE = 20, CTN_TURNED = 21, CTN_NT_LABEL = 22, CTN_AA_LABEL = 23,
  CTN_C1_LABEL = 24, CTN_HIDE = 25, CTN_HIDE_PROTEIN = 26, CTN_HIDE_NA = 27,
  CTN_SESSION = 28, CTN_PERSPECTIVE = 29
};

// Block-configuration files (Gvars.block_config).
enum block_config_slot : int {
  BCFG_ALL = 0, BCFG_PURINE = 1, BCFG_PYRIMIDINE = 2, BCFG_MEAN = 3, BCFG_PAIR = 4,
  BCFG_G4 = 5, NUM_BLOCK_CONFIGS = 9  // slots 6..8 spare
};

struct gvars_rec {
  // ---- run identity and state (not options)
  long start_clock = 0;          // clock() at start
  std::string start_timestamp;   // ctime text, newline removed
  long help_mode = 0;            // 1 built-in help; 2 silent exit; other: help text file
  std::string program_path;      // argv[0] as given
  std::string program_name;      // base name, no extension, lower-cased
  std::string help_file;         // program name + ".txt"
  std::string runlog_name = "stderr";
  std::string prglog_name;       // empty: no program log
  long num_models = 0;                // models of the ensemble
  std::vector<long> model_list;       // [0] = models in use n, [1..n] their numbers in file order; empty = none
  std::vector<long> selected_models;  // [0] = count n, [1..n] model numbers ascending; empty = all
  subcommand_flags subcommand;
  long server_cap = 0;           // maximum number of nucleotides accepted; 0 no cap
  long web_skmatic = 0;          // web-schematic mode

  // ---- output naming and report form
  std::string prefix = "vask";      // of every auxiliary file name
  std::string str_title = "default";  // title in .dbn/.ct files
  long cleanup = -1;             // -1 clean before the run; 0 keep; 1 clean and exit
  long json = 0;                 // 0 text; bits: 1 JSON, 2/4/8 id-list form, 16 connect table
  std::string json_fmt = "%.3f"; // printf format of every JSON double
  long auxfiles = 1;             // write the prefix-named auxiliary files
  long time_report = 1;          // print "Time used" and the JSON time
  long summary = 1;              // 0 off, 1 default, 2, 6 ("ind")
  long pair_name = 2;            // 1 simple names, 2 full names
  long idstr = 1;                // 0 short ... 8 PyMOL without object
  long short_name = 0;           // short residue names in ids
  long idstr_sep = '.';          // separator character of id strings
  long idstr_size = 256;         // 12..1024
  long segid = 1;                // keep segment ids
  long output_format = 1;        // 1 PDB, 2 mmCIF
  long input_format = 3;         // 1 PDB, 2 mmCIF, 3 decide from the file
  long stand_alone = 1;          // built-in data tables
  long raw_name = 1;             // keep residue and atom names as read
  long raw_xyz = 0;              // write residue sets without moving them
  long sqlite = 0;               // bits: 1 data, 2 schema, 4 phosphate table
  long torsion360 = 0;           // 0 off, 1 on, 9 all torsions
  long order_residues = 0;
  long one_pass = 1;             // read an ensemble's models in one pass

  // ---- structure selection and reading
  long model_mode = 1;           // 1 first, 2 ensemble, 4 all as one, 8 as 4 across chains
  long select_model = -1;        // model number; -1 none
  chain_selection chains;        // chains to read
  std::string altlocs = "A1 ";   // accepted altLoc characters, upper-cased, ending with a blank
  double occupancy = 0.0;        // atoms below are dropped
  double bfactor = DBL_MAX;      // atoms above are dropped
  long parts = 31;               // classes kept: 1 nts, 2 aas, 4 waters, 8 ligands/metals, 16 other
  long waters = 0;               // 0 off; n > 0 keep waters
  long metals = 0;               // keep metals
  double metal_cutoff = 3.2;     // metal coordination distance
  std::string nts_list_inp;      // restrict analysis to the listed nucleotides
  std::string nts_list_out;
  long nts_list = 0;
  long abasic = '?';             // abasic mark character
  baselist nt_ignored;           // residue names never tested as nucleotides
  baselist nt_mappings;          // user residue-name mappings
  double nt_cutoff = 0.28;       // RMSD limit of the standard-base fit
  double ring_atom_cutoff = 0.26;  // rescuing incomplete base rings
  double bb_ratio = 2.0;         // backbone ratio, always >= 1
  std::string select_chain;      // one-shot selections
  std::string select_frag;
  std::string select_atom;
  long select_xyz = 0;           // 1 atoms, 2 hetero atoms, 3 both
  switch_set select{};           // component selection of the select option
  long renum_residue = 0;        // renumber residues from; 0 off
  long renum_atom = 0;           // renumber atoms from; 0 off
  long reverse_select = 0;
  long delete_water = 0;
  long delete_h = 0;

  // ---- thresholds
  double vdw_delta = 0.16;
  double vdw_cutoff = 4.56;
  double tshape_angle = 65.0;
  long tshape = 0;
  double overlap_angle = 65.0;
  double pseudo_pair_angle = 65.0;
  double angle11_cutoff = 19.0;
  double angle1n_cutoff = 95.0;
  double network_vdist = 2.0;
  double network_ratio = 0.52;
  double network_dsa = 50.0;
  double horizontal_hdist = 1.689;
  double nonplanar_hdist = 3.4;
  double hbond_d1 = 1.98;        // H-bond lower distance
  double hbond_dist = 4.0;       // H-bond distance cutoff (d2)
  bool hbond_dist_given = false;  // set on the command line: wins over VASK_HBOND_CUTOFF
  double hbond_vd = 2.0;         // H-bond vertical distance
  double hbond_angle = 72.0;
  double hbond2hbond_angle = 50.0;
  double hbond_good = 3.6;       // good H-bond distance
  long hbond_string = 1;
  long ch_bond = 0;              // C-H bonds: 0, 1 or 9
  double a2base_vd1 = 2.2;       // capping
  double a2base_vd = 3.5;
  double polygon_offset = 0.268;
  double bpx_dv = 1.618;
  double bpx_angle = 36.0;
  double pair_dist = 15.0;
  double pair_vd = 2.5;
  double pair_angle = 65.0;
  long pair_hbond = 0;           // 0, 1 over, 2 base, 3 both
  long pair_network = 0;
  long pair_cross = 0;
  double helix_break = 10.68;
  double helix_bend = 68.0;
  double probe_radius = 1.4;
  double z_slice = 0.05;
  double curved_cutoff = 0.6;
  double rise_cutoff = 1.0;
  double helix_ext = 0.0;
  double stack_cutoff = 0.1;
  double stack_area = 66.0;
  double op_bond = 0.0;          // O3'-P bond cutoff; 0 off
  double splay_cutoff = 85.0;
  double rmsd_ds = 0.68168;      // double-strand RMSD
  double rmsd_ss = 0.5;          // single-strand RMSD
  double rmsd_z = 0.76;          // Z-form RMSD
  double opening = -DBL_MAX;     // Opening limit
  double wc_geo = -45.0;
  double kturn_angle = 36.0;
  double uturn_cutoff = 90.0;
  long uturn_gap = 3;
  long ua_loop = 0;
  long g4_bulge = 16;

  // ---- analysis switches and codes
  long test = 0;                 // test/debug switch
  long experimental = 0;
  long circular = 0;
  long ga_pair = 0;
  long z_step = 1;
  long sasa = 0;
  long stems = 1;
  long helix_baxis = 0;
  long pucker = 1;               // 1 Altona-Sundaralingam, 0 Westhof-Sundaralingam
  long pair_only = 0;
  long stacked_nts = 1;          // bits
  long stack_ens = 0;
  long non_pair = 0;
  long phosphate = 0;
  long pknot = 1;                // pseudoknots kept; 0 nested
  long dbn_break = '&';
  long ss_simple = 0;
  long isolated = 3;             // isolated-pair bits: 1 in dbn, 2 in loops
  long embedded = 0;
  long kturn = 0;                // bits
  long simple_jct = 0;
  long simple_pair = 0;
  long special_nts = 0;
  long ss_par = 1;               // single-strand parameter code
  long a_minor = 'A';
  long uturn = 0;                // 0 off, else a letter of "ACGTUPRYSWKMBDHVN"
  long helical_axis = 0;
  switch_set loop = make_loop_switches();  // flags 4, 5, 6 on
  switch_set g4 = make_g4_switches();      // flag 0 on
  std::string g4_list;           // G4 list file
  long pair_list_type = 0;
  long pair_list_one = 0;
  std::string pair_list_inp;
  std::string pair_list_out;

  // ---- one-shot task switches and files
  long check_op = 0;
  long info_nt = 0;
  long info_aa = 0;
  long info_list = 0;            // bits
  long simple_pdb = 0;
  long bp_seq = 0;
  long playground = 0;
  long atom_hbond_prop = 0;
  std::string list_chain;
  std::string list_residue;
  long get_stack = 0;
  long peptide_base = 0;
  long bonds_file = 0;
  long linkage_file = 0;
  long contacts_file = 0;
  long area_file = 0;
  long cx_file = 0;
  long plane_file = 0;
  long torsion_file = 0;
  long conn_file = 0;
  long topview_file = 0;
  long frame_list = 0;           // bits: 1 base, 2 pair, 4 side chain
  long r3d_frame = 0;            // bits
  long view = 0;                 // view code
  switch_set get_hbond{};
  switch_set alc_mol{};
  std::string trx_file;          // transformation-matrix file

  // ---- frame option (structure in a residue frame)
  std::array<frame_spec, 2> frame_opt{};
  long frame_given = 0;
  long frame_two = 0;            // 0 none, 1 middle step frame, 2 middle helical frame

  // ---- schematic and display settings
  std::array<std::string, NUM_BLOCK_CONFIGS> block_config{};
  std::string block_cmd;         // block command-line text (PyMOL)
  std::string pml_file;          // PyMOL command file
  double block_depth = 0.0;      // 0: template thickness
  block_color_table block_colors = default_block_colors();
  switch_set block_file{};
  switch_set block_color_items{};  // block items a colour term names, drawn only when blocks are asked for
  frame view_rot{};
  frame view_pos{};
  frame view_mat{};
  frame view_align{};
  std::string cartoon_image;
  std::string cartoon_color;
  double cartoon_transp = -1.0;  // -1 not given
  std::string protein_color = "purpleblue";
  double protein_transp = 0.6889;
  switch_set cartoon{};
  double axis_len = 2.0;
  double axis_rad = 0.02;
  double origin_rad = 0.06889;
  double block_edge = 0.03;
  double transparency = 0.8;
  long ray_size = 1800;
  double scale_factor = -1.0;    // -1 not given

  // ---- sequence utility
  long seq_lower = 0;
  long seq_rna = 0;
  long fasta_width = -1;         // -1 not given
  long seq_revcomp = 0;
  long seq_scan = 0;

  // ---- suite settings
  double suite_power = 3.0;
  long suite_wannabe = 1;
  long suite_sep = 0;            // 0 none
  long suite_upper = 0;

  static switch_set make_loop_switches();
  static switch_set make_g4_switches();
};

// The settings as everything but option parsing and the driver's set-up sees
// them: read-only. What a structure's analysis counts or notes goes into its
// own records (struct_mol), never here.
extern const gvars_rec& Gvars;

// The one writable view of the settings, for option parsing, the sub-command
// drivers' set-up and tests; analysis code never calls it (a test lists the
// files that may).
gvars_rec& mutable_gvars();

// Fixed name tables, the version text and the banner.
struct gconsts_rec {
  std::vector<std::string> puckers{"",         "C3'-endo", "C4'-exo",  "O4'-endo",
                                   "C1'-exo",  "C2'-endo", "C3'-exo",  "C4'-endo",
                                   "O4'-exo",  "C1'-endo", "C2'-exo"};
                                       // 1..10 by 36-degree phase bins from 0
  std::vector<std::string> ring_atoms;  // 1..9: " C4 " ... " N9 "
  std::vector<std::string> aa_names;   // 1..20: ALA ... GLY
  long num_aa = 20;
  std::vector<std::string> base_atoms;  // 1..16
  std::vector<std::string> bb_atoms;    // 1..12
  long num_base_atoms = 16;
  long num_bb_atoms = 12;
  std::string nt_letters = "_ACGTU";    // [0] placeholder
  std::string aa_letters = "_AVFPMILDEKRSTYHCNQWG";  // in the order of aa_names
  std::string version;                  // "belqo-vask v<version>"
  std::string banner;                   // several lines, ends with a newline
};

extern const gconsts_rec& Gconsts;  // filled by set_Gconsts() only

// Block-file switch queries (Gvars.block_file).
bool with_block_face_or_edge();
bool r3d_fill_base();     // fill upper or lower side
bool r3d_fill_sugar();
bool r3d_hbond();
bool r3d_global_frame();  // global frame, or global frame only
bool r3d_ref_frame();     // frame origin, x-y or whole frame
bool r3d_items();         // any fill, sugar, H-bond or frame item


// First call of the program: start clock and timestamps, program name, every
// default of Gvars, the logs back to standard error, and Gconsts.
void set_globals(const char* program_path);

// Builds Gconsts.
void set_Gconsts();

}  // namespace vask
