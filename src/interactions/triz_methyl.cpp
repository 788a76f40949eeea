// The surroundings of modified nucleotides (5-methyl-C by default) and the
// nucleotide/amino-acid/nucleotide triads: an amino acid stacked on one base
// and paired with another.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "interactions/triz.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/plane.hpp"
#include "structure/bond.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long MAX_NAME_TOKENS = 64;
constexpr size_t MAX_NAME_TEXT = 511;

const char* id(long k, const struct_mol& mol) { return mol.residues[k].idstr.c_str(); }

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool set_has_aa(const std::vector<long>& set, const struct_mol& mol) {
  for (long m = 1; m <= set[0]; ++m)
    if (is_aa(set[m], mol)) return true;
  return false;
}

// The helix holding nucleotide nt, 0 when none.
long helix_of(long nt, const std::vector<triz_helix>& helices) {
  for (size_t h = 1; h < helices.size(); ++h) {
    const triz_helix& x = helices[h];
    for (long k = 1; k <= x.num_pairs; ++k)
      if (x.strand1[k] == nt || x.strand2[k] == nt) return static_cast<long>(h);
  }
  return 0;
}

}  // namespace

bool qualifies_by_name(const std::string& list, const std::string& name) {
  if (list.find('*') != std::string::npos) return true;
  const std::string n = trimmed(name);
  return !n.empty() && list.find(n) != std::string::npos;
}

void normalise_residue_names(std::string& list) {
  if (list.empty()) return;
  std::string text = upper_copy(list.substr(0, MAX_NAME_TEXT));
  std::vector<std::string> tokens;
  const long n = split_str_by_strtok(text, tokens, MAX_NAME_TOKENS, " \t|/;,.:");
  list.clear();
  for (long k = 1; k <= n; ++k) {
    if (tokens[k].size() > 3) {
      runlog_msg("[w] skipping ligand: '%s'\n", tokens[k].c_str());
      continue;
    }
    list += tokens[k] + ";";
  }
  if (list.empty())
    runlog_msg("[w] no valid ligands specified: option --ligand ignored\n");
  else
    list.pop_back();
}

void context_in_helix(long nt, const triz_helix& h, const struct_mol& mol, std::string& text) {
  std::string s1 = "...", s2 = "...";
  const long n = h.num_pairs;
  long p = 0;
  char sign = '+';
  for (long k = 1; k <= n && p == 0; ++k) {
    if (h.strand1[k] == nt) {
      p = k;
    } else if (h.strand2[k] == nt) {
      p = n + 1 - k;
      sign = '-';
    }
  }
  if (p != 0) {
    auto put = [&](long pos, long q) {
      s1[pos] = mol.residues[h.pairs[q].nt1].letter;
      s2[pos] = mol.residues[h.pairs[q].nt2].letter;
    };
    put(1, p);
    if (p >= 2) put(0, p - 1);
    if (p < n) put(2, p + 1);
    if (h.anti_parallel) std::reverse(s2.begin(), s2.end());
  }
  text += sformat(" [%c]:%s/%s", sign, s1.c_str(), s2.c_str());
}

void collect_5mC_contacts(const triz_options& o, long c, const std::vector<triz_helix>& helices,
                          const struct_mol& mol, std::vector<long>& set, std::string& text) {
  const residue& rc = mol.residues[c];
  set.assign(1, 0);
  add_unique_lval_to_0array(c, set);
  text = sformat("%s:%s", mol.base_name.c_str(), id(c, mol));
  for (long m = 1; m <= rc.paired.count; ++m) add_unique_lval_to_0array(rc.paired[m], set);
  for (long m = 1; m <= rc.contacts.count; ++m) {
    const long a = rc.contacts[m];
    if (is_aa(a, mol) && ntaa_in_contact(c, a, mol, o.moiety, o.cutoff)) add_unique_lval_to_0array(a, set);
  }
  if (set[0] >= 2) {
    const long members = set[0];
    for (long m = 2; m <= members; ++m) {
      const long a = set[m];
      if (!is_aa(a, mol) || !residuePlanes_in_stack(c, a, mol)) continue;
      runlog_msg("\t[i] stacking: %s -- %s\n", id(c, mol), id(a, mol));
      text += sformat(" stacking-with-%s", id(a, mol));
      const connect& ac = mol.residues[a].contacts;
      for (long q = 1; q <= ac.count; ++q)
        if (is_nt(ac[q], mol) && residuePlanes_in_pair(a, ac[q], mol)) add_unique_lval_to_0array(ac[q], set);
    }
  }
  if (!has(text, "stacking-with") && set[0] >= 2) {
    for (long m = 1; m <= set[0]; ++m) {
      const long a = set[m];
      if (!is_aa(a, mol) || !has("ILE, VAL, ALA, MET, LEU, PRO, GLY", trimmed(mol.residues[a].name).c_str()))
        continue;
      runlog_msg("\t[i] hydrophobic: %s -- %s\n", id(c, mol), id(a, mol));
      text += sformat(" hydrophobic-with-%s", id(a, mol));
    }
    if (!has(text, "stacking-with") && !has(text, "hydrophobic-with") && set_has_aa(set, mol))
      text += " other-contacts";
  }
  text += rc.flag[rf::wc_partner] ? " is-WC-paired" : " not-WC-paired";
  if (const long h = helix_of(c, helices)) {
    text += " is-in-duplex";
    context_in_helix(c, helices[h], mol, text);
  } else {
    text += " not-in-duplex";
  }
  std::string line = sformat("%s [%2.2ld]: ", mol.base_name.c_str(), set[0]);
  for (long m = 1; m <= set[0]; ++m) line += sformat(" %8s", id(set[m], mol));
  runlog_msg("%s\n", line.c_str());
  if (!set_has_aa(set, mol)) text += " not-contacting-amino-acids";
}

