// H-bond exports: the "hbonds" array of the JSON report, the text (or JSON)
// list file, and the Jmol and PyMOL scripts that show the H-bonds.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/bond.hpp"

namespace vask {

struct struct_mol;
struct atom;

// "num_hbonds" and the "hbonds" array of the structure's JSON H-bond list;
// nothing for a null stream or an empty list. With unit ids each item also
// has "res" with the two residues' short and long ids.
void json_hbonds(const struct_mol& mol, FILE* fp, bool unit_ids);

// The H-bonds passing the listing switches: logs their count, and with any
// writes the list (or, in JSON mode, the JSON list) to the file.
void write_hbonds_file(const struct_mol& mol, const std::string& file);

// The list lines of hbonds[1..n], numbered from 1.
void write_hbonds_fp(const std::vector<atom>& atoms, long n, const std::vector<bond>& hbonds, FILE* fp);

// Scripts that load the input and measure each listed H-bond.
void write_hbonds_jmol(const struct_mol& mol, const std::string& file);
void write_hbonds_pymol(const struct_mol& mol, const std::string& file);

// Whether the PyMOL script is run here (its messages then go to "msg").
bool hbond_pymol_runs();

}  // namespace vask
