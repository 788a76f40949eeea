// Hairpin loops: the backbone path that leaves one nucleotide of a closing
// pair (an end pair of a stem, or an isolated canonical pair) and returns to
// its partner without crossing the closing stem and without enclosing a whole
// base pair; on request also the embedding hairpins, which enclose exactly one
// other hairpin with its stem. The text and JSON hairpin sections.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "secondary/helix.hpp"
#include "structure/bond.hpp"
#include "support/ref_frame.hpp"

namespace vask {

struct struct_mol;

struct hairpin {
  std::string text;     // "hairpin loop: nts=%ld; [%ld]; linked by [#%ld]"
  std::string summary;  // "[1] 4 [A.12 A.19] 5": loop nts, closing nts, closing stem's pairs
  long embed_count = 0;   // while embedding: simple number; after: hairpins embedding this one
  long is_embedding = 0;  // 1 on records of the embedding list
  connect links;          // enclosed: its embedding hairpins; embedding: the enclosed hairpin
  // the bridge of the loop
  long nt1 = 0, nt2 = 0;  // residue indices of the closing pair, in the pair record's order
  long key = 0;           // closing index: a stem index, or -i for isolated canonical pair i
  long in_order = 1;      // the path runs one way along residue index; else the chain's circular flag
  long start = 0;         // 1
  long end = 0;           // num_nts
  long num_loop_nts = 0;  // nucleotides strictly between the closing pair
  frame side_frame;       // side frame of the closing pair
  long num_nts = 0;       // path length + 1
  std::vector<long> nts;  // 1..num_nts: residue indices along the backbone from nt1 to nt2
};

std::vector<hairpin> allocate_hairpins_array(long n);  // records 1..n initialised
void free_hairpins(long n, std::vector<hairpin>& hairpins);

// The slots of one structure's results the hairpin finder fills.
struct hairpin_slots {
  long& num_hairpins;
  std::vector<hairpin>& hairpins;
  long& num_embedding;             // embedding hairpins (embed setting only)
  std::vector<hairpin>& embedding;
};

// Hairpins of mol from the stems and isolated pairs of helices (read only),
// with the residue marks: hairpin count and index, embed mark, closing flag.
void find_hairpins(struct_mol& mol, const helix_slots& helices, hairpin_slots& out);
// Fills one candidate for the closing pair (a, b) of closing index key,
// whose backbone distance d >= 1 comes with its path path[1..d + 1].
void populate_one_hairpin(const struct_mol& mol, long key, long d, long a, long b,
                          const std::vector<long>& path, hairpin& h);
// Ordering of the hairpin list: by size first with the loop "size" key, then
// by the first closing nucleotide.
bool hairpin_compare(const hairpin& a, const hairpin& b);

// The hairpin section of the report (ordinary or embedding list): text, or
// the JSON members in JSON mode; nothing for n = 0 or a null stream.
void show_hairpin_nts(long n, const std::vector<hairpin>& hairpins, const struct_mol& mol,
                      bool embedding, FILE* fp);
// The loop note (text, when there are hairpins) and the hairpin sections:
// the hairpins, then with the embed setting the embedding hairpins.
void output_hairpins_info(const struct_mol& mol, const hairpin_slots& found, FILE* fp);
// The text note on the bracketed numbers of every loop section.
void print_loops_note(FILE* fp);

}  // namespace vask
