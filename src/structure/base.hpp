// Base-name table: residue names mapped to their standard parent base
// ("__A" ... "__P", or a lower-case parent for user-given modified bases), and
// the nt-mapping / nt-ignore option readers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vask {

struct base2std {
  std::string name = "___";    // residue name, right-justified in 3 characters, upper case
  std::string parent = "___";  // "__" and the one-letter code
};

struct baselist {
  long count = 0;
  std::vector<base2std> entries;  // 1..count, sorted by name (case-insensitive); slot 0 unused
};

// The user mappings (nt-mapping option) and ignored names (nt-ignore option).
extern baselist nt_mappings;
extern baselist nt_ignored;

void init_baselist(baselist& list);
void free_baselist(baselist& list);
std::vector<base2std> allocate_base2std_array(long n);  // warns and returns none for n = 0
int base2std_compare(const base2std& a, const base2std& b);
void set_baselist(baselist& list);
void read_baselist_file(const std::string& path, baselist& list);
void check_baselist(const baselist& list);
// Checks and normalises one user pair (words found vs expected); false drops it.
bool is_valid_baselist_entry(long found, long expected, base2std& pair);
void derive_nt_mappings(const std::string& option);
void derive_nt_ignored(const std::string& option);
long ignored_nt(const std::string& name);
void print_baselist(FILE* fp, const baselist& list);

// Case-insensitive binary search by residue name; nullptr when absent.
const base2std* find_in_baselist(const std::string& name, const baselist& list);

}  // namespace vask
