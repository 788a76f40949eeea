// The G-quadruplex report (text sections or JSON keys) and its auxiliary
// files: tetrad, helix, stem and stacking ensembles, the list file, the
// Curves+ input and the PyMOL selection script.
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "motifs/g4plex.hpp"
#include "motifs/stacking_ensemble.hpp"
#include "structure/atom.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

std::vector<long> to_list(const connect& c) {
  std::vector<long> v(1, 0);
  for (long k = 1; k <= c.count; ++k) v.push_back(c[k]);
  return v;
}

void print_cnts_abbrIds(const connect& set, const struct_mol& mol, FILE* fp) {
  std::fprintf(fp, " nts=%ld %s\n", set.count, get_connect_abbr_full_ids(set, mol).c_str());
}

void json_one_Gtetrad(long k, long n, const gtetrad& t, const struct_mol& mol, FILE* fp) {
  json_bareObject_start_with_idx(fp, k);
  json_numNts_cnts(fp, t.nts, mol);
  json_dNumber(fp, "planarity", t.planarity);
  static constexpr const char* kKeys[5] = {"", "G1G2_simpleParams", "G2G3_simpleParams", "G3G4_simpleParams",
                                           "G4G1_simpleParams"};
  for (size_t i = 1; i <= 4; ++i) {
    const std::vector<double> v(t.simple_pars[i].begin(), t.simple_pars[i].end());
    json_dNumberArray(fp, kKeys[i], 6, v);
  }
  json_string(fp, "type", t.shape);
  json_string(fp, "direction", t.direction);
  json_string(fp, "topo_class", t.topo_class);
  json_string(fp, "glyco_bond", t.glyco);
  json_string(fp, "sugar_pucker", t.sugar);
  json_string(fp, "groove_type", t.groove);
  json_dNumberArray(fp, "groove_distPP", 4, std::vector<double>(t.groove_PP.begin(), t.groove_PP.end()));
  json_dNumber(fp, "rmsd", t.rmsd);
  json_frame0(fp, &t.f);
  json_bareObject_end_check_idx(fp, k, n);
}

void json_Gtetrads(long n, const std::vector<gtetrad>& tetrads, const char* key, const struct_mol& mol, FILE* fp) {
  json_lNumber(fp, sformat("num_%s", key).c_str(), n);
  json_begin_array(fp, key);
  for (long k = 1; k <= n; ++k) json_one_Gtetrad(k, n, tetrads[static_cast<size_t>(k)], mol, fp);
  json_end_array(fp);
}

void list_Gtetrads(long n, const std::vector<gtetrad>& tetrads, const struct_mol& mol, FILE* fp) {
  for (long k = 1; k <= n; ++k) list_one_Gtetrad(k, tetrads[static_cast<size_t>(k)], mol, fp);
}

void list_one_G4plex_layers(const g4plex& p, const struct_mol& mol, FILE* fp) {
  for (long k = 1; k <= p.num_layers; ++k) {
    const gtetrad& t = p.layers[static_cast<size_t>(k)];
    const char mark = mol.residues[static_cast<size_t>(t.nts[1])].flag[rf::g4_boundary] ? '*' : ' ';
    std::fprintf(fp, "%4ld%c glyco-bond=%s", k, mark, t.glyco.c_str());
    std::fprintf(fp, " sugar=%s", t.sugar.c_str());
    std::fprintf(fp, " groove=%s %s", t.groove.c_str(), t.direction.c_str());
    if (Gvars.g4[15]) std::fprintf(fp, " %s", t.topo_class.c_str());
    print_cnts_abbrIds(t.nts, mol, fp);
  }
  for (long k = 1; k < p.num_layers; ++k) {
    const g4step& s = p.steps[static_cast<size_t>(k)];
    std::fprintf(fp, "    step#%-2ld %-15s area=%-5.2f", k, s.faces.c_str(), s.area_sum);
    if (VERBOSITY >= 2 || Gvars.experimental) {
      std::fprintf(fp, " [");
      for (size_t i = 1; i <= 3; ++i) std::fprintf(fp, "%4.2f ", s.strand_areas[i]);
      std::fprintf(fp, "%.2f", s.strand_areas[4]);
      if (!s.glyco_sum.empty()) std::fprintf(fp, " %s", s.glyco_sum.c_str());
      std::fprintf(fp, "]");
      std::fprintf(fp, " %4.2f %s", s.cross_area, s.ring_codes.c_str());
    }
    std::fprintf(fp, " rise=%-4.2f twist=%.1f\n", s.pars[3], s.pars[6]);
  }
}

