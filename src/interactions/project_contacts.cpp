// Survey analyses of contacts: acidic and amide side chains on CpA-like
// nucleotide sets, amino acids H-bonded to stem bases, and three stacked
// four-nucleotide layers that are not G-tetrads.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "interactions/helix_records.hpp"
#include "interactions/project.hpp"
#include "motifs/multiplet.hpp"
#include "motifs/network.hpp"
#include "pairing/area.hpp"
#include "pairing/frame.hpp"
#include "pairing/hbond.hpp"
#include "pairing/plane.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr double kTetradOverlap = 6.6;              // square Angstrom summed over 16 base pairs
constexpr long kTetradSpanMin = 16, kTetradSpanMax = 52;  // backbone steps, first to last
constexpr long kMinTetradNts = 12;

// Accepted H-bonds of a good type ('o' or 'p') between residue k's atoms
// (side-chain atoms only with side_chain) and base atoms of nucleotides:
// per nucleotide the count, and whether a main-chain atom of k takes part.
struct base_hbonds {
  std::vector<long> nts;     // partners, in the order met
  std::vector<long> counts;  // H-bonds per partner
  long total = 0;
  bool backbone = false;
};

base_hbonds hbonds_to_bases(long k, bool side_chain, const struct_mol& mol) {
  base_hbonds out;
  for (long h = 1; h <= mol.num_hbonds; ++h) {
    const bond& b = mol.hbonds[h];
    if (b.status == -1 || !good_hbond_type(b.type)) continue;
    long mine = b.atom1, other = b.atom2;
    if (mol.atoms[mine].residue != k) std::swap(mine, other);
    if (mol.atoms[mine].residue != k) continue;
    if (side_chain && !is_aaSCatom(mine, mol)) continue;
    if (!is_baseatom(other, mol)) continue;
    const long nt = mol.atoms[other].residue;
    if (!is_nt(nt, mol)) continue;
    auto it = std::find(out.nts.begin(), out.nts.end(), nt);
    if (it == out.nts.end()) {
      out.nts.push_back(nt);
      out.counts.push_back(1);
    } else {
      ++out.counts[static_cast<size_t>(it - out.nts.begin())];
    }
    ++out.total;
    if (mol.atoms[mine].mainchain) out.backbone = true;
  }
  return out;
}

bool has_frame(long k, const struct_mol& mol) {
  for (long f : mol.residues[k].frames)
    if (f >= 1) return true;
  return false;
}

bool structure_with_nts_and_aas(const struct_mol& mol) { return mol.num_nts >= 2 && mol.num_aas >= 1; }

std::vector<long> as_list(const std::vector<long>& v) {
  std::vector<long> list(1);
  list.insert(list.end(), v.begin(), v.end());
  return list;
}

bool linked(long a, long b, const struct_mol& mol) { return mol.residues[a].linked.has(b); }

bool two_steps(long a, long b, const struct_mol& mol) {
  const connect& lk = mol.residues[a].linked;
  for (long i = 1; i <= lk.count; ++i)
    if (lk[i] != b && linked(lk[i], b, mol)) return true;
  return false;
}

long stem_partner(long a, const struct_mol& mol) { return mol.residues[a].flag[rf::stem_partner]; }

// The class of the stem nucleotides an amino acid H-bonds to.
const char* classify_stem_contact(const std::vector<long>& nts, const struct_mol& mol) {
  const size_t n = nts.size();
  if (n == 1) return "base";
  if (n == 2) {
    const long a = nts[0], b = nts[1];
    if (stem_partner(a, mol) == b) return "pair";
    if (linked(a, b, mol)) return "stacked";
    if ((stem_partner(b, mol) > 0 && linked(a, stem_partner(b, mol), mol)) ||
        (stem_partner(a, mol) > 0 && linked(b, stem_partner(a, mol), mol)))
      return "crossed";
    if (two_steps(a, b, mol)) return "3layers";
    return "2ntsOTHER";
  }
  if (n >= 3) {
    for (long a : nts)
      if (std::find(nts.begin(), nts.end(), stem_partner(a, mol)) != nts.end()) return "STACROSS";
    return "3ntsOTHER";
  }
  return "other";
}

