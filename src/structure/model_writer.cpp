// Built-model writers.
#include "structure/model_writer.hpp"

#include <algorithm>
#include <utility>

#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"

namespace vask {

long write_atoms(FILE* fp, long offset, const atom_strand& strand) {
  struct_mol holder;
  holder.num_atoms = static_cast<long>(strand.size());
  holder.atoms.assign(strand.size() + 1, atom{});
  std::copy(strand.begin(), strand.end(), holder.atoms.begin() + 1);
  standardize_atom_symbol_number(holder);
  for (long k = 1; k <= holder.num_atoms; ++k) {
    holder.atoms[k].serial = offset + k;
    write_atom_record(fp, holder.atoms[k], holder);
  }
  return holder.num_atoms;
}

atom_strand reverse_strand2_nts(const atom_strand& strand, long n) {
  VASK_ASSERT(n >= 1);
  std::vector<std::pair<std::size_t, std::size_t>> runs;  // [first, last] atom positions
  for (std::size_t i = 0; i < strand.size(); ++i) {
    if (i == 0 || strand[i].res_seq != strand[i - 1].res_seq || strand[i].chain_id != strand[i - 1].chain_id)
      runs.push_back({i, i});
    else
      runs.back().second = i;
  }
  const long num = static_cast<long>(runs.size());
  const long num_blocks = (num + n - 1) / n;
  atom_strand out;
  long resnum = 0;
  for (long b = num_blocks - 1; b >= 0; --b)
    for (long r = b * n; r < std::min(num, (b + 1) * n); ++r) {
      ++resnum;
      for (std::size_t i = runs[r].first; i <= runs[r].second; ++i) {
        out.push_back(strand[i]);
        out.back().res_seq = resnum;
      }
    }
  return out;
}

void output_strands(const std::string& file, const std::vector<atom_strand>& strands) {
  // an atom that cannot be written (coordinates not finite) ends the writing
  // with an error: the file is closed on the way out
  scoped_file out(output_file(file));
  output_model_header(out.get());
  long serial = 0;
  for (const atom_strand& s : strands) serial += write_atoms(out.get(), serial, s);
  end_pdbfile(out.get());
  out.close();
}

void output_single_helix(const std::string& file, const atom_strand& strand) {
  output_strands(file, {strand});
}

void output_parallel_duplex(const std::string& file, const atom_strand& s1, const atom_strand& s2) {
  output_strands(file, {s1, s2});
}

void output_anti_parallel_duplex(const std::string& file, const atom_strand& s1, long n,
                                 const atom_strand& s2) {
  if (s2.empty())
    output_strands(file, {s1});
  else
    output_strands(file, {s1, reverse_strand2_nts(s2, n)});
}

}  // namespace vask
