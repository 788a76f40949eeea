// Chains and the chain option reader: see chain.hpp.
#include "structure/chain.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "structure/atom.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/residue_info.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/log.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr size_t CHAIN_TEXT_LIMIT = 8192;  // bytes of one chain summary text

bool model_shown(long model, const struct_mol& mol) { return mol.model_mode != 1 && model != 0; }

std::string chain_label(const chain& c) { return empty_chain_to_underscore(c.chain_id); }

// "DNA[10]/RNA[2]" and the other forms of a chain with both kinds.
std::string chain_type(const chain& c) {
  if (c.num_dna && c.num_rna) {
    if (c.num_rna <= c.num_dna) {
      if (c.num_rna == c.num_dna || c.num_rna > 1)
        return sformat("DNA[%ld]/RNA[%ld]", c.num_dna, c.num_rna);
      return sformat("DNA[%ld]/%ld", c.num_dna, c.num_rna);
    }
    if (c.num_dna == 1) return sformat("RNA[%ld]/%ld", c.num_rna, c.num_dna);
    return sformat("DNA[%ld]/RNA[%ld]", c.num_dna, c.num_rna);
  }
  if (c.num_dna) return "DNA";
  if (c.num_rna) return "RNA";
  return c.num_aas ? "Protein" : "unknown";
}

bool dna_chain(const chain& c) {
  if (c.type == "DNA") return true;
  size_t slash = c.type.find('/');
  return slash != std::string::npos && c.type.substr(0, slash).find("DNA") != std::string::npos;
}

bool rna_chain(const chain& c) { return c.num_rna > 0 && c.type.find("RNA") != std::string::npos; }

// A chain with both nucleotides and amino acids keeps the larger kind.
void check_chain_empty_with_aa_na(chain& c, bool single_chain, std::string& notes) {
  c.num_nts = c.num_dna + c.num_rna;
  if (c.num_dna && c.num_rna) c.num_hybrid = c.num_nts;
  if (c.num_nts == 0 && c.num_aas == 0) {
    c.empty = 1;
    return;
  }
  if (c.num_nts == 0 || c.num_aas == 0) return;
  if (single_chain) {
    std::string text = sformat("chainId '%s' with nts=%ld and aas=%ld", c.chain_id.c_str(),
                               c.num_nts, c.num_aas);
    runlog_msg("[w]  %s\n", text.c_str());
    notes += sformat("   o %s\n", text.c_str());
  }
  if (c.num_nts >= c.num_aas) {
    c.num_aas = 0;
  } else {
    c.num_nts = c.num_dna = c.num_rna = c.num_hybrid = 0;
  }
}

void set_chain_str(const char* kind, long number, const chain& c, const struct_mol& mol,
                   std::string& text, bool& dropped) {
  std::string label = chain_label(c);
  if (mol.num_models > 1 && (mol.dup_na_chain_ids || mol.dup_protein_chain_ids))
    label = sformat("%ld.", c.model) + label;
  std::string entry = sformat("%s%s=%ld", number > 1 ? "," : "", label.c_str(), c.num_residues);
  if (dropped) return;
  if (text.size() + entry.size() >= CHAIN_TEXT_LIMIT) {
    dropped = true;
    runlog_msg("[i] too many %s chains; omit the remaining...\n", kind);
    return;
  }
  text += entry;
}

void mark_residue_chains(struct_mol& mol) {
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    for (long t = 1; t <= ch.num_residues; ++t) {
      residue& r = mol.residues[ch.residues[t]];
      if (ch.num_nts) r.flag[rf::na_chain] = c;
      if (ch.num_aas) r.flag[rf::aa_chain] = c;
    }
  }
}

}  // namespace

void init_helixVec(helixVec& v) { v = helixVec{}; }

std::vector<chain> allocate_chains_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<chain>(static_cast<size_t>(n) + 1);
}

void free_chains(long, std::vector<chain>& chains) { std::vector<chain>().swap(chains); }

bool chain_compare(const chain& a, const chain& b) { return a.key < b.key; }

