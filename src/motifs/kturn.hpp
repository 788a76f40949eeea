// Kink turns: an internal loop (or, on request, a junction) whose two flanking
// stems meet at a sharp bend, held by a sheared G-A pair across the loop, the
// kinked strand carrying splayed-apart, capped or A-minor nucleotides. Also
// their report section, JSON key and model file.
#pragma once

#include <array>
#include <cfloat>
#include <cstdio>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "pairing/area.hpp"
#include "pairing/pair.hpp"
#include "secondary/helix.hpp"
#include "secondary/loop.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

inline constexpr long KTURN_NORMAL = 0, KTURN_REVERSE = 1, KTURN_UNDECIDED = 2;

struct kturn {
  long loop = 0;             // index into the loop list; 0 none
  long type = KTURN_UNDECIDED;
  std::string type_text;     // "Normal k-turn", "REVERSE k-turn" or "Undecided case", maybe " [A-G]"
  pair Cpair, NCpair, GApair;  // C-stem and NC-stem closing pairs, the sheared pair across the loop
  long num_splayed = 0, num_capped = 0, num_aminor = 0;  // strand-1 nucleotides so marked
  long num_sheared = 0;      // strand-1 nucleotides with their sheared partner in strand 2
  long num_mp_sheared = 0;   // of those, the ones whose two nucleotides share a multiplet
  std::array<long, 4> Cstem{};   // stem index (negative: isolated pair), first, last, count in nts
  std::array<long, 4> NCstem{};
  double bending_angle = DBL_MAX, pair_angle = DBL_MAX, d_sasa = DBL_MAX, distance = DBL_MAX;
  std::array<double, 3> direction{DBL_MAX, DBL_MAX, DBL_MAX};  // C-to-NC origin in the C-pair frame
  long strand2_breaks = 0;
  std::vector<long> nts{0};  // 1..n: full strand 1 then full strand 2
};

std::vector<kturn> allocate_Kturns_array(long n);  // records 1..n defaults; n < 0: assertion
void free_Kturns(std::vector<kturn>& list);

// The atoms of the residue sets (1-based lists) one structure's candidates
// have met, and the buried areas of the ordered pairs of them: a helix or a
// pair of helices tried by several candidates is measured once.
struct kturn_areas {
  std::map<std::vector<long>, std::vector<area_rec>> atoms;
  std::map<std::pair<std::vector<long>, std::vector<long>>, double> buried;
};

// The kink turns of mol into list[1..count], sorted: those of the loops and,
// with the --kturn words, those derived from the splayed dinucleotides of
// ss_pars[1..num_ss_pars]. Marks the nucleotides of normal and reverse ones
// and notes each on its loop's text.
void find_Kturns(struct_mol& mol, const helix_slots& helices, long num_loops, std::vector<loop>& loops,
                 long num_ss_pars, const std::vector<ss_par>& ss_pars, long& count, std::vector<kturn>& list);

// Kink turns outside the loop scan, each from a splayed dinucleotide near a
// sheared pair: appended to found[1..] (found[0] unused) unless one already
// there has the same sheared pair, or the same two stem pairs.
void derive_Kturns_from_splayed_strands(struct_mol& mol, const helix_slots& helices, long num_loops,
                                        const std::vector<loop>& loops, long num_ss_pars,
                                        const std::vector<ss_par>& ss_pars, std::vector<kturn>& found,
                                        kturn_areas* areas = nullptr);

// The type test of a candidate with its pairs, counts and nts set: area
// change, distance and direction, type and type text; 1 for a kink turn.
long is_good_kturn(struct_mol& mol, const helix_slots& helices, kturn& k, kturn_areas* areas = nullptr);

// Ordering: by type, then loop (none first, by the C-pair's first nucleotide).
bool Kturn_compare(const kturn& a, const kturn& b);

// The model file "Kturns", then JSON "Kturns" or the report section.
void output_Kturn_info_pdb(struct_mol& mol, const std::vector<loop>& loops, long n,
                           const std::vector<kturn>& list, FILE* fp);

}  // namespace vask
