// The auxiliary-file table: clean-up before a run and the listing after it.
//
// Auxiliary files are named "<prefix>-<suffix>" with the output prefix of
// Gvars; a coordinate ensemble (suffix ending in ".pdb") is written as ".cif"
// in mmCIF output mode.
#pragma once

#include <array>
#include <initializer_list>
#include <optional>
#include <set>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/belqo-vask.hpp"

namespace vask {

struct struct_mol;

struct aux_file {
  const char* suffix;       // after "<prefix>-"
  const char* description;  // shown in the listing
};

inline constexpr std::array<aux_file, 59> aux_file_table = {{
    {"pairs.pdb", "an ensemble of base pairs"},
    {"pairNetworks.pdb", "an ensemble of pairing networks"},
    {"multiplets.pdb", "an ensemble of multiplets"},
    {"cyclicTetrads.pdb", "an ensemble of cyclic tetrads"},
    {"multipletSegments.pdb", "an ensemble of stacked multiplets"},
    {"stackingMultiplets.pdb", "an ensemble of stacking multiplets (pairwise)"},
    {"stems.pdb", "an ensemble of stems"},
    {"helices.pdb", "an ensemble of helices (coaxial stacking)"},
    {"stackingPairsPerHelix.pdb", "an ensemble of stacking pairs per helix"},
    {"helicalAxes.pdb", "helical axes in PDB format (for PyMOL)"},
    {"Gtetrads.pdb", "an ensemble of G-tetrads"},
    {"G4helices.pdb", "an ensemble of G4-helices"},
    {"G4stems.pdb", "an ensemble of G4-stems"},
    {"G4stackings.pdb", "an ensemble of stacking G-tetrads (pairwise)"},
    {"G4lists.txt", "a list of G-tetrads in G4 helices"},
    {"G4select.pml", "PyMOL select commands"},
    {"G4curves.inp", "input to Curves+ for analyzing a G-quadruplex"},
    {"imotifs.pdb", "an ensemble of i-motifs"},
    {"hairpins.pdb", "an ensemble of hairpin loops"},
    {"bulges.pdb", "an ensemble of bulges"},
    {"iloops.pdb", "an ensemble of internal loops"},
    {"junctions.pdb", "an ensemble of junctions (multi-branch)"},
    {"simplifiedJcts.pdb", "simplified representation of junctions"},
    {"2ndstrs.bpseq", "secondary structure in bpseq format"},
    {"2ndstrs.ct", "secondary structure in connectivity table format"},
    {"2ndstrs.dbn", "secondary structure in dot-bracket notation"},
    {"specials.pdb", "an ensemble of special loop cases"},
    {"torsions.txt", "backbone torsion angles and suite names"},
    {"splays.pdb", "an ensemble of splayed-apart units"},
    {"Bfactors.txt", "average temperature factors for nucleotides"},
    {"kissingLoops.pdb", "an ensemble of kissing loops"},
    {"zippers.pdb", "an ensemble of ribose zippers"},
    {"Aminors.pdb", "an ensemble of A minor motifs (types I and II)"},
    {"Kturns.pdb", "an ensemble of kink-turn motifs"},
    {"Uturns.pdb", "an ensemble of U-turn motifs"},
    {"UAloops.pdb", "an ensemble of rHoogsteen UA-loop motifs"},
    {"stacks.pdb", "an ensemble of base stacks"},
    {"summary.csv", "a summary of nucleotide features in CSV format"},
    {"atom2bases.pdb", "an ensemble of atom-base stacking interactions"},
    {"waterBridges.pdb", "an ensemble of water-mediated interactions"},
    {"waterClusters.pdb", "an ensemble of water-mediated clusters"},
    {"metals.pdb", "an ensemble of metal coordinations"},
    {"phosphates.pdb", "an ensemble of phosphate interactions"},
    {"pymol.pml", "PyMOL script for displaying junctions"},
    {"jmol.scr", "PyMOL script for displaying junctions"},
    {"rotmat.txt", "position vector and rotation matrix"},
    {"viewV.pdb", "vertical view of the principle moment of inertia"},
    {"viewH.pdb", "horizontal view of the principle moment of inertia"},
    {"viewT.pdb", "top view of the principle moment of inertia"},
    {"pairFrames.txt", "base-pair reference frames with the analyze module"},
    {"baseFrames.txt", "base reference frames with analyze --ss"},
    {"dsStepPars.txt", "base-pair step parameters for rebuilding"},
    {"dsHeliPars.txt", "base-pair helical parameters for rebuilding"},
    {"frameHeliPars.txt", "helical parameters with analyze --frame"},
    {"frameStepPars.txt", "step parameters with analyze --frame"},
    {"pairs.txt", "a list of base pairs"},
    {"nts.txt", "list of nucleotides"},
    {"ssStepPars.txt", "base step parameters for rebuilding"},
    {"ssHeliPars.txt", "base helical parameters for rebuilding"},
}};
static_assert(aux_file_table.size() == 59, "one row per auxiliary output");

// Files with fixed names, removed by the clean-up only. The G4 trace of the
// block files is not among them: it carries the prefix, and the clean-up
// removes "<prefix>-G4modelBBLkg.pdb" after these.
inline constexpr std::array<const char*, 7> fixed_aux_files = {
    "vask-bestview-pymol.png", "vask-bestview.png", "vask-bestview.r3d", "vask-bestview.pdb",
    "vask-bestview.cif",       "vask-composite.pdb", "vask-composite.sh"};

// Files the other sub-commands and modes write under fixed names of their
// own, left in place by the runs (an --ilist run writes "PDB-lists.txt" before
// its clean-up; "vask-sqlite.sql" gathers the pairs of many runs) and removed
// by --cleanup alone. Generic names of the composite assembly's intermediate
// files (conn.pdb, head.pdb, ...) are not among them: a user's own file may
// carry one.
inline constexpr std::array<const char*, 14> cleanup_only_files = {
    "vask-rebuildPars.txt", "PDB-lists.txt",       "valid-mutations.dat",   "helix-U-P.dat",
    "splay-data.txt",       "check_config.dat",    "GA-pairs-check.csv",    "vask-sqlite.sql",
    "search-targets.txt",   "search-results.csv",  "query-only-aligned.pdb", "query-with-target.pdb",
    "vask-circular.pdb",    "vask-prog.log"};
// The prefix-named files outside the table: the frames a rebuild used.
inline constexpr std::array<const char*, 1> cleanup_only_suffixes = {"frames.txt"};

// "<prefix>-<suffix>" with at most 256 characters of the prefix.
std::string aux_file_name(std::string_view suffix);

// The mmCIF twin of a name: a trailing ".pdb" replaced by ".cif"; "" when the
// name does not end with ".pdb".
std::string cif_twin(std::string_view name);

// Removes the table's files (and their mmCIF twins), the fixed-name files and
// the G4 trace; when the clean-up setting is 0 nothing, but the files found
// are noted, so the listing of this run leaves them out while they stay
// untouched.
void delete_common_files();
// --cleanup: the files above, the cleanup-only files and at last the prefix
// lock (a run starting after its removal makes a new one and finds nothing
// left to clash with).
void clean_up_all_files();

// Refuses (fatal, before anything is opened for writing) a run that would
// write over what it reads or mix two outputs in one file: the report, the
// run log or the program log naming the input file or the list file, or each
// other; an input, list or report with the name of an auxiliary file of the
// prefix; a prefix with a directory part (auxiliary files stay in the
// working directory). Names are compared as files, so "./x" matches "x".
void check_file_clashes(const run_descriptor& run);
// Refuses (fatal, before any analysis) a report, list report or list output
// whose folder does not exist or is not writable, naming the folder: a run
// would otherwise fail only when it comes to write, its work lost. Called by
// check_file_clashes.
void check_output_folders(const run_descriptor& run);

// Every name the run writes or removes in the working folder: the table's
// files and their mmCIF twins, the fixed-name files, the G4 trace,
// "PDB-lists.txt" and the prefix lock.
std::vector<std::string> auxiliary_names();
// Refuses (fatal) an input or output that is one of those files.
void check_not_auxiliary(const char* what, const std::string& name);

// Two runs with one prefix in one folder would remove and overwrite each
// other's files: a run holds an exclusive lock on "<prefix>-lock" while it
// lives, and a second run stops with "[e] another run is using prefix ...".
// The lock file is removed when the run ends.
std::string prefix_lock_name();
class folder_lock {
 public:
  folder_lock(std::string name, const std::string& busy);  // busy: the message when held
  ~folder_lock();
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;

