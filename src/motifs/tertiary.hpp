// Contacts between secondary-structure units: every stem, isolated canonical
// pair, hairpin, bulge, internal loop, junction and single-stranded fragment
// becomes a unit, and pairs of units that touch and bury at least a given
// surface area against each other are the tertiary interactions.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "secondary/loop.hpp"
#include "secondary/ss_segment.hpp"
#include "structure/struct_mol.hpp"

namespace vask {

// kind: 0 stem, 1 isolated-pair, 2 hairpin, 3 bulge, 4 iloop, 5 junction, 6 ss-frag
struct ssr_unit {
  long kind = 0;
  long index = 0;         // number within its kind, from 1
  long count = 0;         // nucleotides
  std::vector<long> nts;  // 1..count residue indices
};

struct unit_contact {
  double d_sasa = 0.0;  // buried area, square Angstrom
  long unit1 = 0, unit2 = 0;  // positions in the unit list, unit1 < unit2
};

// "stem [#3]" ...; a kind above 6 fails an assertion.
std::string get_SSR_type(long kind, long index);

// The units in list order: stems, isolated pairs, hairpins, the bulges,
// internal loops and junctions of the loop list (hairpin loops are already
// there as hairpins), single-stranded segments. Returned 1-based.
std::vector<ssr_unit> build_ssr_units(const helix_slots& helices, const hairpin_slots& hairpins,
                                      const loop_slots& loops, const ss_slots& singles);

// The pairs of units (each of 2+ nucleotides, sharing none) that touch
// through a residue contact and bury at least threshold, in order of the
// first unit, then the second. Only touching pairs have their area computed.
std::vector<unit_contact> find_unit_contacts(const struct_mol& mol, const std::vector<ssr_unit>& units,
                                             double threshold);

void output_ssr_lists(const struct_mol& mol, const std::vector<ssr_unit>& units);  // program log
void output_Tinteractions(const std::vector<unit_contact>& contacts, const std::vector<ssr_unit>& units,
                          FILE* fp);

// With threshold > 0 and a stream: the unit list on the program log and the
// tertiary interactions (text section or JSON "unitContacts") on fp.
void find_tertiaryInteractions(const struct_mol& mol, const helix_slots& helices,
                               const hairpin_slots& hairpins, const loop_slots& loops,
                               const ss_slots& singles, FILE* fp, double threshold);

}  // namespace vask