void print_ring_overlaps(const g4plex& p, long s, FILE* fp) {
  if (!Gvars.experimental) return;
  const g4strand& st = p.strands[static_cast<size_t>(s)];
  std::fprintf(fp, " area=[");
  for (long k = 1; k < p.num_layers; ++k) {
    const g4step& step = p.steps[static_cast<size_t>(k)];
    const auto& r = step.ring_areas[static_cast<size_t>(s)];
    if (k > 1) std::fprintf(fp, ",");
    std::fprintf(fp, "[%4.2f %4.2f %4.2f %2ld", r[0], r[1], r[2], static_cast<long>(r[3]));
    std::fprintf(fp, " %4.2f", step.strand_areas[static_cast<size_t>(s)]);
    if (static_cast<size_t>(k) < st.step_glyco.size() && !st.step_glyco[static_cast<size_t>(k)].empty())
      std::fprintf(fp, " %s", st.step_glyco[static_cast<size_t>(k)].c_str());
    std::fprintf(fp, "]");
  }
  std::fprintf(fp, "]");
}

void list_one_G4plex_metals(const g4plex& p, const struct_mol& mol, FILE* fp) {
  const long n = static_cast<long>(p.metals.size()) - 1;
  for (long m = 1; m <= n; ++m) {
    const atom& a = mol.atoms[static_cast<size_t>(p.metals[static_cast<size_t>(m)])];
    const residue& r = mol.residues[static_cast<size_t>(a.residue)];
    if (n > 9)
      std::fprintf(fp, "    metal#%2.2ld", m);
    else
      std::fprintf(fp, "    metal#%ld", m);
    std::string sym = a.element;
    trim(sym);
    if (sym.size() > 1) sym[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(sym[1])));
    std::fprintf(fp, " %-2s %-*s %2ld %s\n", sym.c_str(), mol.idstr_width, r.idstr.c_str(), r.metals.count,
                 get_connect_abbr_full_ids(r.metals, mol).c_str());
  }
}

void print_stem_list(const connect& stems, FILE* fp) {
  std::fprintf(fp, "[");
  for (long m = 1; m <= stems.count; ++m)
    std::fprintf(fp, m < stems.count ? "#%ld," : "#%ld]", std::labs(stems[m]));
}

void list_G4helices(const g4_results& r, const struct_mol& mol, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, r.num_helices, "List of %ld G4-%s\n", "helix", "helices");
  std::fprintf(fp, "  Note: a G4-helix is defined by stacking interactions of G4-tetrads, regardless\n"
                   "        of backbone connectivity, and may contain more than one G4-stem.\n");
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& p = r.helices[static_cast<size_t>(h)];
    std::fprintf(fp, "  helix#%ld[%ld]", h, p.stems.count);
    if (p.stems.count) {
      std::fprintf(fp, " stems=");
      print_stem_list(p.stems, fp);
    }
    std::fprintf(fp, " layers=%ld %s-molecular", p.num_layers, p.single_chain ? "INTRA" : "inter");
    if (p.metals.size() > 1) std::fprintf(fp, " metals=%ld", static_cast<long>(p.metals.size()) - 1);
    std::fprintf(fp, "\n");
    list_one_G4plex_layers(p, mol, fp);
    for (long s = 1; s <= 4; ++s) {
      const g4strand& st = p.strands[static_cast<size_t>(s)];
      std::fprintf(fp, "    strand#%ld %s", s, st.na_type.c_str());
      std::fprintf(fp, " glyco-bond=%s sugar=%s", st.glyco.c_str(), st.sugar.c_str());
      print_ring_overlaps(p, s, fp);
      print_cnts_abbrIds(st.nts, mol, fp);
    }
    list_one_G4plex_metals(p, mol, fp);
    if (h < r.num_helices) {
      std::fprintf(fp, "  ");
      print_separator(fp, '-', 74);
    }
  }
}