bool g_tetrad_like(const connect& set, const struct_mol& mol) {
  for (long j = 1; j <= set.count; ++j)
    if (std::toupper(static_cast<unsigned char>(mol.residues[set[j]].letter)) != 'G') return false;
  return true;
}

double tetrads_overlap(const connect& a, const connect& b, const struct_mol& mol) {
  double sum = 0.0;
  for (long i = 1; i <= a.count; ++i)
    for (long j = 1; j <= b.count; ++j) sum += get_outer_overlap_area_byResNum(a[i], b[j], mol);
  return sum;
}

}  // namespace

void do_DENQ_contacts(const project_settings& s, const char* aa_name) {
  struct_mol mol;
  read_pdb(s.input, mol);
  if (!structure_with_nts_and_aas(mol)) return;
  const std::string wanted = upper_copy(aa_name);
  const bool to_file = !is_pseudo_file(s.output);
  project_output out(append_output(s.output));
  const std::string pdb_name = sformat("%s-contacts.pdb", aa_name);
  long model = count_models(pdb_name);
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol) || upper_copy(trimmed(mol.residues[k].name)) != wanted || !has_frame(k, mol)) continue;
    const residue& r = mol.residues[k];
    std::vector<long> set;
    for (long j = 1; j <= r.vdw_contacts.count; ++j)
      if (is_nt(r.vdw_contacts[j], mol)) set.push_back(r.vdw_contacts[j]);
    if (set.size() <= 1) continue;
    long hbonded_nts = 0;
    for (long j = 1; j <= r.hbonded.count; ++j) hbonded_nts += is_nt(r.hbonded[j], mol) ? 1 : 0;
    if (hbonded_nts < 2) continue;
    if (hbonds_to_bases(k, true, mol).total <= 1) continue;
    const std::vector<long> list = as_list(set);
    const long n = static_cast<long>(set.size());
    const double area = get_area_diff_one_vs_set(k, n, list, mol);
    const std::string line = sformat("%6s %*s area=%-5.0f nts=%-2ld %s", mol.base_name.c_str(), mol.idstr_width,
                                     r.idstr.c_str(), area, n, get_residues_abbr_full_ids(n, list, mol).c_str());
    std::fprintf(out.get(), "%s\n", line.c_str());
    if (to_file) runlog_msg("%s\n", line.c_str());
    project_output pdb(append_file(pdb_name));
    write_contact_coords(k, n, list, mol, ++model, line, pdb.get());
  }
}

void check_complex_contacts(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  if (!structure_with_nts_and_aas(mol)) return;
  helix_records records;
  find_pairs(mol, records.num_pairs, records.pairs, 0);
  helix_slots slots = records.slots();
  do_helices_stems_icpairs_xref(mol, slots);
  auto in_stem = [&](long j) { return is_nt(j, mol) && mol.residues[j].flag[rf::stem] > 0; };

  project_output out(append_output(s.output));
  long model = count_models("stem-contacts.pdb");
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (!is_aa(k, mol)) continue;
    const residue& r = mol.residues[k];
    bool touches_stem = false;
    for (long j = 1; j <= r.vdw_contacts.count; ++j) {
      const long nt = r.vdw_contacts[j];
      if (in_stem(nt))
        touches_stem = true;
      else if (is_nt(nt, mol) && verbose1())
        runlog_msg("\t[i] ignore %s vs %s [not in stem]\n", r.idstr.c_str(), mol.residues[nt].idstr.c_str());
    }
    if (!touches_stem) continue;
    const base_hbonds hb = hbonds_to_bases(k, false, mol);
    std::vector<long> nts;
    long total = 0;
    for (size_t i = 0; i < hb.nts.size(); ++i) {
      if (!in_stem(hb.nts[i])) continue;
      nts.push_back(hb.nts[i]);
      total += hb.counts[i];
    }
    if (total < 2) continue;
    std::sort(nts.begin(), nts.end());
    const char* kind = classify_stem_contact(nts, mol);
    std::string letters;
    for (long nt : nts) letters += mol.residues[nt].letter;
    std::vector<long> set = nts;
    for (long nt : nts) {
      const long partner = stem_partner(nt, mol);
      if (partner > 0 && std::find(set.begin(), set.end(), partner) == set.end()) set.push_back(partner);
    }
    std::sort(set.begin(), set.end());
    std::string label = sformat("%s-%ld-%s", trimmed(r.name).c_str(), total, letters.c_str());
    if (hb.backbone) label += "-BB";
    label += std::string("-") + kind;
    const std::vector<long> list = as_list(set);
    const long n = static_cast<long>(set.size());
    const double area = get_area_diff_one_vs_set(k, n, list, mol);
    const std::string line = sformat("%6s %s %*s area=%-5.0f nts=%-2ld %s", mol.base_name.c_str(), label.c_str(),
                                     mol.idstr_width, r.idstr.c_str(), area, n,
                                     get_residues_abbr_full_ids(n, list, mol).c_str());
    std::fprintf(out.get(), "%s\n", line.c_str());
    if (!has_frame(k, mol)) continue;  // no frame to draw the contact in
    project_output pdb(append_file("stem-contacts.pdb"));
    write_contact_coords(k, n, list, mol, ++model, line, pdb.get());
  }
}

