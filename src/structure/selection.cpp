// Atom selections and the join of two coordinate files.
#include "structure/selection.hpp"

#include <algorithm>
#include <climits>
#include <vector>

#include "structure/atom.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

struct fragment {
  std::string chain;  // as the residues hold it
  long lo = LONG_MIN, hi = LONG_MAX;
};

// "a", "a:", ":b", "a:b" or ":"; false for an unreadable number or a > b.
bool parse_range(const std::string& text, long& lo, long& hi) {
  lo = LONG_MIN;
  hi = LONG_MAX;
  const size_t colon = text.find(':');
  if (colon == std::string::npos) {
    lo = hi = cvt2long(text);
    return lo != LONG_MAX;
  }
  const std::string a = text.substr(0, colon), b = text.substr(colon + 1);
  if (!a.empty() && (lo = cvt2long(a)) == LONG_MAX) return false;
  if (!b.empty() && (hi = cvt2long(b)) == LONG_MAX) return false;
  return lo <= hi;
}

// A selection word in the 4-character form of atom names: "P" -> " P  ",
// "C1*" -> " C1'", "MG" (an element) -> "MG  ".
std::string atom_name_form(std::string w) {
  std::replace(w.begin(), w.end(), '_', ' ');
  std::replace(w.begin(), w.end(), '*', '\'');
  switch (w.size()) {
    case 1: return " " + w + "  ";
    case 2: return is_valid_element_symbol(w) ? w + "  " : " " + w + " ";
    case 3: return " " + w;
    default: return w;
  }
}

// A REMARK naming the file, then its ATOM/HETATM lines up to the first END line.
std::vector<std::string> atom_lines(const std::string& file) {
  std::vector<std::string> out{"REMARK VASK -- from file " + file};
  for (const std::string& line : get_filelines(file)) {
    if (line.starts_with("END")) break;
    if (line.starts_with("ATOM  ") || line.starts_with("HETATM")) out.push_back(line);
  }
  return out;
}

}  // namespace

void select_fragments(struct_mol& mol) {
  std::string text = Gvars.select_frag;
  if (text.empty()) return;
  std::replace_if(text.begin(), text.end(), [](char c) { return c == ',' || c == ';' || c == '/'; }, '+');
  std::vector<std::string> w;
  const long n = split_str_by_strtok(text, w, 4096, " \t");
  if (n % 2 != 0) fatal("[e] -- chain id and residue number[s] must be in pair [%s]\n", Gvars.select_frag.c_str());
  std::vector<fragment> frags;
  for (long k = 1; k < n; k += 2) {
    const std::string& chain = w[static_cast<size_t>(k)];
    if (chain.size() > 4) {
      runlog_msg("[w] skip invalid chain: '%s' (> 4 chars)\n", chain.c_str());
      continue;
    }
    std::vector<std::string> parts;
    const long np = split_str_by_strtok(w[static_cast<size_t>(k + 1)], parts, 4096, "+");
    for (long p = 1; p <= np; ++p) {
      fragment f;
      f.chain = chain == "_" ? " " : chain;
      if (!parse_range(parts[static_cast<size_t>(p)], f.lo, f.hi)) {
        runlog_msg("[w] skip <%s %s>: wrong residue numbers\n", chain.c_str(), parts[static_cast<size_t>(p)].c_str());
        continue;
      }
      frags.push_back(f);
    }
  }
  for (long r = 1; r <= mol.num_residues; ++r) {
    const residue& res = mol.residues[r];
    const std::string chain = trimmed(res.chain_id).empty() ? " " : trimmed(res.chain_id);
    for (const fragment& f : frags) {
      if (f.chain != chain || res.res_seq < f.lo || res.res_seq > f.hi) continue;
      for (long a = res.first_atom; a <= res.last_atom; ++a) mol.atoms[a].status += 1;
      break;
    }
  }
}

void extract_atoms(struct_mol& mol) {
  if (Gvars.select_atom.empty()) return;
  std::vector<std::string> w;
  const long n = split_str_by_strtok(upper_copy(Gvars.select_atom), w, 4096, " \t,+;");
  if (n == 0) {
    runlog_msg("[i] no names specified\n");
    return;
  }
  std::vector<std::string> names;
  for (long k = 1; k <= n; ++k) {
    const std::string& word = w[static_cast<size_t>(k)];
    if (word.size() > 4) {
      runlog_msg("    [w] illegal atom name [%s] -- too long\n", word.c_str());
      continue;
    }
    names.push_back(atom_name_form(word));
  }
  runlog_msg("%ld atom names to select\n", static_cast<long>(names.size()));
  for (size_t k = 0; k < names.size(); ++k) runlog_msg("    %ld [%s]\n", static_cast<long>(k + 1), names[k].c_str());
  for (long a = 1; a <= mol.num_atoms; ++a) {
    if (names.empty())
      mol.atoms[a].status = 0;
    else if (std::find(names.begin(), names.end(), mol.atoms[a].name) != names.end())
      mol.atoms[a].status += 1;
  }
}

void handle_global_selections(struct_mol& mol) {
  for (long a = 1; a <= mol.num_atoms; ++a) {
    atom& at = mol.atoms[a];
    if (Gvars.reverse_select) at.status = at.status == 0 ? 1 : 0;
    if (Gvars.delete_h && at.hydrogen) at.status = 0;
    if (Gvars.delete_water && is_water(at.residue, mol)) at.status = 0;
  }
  if (Gvars.renum_atom != 0) renumber_atom(mol);
}

void combine_two_pdbfiles(const std::string& file1, const std::string& file2, const std::string& out,
                          long mode) {
  // both inputs are read in full before the output is opened: an output
  // naming an input must not empty it first
  if (mode == -1) {
    const std::vector<std::string> first = atom_lines(file1), second = atom_lines(file2);
    scoped_file sf(output_file(out));
    for (const auto* lines : {&first, &second})
      for (const std::string& line : *lines) std::fprintf(sf.get(), "%s\n", line.c_str());
    sf.close();
    return;
  }
  struct_mol one, two;
  read_pdb_simple(file1, one);
  read_pdb_simple(file2, two);
  scoped_file sf(output_file(out));
  FILE* fp = sf.get();
  long serial = 0;
  auto write_atoms = [&](struct_mol& mol) {
    for (long a = 1; a <= mol.num_atoms; ++a) {
      mol.atoms[a].serial = ++serial;
      if (mol.atoms[a].status != 0) write_atom_record(fp, mol.atoms[a], mol);
    }
  };
  if (mode == 0) {
    write_atoms(one);
    write_atoms(two);
  } else {
    for (struct_mol* mol : {&one, &two}) {
      std::fprintf(fp, "%6s    %4ld\n", "MODEL ", mol == &one ? 1L : 2L);
      serial = 0;
      write_atoms(*mol);
      std::fprintf(fp, "ENDMDL\n");
    }
  }
  std::fprintf(fp, "END\n");
  sf.close();
}

}  // namespace vask