bool chain_compareSequential(const chain& a, const chain& b) {
  long fa = a.num_residues > 0 ? a.residues[1] : 0;
  long fb = b.num_residues > 0 ? b.residues[1] : 0;
  return fa < fb;
}

void locate_xy(long n, const std::vector<xyz>& pts, xyz& out) {
  // normal equations of 2(xb - xa) x + 2(yb - ya) y = xb^2 - xa^2 + yb^2 - ya^2
  double a11 = 0, a12 = 0, a22 = 0, b1 = 0, b2 = 0, cx = 0, cy = 0;
  for (long k = 1; k <= n; ++k) {
    const xyz& a = pts[k];
    const xyz& b = pts[n + k];
    double u = 2 * (b[1] - a[1]), v = 2 * (b[2] - a[2]);
    double w = b[1] * b[1] - a[1] * a[1] + b[2] * b[2] - a[2] * a[2];
    a11 += u * u;
    a12 += u * v;
    a22 += v * v;
    b1 += u * w;
    b2 += v * w;
    cx += a[1] + b[1];
    cy += a[2] + b[2];
  }
  out = {0, 0, 0, 0};
  double det = a11 * a22 - a12 * a12;
  if (n < 1) return;
  if (std::fabs(det) < 1e-10 * std::max(1.0, a11 * a22)) {  // parallel pairs: no single point
    out[1] = cx / static_cast<double>(2 * n);
    out[2] = cy / static_cast<double>(2 * n);
    return;
  }
  out[1] = (a22 * b1 - a12 * b2) / det;
  out[2] = (a11 * b2 - a12 * b1) / det;
}

void get_global_rise_per_atom_pairs(const std::vector<std::pair<long, long>>& pairs,
                                    const std::vector<long>& first_end, const std::vector<long>& last_end,
                                    double min_rise, const struct_mol& mol, helixVec& v) {
  init_helixVec(v);
  const long np = static_cast<long>(pairs.size());
  if (np <= 2) return;
  std::vector<xyz> vecs(static_cast<size_t>(np) + 1);
  for (long k = 1; k <= np; ++k)
    diff_xyz(mol.atoms[pairs[k - 1].first].xyz, mol.atoms[pairs[k - 1].second].xyz, vecs[k]);
  xyz normal{}, centroid{};
  std::vector<double> dev;
  double d = ls_plane(np, vecs, normal, centroid, &dev);
  if (d < 0) {
    d = -d;
    negate_xyz(normal);
    for (long k = 1; k <= np; ++k) dev[k] = -dev[k];
  }
  v.rise = d;
  v.rise_std = std_dvector(dev, 1, np);
  v.axis = normal;
  if (d < min_rise || (first_end.empty() && last_end.empty())) return;

  // pair atoms (first ends 1..np, second ends np+1..2np), then the end atoms
  const long nf = static_cast<long>(first_end.size()), nl = static_cast<long>(last_end.size());
  const long total = 2 * np + nf + nl;
  std::vector<xyz> in(static_cast<size_t>(total) + 1), out;
  for (long k = 1; k <= np; ++k) {
    in[k] = mol.atoms[pairs[k - 1].first].xyz;
    in[np + k] = mol.atoms[pairs[k - 1].second].xyz;
  }
  for (long k = 1; k <= nf; ++k) in[2 * np + k] = mol.atoms[first_end[k - 1]].xyz;
  for (long k = 1; k <= nl; ++k) in[2 * np + nf + k] = mol.atoms[last_end[k - 1]].xyz;
  rotmat R;
  xyz axis = normal;
  align_zaxis(total, axis, in, R, out);
  xyz xy{};
  locate_xy(np, out, xy);
  // the axis point at the mean height of the end atoms, back in the structure's coordinates
  auto back = [&](long from, long count, xyz& dst) {
    double z = 0.0;
    for (long k = 1; k <= count; ++k) z += out[from + k][3];
    const xyz local{0, xy[1], xy[2], z / static_cast<double>(count)};
    multiply_vec_matrix_by3(local, R, dst);
  };
  if (nf > 0) back(2 * np, nf, v.axis_start);
  if (nl > 0) back(2 * np + nf, nl, v.axis_end);
}

