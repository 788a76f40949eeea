// Secondary-structure files and report: the sequence, dot-bracket and type
// strings of the whole structure and of each chain, the dot-bracket (.dbn),
// connect-table (.ct) and BPSEQ (.bpseq) files, the warnings about an
// unreliable dot-bracket, the special notes, the pseudoknot order, the
// H-type pseudoknot loops and the dot-bracket section (text or JSON).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "secondary/pknot.hpp"

namespace vask {

struct struct_mol;
struct chain;

// Per-chain strings of the secondary-structure stage (chain::texts).
inline constexpr int CHAIN_SEQUENCE = 0, CHAIN_DBN = 1, CHAIN_TYPE = 2;

// What the secondary-structure step reads of one structure's results.
struct ss_report_input {
  const helix_slots& helices;
  long num_hairpins;
  const std::vector<hairpin>& hairpins;
  const dbn_state& state;
};

// The whole step: strings, files, warnings, notes, order, H-type loops and
// the dot-bracket section. notes is the structure's special-notes text; the
// dot-bracket warnings are appended to it. Nothing at all (no files either)
// without a stream.
void output_2ndstrs(struct_mol& mol, const ss_report_input& in, std::string& notes, FILE* fp);

// The partner of every nucleotide (residue-indexed, 0 unpaired): its stem or
// canonical-pair partner where its dot-bracket character is not '.'; members
// of isolated canonical pairs unpaired when the dot-bracket leaves them out.
std::vector<long> get_dbn_partners(const struct_mol& mol);

// The sequence, dot-bracket and type strings of list[1..n], with the
// chain-break separator (when not 0) wherever the backbone is not linked.
void populate_seqdbn_per_set(long n, const std::vector<long>& list, const struct_mol& mol, char separator,
                             std::string& sequence, std::string& dbn, std::string& types);

// Files named by the output prefix; each does nothing with auxiliary files off.
void write_dbn(const struct_mol& mol, const dbn_state& state);
void write_ct(const std::vector<long>& partners, struct_mol& mol);
void write_bpseq(const std::vector<long>& partners, struct_mol& mol);
// The connect table's header and rows (no comments), as the file and JSON
// show them: "%5ld %c %5ld %5ld %5ld %5ld".
std::vector<std::string> get_ct_rows(const std::vector<long>& partners, const struct_mol& mol);
void json_ct(const std::vector<long>& partners, const struct_mol& mol, FILE* fp);

// The dot-bracket section: text, or the "dbn" object in JSON mode.
void output_dbn_info(const struct_mol& mol, const dbn_state& state, FILE* fp);
void json_per_dbn(FILE* fp, const char* key, long num_modified, long num_nts, const std::string& sequence,
                  const std::string& dbn, const std::string& types);

// One dot-bracket warning: "[w]  <message>, be *careful* with .dbn" to both
// logs, and "   o <message>, be *careful* with .dbn" to notes.
void process_one_errmsg(const char* message, std::string& notes);

}  // namespace vask