void list_G4stems(const g4_results& r, const struct_mol& mol, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, r.num_stems, "List of %ld G4-%s\n", "stem");
  std::fprintf(fp, "  Note: a G4-stem is defined as a G4-helix with backbone connectivity.\n"
                   "        Bulges are also allowed along each of the four strands.\n");
  for (long t = 1; t <= r.num_stems; ++t) {
    const g4plex& p = r.stems[static_cast<size_t>(t)];
    std::fprintf(fp, "  stem#%ld[#%ld]", t, p.stems.count ? p.stems[1] : 0L);
    std::fprintf(fp, " layers=%ld %s-molecular", p.num_layers, p.single_chain ? "INTRA" : "inter");
    std::fprintf(fp, " loops=%ld", p.num_loops);
    if (p.single_chain && !p.descriptor.empty()) std::fprintf(fp, " descriptor=%s", p.descriptor.c_str());
    std::fprintf(fp, " note=%s", p.topology.c_str());
    std::fprintf(fp, " %s", p.directions.c_str());
    std::fprintf(fp, " %s", p.orientation.c_str());
    if (p.num_bulged) std::fprintf(fp, " bulged-strands=%ld", p.num_bulged);
    if (p.metals.size() > 1) std::fprintf(fp, " metals=%ld", static_cast<long>(p.metals.size()) - 1);
    std::fprintf(fp, "\n");
    list_one_G4plex_layers(p, mol, fp);
    for (long s = 1; s <= 4; ++s) {
      const g4strand& st = p.strands[static_cast<size_t>(s)];
      const std::string text = sformat("%c %s glyco-bond=%s sugar=%s", st.direction > 0 ? 'U' : 'D',
                                       st.na_type.c_str(), st.glyco.c_str(), st.sugar.c_str());
      if (st.num_bulges) {
        std::fprintf(fp, "    strand#%ld* %s", s, text.c_str());
        print_ring_overlaps(p, s, fp);
        std::fprintf(fp, " nts=%ld %s", st.nts.count, get_connect_abbr_full_ids(st.nts, mol).c_str());
        std::fprintf(fp, " bulged-nts=%ld %s\n", st.bulge_nts.count, get_connect_abbr_full_ids(st.bulge_nts, mol).c_str());
      } else {
        std::fprintf(fp, "    strand#%ld  %s", s, text.c_str());
        print_ring_overlaps(p, s, fp);
        print_cnts_abbrIds(st.nts, mol, fp);
      }
    }
    for (long l = 1; l <= p.num_loops; ++l) {
      const g4loop& lp = p.loops[static_cast<size_t>(l)];
      std::fprintf(fp, "    loop#%ld type=%s", l, G4LOOP_Types[lp.type]);
      std::fprintf(fp, " strands=[#%ld,#%ld]", lp.from, lp.to);
      std::vector<long> inner(1, 0);
      for (long k = 2; k < lp.nts.count; ++k) inner.push_back(lp.nts[k]);
      const long n = static_cast<long>(inner.size()) - 1;
      std::fprintf(fp, " nts=%ld %s\n", n, get_residues_abbr_full_ids(n, inner, mol).c_str());
    }
    list_one_G4plex_metals(p, mol, fp);
    if (t < r.num_stems) {
      std::fprintf(fp, "  ");
      print_separator(fp, '-', 74);
    }
  }
}

