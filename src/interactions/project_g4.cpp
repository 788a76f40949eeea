// Survey analyses of G-quadruplexes: the steps of G4 stems, the steps of G4
// helices outside their stems, G-tetrad counts and G..G..G pairs without
// tetrads.
#include <cfloat>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "interactions/project.hpp"
#include "motifs/g4plex.hpp"
#include "motifs/gtetrad.hpp"
#include "pairing/prepare.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "support/file.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr double kMaxStepRise = 5.8;  // Angstrom: layers farther apart do not stack

// The G4 records of the input structure.
struct g4_structure {
  struct_mol mol;
  g4_results r;
};

void read_g4(const project_settings& s, g4_structure& g) {
  read_pdb(s.input, g.mol);
  long n = 0;
  std::vector<pair> pairs;
  find_pairs(g.mol, n, pairs, 0);
  find_G4plexes(g.mol, n, pairs, g.r);
}

// A text field of a CSV row (RFC 4180): quoted, its quotes doubled, when it
// holds a comma, a quote or a line end, so that "mm(<>,outward)" stays one field.
std::string csv(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

// The four guanine ids of a layer joined by '+'.
std::string layer_ids(const gtetrad& t, const struct_mol& mol) {
  std::string text;
  for (long j = 1; j <= t.nts.count; ++j) {
    if (j > 1) text += '+';
    text += mol.residues[t.nts[j]].idstr;
  }
  return text;
}

std::string na_type_of(const gtetrad& a, const gtetrad& b, const struct_mol& mol) {
  long dna = 0, rna = 0;
  for (const gtetrad* t : {&a, &b})
    for (long j = 1; j <= t->nts.count; ++j) count_dna_rna(t->nts[j], mol, dna, rna);
  return assign_na_type(dna, rna);
}

// Fewer than four of the same-position guanines are direct backbone neighbours.
bool bulged_step(const gtetrad& a, const gtetrad& b, const struct_mol& mol) {
  long direct = 0;
  for (long s = 1; s <= 4 && s <= a.nts.count && s <= b.nts.count; ++s)
    direct += nts_dist1(a.nts[s], b.nts[s], mol) ? 1 : 0;
  return direct < 4;
}

// The per-layer texts and the numbers of a step, common to stems and helices.
void step_tail(const gtetrad& a, const gtetrad& b, const g4step& st, const char* text, FILE* fp) {
  std::fprintf(fp, ",%s", csv(a.glyco + ":" + b.glyco).c_str());
  std::fprintf(fp, ",%s", csv(a.sugar + ":" + b.sugar).c_str());
  std::fprintf(fp, ",%s", csv(a.topo_class + ":" + b.topo_class).c_str());
  std::fprintf(fp, ",%s,%s", csv(text).c_str(), csv(sformat("%2.2s", st.ring_codes.c_str())).c_str());
  std::fprintf(fp, ",%2.2f,%.2f", st.area_sum, st.cross_area);
  std::fprintf(fp, ",%.2f,%.2f\n", st.pars[3], st.pars[6]);
}

// Reads the input, finds its pairs[1..n]; returns the number of G-tetrads.
long read_tetrads(const project_settings& s, struct_mol& mol, long& n, std::vector<pair>& pairs) {
  read_pdb(s.input, mol);
  find_pairs(mol, n, pairs, 0);
  long count = 0;
  std::vector<gtetrad> tetrads;
  find_Gtetrads(mol, n, pairs, count, tetrads);
  return count;
}

bool stacked_step(const g4step& st) { return st.pars[3] != DBL_MAX && st.pars[3] <= kMaxStepRise; }

}  // namespace

