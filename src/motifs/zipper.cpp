// Ribose zippers.
#include "motifs/zipper.hpp"

#include <algorithm>
#include <cmath>

#include "pairing/pair.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// Every O2'-O2' contact, i < j in residue order; the contact sets supply the
// candidates, so no scan of all pairs of nucleotides.
std::vector<O2_contact> collect_O2_contacts(const struct_mol& mol) {
  std::vector<O2_contact> list(1);
  const double good = Gvars.hbond_good;
  std::vector<long> partners;
  for (long i = 1; i <= mol.num_residues; ++i) {
    if (!is_nt(i, mol) || mol.nt_infos[i].O2p == -1) continue;
    const xyz& oi = mol.atoms[mol.nt_infos[i].O2p].xyz;
    partners.clear();
    const connect& near = mol.residues[i].contacts;
    for (long t = 1; t <= near.count; ++t)
      if (near[t] > i) partners.push_back(near[t]);
    std::sort(partners.begin(), partners.end());
    partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    for (long j : partners) {
      if (!is_nt(j, mol) || mol.nt_infos[j].O2p == -1) continue;
      const xyz& oj = mol.atoms[mol.nt_infos[j].O2p].xyz;
      if (std::fabs(oi[1] - oj[1]) >= good || std::fabs(oi[2] - oj[2]) >= good ||
          std::fabs(oi[3] - oj[3]) >= good)
        continue;
      const double d = dist_xyz(oi, oj);
      if (d < Gvars.hbond_d1 || d > good) continue;
      O2_contact c;
      c.nt1 = i;
      c.nt2 = j;
      c.dist = d;
      list.push_back(c);
    }
  }
  return list;
}

long count_links(const O2_contact& a, const O2_contact& b, const struct_mol& mol) {
  long n = 0;
  for (long x : {a.nt1, a.nt2})
    for (long y : {b.nt1, b.nt2}) n += is_nts_connected_either_way(x, y, mol) ? 1 : 0;
  return n;
}

void add_link(O2_contact& c, long other, long links) {
  const size_t slot = c.links[0] == 0 ? 0 : 1;  // a third link overwrites the second
  c.links[slot] = other;
  c.link_counts[slot] = links;
}

// Contacts b > a sharing a backbone neighbour with a: only they can be
// linked, found through a per-nucleotide index of the contacts.
void link_contacts(std::vector<O2_contact>& list, const struct_mol& mol) {
  const long n = static_cast<long>(list.size()) - 1;
  std::vector<std::vector<long>> by_nt(static_cast<size_t>(mol.num_residues) + 1);
  for (long k = 1; k <= n; ++k) {
    by_nt[list[k].nt1].push_back(k);
    by_nt[list[k].nt2].push_back(k);
  }
  std::vector<long> candidates;
  for (long a = 1; a <= n; ++a) {
    candidates.clear();
    for (long x : {list[a].nt1, list[a].nt2}) {
      const connect& linked = mol.residues[x].linked;
      for (long t = 1; t <= linked.count; ++t)
        for (long b : by_nt[linked[t]])
          if (b > a) candidates.push_back(b);
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (long b : candidates) {
      const long links = count_links(list[a], list[b], mol);
      if (links == 0) continue;
      add_link(list[a], b, links);
      add_link(list[b], a, links);
    }
  }
}

}  // namespace

void find_riboseZippers(struct_mol& mol, long& num_zippers, std::vector<connect>& zippers,
                        long& num_contacts, std::vector<O2_contact>& contacts) {
  num_zippers = num_contacts = 0;
  zippers = allocate_connects_array(0);
  contacts.assign(1, O2_contact{});
  if (mol.num_nts < 2) return;
  std::vector<O2_contact> list = collect_O2_contacts(mol);
  link_contacts(list, mol);
  std::vector<connect> found(1);
  const long n = static_cast<long>(list.size()) - 1;
  for (long a = 1; a <= n; ++a) {
    if (list[a].used) continue;
    for (size_t s = 0; s < 2; ++s) {
      if (list[a].link_counts[s] != 2) continue;  // both strands step by one
      O2_contact& b = list[list[a].links[s]];
      list[a].used = b.used = 1;
      const long nts[] = {list[a].nt1, list[a].nt2, b.nt1, b.nt2};
      connect* home = nullptr;
      for (size_t z = 1; z < found.size() && home == nullptr; ++z)
        for (long nt : nts)
          if (found[z].has(nt)) {
            home = &found[z];
            break;
          }
      if (home == nullptr) {
        found.emplace_back();
        home = &found.back();
      }
      for (long nt : nts)
        if (!home->has(nt)) add_one_item_to_connect(nt, *home, 128, "ribose zipper", mol.warned.connects);
    }
  }
  num_zippers = static_cast<long>(found.size()) - 1;
  if (num_zippers == 0) return;
  for (long z = 1; z <= num_zippers; ++z) {
    sort_one_connect(found[z]);
    for (long t = 1; t <= found[z].count; ++t) mol.residues[found[z][t]].flag[rf::ribose_zipper] = 1;
  }
  total_counts("ribose zippers", num_zippers);
  zippers = std::move(found);
  num_contacts = n;
  contacts = std::move(list);
}

void write_zippers_pdb(long n, const std::vector<connect>& zippers, struct_mol& mol) {
  scoped_file sf(open_ensemble_file("zippers", mol));
  FILE* out = sf.get();
  for (long k = 1; k <= n; ++k) {
    const connect& z = zippers[k];
    std::vector<long> nts(1, 0);
    for (long t = 1; t <= z.count; ++t) nts.push_back(z[t]);
    pair p;
    init_one_pair(p);
    populate_one_base_pair(z[1], z[z.count], mol, p);
    begin_ensemble_model(out, k, {get_connect_abbr_full_ids(z, mol)}, mol);
    write_residue_set_pdb_simple(z.count, nts, &p.frame, mol, out);
    end_ensemble_model(out);
  }
  close_ensemble_file(sf, mol);
}

void print_zippers_info(long n, const std::vector<connect>& zippers, long num_contacts,
                        const std::vector<O2_contact>& contacts, const struct_mol& mol, FILE* fp) {
  output_nts_lists(fp, "riboseZippers", "List of %ld ribose %s\n", "zipper", n, zippers, mol);
  if (Gvars.json || !verbose2()) return;
  std::fprintf(fp, "  ------------------------------------------------\n");
  for (long k = 1; k <= num_contacts; ++k)
    std::fprintf(fp, "%4ld %8.2f\t%s\t%s\n", k, contacts[k].dist, mol.residues[contacts[k].nt1].idstr.c_str(),
                 mol.residues[contacts[k].nt2].idstr.c_str());
}

void output_zippers_info_pdb(struct_mol& mol, long n, const std::vector<connect>& zippers,
                             long num_contacts, const std::vector<O2_contact>& contacts, FILE* fp) {
  if (n <= 0 || fp == nullptr) return;
  if (Gvars.auxfiles && verbose2()) write_zippers_pdb(n, zippers, mol);
  print_zippers_info(n, zippers, num_contacts, contacts, mol, fp);
}

}  // namespace vask