void check_3tetrads(const project_settings& s) {
  struct_mol mol;
  read_pdb(s.input, mol);
  if (mol.num_nts < kMinTetradNts) return;
  long num_pairs = 0, count = 0;
  std::vector<pair> pairs;
  std::vector<connect> multiplets;
  find_pairs(mol, num_pairs, pairs, 0);
  motif_measures measures(mol);
  find_multiplets(mol, num_pairs, pairs, measures, count, multiplets);
  std::vector<long> quads;
  long not_g = 0;
  for (long i = 1; i <= count; ++i) {
    if (multiplets[i].count != 4) continue;
    quads.push_back(i);
    not_g += g_tetrad_like(multiplets[i], mol) ? 0 : 1;
  }
  if (not_g <= 2) return;
  project_output out(append_output(s.output));
  long model = count_models("stacked-3tetrads.pdb");
  for (long a : quads) {
    std::vector<long> group{a};
    for (long b : quads)
      if (b != a && tetrads_overlap(multiplets[a], multiplets[b], mol) >= kTetradOverlap) group.push_back(b);
    if (group.size() != 3) continue;
    std::vector<long> nts;
    for (long g : group)
      for (long j = 1; j <= multiplets[g].count; ++j) nts.push_back(multiplets[g][j]);
    std::sort(nts.begin(), nts.end());
    const long first = nts.front(), last = nts.back();
    std::vector<long> path;
    const long dist = nts_i2j_dist(first, last, kTetradSpanMax, mol, &path);
    if (dist < kTetradSpanMin || dist > kTetradSpanMax) continue;
    std::string line = sformat("%s size=%ld %s %s %ld-%ld", mol.base_name.c_str(), dist + 1,
                               mol.residues[first].idstr.c_str(), mol.residues[last].idstr.c_str(), 3L,
                               static_cast<long>(nts.size()));
    for (long g : group)
      line += sformat(" [nts=%ld %s]", multiplets[g].count, get_connect_abbr_full_ids(multiplets[g], mol).c_str());
    std::fprintf(out.get(), "%s\n", line.c_str());
    frame f;
    get_nt_set_frame(mol, static_cast<long>(nts.size()), as_list(nts), f);
    project_output pdb(append_file("stacked-3tetrads.pdb"));
    std::fprintf(pdb.get(), "%6s    %4ld\n", "MODEL ", ++model);
    std::fprintf(pdb.get(), "REMARK    %s %ld %s %s\n", mol.base_name.c_str(), dist + 1,
                 mol.residues[first].idstr.c_str(), mol.residues[last].idstr.c_str());
    write_residue_set_pdb_frame(path[0], path, &f, 0, mol, pdb.get());
    std::fprintf(pdb.get(), "ENDMDL\n");
  }
}

}  // namespace vask
