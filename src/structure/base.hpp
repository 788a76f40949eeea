// Base-name table: residue names mapped to their standard parent base
// ("__A" ... "__P", or a lower-case parent for user-given modified bases), and
// the nt-mapping / nt-ignore option readers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "support/settings.hpp"

namespace vask {

// The list types (baselist, base_entry) live in the settings header, which
// holds the user mappings (Gvars.nt_mappings) and ignored names (Gvars.nt_ignored).
using base2std = base_entry;

void init_baselist(baselist& list);
void free_baselist(baselist& list);
std::vector<base2std> allocate_base2std_array(long n);  // warns and returns none for n = 0
int base2std_compare(const base2std& a, const base2std& b);
void set_baselist(baselist& list);
void read_baselist_file(const std::string& path, baselist& list);
void check_baselist(const baselist& list);
// Checks and normalises one user pair (words found vs expected); false drops it.
bool is_valid_baselist_entry(long found, long expected, base2std& pair);
// Option parsing: the residue-name mappings or the names never taken as
// nucleotides, from the option's value, into the given list.
void derive_nt_mappings(const std::string& option, baselist& mappings);
void derive_nt_ignored(const std::string& option, baselist& ignored);
long ignored_nt(const std::string& name);
void print_baselist(FILE* fp, const baselist& list);

// Case-insensitive binary search by residue name; nullptr when absent.
const base2std* find_in_baselist(const std::string& name, const baselist& list);

}  // namespace vask