void extract_G4stem_features(const project_settings& s) {
  g4_structure g;
  read_g4(s, g);
  const struct_mol& mol = g.mol;
  project_output out(append_output(s.output));
  for (long i = 1; i <= g.r.num_stems; ++i) {
    const g4plex& stem = g.r.stems[i];
    for (long k = 1; k < stem.num_layers; ++k) {
      const g4step& st = stem.steps[k];
      if (!stacked_step(st)) continue;
      const gtetrad &a = stem.layers[k], &b = stem.layers[k + 1];
      FILE* fp = out.get();
      std::fprintf(fp, "%s,%s", csv(mol.base_name).c_str(), bulged_step(a, b, mol) ? "bulged" : "---");
      std::fprintf(fp, ",%s,%s,%s", csv(layer_ids(a, mol)).c_str(), csv(layer_ids(b, mol)).c_str(),
                   na_type_of(a, b, mol).c_str());
      std::fprintf(fp, ",%s,%s", stem.single_chain ? "INTRA" : "inter",
                   stem.descriptor.empty() ? "---" : csv(stem.descriptor).c_str());
      std::fprintf(fp, ",%s,%s", csv(stem.topology).c_str(), csv(stem.directions).c_str());
      std::fprintf(fp, ",%s", csv(stem.orientation).c_str());
      std::fprintf(fp, ",%s", csv(st.polarity).c_str());
      std::fprintf(fp, ",%s", csv(st.faces).c_str());
      step_tail(a, b, st, st.glyco_sum.c_str(), fp);
    }
  }
}

void extract_G4helix_xstem_features(const project_settings& s) {
  g4_structure g;
  read_g4(s, g);
  const struct_mol& mol = g.mol;
  project_output out(append_output(s.output));
  for (long i = 1; i <= g.r.num_helices; ++i) {
    const g4plex& h = g.r.helices[i];
    long interface = 0;  // the helix's coaxial codes, taken in order at stem boundaries
    for (long k = 1; k < h.num_layers; ++k) {
      const g4step& st = h.steps[k];
      const gtetrad &a = h.layers[k], &b = h.layers[k + 1];
      const long sa = get_G4stem_idx(a, mol), sb = get_G4stem_idx(b, mol);
      if (!stacked_step(st) || st.pars[3] >= kMaxStepRise || (sa != 0 && sa == sb)) continue;
      std::string coaxial = "---";
      if (sa != 0 && interface + 1 < static_cast<long>(h.coax_codes.size()))
        coaxial = get_interface_typeStr(h.coax_codes[static_cast<size_t>(++interface)]);
      FILE* fp = out.get();
      std::fprintf(fp, "%s,%s,%s,%s", csv(mol.base_name).c_str(), csv(layer_ids(a, mol)).c_str(),
                   csv(layer_ids(b, mol)).c_str(), na_type_of(a, b, mol).c_str());
      std::fprintf(fp, ",%s,%s,%s", h.single_chain ? "INTRA" : "inter", csv(coaxial).c_str(),
                   csv(st.polarity).c_str());
      step_tail(a, b, st, st.faces.c_str(), fp);
    }
  }
}

void do_G4s(const project_settings& s) {
  struct_mol mol;
  long n = 0;
  std::vector<pair> pairs;
  const long count = read_tetrads(s, mol, n, pairs);
  if (count == 0) return;
  project_output out(append_output(s.output));
  std::fprintf(out.get(), "%s %ld\n", mol.base_name.c_str(), count);
}

void check_G4_pairs(const project_settings& s) {
  struct_mol mol;
  long n = 0;
  std::vector<pair> pairs;
  const long count = read_tetrads(s, mol, n, pairs);
  if (count > 0) return;
  std::vector<long> times(static_cast<size_t>(mol.num_residues) + 1, 0);
  long marked = 0;
  for (long k = 1; k <= n; ++k) {
    if (!is_G4pair(pairs[k], mol)) continue;
    ++marked;
    ++times[pairs[k].nt1];
    ++times[pairs[k].nt2];
  }
  if (marked < 2) return;
  long twice = 0;
  for (long k = 1; k <= mol.num_residues; ++k) twice += times[k] == 2 ? 1 : 0;
  if (twice == 0) return;
  project_output out(append_output(s.output));
  std::fprintf(out.get(), "%s %ld\n", mol.base_name.c_str(), twice);
}

}  // namespace vask