void list_G4costacks(const g4_results& r, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, r.num_costacks, "List of %ld G4 coaxial %s\n", "stack");
  long m = 0;
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& p = r.helices[static_cast<size_t>(h)];
    if (p.stems.count <= 1) continue;
    std::fprintf(fp, "%4ld G4 helix#%ld contains %ld G4 stems: ", ++m, h, p.stems.count);
    print_stem_list(p.stems, fp);
    std::fprintf(fp, "  [");
    const long n = static_cast<long>(p.coax_codes.size()) - 1;
    for (long k = 1; k <= n; ++k)
      std::fprintf(fp, k < n ? "%s," : "%s]\n", get_interface_typeStr(p.coax_codes[static_cast<size_t>(k)]).c_str());
    if (n == 0) std::fprintf(fp, "]\n");
  }
}

void list_G4extraLoops(const g4_results& r, const struct_mol& mol, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, r.num_extra_loops, "List of %ld non-stem G4 %s (INCLUDING the two terminal nts)\n", "loop");
  for (long k = 1; k <= r.num_extra_loops; ++k) {
    const g4loop& lp = r.extra_loops[static_cast<size_t>(k)];
    std::fprintf(fp, "%4ld%s type=%s helix=#%ld", k, lp.reversed ? "*" : "", G4LOOP_Types[lp.type], lp.helix);
    print_cnts_abbrIds(lp.nts, mol, fp);
  }
}

// ---------------------------------------------------------------------------
// JSON of helices and stems

void json_G4steps(const g4plex& p, FILE* fp) {
  json_begin_array(fp, "step_features");
  const long n = p.num_layers - 1;
  for (long k = 1; k <= n; ++k) {
    const g4step& s = p.steps[static_cast<size_t>(k)];
    json_bareObject_start_with_idx(fp, k);
    json_dNumber(fp, "area_sum", s.area_sum);
    json_dNumber(fp, "area_cross_strands", s.cross_area);
    json_string(fp, "overlap_rings", s.ring_codes);
    json_dNumberArray(fp, "area_strands", 4, std::vector<double>(s.strand_areas.begin(), s.strand_areas.end()));
    json_dNumberArray(fp, "parameters", 6, std::vector<double>(s.pars.begin(), s.pars.end()));
    json_dNumber(fp, "plane_angle", s.plane_angle);
    json_lNumber(fp, "num_lkgs", s.num_lkgs);
    json_string(fp, "stack_polarity", s.polarity);
    json_string(fp, "stack_type", s.faces);
    if (!s.glyco_sum.empty()) json_string(fp, "glyco_sum", s.glyco_sum);
    json_frame0(fp, &s.mid);
    json_bareObject_end_check_idx(fp, k, n);
  }
  json_end_array(fp);
}

void json_metals(const g4plex& p, const struct_mol& mol, FILE* fp) {
  const long n = static_cast<long>(p.metals.size()) - 1;
  if (n <= 0) return;
  json_lNumber(fp, "num_metals", n);
  json_begin_array(fp, "metals");
  for (long m = 1; m <= n; ++m) {
    const atom& a = mol.atoms[static_cast<size_t>(p.metals[static_cast<size_t>(m)])];
    const residue& r = mol.residues[static_cast<size_t>(a.residue)];
    json_bareObject_start_with_idx(fp, m);
    std::string sym = a.element;
    trim(sym);
    json_string(fp, "metal_symbol", sym);
    json_string(fp, "metal_id", r.idstr);
    json_abbIds_cnts0(fp, "nts", r.metals, mol);
    json_bareObject_end_check_idx(fp, m, n);
  }
  json_end_array(fp);
}