void get_global_rise_per_tvec(long n, const std::vector<long>& list, const struct_mol& mol,
                              helixVec& v) {
  std::vector<std::pair<long, long>> pairs;
  auto glyco_n = [&](const nt_info& x) {
    return x.glyco_n != -1 && mol.atoms[x.glyco_n].nitrogen ? x.glyco_n : -1;
  };
  for (long k = 1; k < n; ++k) {
    const nt_info& a = mol.nt_infos[list[k]];
    const nt_info& b = mol.nt_infos[list[k + 1]];
    if (a.C1p != -1 && b.C1p != -1) pairs.emplace_back(a.C1p, b.C1p);
    const long na = glyco_n(a), nb = glyco_n(b);
    if (na != -1 && nb != -1) pairs.emplace_back(na, nb);
  }
  std::vector<long> first, last;
  if (n >= 1 && mol.nt_infos[list[1]].C1p != -1) first.push_back(mol.nt_infos[list[1]].C1p);
  if (n >= 1 && mol.nt_infos[list[n]].C1p != -1) last.push_back(mol.nt_infos[list[n]].C1p);
  get_global_rise_per_atom_pairs(pairs, first, last, -DBL_MAX, mol, v);
}

void populate_chains(struct_mol& mol) {
  VASK_ASSERT(mol.stage.ordered_residues);
  const long nres = mol.num_residues;
  std::vector<std::string> keys;
  for (long k = 1; k <= nres; ++k) keys.push_back(mol.residues[k].key);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  const long n = static_cast<long>(keys.size());
  mol.chains = allocate_chains_array(n);
  mol.num_chains = n;
  std::vector<long> chain_of(static_cast<size_t>(nres) + 1, 0);
  for (long k = 1; k <= nres; ++k) {
    const residue& r = mol.residues[k];
    long c = std::lower_bound(keys.begin(), keys.end(), r.key) - keys.begin() + 1;
    chain_of[k] = c;
    chain& ch = mol.chains[c];
    if (ch.key.empty()) {
      ch.key = r.key;
      ch.model = r.model;
      ch.segid = r.segid;
      ch.chain_id = r.chain_id;
      ch.residues.assign(1, 0);
    }
  }
  for (long k = 1; k <= nres; ++k) {
    chain& ch = mol.chains[chain_of[k]];
    bool add = true;
    if (is_nt(k, mol) && is_DNA_nt(k, mol))
      ++ch.num_dna;
    else if (is_nt(k, mol) && is_RNA_nt(k, mol))
      ++ch.num_rna;
    else if (is_aa(k, mol))
      ++ch.num_aas;
    else
      add = false;
    if (add) ch.residues.push_back(k);
  }
  for (long c = 1; c <= n; ++c) {
    chain& ch = mol.chains[c];
    ch.num_residues = static_cast<long>(ch.residues.size()) - 1;
    check_chain_empty_with_aa_na(ch, n == 1, mol.notes);
    if (ch.num_dna || ch.num_rna) {
      bool all_two = ch.num_residues > 0;
      for (long t = 1; t <= ch.num_residues && all_two; ++t)
        all_two = mol.residues[ch.residues[t]].linked.count == 2;
      ch.circular = all_two ? 1 : 0;
    }
  }
  for (long k = 1; k <= nres; ++k) {  // chains of waters and ligands only list them all
    chain& ch = mol.chains[chain_of[k]];
    if (ch.empty) ch.residues.push_back(k);
  }
  mol.num_na_chains = mol.num_dna_chains = mol.num_rna_chains = mol.num_protein_chains = 0;
  for (long c = 1; c <= n; ++c) {
    chain& ch = mol.chains[c];
    ch.num_residues = static_cast<long>(ch.residues.size()) - 1;
    VASK_ASSERT(ch.num_residues > 0);
    ch.num_heavy_atoms = 0;
    ch.sequence.clear();
    for (long t = 1; t <= ch.num_residues; ++t) {
      const residue& r = mol.residues[ch.residues[t]];
      ch.sequence += r.letter;
      for (long i = r.first_atom; i <= r.last_atom; ++i)
        if (!mol.atoms[i].hydrogen) ++ch.num_heavy_atoms;
    }
    ch.type = chain_type(ch);
    ch.num_breaks = count_nts_break(ch.num_residues, ch.residues, mol, 0);
    ch.num_disorder = count_nts_disorder(ch.num_residues, ch.residues, mol);
    ch.nts.assign(1, 0);
    if (ch.num_nts) {
      for (long t = 1; t <= ch.num_residues; ++t)
        if (is_nt(ch.residues[t], mol)) ch.nts.push_back(ch.residues[t]);
      ++mol.num_na_chains;
      if (dna_chain(ch)) ++mol.num_dna_chains;
      if (rna_chain(ch)) ++mol.num_rna_chains;
    }
    ch.num_chain_nts = static_cast<long>(ch.nts.size()) - 1;
    if (ch.num_aas) ++mol.num_protein_chains;
  }
  mark_residue_chains(mol);
  auto duplicate_ids = [&](bool protein) {
    std::vector<std::string> ids;
    for (long c = 1; c <= n; ++c)
      if (protein ? mol.chains[c].num_aas : mol.chains[c].num_nts) ids.push_back(mol.chains[c].chain_id);
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) != ids.end() ? 1L : 0L;
  };
  mol.dup_na_chain_ids = duplicate_ids(false);
  mol.dup_protein_chain_ids = duplicate_ids(true);
}

