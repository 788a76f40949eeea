// Program entry, sub-command dispatch, the option loop and the run loops, and
// the small routines the sub-command drivers share with it.
#pragma once

#include <string>

#include "support/deque.hpp"
#include "support/settings.hpp"

namespace vask {

// The whole program behind main(): runs vask_main, catches every early end,
// writes its message to the run log, runs the exit handler and returns the
// exit status.
int run_main(int argc, char* argv[]);

// The program proper; ends early by throwing fatal_error.
int vask_main(int argc, char* argv[]);

// The run descriptor of the main program, filled only by the command line.
struct run_descriptor {
  std::string input;            // -i=; empty in list mode
  std::string output = "stdout";  // -o=
  std::string list;             // --ilist=
  double tertiary = 0.0;        // tertiary-contact cutoff of --ter (0: off)
  // Start of the structure's report: the run's start, or in a JSON ensemble
  // the end of the previous model's (its time used is its own).
  long start_clock = Gvars.start_clock;
  std::string start_timestamp = Gvars.start_timestamp;
};

// The structure-processing step after the option checks and fix-ups: runs
// the per-structure pipeline over one file, a list of files or an ensemble.
// Returns the exit status.
int run_structures(const run_descriptor& run);

// Sub-command dispatch: the driver for argv[1], or nullptr. Only a first
// argument without '=' and without a leading dash can name a sub-command.
using subcommand_driver = void (*)(int argc, char* argv[]);
subcommand_driver find_subcommand(const char* word);

// Input/output option readers: 1 when the argument was one and its value is stored.
int check_input_output(const char* arg, std::string& in, std::string& out);
int check_input(const char* arg, std::string& in);
int check_output(const char* arg, std::string& out);
int check_inplist(const char* arg, std::string& list);

// Empty name: "missing required option: <hint>" and the usage exit; a name
// that is no existing file: fatal.
void check_required_file(const std::string& name, const char* hint);
bool specified_file_not_exist(const std::string& name);

// "unrecognized option: <arg>", then the usage exit without its bell (status 1).
[[noreturn]] void display_unrecognized_option(const char* arg);

// The usage exit: a bell on the run log, then the help of the active
// sub-command, or the main program's help hint and citation line; status 1.
[[noreturn]] void say_good_bye();
[[noreturn]] void good_bye_after_bell();  // the same without the bell
void with_sound();  // a bell on the run log

// Environment overrides, cross-option limits, then the logs are opened.
// argc > i means arguments were left unread: a usage error.
void book_keeping(int argc, int i, const char* arg);

void check_nmr_with_get_hbond();
void check_json_extension(const std::string& out);

// Switch readers.
bool true_option(const char* s);   // "on|1|yes|true", whole value, any case
bool false_option(const char* s);  // "off|0|no|false"
long set_switch_default_true(const char* arg);   // bare: 1; off word: 0; else 1
long set_switch_default_false(const char* arg);  // bare: 0; on word: 1... else 1
long set_long_019(const char* arg);              // off: 0; bare: 1; 0/1 as given; else 9

void add_one_lval(Seq<long>& seq, long x);  // appends x

struct atom;

bool mmcif_input();
bool mmcif_output();
bool with_ebi_idstr();    // unit-id id-string styles (5, 6)
bool with_pymol_idstr();  // PyMOL id-string styles (7, 8)

}  // namespace vask