void json_G4plexes(const char* key, long n, const std::vector<g4plex>& list, bool stem, const struct_mol& mol,
                   FILE* fp) {
  json_lNumber(fp, sformat("num_%s", key).c_str(), n);
  json_begin_array(fp, key);
  for (long h = 1; h <= n; ++h) {
    const g4plex& p = list[static_cast<size_t>(h)];
    json_bareObject_start_with_idx(fp, h);
    if (stem) {
      json_lNumber(fp, "helix_index", p.stems.count ? p.stems[1] : 0L);
      json_lNumber(fp, "all_parallel", p.all_parallel);
      json_string(fp, "orientation", p.orientation);
      json_string(fp, "topology", p.directions);
      json_lNumber(fp, "num_bulged_strands", p.num_bulged);
      json_lNumber(fp, "num_loops", p.num_loops);
      if (p.single_chain) json_string(fp, "descriptor", p.descriptor);
      json_string(fp, "note", p.topology);
    } else {
      json_lNumber(fp, "num_stems", p.stems.count);
      std::vector<long> idx(1, 0);
      for (long m = 1; m <= p.stems.count; ++m) idx.push_back(std::labs(p.stems[m]));
      json_lNumberArray(fp, "stem_indices", p.stems.count, idx);
    }
    json_Gtetrads(p.num_layers, p.layers, "layers", mol, fp);
    json_G4steps(p, fp);
    json_begin_array(fp, "strands");
    for (long s = 1; s <= 4; ++s) {
      const g4strand& st = p.strands[static_cast<size_t>(s)];
      json_bareObject_start_with_idx(fp, s);
      json_string(fp, "type", st.na_type);
      json_string(fp, "glyco_bond", st.glyco);
      json_string(fp, "sugar_pucker", st.sugar);
      if (stem) {
        json_string(fp, "directionality", st.direction > 0 ? "U[5'to3']" : "D[3'to5']");
        if (st.num_bulges) json_abbIds_cnts(fp, "bulges", st.bulge_nts, mol);
      }
      json_abbIds_cnts0(fp, "nts", st.nts, mol);
      json_bareObject_end_check_idx(fp, s, 4);
    }
    json_end_array(fp);
    if (stem && p.num_loops) {
      json_begin_array(fp, "loops");
      for (long l = 1; l <= p.num_loops; ++l) {
        const g4loop& lp = p.loops[static_cast<size_t>(l)];
        json_bareObject_start_with_idx(fp, l);
        json_string(fp, "type", trimmed(G4LOOP_Types[lp.type]));
        json_lNumberArray(fp, "strands", 2, {0, lp.from, lp.to});
        std::vector<long> inner(1, 0);
        for (long k = 2; k < lp.nts.count; ++k) inner.push_back(lp.nts[k]);
        json_abbIds_vec0(fp, "nts", static_cast<long>(inner.size()) - 1, inner, mol);
        json_bareObject_end_check_idx(fp, l, p.num_loops);
      }
      json_end_array(fp);
    }
    json_metals(p, mol, fp);
    const long nc = static_cast<long>(p.core_nts.size()) - 1, na = static_cast<long>(p.all_nts.size()) - 1;
    if (stem) {
      json_abbIds_vec(fp, "stemNTs", nc, p.core_nts, mol);
      json_abbIds_vec(fp, "withLoopsNTs", na, p.all_nts, mol);
    } else if (nc > 0) {
      json_abbIds_vec(fp, "helixNTs", nc, p.core_nts, mol);
    }
    json_dNumber(fp, "ave_twist", p.ave_twist);
    json_lNumber0(fp, "intra_molecular", p.single_chain);
    json_bareObject_end_check_idx(fp, h, n);
  }
  json_end_array(fp);
}

void json_G4costacks(const g4_results& r, FILE* fp) {
  json_lNumber(fp, "num_G4costacks", r.num_costacks);
  json_begin_array(fp, "G4costacks");
  long m = 0;
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& p = r.helices[static_cast<size_t>(h)];
    if (p.stems.count <= 1) continue;
    json_bareObject_start_with_idx(fp, ++m);
    json_lNumber(fp, "helix_index", h);
    json_lNumber(fp, "num_stems", p.stems.count);
    std::vector<long> idx(1, 0);
    for (long k = 1; k <= p.stems.count; ++k) idx.push_back(std::labs(p.stems[k]));
    json_lNumberArray(fp, "stem_indices", p.stems.count, idx);
    json_begin_array(fp, "interfaces");
    const long n = static_cast<long>(p.coax_codes.size()) - 1;
    for (long k = 1; k <= n; ++k) {
      const std::string name = get_interface_typeStr(p.coax_codes[static_cast<size_t>(k)]);
      if (k < n)
        json_just_string(fp, name);
      else
        json_just_string0(fp, name);
    }
    json_end_array0(fp);
    json_bareObject_end_check_idx(fp, m, r.num_costacks);
  }
  json_end_array(fp);
}