void populate_chain_geometry(struct_mol& mol) {
  for (long c = 1; c <= mol.num_chains; ++c) {
    chain& ch = mol.chains[c];
    std::vector<xyz> pts(1);
    std::vector<double> weights(1);
    for (long t = 1; t <= ch.num_residues; ++t) {
      const residue& r = mol.residues[ch.residues[t]];
      for (long i = r.first_atom; i <= r.last_atom; ++i) {
        if (mol.atoms[i].hydrogen) continue;
        pts.push_back(mol.atoms[i].xyz);
        weights.push_back(element_table.weight[mol.atoms[i].atomic_number]);
      }
    }
    ch.gyration = ch.num_heavy_atoms > 0 ? get_radius_of_gyration(ch.num_heavy_atoms, pts, weights) : -1.0;
    if (ch.num_nts && ch.num_chain_nts > 1)
      get_global_rise_per_tvec(ch.num_chain_nts, ch.nts, mol, ch.axis);
  }
  init_helixVec(mol.na_axis);
  if (mol.num_nts > 1) get_global_rise_per_tvec(mol.num_nts, mol.nt_residue, mol, mol.na_axis);
}

void populate_models(struct_mol& mol) {
  mol.models.assign(1, 0);
  for (long c = 1; c <= mol.num_chains; ++c) {
    long m = mol.chains[c].model;
    if (std::find(mol.models.begin() + 1, mol.models.end(), m) == mol.models.end())
      mol.models.push_back(m);
  }
  mol.num_models = static_cast<long>(mol.models.size()) - 1;
}

void populate_chainStr(struct_mol& mol) {
  mol.protein_chain_text.clear();
  mol.na_chain_text.clear();
  mol.dna_chain_text.clear();
  mol.rna_chain_text.clear();
  long np = 0, nna = 0, ndna = 0, nrna = 0;
  bool dp = false, dna = false, dd = false, dr = false;
  for (long c = 1; c <= mol.num_chains; ++c)
    if (mol.chains[c].num_aas) set_chain_str("protein", ++np, mol.chains[c], mol, mol.protein_chain_text, dp);
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    if (!ch.num_nts) continue;
    set_chain_str("DNA/RNA", ++nna, ch, mol, mol.na_chain_text, dna);
    if (ch.num_dna) set_chain_str("DNA", ++ndna, ch, mol, mol.dna_chain_text, dd);
    if (ch.num_rna) set_chain_str("RNA", ++nrna, ch, mol, mol.rna_chain_text, dr);
  }
  if (mol.num_chains > 1)
    std::stable_sort(mol.chains.begin() + 1, mol.chains.end(), chain_compareSequential);
  // the residues' chain numbers follow the chains to their new places
  mark_residue_chains(mol);
}

