// Writing atom records and residue sets as PDB lines or mmCIF rows.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "structure/atom.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

// Every writer does
// nothing for a null stream and skips atoms of status 0. A serial or residue
// number past its PDB columns is written in hybrid-36; any other PDB value too
// wide for its column is narrowed, never shifting the columns, with a warning
// (the first 9 counted in overflows, or in the structure's warning counts;
// a coordinate's suggests mmCIF output). An
// mmCIF row carries the given model number (that of the ensemble file's
// model being written, mol.cif_model), else the atom's own in the symmetry
// modes, else 1.

// A PDB line's integers past their decimal columns: serials past 99999 and
// residue numbers past 9999 are written in hybrid-36 (width 5 and 4: "A0000"
// follows 99999, then upper-case digits and letters, then lower-case ones),
// as the reader decodes them. hybrid36_text: v in width characters, "" when
// v is beyond hybrid-36 too; pdb_serial_text: a serial in 5 characters (its
// low digits beyond that).
std::string hybrid36_text(long v, int width);
std::string pdb_serial_text(long serial);

// mmCIF row or PDB line by the output format
void write_atom_record(FILE* fp, const atom& a, long& overflows, long model = 0);
// ... of an atom written with structure mol (its counts, its ensemble model)
void write_atom_record(FILE* fp, const atom& a, const struct_mol& mol);
void write_atom_record_pdb(FILE* fp, const atom& a, long& overflows);
void write_atom_record_pdb(FILE* fp, const atom& a, const struct_mol& mol);
void write_atom_record_cif(FILE* fp, const atom& a, long model = 0);
void write_residue_record(FILE* fp, long k, const struct_mol& mol);
// Residue k with coordinates pts[1..] (atom order) and serials atoms_written + 1, ...
void write_residue_record_xyz(FILE* fp, long k, const struct_mol& mol, const std::vector<xyz>& pts);
// Residues list[1..n] projected into frame f (unless null or the raw-xyz switch).
void write_residue_set_pdb_simple(long n, const std::vector<long>& list, const frame* f,
                                  struct_mol& mol, FILE* fp);
void write_residue_set_pdb_frame(long n, const std::vector<long>& list, const frame* f, long view,
                                 struct_mol& mol, FILE* fp);
// ours: a file the program names itself, made anew (create_file).
void write_struct_mol(struct_mol& mol, const std::string& file, bool ours = false);
void write_mol_by_align(const frame& f, struct_mol& mol, const std::string& file);
void write_mol_by_frame(const frame* f, long view, struct_mol& mol, const std::string& file);
// All atoms, then a CONECT line per bonded atom naming the serials written.
void write_pdb_connects(const struct_mol& mol, const std::string& file);
// A CONECT record: the serial and its partners, five columns each as on
// the atom lines (pdb_serial_text), padded to 80 columns.
void write_conect_record(FILE* fp, long serial, std::span<const long> partners);
std::string name_pdbcif_outfile(const std::string& part);  // "<prefix>-<part>.pdb" or ".cif"
void end_pdbfile(FILE* fp);          // "END" unless the output is mmCIF
// Model k of an ensemble file of mol's residues: in mmCIF output the model
// number of the rows that follow (kept in mol.cif_model); in PDB output a
// MODEL line and one REMARK line per text.
void begin_ensemble_model(FILE* fp, long k, const std::vector<std::string>& remarks, const struct_mol& mol);
void end_ensemble_model(FILE* fp);   // "ENDMDL" unless the output is mmCIF
// An ensemble file "<prefix>-<suffix>.pdb" (or ".cif" with its header), and
// its end: the mmCIF model number reset, "END" for PDB, the file closed.
// The caller holds the opened stream in a scoped_file, so that a model that
// fails on the way still closes it.
FILE* open_ensemble_file(const char* suffix, const struct_mol& mol);
void close_ensemble_file(scoped_file& file, const struct_mol& mol);
void output_model_header(FILE* fp);  // mmCIF header "model_VASK", or "REMARK VASK"
long get_nextModelNumber(const std::string& file);
// The nucleotide list file: name, or "<prefix>-nts.txt" when name is empty.
void write_nts_list(const struct_mol& mol, long n, const std::vector<long>& nts,
                    const std::string& name);

}  // namespace vask
