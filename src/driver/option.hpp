// Option parsing and the run's life cycle: the common option parser, help and
// version, the option-value derivations, block and cartoon options, the log
// streams and the exit handler. The settings record they fill is in
// support/settings.hpp.
#pragma once

#include <string>

#include "support/settings.hpp"
#include "support/warning_counts.hpp"

namespace vask {

// Opens the run log and the program log by their names in Gvars (none when
// silent or when the name is empty; "stderr" and "stdout" are the standard
// streams). Files opened here are closed by clean_globals().
void open_log_streams();

// Adds the warning counts of a structure the driver is done with (less those
// of before, when part was added already) to the run's totals.
void tally_warnings(const warning_counts& now, const warning_counts& before = {});

// The exit handler: usage counters to the program log, the time used to both
// logs, then closes the logs it opened (standard streams stay open). Runs at
// every end of the program, normal or fatal.
void clean_globals();

// Appends " --format=mmcif", " --format-output=mmcif" and " --json" to the
// command echo as the settings require.
void collect_global_options(std::string& command);

// ---------------------------------------------------------------------------
// The common option parser: 1 when the word is one of the shared options and
// has been applied to Gvars, 0 when it is not (nothing changed). Help,
// version and citation end the run; a bad value ends it through fatal().
int check_common_options(const char* arg);

// ---------------------------------------------------------------------------
// Help, version and citation: each prints its text and ends the run with 0.
[[noreturn]] void display_helpfile();
[[noreturn]] void display_helpfile_from_disk();
[[noreturn]] void exit_normal(const std::string& text);  // framed by lines of 66 '*'
[[noreturn]] void show_citation();
bool asking_help(const char* word);
bool asking_version(const char* word);

// ---------------------------------------------------------------------------
// Option-value derivations; each takes the whole option word.
void set_verbosity_level(const char* option);               // VERBOSITY
void derive_logfile(const char* option, std::string& dest);  // "" for an off word
void derive_prefix(const char* option);
long derive_idstr(const char* option);
long derive_helical_axis_setting(const char* option);
long derive_single_strand_setting(const char* option);
void derive_list_residues(const char* option);
void derive_list_chains(const char* option);
void get_selModels(const char* option);  // Gvars.selected_models
void derive_frame_aa_setting(const char* option);  // the frame option with ":sidechain" appended
void derive_frame_setting(const char* option);     // Gvars.frame_opt, frame_given, frame_two
void derive_one_frameID(const std::string& text, frame_spec& spec);
void derive_view_rotation(const char* option);
void derive_view_pos_frame(const char* option);
frame derive_view_mat_frame(const char* option);
long extract_first_CHAR_with_dft(const char* option, const char* set, long dft);
long extract_separator_option(const char* option, const char* set, long dft);

// Largest model number an ensemble holds: the expansion of --nmr ranges stops there.
inline constexpr long MAX_MODEL_NUMBER = 99999;

// ---------------------------------------------------------------------------
// Block colours, block and cartoon options, pair criteria.
void set_block_color_by_rgb(const std::string& term, double r, double g, double b);
void derive_block_color(const char* option);
void derive_block_file(const char* option);
void derive_cartoon_block_option(const char* option);
void check_block_config(const char* option);
void set_pair_criteria(const char* option);


}  // namespace vask
