// Secondary-structure files and report.
#include "secondary/ss_output.hpp"

#include <cctype>
#include <cstring>

#include "pairing/nt_features.hpp"
#include "pairing/pair.hpp"
#include "secondary/xref.hpp"
#include "structure/chain.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr int kNameMax = 256;  // characters of the structure name and the prefix used
constexpr const char* kDerived = "secondary structure derived by VASK";

std::string prefixed(const char* suffix) {
  return sformat("%.*s-%s", kNameMax, Gvars.prefix.c_str(), suffix);
}

std::string structure_name(const struct_mol& mol) { return mol.base_name.substr(0, kNameMax); }

bool default_title() { return Gvars.str_title == "default"; }

// Isolated canonical pairs show in the dot-bracket.
bool icpairs_in_dbn() { return (Gvars.isolated & 1) != 0; }

bool in_icpair(long k, const struct_mol& mol) { return get_icpair_idx(k, mol) != 0; }

// "*" when the dot-bracket may be unreliable.
const char* dbn_mark(const dbn_state& state) {
  return state.wrong_order != 0 || state.many_conflicts != 0 ? "*" : "";
}

std::string whole_header(const struct_mol& mol, const dbn_state& state) {
  return sformat(">%s nts=%ld%s", structure_name(mol).c_str(), mol.num_nts, dbn_mark(state));
}

// Thread position of every nucleotide (residue-indexed, 0 for others).
std::vector<long> thread_positions(const struct_mol& mol) {
  std::vector<long> pos(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (long k = 1; k <= mol.num_nts; ++k) pos[mol.nt_order[k]] = k;
  return pos;
}

// " # name=..., pairedNt=..." and, when stems are not plain canonical pairs,
// the names of the pair.
std::string verbose_comment(long i, long partner, struct_mol& mol) {
  std::string s = " # name=" + mol.residues[i].idstr;
  if (partner <= 0) return s;
  s += ", pairedNt=" + mol.residues[partner].idstr;
  if (Gvars.stems == 1) return s;
  pair p;
  populate_one_base_pair(i, partner, mol, p);
  if (!p.name.empty() && p.name.find("--") == std::string::npos) s += ", pairName=" + p.name;
  if (!p.Saenger.empty() && p.Saenger.find("--") == std::string::npos) s += ", Saenger=" + p.Saenger;
  if (!p.LW.empty() && p.LW.find('.') == std::string::npos) s += ", LW=" + p.LW;
  if (!p.VASK.empty() && p.VASK.find('.') == std::string::npos) s += ", VASK=" + p.VASK;
  return s;
}

std::string bseq_upper(const std::string& seq) {
  std::string s = seq;
  for (char& c : s) {
    if (c == 'a' || c == 'c' || c == 'g' || c == 't')
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    else if (c == 'u' || c == 'p' || c == 'P')
      c = 'U';
  }
  return s;
}

bool chain_with_nts(const chain& c) { return c.num_chain_nts > 0; }

}  // namespace

