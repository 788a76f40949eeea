#include "motifs/tertiary.hpp"

#include <algorithm>

#include "pairing/area.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr const char* kUnitWords[] = {"stem", "isolated-pair", "hairpin", "bulge",
                                      "iloop", "junction", "ss-frag"};

void add_unit(std::vector<ssr_unit>& units, long kind, long index, std::vector<long> nts) {
  ssr_unit u;
  u.kind = kind;
  u.index = index;
  u.count = static_cast<long>(nts.size()) - 1;
  u.nts = std::move(nts);
  units.push_back(std::move(u));
}

std::string unit_label(const ssr_unit& u) {
  return sformat("%s (nts=%ld)", get_SSR_type(u.kind, u.index).c_str(), u.count);
}

}  // namespace

std::string get_SSR_type(long kind, long index) {
  VASK_ASSERT(kind >= 0 && kind <= 6);
  return sformat("%s [#%ld]", kUnitWords[kind], index);
}

std::vector<ssr_unit> build_ssr_units(const helix_slots& helices, const hairpin_slots& hairpins,
                                      const loop_slots& loops, const ss_slots& singles) {
  std::vector<ssr_unit> units(1);
  for (long k = 1; k <= helices.num_stems; ++k) {
    const helix& s = helices.stems[k];
    std::vector<long> nts(1, 0);
    for (long i = 1; i <= s.num_pairs; ++i) nts.push_back(s.strand1[i]);
    for (long i = 1; i <= s.num_pairs; ++i) nts.push_back(s.strand2[i]);
    add_unit(units, 0, k, std::move(nts));
  }
  for (long k = 1; k <= helices.num_isolated_pairs; ++k) {
    const pair& p = helices.isolated_pairs[k];
    add_unit(units, 1, k, {0, p.nt1, p.nt2});
  }
  for (long k = 1; k <= hairpins.num_hairpins; ++k) {
    const hairpin& h = hairpins.hairpins[k];
    add_unit(units, 2, k, std::vector<long>(h.nts.begin(), h.nts.begin() + h.num_nts + 1));
  }
  long num_bulges = 0, num_iloops = 0, num_junctions = 0;
  for (long k = 1; k <= loops.num_loops; ++k) {
    const loop& lp = loops.loops[k];
    if (lp.is_hairpin) continue;  // in the list already as a hairpin
    VASK_ASSERT(lp.is_bulge || lp.is_internal || lp.is_junction);
    const long kind = lp.is_bulge ? 3 : lp.is_internal ? 4 : 5;
    const long index = kind == 3 ? ++num_bulges : kind == 4 ? ++num_iloops : ++num_junctions;
    add_unit(units, kind, index, std::vector<long>(lp.nts.begin(), lp.nts.begin() + lp.num_nts + 1));
  }
  for (long k = 1; k <= singles.num_ss_segments; ++k) {
    const ss_segment& s = singles.ss_segments[k];
    add_unit(units, 6, k, std::vector<long>(s.nts.begin(), s.nts.begin() + s.num_nts + 1));
  }
  return units;
}