void json_G4extraLoops(const g4_results& r, const struct_mol& mol, FILE* fp) {
  json_lNumber(fp, "num_G4extraLoops", r.num_extra_loops);
  json_begin_array(fp, "G4extraLoops");
  for (long k = 1; k <= r.num_extra_loops; ++k) {
    const g4loop& lp = r.extra_loops[static_cast<size_t>(k)];
    json_bareObject_start_with_idx(fp, k);
    json_string(fp, "type", trimmed(G4LOOP_Types[lp.type]));
    json_lNumber(fp, "reversed", lp.reversed);
    json_lNumber(fp, "helix_index", lp.helix);
    json_numNts_cnts0(fp, lp.nts, mol);
    json_bareObject_end_check_idx(fp, k, r.num_extra_loops);
  }
  json_end_array(fp);
}

// ---------------------------------------------------------------------------
// Auxiliary files

void write_Gtetrads_pdb(const g4_results& r, struct_mol& mol) {
  scoped_file sf(open_ensemble_file("Gtetrads", mol));
  FILE* fp = sf.get();
  for (long k = 1; k <= r.num_tetrads; ++k) {
    const gtetrad& t = r.tetrads[static_cast<size_t>(k)];
    begin_ensemble_model(fp, k, {sformat("model=%ld  nts=%ld  %s", k, 4L, get_connect_abbr_full_ids(t.nts, mol).c_str())}, mol);
    write_residue_set_pdb_frame(4, to_list(t.nts), &t.f, 0, mol, fp);
    end_ensemble_model(fp);
  }
  close_ensemble_file(sf, mol);
}

void write_G4plexes_pdb(long n, const std::vector<g4plex>& list, struct_mol& mol, const char* part) {
  if (n <= 0) return;
  scoped_file sf(open_ensemble_file(part, mol));
  FILE* fp = sf.get();
  for (long h = 1; h <= n; ++h) {
    const g4plex& p = list[static_cast<size_t>(h)];
    const std::vector<long>& nts = Gvars.g4[3] ? p.all_nts : p.core_nts;
    const long m = static_cast<long>(nts.size()) - 1;
    begin_ensemble_model(fp, h, {sformat("nts=%ld", m)}, mol);
    write_residue_set_pdb_frame(m, nts, &p.layers[1].f, 0, mol, fp);
    end_ensemble_model(fp);
  }
  close_ensemble_file(sf, mol);
}