long on_na_chain(long k, const struct_mol& mol) {
  VASK_ASSERT(k >= 1 && k <= mol.num_residues);
  return mol.residues[k].flag[rf::na_chain];
}

std::string derive_unique_chain_id(const chain& c, const struct_mol& mol) {
  std::string s = c.model != 0 && (mol.dup_na_chain_ids || Gvars.json)
                      ? sformat("m%ld_chain_%s", c.model, c.chain_id.c_str())
                      : sformat("chain_%s", c.chain_id.c_str());
  std::replace(s.begin(), s.end(), ' ', '_');
  return s;
}

std::string chain_header(const chain& c, long number, const std::string& name, const struct_mol& mol,
                         bool long_form) {
  const std::string label = chain_label(c);
  const char* circ = c.circular ? "o" : "";
  const char* brk = c.num_breaks ? "*" : "";
  if (long_form) {
    std::string model = model_shown(c.model, mol) ? sformat("-%ld", c.model) : std::string();
    std::string rise = c.axis.rise != DBL_MAX ? sformat("%.2f(%.2f) ", c.axis.rise, c.axis.rise_std)
                                              : std::string();
    std::string order = verbose2() ? (c.num_disorder ? ", out-of order" : ", in order") : "";
    return sformat(">%s%s-%s #%ld nts=%ld %s[chain] %s%s%s%s", name.c_str(), model.c_str(),
                   label.c_str(), number, c.num_chain_nts, rise.c_str(), c.type.c_str(), circ, brk,
                   order.c_str());
  }
  std::string id = model_shown(c.model, mol) ? sformat("m%ld-%s", c.model, label.c_str()) : label;
  return sformat("%-3ld %s %s%s%s nts=%ld", number, id.c_str(), c.type.c_str(), circ, brk,
                 c.num_chain_nts);
}

void list_chains(const char* kind, const struct_mol& mol, const std::string& file) {
  scoped_file sf(output_file(file.c_str()));
  FILE* fp = sf.get();
  std::string k = kind;
  std::vector<long> rows;
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    bool take = k == "na" ? ch.num_nts > 0 : k == "aa" ? ch.num_aas > 0 : (!ch.num_nts && !ch.num_aas);
    if (take) rows.push_back(c);
  }
  long count = static_cast<long>(rows.size());
  if (k == "na")
    std::fprintf(fp, "%4ld DNA/RNA chain%s\n\n", count, count == 1 ? "" : "s");
  else if (k == "aa")
    std::fprintf(fp, "%4ld protein chain%s\n\n", count, count == 1 ? "" : "s");
  else {
    count = mol.num_chains - mol.num_na_chains - mol.num_protein_chains;
    std::fprintf(fp, "%4ld other chain%s\n\n", count, count == 1 ? "" : "s");
  }
  long num = 0;
  for (long c : rows) {
    const chain& ch = mol.chains[c];
    std::fprintf(fp, "%4ld\t'%s'\t%s\t%ld residues\n", ++num, ch.chain_id.c_str(), ch.type.c_str(),
                 ch.num_residues);
  }
  sf.close();
}

void print_pdb_chains(FILE* fp, const struct_mol& mol) {
  if (fp == nullptr) return;
  std::fprintf(fp, "\tnumber of chains: %ld\n\n", mol.num_chains);
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    std::fprintf(fp, "%4ld\t'%s'\t%s\t%ld residues\n", c, ch.chain_id.c_str(), ch.type.c_str(),
                 ch.num_residues);
    std::fprintf(fp, "    \tsequence: %s\n", ch.sequence.c_str());
    for (long t = 1; t <= ch.num_residues; ++t)
      std::fprintf(fp, "\t\t%ld\t%s\n", ch.residues[t], mol.residues[ch.residues[t]].idstr.c_str());
    std::fprintf(fp, "\n");
  }
}

