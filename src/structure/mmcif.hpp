// mmCIF input and the models of an ensemble.
//
// Input is read from the first loop of "_atom_site." tags only; every other
// category is ignored. The file is taken into memory once and tokenised by
// CIF's rules (blank-separated values, quoted values, text fields between
// lines starting with ';', comments from a '#' that begins a token), so a row
// may span lines and a quoted value may hold blanks or '#'. Author columns
// (auth_*) are preferred over label columns.
//
// The model part holds the model-mode predicates, the ensemble scan that
// lists the models of a file and applies the --nmr selection, and the
// model-by-model readers the ensemble loop calls. The atom-row writer of
// mmCIF output lives with the other coordinate writers.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/settings.hpp"

namespace vask {

struct struct_mol;
struct atom;

// The _atom_site tags the reader knows, 1..21 (0 is a placeholder); also the
// header of every mmCIF output file, in this order.
inline constexpr std::array<const char*, 22> cif_atom_site_tags = {
    "",                  "group_PDB",        "id",            "type_symbol",
    "label_atom_id",     "label_alt_id",     "label_comp_id", "label_asym_id",
    "label_entity_id",   "label_seq_id",     "pdbx_PDB_ins_code", "Cartn_x",
    "Cartn_y",           "Cartn_z",          "occupancy",     "B_iso_or_equiv",
    "pdbx_formal_charge", "auth_seq_id",     "auth_comp_id",  "auth_asym_id",
    "auth_atom_id",      "pdbx_PDB_model_num"};

enum cif_tag : int {
  CIF_GROUP = 1, CIF_ID, CIF_TYPE_SYMBOL, CIF_LABEL_ATOM, CIF_LABEL_ALT, CIF_LABEL_COMP,
  CIF_LABEL_ASYM, CIF_ENTITY, CIF_LABEL_SEQ, CIF_INS_CODE, CIF_X, CIF_Y, CIF_Z, CIF_OCC,
  CIF_BFACTOR, CIF_CHARGE, CIF_AUTH_SEQ, CIF_AUTH_COMP, CIF_AUTH_ASYM, CIF_AUTH_ATOM, CIF_MODEL
};

inline constexpr long CIF_MAX_TAGS = 63;  // tags of the atom loop the reader accepts

// The atom loop of one mmCIF file, held in memory, and the reading position.
struct cif_reader {
  std::string file_name;
  std::string text;                 // whole file
  std::vector<std::string> tags;    // the loop's tags after "_atom_site.", 0-based
  std::array<long, 22> pos{};       // 1-based column of each known tag; 0 absent
  size_t next = std::string::npos;  // offset of the pending row; npos: no more rows
  // warnings about the rows of this file (the first MAX_WARNINGS are written);
  // a diagnostic, so counted also where the reader is only read
  mutable long warned = 0;
};

// One data row: its values (quotes removed) and where it starts.
struct cif_row {
  std::vector<std::string_view> values;  // 0-based, one per tag
  size_t start = 0;                      // offset of the row's first value
  size_t end = 0;                        // offset just past its last value
};

// True when the file is read as mmCIF: by the format option, or decided
// for this file (extension or content).
bool is_cif_file(const std::string& file);

// Reads a whole stream (a file or standard input) into r.text.
void load_cif_stream(FILE* fp, const std::string& name, cif_reader& r);

// Finds the first loop of _atom_site tags and checks it: type_symbol, an
// atom name, a residue name, a residue number and the three
// coordinates, with at least 8 tags; group_PDB is optional (without it every
// row is an ATOM record). True with r.next at the first row;
// false ("[w] -- without eight required fields for mmCIF") otherwise.
bool fill_mmcif_header_with_checks(cif_reader& r);

// 1 when the file holds a valid atom loop (format detection).
bool has_proper_mmcif_headers(const std::string& file);

// The row at r.next, advancing r.next past it; false at the end of the loop
// (a keyword or tag, the end of the text, or a row cut short).
bool next_cif_row(cif_reader& r, cif_row& row);

// Value of a known tag in a row; empty when the tag is absent.
std::string_view cif_value(const cif_reader& r, const cif_row& row, int tag);

// The model number of a row: pdbx_PDB_model_num as an integer, else 0.
long cif_row_model(const cif_reader& r, const cif_row& row);

// Fills a fresh atom from one row; false (with a warning) for a row without
// an atom name.
bool fill_one_cif_atom(const cif_reader& r, const cif_row& row, long model, atom& a);

// The atoms of one model (model < 0: the first row's model; every row in the
// symmetry modes) from the loop, through the usual atom filter, into mol's atom
// array. A file without atoms ends the run.
void read_cif_atoms(cif_reader& r, long model, const std::string& altlocs,
                    const chain_selection& chains, struct_mol& mol);

// The mmCIF header of output files: "data_<block>", a comment, "loop_" and
// the 21 tags.
void write_cif_header(FILE* fp, const std::string& block_name);

// ---------------------------------------------------------------------------
// Models and ensembles.
bool with_model(long model_number);  // mode 1: false; else model number non-zero (the setting)
bool all_models();                   // modes 4 and 8 (the setting; a structure has its own)
bool nmr();                          // mode 2
bool nmr_ensemble();                 // mode 2 with models found by the scan
bool matched_model(long m, long wanted);
bool primary_mol();                  // no model number asked

// Selected models in use: Gvars.model_list[1..n], n = Gvars.model_list[0].
long num_selected_models();

// The ensemble scan (mode 2 only), part of the driver's set-up: lists the
// models of the file in settings.model_list, then applies the --nmr
// selection. Without models the mode falls back to 1 with a note.
void check_nmr(const std::string& file, gvars_rec& settings);
void match_selModels(const std::string& file, gvars_rec& settings);

// The symmetry modes (4, 8) read every model as one structure, which suits
// symmetry copies but not an ensemble. True (with a note; the caller reads
// the structure again in mode 1) when mol holds 2+ models whose nucleotides lie on each other:
// more than twice as many glycosidic-N pairs within 1.0 Angstrom as models.
bool symmetry_on_ensemble(const struct_mol& mol);

// One model of an ensemble from a stream kept open between models (PDB), or
// from the loop's pending row on (mmCIF), so that models asked in file order
// are read in one pass; rows of other models before the asked one are passed
// over. Both fill mol up to its residues; a model without atoms ends through
// fatal(). The caller initialises mol before each call and prepares it after.
void read_model_pdb_format(FILE* fp, long model, struct_mol& mol);
void read_model_cif_format(cif_reader& r, long model, struct_mol& mol);

}  // namespace vask
