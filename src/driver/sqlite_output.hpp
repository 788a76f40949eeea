// SQL output: the base pairs and the phosphate interactions of each
// structure appended to "vask-sqlite.sql" as SQLite statements, or, in the
// G-A check mode, the G-A pairs with their phosphate H-bonds appended to
// "GA-pairs-check.csv".
#pragma once

#include <string>
#include <vector>

#include "motifs/phosphate.hpp"
#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

inline constexpr const char* SQLITE_FILE = "vask-sqlite.sql";
inline constexpr const char* GA_CHECK_FILE = "GA-pairs-check.csv";

// A text value between single quotes with every quote inside doubled.
std::string sql_quoted(const std::string& text);

// The base-pair table (or the G-A check file); nothing without pairs or
// with the SQLite setting off.
void sqlite_output_vask_tables(struct_mol& mol, long num_pairs, const std::vector<pair>& pairs);
// The phosphate table; nothing without records or without "po4" in the setting.
void sqlite_output_PO4_interactions(long n, const std::vector<PO4_contact>& list, const struct_mol& mol);

// H-bonds between nucleotide nt and the phosphate oxygens (OP1, OP2, O3',
// O5') of nucleotide other: "P-atom-nt-atom[d]," items without the last comma.
struct po4_hbonds {
  long count = 0;
  std::string text;
};
po4_hbonds get_PO4_nt_hbonds(long nt, long other, const struct_mol& mol);

}  // namespace vask