 private:
  std::string name_;
  int fd_ = -1;
};
class prefix_lock : public folder_lock {
 public:
  prefix_lock();
};

// The names a run writes without its prefix (composite's "conn.pdb", triz's
// "triads.pdb", "vask-rebuildPars.txt", ...) are shared by every prefix: a
// run that writes them also holds "vask-fixed-names.lock" (no prefix lock
// has that name), and a second such run stops with "[e] another run is
// using the fixed file names of this folder ...", whatever its prefix.
inline constexpr const char* kFixedNamesLock = "vask-fixed-names.lock";
class fixed_names_lock : public folder_lock {
 public:
  fixed_names_lock();
};

// The start of a sub-command's run once its options are read: the
// book-keeping, its inputs and outputs claimed (an output naming an input or
// another output, or an input under a lock file's name, is refused before
// anything is written or removed), then its locks: the prefix's, and with
// fixed_names the folder's of the shared names.
struct run_file {
  const char* what;
  const std::string& name;
};
class subcommand_run {
 public:
  subcommand_run(int argc, char* argv[], std::initializer_list<run_file> inputs,
                 std::initializer_list<run_file> outputs, bool fixed_names);

 private:
  static bool start(int argc, char* argv[], std::initializer_list<run_file> inputs,
                    std::initializer_list<run_file> outputs);
  bool started_;  // first: the book-keeping and the claims come before the locks
  prefix_lock prefix_;
  std::optional<fixed_names_lock> fixed_;
};

// List mode: the listed coordinate files (files[1..n]) as canonical paths,
// and the refusal of a report file among them (a later turn would read it).
std::set<std::string> canonical_file_set(const std::vector<std::string>& files);
void check_list_report_name(const std::string& report, const std::set<std::string>& listed);

// Table rows (0-based) of the auxiliary files this run wrote (made by
// create_file, or changed since delete_common_files), in table order; empty
// files are removed and not listed. names[k] is the name found for rows[k]
// (the ".cif" form when that is the one present).
long collect_auxfiles(std::vector<long>& rows, std::vector<std::string>& names);

}  // namespace vask
