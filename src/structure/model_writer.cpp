// Built-model writers.
#include "structure/model_writer.hpp"

#include <algorithm>

#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"

namespace vask {

long write_atoms(FILE* fp, long offset, const std::vector<long>& order, const atom_strand& strand) {
  struct_mol holder;
  holder.num_atoms = static_cast<long>(strand.size());
  holder.atoms.assign(strand.size() + 1, atom{});
  for (std::size_t i = 0; i < strand.size(); ++i) holder.atoms[i + 1] = strand[i];
  standardize_atom_symbol_number(holder);
  long serial = offset;
  const long n = holder.num_atoms;
  for (long k = 0; k < n; ++k) {
    atom& a = holder.atoms[order.empty() ? k + 1 : order[k] + 1];
    a.serial = ++serial;
    write_atom_record(fp, a);
  }
  return n;
}

std::vector<long> reverse_strand2_nts(long n, atom_strand& strand) {
  VASK_ASSERT(n >= 1);
  // runs of atoms with equal residue number
  std::vector<std::pair<long, long>> runs;  // [first, last] atom positions
  for (long i = 0; i < static_cast<long>(strand.size()); ++i) {
    if (runs.empty() || strand[i].res_seq != strand[runs.back().second].res_seq)
      runs.push_back({i, i});
    else
      runs.back().second = i;
  }
  const long num = static_cast<long>(runs.size());
  const long num_blocks = (num + n - 1) / n;
  std::vector<long> order;
  long resnum = 0;
  for (long b = num_blocks - 1; b >= 0; --b) {
    for (long r = b * n; r < std::min(num, (b + 1) * n); ++r) {
      ++resnum;
      for (long i = runs[r].first; i <= runs[r].second; ++i) {
        strand[i].res_seq = resnum;
        order.push_back(i);
      }
    }
  }
  return order;
}

namespace {

void write_model(const std::string& file, const atom_strand& s1, const atom_strand* s2,
                 const std::vector<long>& order2) {
  FILE* fp = open_file(file, "w");
  output_model_header(fp);
  const long n1 = write_atoms(fp, 0, {}, s1);
  if (s2 != nullptr && !s2->empty()) write_atoms(fp, n1, order2, *s2);
  end_pdbfile(fp);
  close_file(fp);
}

}  // namespace

void output_single_helix(const std::string& file, const atom_strand& strand) {
  write_model(file, strand, nullptr, {});
}

void output_parallel_duplex(const std::string& file, const atom_strand& s1, const atom_strand& s2) {
  write_model(file, s1, &s2, {});
}

void output_anti_parallel_duplex(const std::string& file, const atom_strand& s1, long n,
                                 atom_strand& s2) {
  const std::vector<long> order = s2.empty() ? std::vector<long>{} : reverse_strand2_nts(n, s2);
  write_model(file, s1, &s2, order);
}

}  // namespace vask
