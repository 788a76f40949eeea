// Survey analyses of the project sub-command: each reads one structure, runs
// only the finders it needs and appends (or writes) its findings, so that a
// run over many structures in turn gathers them in the same files.
#pragma once

#include <cfloat>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"

namespace vask {

// An output stream of one analysis, closed when the analysis ends (standard
// streams stay open) and checked then: a write that was lost, as on a full
// disk, ends the run with "[e] ..." rather than with success.
class project_output {
 public:
  explicit project_output(FILE* fp) : fp_(fp) {}
  project_output(const project_output&) = delete;
  project_output& operator=(const project_output&) = delete;
  ~project_output() noexcept(false) {
    if (std::uncaught_exceptions() == 0) fp_.close();  // unwinding: closed unchecked
  }
  FILE* get() const { return fp_.get(); }

 private:
  scoped_file fp_;
};

// Settings of one project run.
struct project_settings {
  std::string input;             // structure file
  std::string output = "stdout"; // findings (appended unless an analysis says otherwise)
  long id = 0;                   // the analysis; 0 none
  double value = DBL_MAX;        // the value option; DBL_MAX unset
};

// The analysis ids, in the order their words are tested.
enum project_id : long {
  PROJECT_NONE = 0, PROJECT_AYY = 1, PROJECT_C2_PRIME = 2, PROJECT_BILOOPS = 3, PROJECT_UA3 = 4,
  PROJECT_G4_STEMS = 5, PROJECT_G4_HELICES = 6, PROJECT_G4S = 7, PROJECT_G4_PAIRS = 8,
  PROJECT_TLOOPS = 9, PROJECT_TAT = 10, PROJECT_GU_PAIRS = 11, PROJECT_AA_PAIRS = 12,
  PROJECT_B_FACTOR = 13, PROJECT_GLU = 14, PROJECT_ASP = 15, PROJECT_GLN = 16, PROJECT_ASN = 17,
  PROJECT_STEM_CONTACTS = 18, PROJECT_3TETRADS = 19
};

inline constexpr double PROJECT_C2_ANGLE = 20.0;     // degrees, the C3'-endo listing threshold
inline constexpr double PROJECT_HBOND_CUTOFF = 3.5;  // Angstrom, protein-stem H-bonds
inline constexpr double PROJECT_HBOND_ANGLE = 90.0;  // degrees, protein-stem H-bonds

// The analyses; each reads settings.input itself.
void do_AYY_motif(const project_settings& s);
void do_c2_prime_direction(const project_settings& s);
void do_biloops(const project_settings& s);
void do_UA3(const project_settings& s);
void extract_G4stem_features(const project_settings& s);
void extract_G4helix_xstem_features(const project_settings& s);
void do_G4s(const project_settings& s);
void check_G4_pairs(const project_settings& s);
void do_Tloops(const project_settings& s);
void do_TAT_hairpinLoop(const project_settings& s);
void do_GU_pairs(const project_settings& s);
void do_AA_pairs(const project_settings& s);
void do_B_factor(const project_settings& s);
void do_DENQ_contacts(const project_settings& s, const char* aa_name);
void check_complex_contacts(const project_settings& s);
void check_3tetrads(const project_settings& s);

// Shared routines.
// Appends one model: residue k and the set list[1..n] in k's frame.
void write_contact_coords(long k, long n, const std::vector<long>& list, struct_mol& mol, long model,
                          const std::string& remark, FILE* fp);
// 1 when a CSV header is due: a standard stream, a missing or an empty file.
long output_header(const std::string& file);
// One CSV row of a base pair (swap "--" or "swapped").
void write_out_pair_info(const pair& p, const char* swap, const struct_mol& mol, FILE* fp);
// Number of "MODEL " lines of a file (0 when missing): the last model number.
long count_models(const std::string& file);

}  // namespace vask
