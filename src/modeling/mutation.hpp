// The mutate sub-command: bases replaced in place, each new base put in the
// reference frame of the base it replaces; nucleotides chosen by mutation
// entries with optional context conditions.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vask {

struct struct_mol;
struct atom;

// The settings of one mutate run, filled by the option parser only.
struct mutate_settings {
  std::string input;              // -i
  std::string output = "stdout";  // -o
  std::string conditions;         // global condition words
  std::string folder;             // template folder, no trailing slash
  bool enumerate = false;
  bool base_only = true;
  std::string entries;            // entries given on the command line
  std::string list_file;          // file of entries
  std::string valid_file = "valid-mutations.dat";
};

// Does the work of one run (options read and checked). Returns normally;
// the caller ends the run with status 0.
void run_mutate(const mutate_settings& s);

[[noreturn]] void module_mutate_help_exit(int status = 0);

// The twelve condition switches.
struct mutation_config {
  bool same = false, first = false, stem = false, wc = false, wobble = false, loop = false;
  bool hairpin = false, iloop = false, junction = false, g4 = false, kturn = false, ss = false;
};
// Sets the switches whose words the text holds; never clears one.
void derive_mutation_config(const std::string& text, mutation_config& flags);

// Target of a nucleotide.
enum class target_kind { none, abasic, self, standard, user };
struct mutation_target {
  target_kind kind = target_kind::none;
  std::string name;      // target residue name, 3 characters
  std::string std_name;  // standard parent ("__C") for a standard target
  std::string entry;     // the entry text
};

// One parsed entry.
struct mutation_entry {
  bool negate = false, skip = false;
  mutation_config conditions;
  long model = -1;                 // -1: any
  std::string segid, chain;        // empty: any; chain "_" is stored as " "
  bool chain_set = false;
  std::string name;                // 3 characters; empty: any
  std::vector<std::pair<long, long>> numbers;  // inclusive ranges; empty: any
  std::string numbers_text;        // the value as written
  char icode = 0;                  // 0: any
  std::string to;                  // "", ".", "self" or a residue name
};
// Parses the fields of one entry (short forms applied); false with the
// warning for a field that cannot be used.
bool parse_mutation_entry(const std::string& text, mutation_entry& e);

// The entries of the command-line text: "DNA2RNA" and "RNA2DNA" expanded,
// items separated by '|' or ';'.
std::vector<std::string> split_command_line_entries(const std::string& text);

// True for an atom of the base proper: neither backbone nor sugar, and a
// name without '\'' or 'P'.
bool is_frame_base_atom(const atom& a);

// The atoms (slot 0 unused) of a built-in standard base file such as
// "frame___A.pdb", in the standard base frame, element symbols standardised.
std::vector<atom> builtin_base_template(const std::string& file);

// Residue k written with the base of tmpl (standard-frame atoms): its own
// backbone and sugar atoms, then the template's base atoms moved by k's base
// frame, all named name; serials go on from serial.
void mutate_bases_only(FILE* fp, const struct_mol& mol, long k, const std::vector<atom>& tmpl,
                       const std::string& name, long& serial);

}  // namespace vask