std::vector<unit_contact> find_unit_contacts(const struct_mol& mol, const std::vector<ssr_unit>& units,
                                             double threshold) {
  std::vector<unit_contact> contacts;
  const long n = static_cast<long>(units.size()) - 1;
  // The units of each residue: the touching and sharing tests then follow
  // the residue contact sets instead of comparing every pair of units.
  std::vector<std::vector<long>> units_of(static_cast<size_t>(mol.num_residues) + 1);
  for (long u = 1; u <= n; ++u)
    for (long i = 1; i <= units[u].count; ++i) units_of[units[u].nts[i]].push_back(u);
  std::vector<long> shares(static_cast<size_t>(n) + 1, 0), touches(static_cast<size_t>(n) + 1, 0);
  // A unit's atom records enter every pair it is in: built once, when first
  // needed, they keep the areas within the unit computed for earlier pairs.
  // A pair's buried area is then computed where the two units touch.
  std::vector<std::vector<area_rec>> atoms(static_cast<size_t>(n) + 1);
  auto atoms_of = [&](long u) -> std::vector<area_rec>& {
    if (atoms[u].empty()) atoms[u] = get_atom_records_residue_set(units[u].count, units[u].nts, mol);
    return atoms[u];
  };
  std::vector<long> near;
  for (long u = 1; u < n; ++u) {
    const ssr_unit& a = units[u];
    if (a.count <= 1) continue;
    if (u % 25 == 0) runlog_msg("\t%4ld out of %4ld\n", u, n);
    near.clear();
    for (long i = 1; i <= a.count; ++i) {
      const long r = a.nts[i];
      for (long v : units_of[r]) shares[v] = u;
      const connect& cs = mol.residues[r].contacts;
      for (long j = 1; j <= cs.count; ++j) {
        const long c = cs[j];
        if (c < 1 || c > mol.num_residues) continue;
        for (long v : units_of[c])
          if (v > u && touches[v] != u) {
            touches[v] = u;
            near.push_back(v);
          }
      }
    }
    std::sort(near.begin(), near.end());
    for (long v : near) {
      const ssr_unit& b = units[v];
      if (b.count < 2 || shares[v] == u) continue;
      const double d = get_contact_buried_area_records(atoms_of(u), atoms_of(v));
      if (d >= threshold) contacts.push_back({d, u, v});
    }
  }
  return contacts;
}

void output_ssr_lists(const struct_mol& mol, const std::vector<ssr_unit>& units) {
  const long n = static_cast<long>(units.size()) - 1;
  prglog_msg("\nList of secondary structural %ld %s:\n", n, n == 1 ? "element" : "elements");
  for (long k = 1; k <= n; ++k) {
    const ssr_unit& u = units[k];
    prglog_msg("%4ld %-18s nts=%ld %s\n", k, get_SSR_type(u.kind, u.index).c_str(), u.count,
               get_residues_abbr_ids(u.count, u.nts, mol).c_str());
  }
  prglog_msg("\n");
}

void output_Tinteractions(const std::vector<unit_contact>& contacts, const std::vector<ssr_unit>& units,
                          FILE* fp) {
  const long n = static_cast<long>(contacts.size());
  if (n == 0 || fp == nullptr) return;
  if (Gvars.json) {
    json_lNumber(fp, "num_unitContacts", n);
    json_begin_array(fp, "unitContacts");
    for (long k = 1; k <= n; ++k) {
      const unit_contact& c = contacts[static_cast<size_t>(k - 1)];
      json_bareObject_start_with_idx(fp, k);
      json_string(fp, "unit1", unit_label(units[c.unit1]));
      json_string(fp, "unit2", unit_label(units[c.unit2]));
      json_dNumber0(fp, "d_sasa", c.d_sasa);
      json_bareObject_end_check_idx(fp, k, n);
    }
    json_end_array(fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, n, "List of %ld tertiary %s\n", "interaction");
  for (long k = 1; k <= n; ++k) {
    const unit_contact& c = contacts[static_cast<size_t>(k - 1)];
    std::fprintf(fp, "%4ld %6.1f %s vs %s \n", k, c.d_sasa, unit_label(units[c.unit1]).c_str(),
                 unit_label(units[c.unit2]).c_str());
  }
}

void find_tertiaryInteractions(const struct_mol& mol, const helix_slots& helices,
                               const hairpin_slots& hairpins, const loop_slots& loops,
                               const ss_slots& singles, FILE* fp, double threshold) {
  if (threshold <= 0 || fp == nullptr) return;
  const std::vector<ssr_unit> units = build_ssr_units(helices, hairpins, loops, singles);
  output_ssr_lists(mol, units);
  output_Tinteractions(find_unit_contacts(mol, units, threshold), units, fp);
}

}  // namespace vask
