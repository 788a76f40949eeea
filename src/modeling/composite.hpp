// The composite sub-command: long duplexes from protein-bound templates, and
// circular DNA built from periodic step parameters.
#pragma once

#include <string>
#include <vector>

namespace vask {

struct struct_mol;
struct helix;

// The settings of one composite run, filled by the option parser only.
// The circular model's fixed name.
inline constexpr const char* kCircularModel = "vask-circular.pdb";

// A child run ("PROGRAM SUB-COMMAND ...") of this run: with a prefix other
// than the default one it gets "--prefix=...", so that it works on this
// run's prefix-named files under this run's lock.
std::vector<std::string> child_command(std::vector<std::string> args);

struct composite_settings {
  std::string output = "stdout";
  std::string script_file = "vask-composite.sh";
  bool rna = false;
  bool a_form = false;
  char backbone = '\0';  // backbone letter of the circular model; '\0' not set
  std::string sequence_file;
  std::string sequence;
  long repeat = 1;
  bool mutate = false;
  long circular = 0;     // circular DNA size in pairs; 0 off
  long super_helix = 0;  // -1 left, 1 right, 0 none
  double pitch = 1.0;
  long turns = 0;        // 0: derived from the size
  double rise = 3.4;
  double twist = 36.0;
  std::string binding_file;
  std::string tail;
  std::string binding;
  std::string content;
  bool separate = false;
  std::string program;   // this executable, for the child runs
};

// One template placed in the long duplex.
struct binding_site {
  long start = 0;          // position of the template's first pair (1-based)
  long end = 0;            // start + pairs - 1
  std::string templ;       // template structure file
  std::string templ_seq;   // strand 1 of the template's helix
  long pairs = 0;          // base pairs of the template's helix
  long reverse = 0;        // 1: the template enters by its second strand
  std::string connector;   // the connecting duplex before this site
};

// The sites of the --bind text or --bind-file, checked and placed along the
// sequence, with the sequence itself and the tail after the last site.
struct composite_plan {
  std::vector<binding_site> sites;  // in duplex order
  std::string sequence;             // the full sequence (strand 1)
  std::string tail;
};

// True when a sequence text or file was given.
bool with_input_sequence(const composite_settings& s);

// The step-parameter file of a circular DNA of the letters of seq: one pair
// row per position with periodic roll and slide. Logs the derived numbers.
std::string circular_parameters(const composite_settings& s, const std::string& seq);

// The circular DNA mode (s.circular set): the parameter file, then the
// model by a rebuild run unless the file goes to standard output.
void build_circular_dna(const composite_settings& s);

// What a binding site takes of its template file: whether it holds exactly
// one valid helix, and that helix's pairs and strand-1 sequence.
struct template_helix {
  bool one = false;
  long pairs = 0;
  std::string seq;
};

// The template file read (nucleotides only) and its helix found.
template_helix read_template_helix(const std::string& file);

// How the templates are read: read_template_helix, or a reader that keeps
// the helices of files it has read before (the fuzz targets do).
using template_reader = template_helix (*)(const std::string& file);

// The binding-site entries read and each template's helix found. The caller
// has residue classification limited to nucleotides while this runs.
std::vector<binding_site> read_binding_sites(const composite_settings& s,
                                             template_reader read = read_template_helix);

// The structure file read and its pairs and helices found: true, with h
// its helix, when there is exactly one valid helix; parts as for read_pdb.
bool read_one_helix(const std::string& file, struct_mol& mol, helix& h, long parts = 0);

// The sites ordered and placed along the sequence (given, or made of the
// connectors and templates), with their summary on the run log.
composite_plan plan_binding_sites(const composite_settings& s, std::vector<binding_site> sites);

// The binding-site mode's assembly: child runs of this executable build and
// join the duplexes, each recorded in the script file; then the optional
// mutation and ensemble steps.
void build_composite(const composite_settings& s, const composite_plan& plan);

// A junction of the assembled model: the O3'-P link between consecutive
// residues of a chain that come from different pieces (a template and a
// built duplex, or two templates: their segment ids differ).
struct junction_link {
  std::string from, to;  // residue labels "X.A12"
  double length = -1;    // Angstrom; -1 when O3' or P is missing
};
inline constexpr double kJunctionMin = 1.4, kJunctionMax = 1.8;

// Every junction of the model, chains written 5' to 3'.
std::vector<junction_link> measure_junctions(const struct_mol& mol);
// The junctions of the model file measured: each outside 1.4-1.8 A (or
// without a link) named on the run log with its length, then a count. The
// joining superposes terminal pairs and leaves the backbone as it was, so a
// junction can come out stretched or squeezed.
void report_junctions(const std::string& model);

// Prints the sub-command's help and ends the run with the given status (0 for
// a help request, 1 after a usage error).
[[noreturn]] void module_composite_help_exit(int status = 0);

}  // namespace vask
