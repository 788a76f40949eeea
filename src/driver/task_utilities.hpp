// The utilities of the task sub-command and the settings of one run.
#pragma once

#include <optional>
#include <string>

#include "support/settings.hpp"

namespace vask {

// Settings of one task run (defaults as a bare run has them).
struct task_settings {
  std::string input;
  std::string output = "stdout";
  long model = 0;                 // model to extract; 0 none
  long duplex_check = 0;          // 0 none; negative: second strand first
  std::string segid = "T001";
  long content = 0;               // residue-class mask kept besides the duplex
  std::optional<long> frame_pair, remove_pair, frame_nt, remove_nt;  // -1 the last
  std::string join;               // two chain ids
  long seal = 0;                  // 0 none, 1 whole template, 2 missing atoms only
  double clash = 0.0;             // cutoff; 0 none
  long o2 = 0;                    // -1 remove O2', 1 add the missing ones
  std::string chain_resets;       // "C1:C2 ..."
  switch_set stack{};             // stacking-diagram switches
  std::string alc;                // Alchemy file to turn into a molfile
  std::string merge, align, fit;  // two-file values as given
  long fit_atom = 1;              // 1 element symbols, 2 atom names
  long fit_xyz = 0;               // plain xyz files
  std::string hbond_pair;         // "XYZ1 XYZ2"
};

// Stacking-diagram switches.
enum stack_flag : int {
  STK_FILL1 = 0, STK_FILL2 = 1, STK_LABEL = 2, STK_HBOND = 3, STK_BLOCK = 4, STK_SLIM = 5, STK_G4 = 6,
  STK_RAY = 7, STK_CONVERT = 8, STK_OPEN = 9, STK_SESSION = 10, STK_BALL = 11
};

// Duplex and residue utilities on the input structure; each writes the output.
void check_duplex_orientation(const task_settings& s);
void reorient_by_frame_pair(const task_settings& s);
void remove_one_pair(const task_settings& s);
void reorient_by_nucleotide(const task_settings& s);  // nucleotide frame, or removal alone
void join_duplex_per_chain(const task_settings& s);
void seal_backbone_per_helix(const task_settings& s);
void check_clashes(const task_settings& s);
void handle_O2_prime_atoms(const task_settings& s);
void reset_chains_in_pdb(const task_settings& s);

// File utilities.
void extract_model(const task_settings& s);
void merge_two_files(const std::string& file1, const std::string& file2, long mode, const std::string& output);
void lsfit_two_pdb_files(const task_settings& s, const std::string& file1, const std::string& file2);
void write_stacking_diagram(const task_settings& s);

}  // namespace vask