void check_5mC_contacts(const triz_options& o, long n, const std::vector<long>& modified,
                        const std::vector<triz_helix>& helices, struct_mol& mol) {
  std::vector<std::vector<long>> sets;
  std::vector<long> kept;
  std::vector<std::string> texts;
  for (long k = 1; k <= n; ++k) {
    const long c = modified[k];
    if (base_frame(c, mol) == nullptr || !qualifies_by_name(o.residue_names, mol.residues[c].name)) continue;
    std::vector<long> set;
    std::string text;
    collect_5mC_contacts(o, c, helices, mol, set, text);
    if (!set_has_aa(set, mol)) continue;
    kept.push_back(c);
    sets.push_back(set);
    texts.push_back(text);
  }
  if (kept.empty()) return;
  scoped_file pdb_file(create_file(sformat("%s-5mC.pdb", mol.base_name.c_str())));
  FILE* pdb = pdb_file.get();
  scoped_file txt_file(create_file(sformat("%s-5mC.txt", mol.base_name.c_str())));
  FILE* txt = txt_file.get();
  for (size_t k = 0; k < kept.size(); ++k) {
    const std::vector<long>& set = sets[k];
    std::fprintf(pdb, "%6s    %4ld\n", "MODEL ", static_cast<long>(k + 1));
    std::fprintf(pdb, "REMARK    %s [%ld] %s\n", mol.base_name.c_str(), set[0], texts[k].c_str());
    write_residue_set_pdb_frame(set[0], set, base_frame(kept[k], mol), 0, mol, pdb);
    std::fprintf(pdb, "ENDMDL\n");
    std::fprintf(txt, "%s\n", texts[k].c_str());
  }
  pdb_file.close();
  txt_file.close();
}

// ---------------------------------------------------------------------------
// Triads

void output_one_triad(long x, long a, long y, struct_mol& mol, triz_state& st) {
  const char* status = is_nts_connected_either_way(x, y, mol) ? "connected" : "---";
  const std::string kind = sformat("%c-%s-%c %s", mol.residues[x].letter,
                                   mol.residues[a].std_name.c_str(), mol.residues[y].letter, status);
  const std::string line = sformat("%s %s %s %s %s", mol.base_name.c_str(), kind.c_str(), id(x, mol),
                                   id(a, mol), id(y, mol));
  runlog_msg("%s\n", line.c_str());
  FILE* fp = append_triz_file("triads.txt");
  std::fprintf(fp, "%s\n", line.c_str());
  close_file(fp);
  append_triz_model("triads.pdb", line, {0, x, a, y}, base_frame(x, mol), mol, st);
}

void search_one_triad(long x, struct_mol& mol, triz_state& st) {
  const connect& xc = mol.residues[x].contacts;
  for (long m = 1; m <= xc.count; ++m) {
    const long a = xc[m];
    if (!is_aa(a, mol) || !residuePlanes_in_stack(x, a, mol)) continue;
    const connect& ac = mol.residues[a].contacts;
    for (long q = 1; q <= ac.count; ++q) {
      const long y = ac[q];
      if (y != x && is_nt(y, mol) && residuePlanes_in_pair(a, y, mol)) output_one_triad(x, a, y, mol, st);
    }
  }
}

void search_triads(const triz_options& o, const std::vector<triz_helix>& helices, struct_mol& mol,
                   triz_state& st) {
  if (!o.triad) return;
  for (size_t h = 1; h < helices.size(); ++h)
    for (long k = 1; k <= helices[h].num_pairs; ++k) {
      const pair& p = helices[h].pairs[k];
      if (!is_WC_geometry(p)) continue;
      for (long nt : {p.nt1, p.nt2})
        if (base_frame(nt, mol) != nullptr && qualifies_by_name(o.residue_names, mol.residues[nt].name))
          search_one_triad(nt, mol, st);
    }
}

}  // namespace vask
