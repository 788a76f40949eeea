// The report of one structure and the JSON frame of a run.
#pragma once

#include <cstdio>
#include <string>

#include "driver/belqo-vask.hpp"

namespace vask {

struct struct_mol;
struct vask_results;

// Per-structure pipeline: the report header, the finders in their fixed order,
// the writers and the report tail, all on one stream (nothing is written
// without a stream; the finders run in any case).
// The molecule's counts under "File name:" (peptide chains and amino acids
// when asked for).
void write_molecule_counts(FILE* fp, const struct_mol& mol, bool peptides, bool amino_acids);
void do_vask_per_structure(const run_descriptor& run, struct_mol& mol, FILE* fp);

// The finders of the pipeline before the G-quadruplex stage, in their fixed
// order (base pairs to UA-loops): the state the G4 finder starts from.
void run_finders_before_g4(struct_mol& mol, vask_results& results, FILE* fp);

// The command echo of the report header: program, -i= and the options that
// change the analysis.
// The command line echoed in the report of structure mol.
std::string derive_running_command(const run_descriptor& run, const struct_mol& mol);

// The nucleotide check before any analysis: true when the structure is fit
// for analysis (or there is no stream). Otherwise the report gets "no
// nucleotides found" or "too many nucleotides (n > cap)" (in JSON the member
// "warning" and the "}" closing the report object), and false tells the run
// loop to go on with the next structure.
bool check_nts(FILE* fp, const std::string& output_name, const struct_mol& mol);

// The report of a structure that could not be read: its message in place of
// the report (a JSON object {"input_file","error"} in JSON mode).
void write_read_failure(FILE* fp, const std::string& input, const std::string& message);

// ---------------------------------------------------------------------------
// The JSON frame.
// Members describing the structure, each followed by a comma.
void json_header_items(const std::string& input_name, const struct_mol& mol, FILE* fp);
// Start, finish and used times (or "time_used":"999"); no comma after.
// The closing metadata: start, finish and time used since the given start.
void json_footer(FILE* fp, long start_clock, const std::string& start_timestamp);
// An ensemble: {"input_file","num_models","models":[ {"index","model",
// "parameters":<report>}, ... ], footer}. The model clocks restart after
// each model; the footer of the frame covers the whole run.
void json_nmr_start(FILE* fp, const std::string& input_name, long n);
void json_per_model_start(FILE* fp, long k, long model);
// Closes a model's object; the next model's report starts now (next_*).
void json_per_model_end(FILE* fp, bool last, long& next_clock, std::string& next_timestamp);
void json_nmr_end(FILE* fp);

}  // namespace vask
