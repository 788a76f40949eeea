// U-turns and UA-loops. A U-turn is a sharp reversal of the backbone where a
// base N atom H-bonds to a phosphate oxygen a few nucleotides downstream; a
// UA-loop is a reverse-Hoogsteen pair whose two nucleotides lie only a few
// steps apart along the backbone.
#pragma once

#include <cstdio>
#include <vector>

#include "pairing/pair.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

struct Uturn {
  long nt1 = -1, nt2 = -1;  // the two nucleotides, nt1 < nt2
  long swapped = 0;         // 1 when the base atom is nt2's and the phosphate nt1's
  long steps = 0;           // backbone steps nt1 -> nt2; -1 when the run is not continuous
  long run_start = 0;       // nt1, or the nucleotide linked before it
  long run_end = 0;         // nt2, or the nucleotide linked after it
  long run_length = 0;      // nucleotides from run start to run end
};

std::vector<Uturn> allocate_Uturns_array(long n);  // records 1..n unset; n < 0: assertion
void free_Uturns(std::vector<Uturn>& array);

// The U-turn test of base atom `name` of nucleotide k; accepted records are
// appended to list (1-based).
void process_Uturn_per_nt(long k, const char* name, const struct_mol& mol, std::vector<Uturn>& list);
// U-turns into list[1..count] and the residues' U-turn marks; the total
// with the U-turn option.
void find_Uturns(struct_mol& mol, long& count, std::vector<Uturn>& list);
// With the U-turn option: the model file "Uturns", the report section or JSON.
void output_Uturns_info_pdb(struct_mol& mol, long n, const std::vector<Uturn>& list, FILE* fp);

// With the UA-loop setting: the backbone paths closed by reverse-Hoogsteen
// pairs of fewer steps than the setting, into list[1..count].
void find_UAloops(const struct_mol& mol, long num_pairs, const std::vector<pair>& pairs, long& count,
                  std::vector<connect>& list);
void output_UAloops_info_pdb(struct_mol& mol, long n, const std::vector<connect>& list, FILE* fp);

}  // namespace vask
