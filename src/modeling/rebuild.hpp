// The rebuild sub-command: nucleic-acid models from base-pair and step (or
// helical) parameters, from frame files, from stacked layer files, or G4
// stacks of G-tetrads.
#pragma once

#include <string>
#include <vector>

#include "structure/model_writer.hpp"
#include "support/bp_step_params.hpp"
#include "support/vector3.hpp"

namespace vask {

// The settings of one rebuild run, filled by the option parser only.
struct rebuild_settings {
  std::string output = "stdout";
  std::string par_file;     // parameter file, or the layer list in layer mode
  bool helical = false;     // parameters are helical, not step parameters
  long flip = -1;           // -1: decided from the data; 0/1 as given
  long parallel = -1;       // -1: decided from the data; 0/1 as given
  bool layer_mode = false;  // unit-in-frame: stacked PDB files
  std::string frame_file;
  double propeller = -12.0;  // degrees, pairs built from pair frames
  bool g4 = false;
  std::string g4_model;     // the option's value; empty for a bare option
  char backbone = 'N';      // A, B, R or N
  double conn = 0.0;        // O3'-P distance of the connection pass; 0 none
  std::string program;      // this executable, for the connection pass
};

// Does the work of one run (options read). Returns normally; the caller
// ends the run with status 0.
void run_rebuild(const rebuild_settings& s);

// The model of the connection pass before its connections: "<prefix>-temp.pdb".
std::string rebuild_temp_name();

[[noreturn]] void module_rebuild_help_exit(int status = 0);

// Running frame: origin and orientation advanced by one step (or helical)
// parameter set.
void derive_next_oR(bool helical, const par_set& pars, xyz& org, rotmat& R);

// Appends the template atoms[1..n] placed by (org, R) as residue resnum of
// chain "A", named "  %c" of the letter.
void populate_strand_atoms(char letter, long resnum, long n, const std::vector<atom>& tmpl,
                           const xyz& org, const rotmat& R, atom_strand& strand);

// The G4 specification "pattern[:twist[:rise]]" as pattern, twist, rise.
struct g4_spec {
  std::string pattern = "++++++";
  double twist = 0.0;
  double rise = 3.4;
};
g4_spec parse_g4_spec(const std::string& value);

// One row of a parameter file.
struct par_row {
  std::string name;                 // "A" or "A-T" / "G+C"
  par_set bp{0, 0, 0, 0, 0, 0, 0};  // base-pair parameters (pair rows)
  par_set step{0, 0, 0, 0, 0, 0, 0};
};
// Rows 1..n, by kind: single-strand, 7-field pair, 13-field pair rows.
std::vector<par_row> read_rebuild_pars(const std::string& file, long& n);
void check_ZEROS_in_first_step_pars(long n, std::vector<par_row>& rows);

bool valid_base(char c);
bool valid_pair(const std::string& name);

}  // namespace vask