void write_G4lists(const g4_results& r, const struct_mol& mol) {
  scoped_file sf(create_file(sformat("%s-G4lists.txt", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  for (long h = 1; h <= r.num_helices; ++h) {
    const g4plex& p = r.helices[static_cast<size_t>(h)];
    if (h > 1) std::fprintf(fp, "\n");
    std::fprintf(fp, "# G4-helix #%ld\n", h);
    std::fprintf(fp, "%ld\n", p.num_layers);
    for (long k = 1; k <= p.num_layers; ++k) {
      const connect& c = p.layers[static_cast<size_t>(k)].nts;
      for (long m = 1; m <= 4; ++m) std::fprintf(fp, " %4ld", c[m]);
      std::fprintf(fp, " # %s\n", get_connect_abbr_full_ids(c, mol).c_str());
    }
  }
  sf.close();
}

namespace {

// Curves+ reads its input as a namelist: values end at a comma, a blank or a
// line break, so a name holding one of those (or the namelist's own & and
// quotes) would be cut or would add settings of its own.
bool fits_namelist(const std::string& value) {
  if (value.empty()) return false;
  for (const char c : value)
    if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view("._+-/").find(c) == std::string_view::npos)
      return false;
  return true;
}

}  // namespace

void write_G4plex_Curves_input(const g4_results& r, const struct_mol& mol) {
  const bool helix = Gvars.g4[5] != 0;
  const g4plex* p = nullptr;
  if (helix && r.num_helices > 0) p = &r.helices[1];
  if (!helix && r.num_stems > 0) p = &r.stems[1];
  if (p == nullptr) return;
  std::string lib = ".";
  if (const char* env = std::getenv("CURVES_PLUS_STDLIB"); env != nullptr && *env) {
    lib = env;
    while (lib.size() > 1 && lib.back() == '/') lib.pop_back();
  }
  const std::string* names[] = {&mol.file_name, &lib};
  for (const std::string* name : names)
    if (!fits_namelist(*name)) {
      logit(sformat("[w] no %s-G4curves.inp: the name '%s' holds characters a Curves+ input cannot carry "
                    "(letters, digits and ._+-/ only)\n",
                    Gvars.prefix.c_str(), name->c_str())
                .c_str());
      return;
    }
  scoped_file sf(create_file(sformat("%s-G4curves.inp", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  std::string base = mol.file_name;
  if (const auto slash = base.find_last_of('/'); slash != std::string::npos) base = base.substr(slash + 1);
  if (const auto dot = base.find_last_of('.'); dot != std::string::npos) base = base.substr(0, dot);
  std::fprintf(fp, "&inp file=%s,\n", mol.file_name.c_str());
  std::fprintf(fp, "     lis=%s,\n", base.c_str());
  std::fprintf(fp, "     fit=.t.,\n");
  std::fprintf(fp, "     lib=%s/standard,\n", lib.c_str());
  std::fprintf(fp, "     isym=1,\n");
  std::fprintf(fp, "&end\n");
  std::fprintf(fp, "4");
  for (long s = 1; s <= 4; ++s) {
    const long dir = p->strands[static_cast<size_t>(s)].direction;
    std::fprintf(fp, " %ld", dir < 0 ? -1L : 1L);
  }
  std::fprintf(fp, "\n");
  for (long s = 1; s <= 4; ++s) {
    const connect& c = p->strands[static_cast<size_t>(s)].nts;
    for (long k = 1; k <= c.count; ++k) std::fprintf(fp, " %ld", c[k]);
    std::fprintf(fp, "\n");
  }
  sf.close();
}

void write_G4stackings(const g4_results& r, struct_mol& mol) {
  if (r.num_helices == 0) return;
  scoped_file sf(open_ensemble_file("G4stackings", mol));
  FILE* fp = sf.get();
  long model = 0;
  auto write = [&](const char* kind, long n, const std::vector<g4plex>& list) {
    for (long h = 1; h <= n; ++h) {
      const g4plex& p = list[static_cast<size_t>(h)];
      for (long k = 1; k < p.num_layers; ++k) {
        const connect& a = p.layers[static_cast<size_t>(k)].nts;
        const connect& b = p.layers[static_cast<size_t>(k + 1)].nts;
        VASK_ASSERT(a.count == 4 && b.count == 4);
        write_stacking_file(a, b, p.steps[static_cast<size_t>(k)].mid, mol, ++model,
                            sformat("%s=%ld, step=%ld", kind, h, k), fp);
      }
    }
  };
  write("helix", r.num_helices, r.helices);
  if (VERBOSITY >= 1) write("stem", r.num_stems, r.stems);
  close_ensemble_file(sf, mol);
}

void output_G4plex_PyMOL_select(const g4_results& r, const struct_mol& mol) {
  const g4plex* p = r.num_stems > 0 ? &r.stems[1] : r.num_helices > 0 ? &r.helices[1] : nullptr;
  if (p == nullptr) return;
  const std::string structure = pymol_quoted(mol.file_name);
  scoped_file sf(create_file(sformat("%s-G4select.pml", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  std::vector<long> loop(1, 0);
  for (long l = 1; l <= p->num_loops; ++l) {
    const connect& c = p->loops[static_cast<size_t>(l)].nts;
    for (long k = 2; k < c.count; ++k) loop.push_back(c[k]);
  }
  const long nc = static_cast<long>(p->core_nts.size()) - 1, nl = static_cast<long>(loop.size()) - 1;
  std::fprintf(fp, "load %s\n", structure.c_str());
  std::fprintf(fp, "select G4core, %s\n", select_tvec_pymol(nc, p->core_nts, mol).c_str());
  const std::string loops = select_tvec_pymol(nl, loop, mol);
  std::fprintf(fp, "select G4loop, %s\n", loops.empty() ? "none" : loops.c_str());
  std::fprintf(fp, "select G4misc, NOT (G4core OR G4loop)\n");
  std::fprintf(fp, "select C3prime, name C3'\n");
  sf.close();
}

}  // namespace

void list_one_Gtetrad(long k, const gtetrad& t, const struct_mol& mol, FILE* fp) {
  std::fprintf(fp, "%4ld glyco-bond=%s sugar=%s groove=%s planarity=%.3f type=%-6s", k, t.glyco.c_str(),
               t.sugar.c_str(), t.groove.c_str(), t.planarity, t.shape.c_str());
  if (VERBOSITY >= 1) std::fprintf(fp, " %s", t.direction.c_str());
  if (Gvars.g4[15]) std::fprintf(fp, " %s", t.topo_class.c_str());
  print_cnts_abbrIds(t.nts, mol, fp);
}

void output_G4plexes(struct_mol& mol, const g4_results& r, FILE* fp) {
  if (fp == nullptr || r.num_tetrads == 0) return;
  if (Gvars.auxfiles) {
    if (Gvars.g4[4]) write_Gtetrads_pdb(r, mol);
    if (Gvars.g4[1]) write_G4plexes_pdb(r.num_helices, r.helices, mol, "G4helices");
    if (Gvars.g4[2]) write_G4plexes_pdb(r.num_stems, r.stems, mol, "G4stems");
    if (Gvars.g4[10] && r.num_helices > 0) write_G4lists(r, mol);
    if (Gvars.g4[5] || Gvars.g4[6]) write_G4plex_Curves_input(r, mol);
    if (Gvars.g4[11]) write_G4stackings(r, mol);
    if (Gvars.g4[12]) output_G4plex_PyMOL_select(r, mol);
  }
  if (Gvars.json) {
    json_Gtetrads(r.num_tetrads, r.tetrads, "Gtetrads", mol, fp);
    if (r.num_isolated) json_Gtetrads(r.num_isolated, r.isolated, "G4isotetrads", mol, fp);
    if (Gvars.experimental) {
      if (r.num_helices) json_G4plexes("G4helices", r.num_helices, r.helices, false, mol, fp);
      if (r.num_stems) json_G4plexes("G4stems", r.num_stems, r.stems, true, mol, fp);
      if (r.num_costacks) json_G4costacks(r, fp);
    }
    if (r.num_extra_loops) json_G4extraLoops(r, mol, fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, r.num_tetrads, "List of %ld G-%s\n", "tetrad", "tetrads");
  list_Gtetrads(r.num_tetrads, r.tetrads, mol, fp);
  if (r.num_isolated) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    print_noun(fp, r.num_isolated, "List of %ld isolated G-%s\n", "tetrad", "tetrads");
    list_Gtetrads(r.num_isolated, r.isolated, mol, fp);
  }
  if (r.num_helices) list_G4helices(r, mol, fp);
  if (r.num_stems) list_G4stems(r, mol, fp);
  if (r.num_costacks) list_G4costacks(r, fp);
  if (r.num_extra_loops) list_G4extraLoops(r, mol, fp);
}

}  // namespace vask