std::string empty_chain_to_underscore(const std::string& id) {
  if (id.empty() || id[0] == ' ') return "_";
  return id;
}

std::string underscore_to_empty_chain(const std::string& id) { return id == "_" ? " " : id; }

void populate_atom_exposure(struct_mol& mol) {
  if (mol.num_protein_chains == 0) return;
  constexpr double RADIUS = 10.0;                     // Angstrom
  constexpr double SPHERE = 4188.790204786391;        // volume of a 10 A sphere
  constexpr double ATOM_VOLUME = 20.1;                // Angstrom^3 per heavy atom
  ensure_atom_grid(mol);
  std::vector<long> chain_of(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long c = 1; c <= mol.num_chains; ++c) {
    const chain& ch = mol.chains[c];
    if (!ch.num_aas) continue;
    for (long t = 1; t <= ch.num_residues; ++t) {
      const residue& r = mol.residues[ch.residues[t]];
      for (long i = r.first_atom; i <= r.last_atom; ++i) chain_of[i] = c;
    }
  }
  // Heavy atoms of protein chains, packed by cube with their chain and
  // alternate location beside them: the scan never reads the atom records.
  std::vector<char> keep(static_cast<size_t>(mol.num_atoms) + 1, 0), altloc(keep.size(), ' ');
  for (long i = 1; i <= mol.num_atoms; ++i) {
    keep[i] = chain_of[i] != 0 && !mol.atoms[i].hydrogen;
    altloc[i] = mol.atoms[i].altloc;
  }
  const packed_cells cells = pack_cells(mol.atom_grid, mol.atom_xyz, keep);
  // the neighbour relation is symmetric: each pair is met once, from its lower atom
  std::vector<long> count(static_cast<size_t>(mol.num_atoms) + 1, 0);
  for (long i = 1; i <= mol.num_atoms; ++i) {
    if (!keep[i]) continue;
    ++count[i];  // the atom itself
    const long ci = chain_of[i];
    const char ai = altloc[i];
    for_each_within_after(cells, mol.atom_xyz[i], RADIUS, i, [&](long j, double) {
      if (chain_of[j] == ci && (ai == ' ' || altloc[j] == ' ' || altloc[j] == ai)) {
        ++count[i];
        ++count[j];
      }
    });
  }
  for (long i = 1; i <= mol.num_atoms; ++i) {
    if (count[i] == 0) continue;
    double v = ATOM_VOLUME * static_cast<double>(count[i]);
    mol.atoms[i].exposure = (SPHERE - v) / v;
  }
}

std::vector<long> nts_in_chain_order(const struct_mol& mol) {
  std::vector<long> out(1, 0);
  std::vector<char> seen(static_cast<size_t>(mol.num_residues) + 1, 0);
  for (long c = 1; c <= mol.num_chains; ++c)
    for (long t = 1; t <= mol.chains[c].num_chain_nts; ++t) {
      long k = mol.chains[c].nts[t];
      if (!seen[k]) {
        seen[k] = 1;
        out.push_back(k);
      }
    }
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_nt(k, mol) && !seen[k]) out.push_back(k);
  return out;
}

void derive_chains_to_run(const std::string& option, chain_selection& sel) {
  size_t eq = option.find('=');
  std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
  sel.all = false;
  sel.ids.clear();
  const char* delims = " \t|/;,.:";
  size_t i = 0;
  while (i < value.size()) {
    if (std::strchr(delims, value[i]) != nullptr) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < value.size() && std::strchr(delims, value[j]) == nullptr) ++j;
    std::string word = value.substr(i, j - i);
    i = j;
    if (word.size() > 4) {
      runlog_msg("[i] skipping invalid chain: '%s' (> 4 chars)\n", word.c_str());
      continue;
    }
    word.resize(4, ' ');
    sel.ids.push_back(word);
  }
  if (static_cast<long>(sel.ids.size()) > MAX_CHAIN_IDS)
    fatal("too many chain ids in the chain option: %zu (at most %ld)\n", sel.ids.size(),
          MAX_CHAIN_IDS);
  if (sel.ids.empty()) sel.all = true;
}

}  // namespace vask