std::vector<long> get_dbn_partners(const struct_mol& mol) {
  std::vector<long> partners(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (long t = 1; t <= mol.num_nts; ++t) {
    const long k = mol.nt_order[t];
    if (mol.residues[k].dbn == '.') continue;
    if (!icpairs_in_dbn() && in_icpair(k, mol)) continue;
    partners[k] = get_stem_icpair_nt(k, mol);
  }
  return partners;
}

void populate_seqdbn_per_set(long n, const std::vector<long>& list, const struct_mol& mol, char separator,
                             std::string& sequence, std::string& dbn, std::string& types) {
  sequence.clear();
  dbn.clear();
  types.clear();
  for (long m = 1; m <= n; ++m) {
    const long k = list[m];
    const residue& r = mol.residues[k];
    sequence += r.letter;
    types += get_ntType(k, mol);
    dbn += !icpairs_in_dbn() && in_icpair(k, mol) ? '.' : r.dbn;
    if (m < n && separator != 0 && !is_nts_connected(k, list[m + 1], mol)) {
      sequence += separator;
      types += separator;
      dbn += separator;
    }
  }
}

void write_dbn(const struct_mol& mol, const dbn_state& state) {
  if (!Gvars.auxfiles) return;
  scoped_file sf(create_file(prefixed("2ndstrs.dbn")));
  FILE* fp = sf.get();
  if (default_title()) {
    const std::string name = structure_name(mol);
    std::fprintf(fp, "%s [%s] -- %s\n", whole_header(mol, state).c_str(), name.c_str(), kDerived);
  } else {
    std::fprintf(fp, ">%s\n", Gvars.str_title.c_str());
  }
  std::fprintf(fp, "%s\n%s\n", mol.dbn_sequence.c_str(), mol.dbn_text.c_str());
  sf.close();
}

std::vector<std::string> get_ct_rows(const std::vector<long>& partners, const struct_mol& mol) {
  const long n = mol.num_nts;
  std::vector<std::string> rows;
  rows.reserve(static_cast<size_t>(n) + 1);
  if (default_title() || Gvars.str_title.empty())
    rows.push_back(sformat("%5ld", n));
  else
    rows.push_back(sformat("%5ld %s", n, Gvars.str_title.c_str()));
  const std::vector<long> pos = thread_positions(mol);
  for (long k = 1; k <= n; ++k) {
    const long i = mol.nt_order[k];
    long prev = 0, next = 0, last = k;
    if (Gvars.ss_simple) {
      prev = k - 1;
      next = k < n ? k + 1 : 0;
    } else {
      if (k > 1 && is_nts_connected(mol.nt_order[k - 1], i, mol)) prev = k - 1;
      if (k < n && is_nts_connected(i, mol.nt_order[k + 1], mol)) next = k + 1;
      last = mol.residues[i].res_seq;
    }
    const long partner = partners[i] > 0 ? pos[partners[i]] : 0;
    rows.push_back(sformat("%5ld %c %5ld %5ld %5ld %5ld", k, mol.residues[i].letter, prev, next, partner, last));
  }
  return rows;
}

void write_ct(const std::vector<long>& partners, struct_mol& mol) {
  if (!Gvars.auxfiles) return;
  scoped_file sf(create_file(prefixed("2ndstrs.ct")));
  FILE* fp = sf.get();
  const long n = mol.num_nts;
  if (default_title())
    std::fprintf(fp, "%5ld ENERGY = 0.0 [%s] -- %s\n", n, structure_name(mol).c_str(), kDerived);
  else if (!Gvars.str_title.empty())
    std::fprintf(fp, "%5ld %s\n", n, Gvars.str_title.c_str());
  else
    std::fprintf(fp, "%5ld\n", n);
  const std::vector<std::string> rows = get_ct_rows(partners, mol);
  for (long k = 1; k <= n; ++k) {
    std::fprintf(fp, "%s", rows[static_cast<size_t>(k)].c_str());
    if (verbose1()) {
      const long i = mol.nt_order[k];
      std::fprintf(fp, "%s", verbose_comment(i, partners[i], mol).c_str());
    }
    std::fprintf(fp, "\n");
  }
  sf.close();
}

void write_bpseq(const std::vector<long>& partners, struct_mol& mol) {
  if (!Gvars.auxfiles) return;
  scoped_file sf(create_file(prefixed("2ndstrs.bpseq")));
  FILE* fp = sf.get();
  const std::vector<long> pos = thread_positions(mol);
  for (long k = 1; k <= mol.num_nts; ++k) {
    const long i = mol.nt_order[k];
    const long p = partners[i];
    const residue& r = mol.residues[i];
    if (Gvars.bp_seq) {
      std::fprintf(fp, "%6ld %c %6ld # name=%s", r.res_seq, r.letter, p > 0 ? mol.residues[p].res_seq : 0,
                   r.idstr.c_str());
      if (p > 0) std::fprintf(fp, ", pairedNt=%s", mol.residues[p].idstr.c_str());
    } else {
      std::fprintf(fp, "%5ld %c %5ld", k, r.letter, p > 0 ? pos[p] : 0);
      if (verbose1()) std::fprintf(fp, "%s", verbose_comment(i, p, mol).c_str());
    }
    std::fprintf(fp, "\n");
  }
  sf.close();
}

void json_ct(const std::vector<long>& partners, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  const std::vector<std::string> rows = get_ct_rows(partners, mol);
  json_begin_array(fp, "ct");
  for (size_t k = 0; k < rows.size(); ++k) {
    if (k > 0) json_comma(fp);
    json_just_string0(fp, rows[k]);
  }
  json_end_array(fp);
}

void json_per_dbn(FILE* fp, const char* key, long num_modified, long num_nts, const std::string& sequence,
                  const std::string& dbn, const std::string& types) {
  json_begin_object(fp, key);
  json_lNumber(fp, "num_nts", num_nts);
  json_lNumber(fp, "num_chars", static_cast<long>(dbn.size()));
  json_string(fp, "bseq", sequence);
  if (num_modified != 0) json_string(fp, "bseqUP", bseq_upper(sequence));
  json_string(fp, "sstr", dbn);
  json_string0(fp, "form", types);
  json_end_object0(fp);
}

void output_dbn_info(const struct_mol& mol, const dbn_state& state, FILE* fp) {
  if (fp == nullptr) return;
  if (Gvars.json) {
    json_begin_object(fp, "dbn");
    json_per_dbn(fp, "all_chains", mol.num_modified, mol.num_nts, mol.dbn_sequence, mol.dbn_text,
                 mol.dbn_extra);
    for (long c = 1; c <= mol.num_chains; ++c) {
      const chain& ch = mol.chains[c];
      if (!chain_with_nts(ch)) continue;
      json_comma(fp);
      json_per_dbn(fp, derive_unique_chain_id(ch, mol).c_str(), mol.num_modified, ch.num_chain_nts,
                   ch.texts[CHAIN_SEQUENCE], ch.texts[CHAIN_DBN], ch.texts[CHAIN_TYPE]);
    }
    json_end_object(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  std::fprintf(fp, "Secondary structures in dot-bracket notation (dbn) as a whole and per chain\n");
  std::fprintf(fp, "%s [whole]\n%s\n%s\n", whole_header(mol, state).c_str(), mol.dbn_sequence.c_str(),
               mol.dbn_text.c_str());
  if (Gvars.experimental) std::fprintf(fp, "%s\n", mol.dbn_extra.c_str());
  long number = 0;
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    if (!chain_with_nts(ch)) continue;
    std::fprintf(fp, "%s\n%s\n%s\n", chain_header(ch, ++number, structure_name(mol), mol, true).c_str(),
                 ch.texts[CHAIN_SEQUENCE].c_str(), ch.texts[CHAIN_DBN].c_str());
    if (Gvars.experimental) std::fprintf(fp, "%s\n", ch.texts[CHAIN_TYPE].c_str());
  }
}

void process_one_errmsg(const char* message, std::string& notes) {
  constexpr const char* kCareful = "be *careful* with .dbn";
  logitf("[w]  %s, %s\n", message, kCareful);
  notes += sformat("   o %s, %s\n", message, kCareful);
}

void output_2ndstrs(struct_mol& mol, const ss_report_input& in, std::string& notes, FILE* fp) {
  if (fp == nullptr) return;
  const dbn_state& state = in.state;
  const std::vector<long> partners = get_dbn_partners(mol);
  const char separator = static_cast<char>(Gvars.dbn_break);
  populate_seqdbn_per_set(mol.num_nts, mol.nt_order, mol, separator, mol.dbn_sequence, mol.dbn_text,
                          mol.dbn_extra);
  for (long c = 1; c <= mol.num_chains; ++c) {
    chain& ch = mol.chains[c];
    if (!chain_with_nts(ch)) continue;
    populate_seqdbn_per_set(ch.num_chain_nts, ch.nts, mol, separator, ch.texts[CHAIN_SEQUENCE],
                            ch.texts[CHAIN_DBN], ch.texts[CHAIN_TYPE]);
  }
  write_bpseq(partners, mol);
  write_ct(partners, mol);
  if (Gvars.json && (Gvars.json & 16)) json_ct(partners, mol, fp);

  if (state.wrong_order) process_one_errmsg("cross-paired segments in wrong order", notes);
  if (state.many_conflicts) process_one_errmsg("too many conflicts", notes);
  if (state.cross_chain_conflicts || state.cross_chain_pknots)
    process_one_errmsg("cross-paired segments in separate chains", notes);

  if (!Gvars.json) {
    if (!notes.empty()) {
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
      std::fprintf(fp, "Special notes:\n%s", notes.c_str());
    }
    const long k = state.order != 0 ? state.order : state.saved_order;
    if (k != 0) {
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
      std::fprintf(fp, "This structure contains %s%ld-order pseudoknot\n", k < 0 ? "*" : "", k < 0 ? -k : k);
      if (state.order != 0)
        std::fprintf(fp, "   o You may want to run VASK again with the '--nested' option which removes\n"
                         "     pseudoknots to get a fully nested secondary structure representation.\n");
      else
        std::fprintf(fp, "   o You have chosen to remove the pseudoknots with the '--nested' option so\n"
                         "     only a fully nested secondary structure representation remains.\n");
      if (notes.find(".dbn") != std::string::npos)
        std::fprintf(fp, "   o The VASK-derived dbn may be problematic (see notes above).\n");
    }
  }
  if (state.order != 0) {
    const std::vector<std::string> entries = collect_Hpknot_loops(
        mol, in.num_hairpins, in.hairpins, in.helices.num_stems, in.helices.stems);
    const long n = static_cast<long>(entries.size());
    if (n > 0 && Gvars.json) {
      json_lNumber(fp, "num_HtypePknots", n);
      json_begin_array(fp, "HtypePknots");
      for (long m = 1; m <= n; ++m) {
        json_bareObject_start_with_idx(fp, m);
        json_string0(fp, "desc", entries[static_cast<size_t>(m - 1)]);
        json_bareObject_end_check_idx(fp, m, n);
      }
      json_end_array(fp);
    } else if (n > 0) {
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
      print_noun(fp, n, "List of %ld H-type pseudoknot loop %s\n", "segment");
      for (long m = 1; m <= n; ++m) std::fprintf(fp, "%4ld %s\n", m, entries[static_cast<size_t>(m - 1)].c_str());
    }
  }
  write_dbn(mol, state);
  output_dbn_info(mol, state, fp);
}

}  // namespace vask
