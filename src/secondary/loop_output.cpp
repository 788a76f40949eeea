// The loop sections of the main report (hairpins, bulges, internal loops,
// junctions) in text or JSON, the loop ensembles, the PyMOL and Jmol scripts
// that colour each junction and the simplified-junction file.
#include <algorithm>
#include <string>

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "secondary/loop.hpp"
#include "secondary/xref.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/script_quote.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long SIDE_VIEW = 1;

bool with_icpairs() { return (Gvars.isolated & 2) != 0; }

// A loop nucleotide that is still paired: a stem partner (or with isolated
// pairs in loops a canonical partner), not flagged unlinked or masked.
bool paired_in_loop(long x, const struct_mol& mol) {
  const auto& f = mol.residues[x].flag;
  if (f[rf::unlinked_pair] || f[rf::loop_masked]) return false;
  return (with_icpairs() ? get_cpair_nt(x, mol) : get_stem_nt(x, mol)) != 0;
}

// The loop nucleotides of bridge j: list positions start + 1 .. end - 1.
std::vector<long> bridge_nts(const loop& L, long j) {
  const cfrag& c = L.bridges[j];
  std::vector<long> v(1, 0);
  for (long p = c.start + 1; p < c.end; ++p) v.push_back(L.nts[p]);
  return v;
}

std::string loop_type_name(const loop& L) {
  if (L.is_hairpin) return "hairpin loop";
  if (L.is_symmetric) return "symmetric internal loop";
  if (L.is_asymmetric) return "asymmetric internal loop";
  if (L.is_bulge) return "bulge";
  return sformat("%ld-way junction", L.num_bridges);
}

void json_per_loop(long number, const loop& L, const struct_mol& mol, FILE* fp) {
  json_bareObject_start_with_idx(fp, number);
  json_string(fp, "type", loop_type_name(L));
  std::vector<long> counts(1, 0), keys(1, 0);
  for (long j = 1; j <= L.num_bridges; ++j) {
    counts.push_back(L.bridges[j].num_loop_nts);
    keys.push_back(L.bridges[j].key);
  }
  json_lNumberArray(fp, "bridging_nts", L.num_bridges, counts);
  json_lNumberArray(fp, "stem_indices", L.num_bridges, keys);
  json_string(fp, "summary", L.summary);
  if (!L.distinct) json_boolean(fp, "is_repeated", true);
  json_numNts_vec(fp, L.num_nts, L.nts, mol);
  json_lNumber(fp, "num_stems", L.num_bridges);
  json_begin_array(fp, "bridges");
  for (long j = 1; j <= L.num_bridges; ++j) {
    json_bareObject_start_with_idx(fp, j);
    json_numNts_vec0(fp, L.bridges[j].num_loop_nts, bridge_nts(L, j), mol);
    json_bareObject_end_check_idx(fp, j, L.num_bridges);
  }
  json_end_array0(fp);
  json_raw_text(fp, "}");
}

// Members of one type in sorted order (junctions only when numbered).
std::vector<long> loops_of_type(long n, const std::vector<loop>& loops, long loop::*flag) {
  std::vector<long> v;
  for (long i = 1; i <= n; ++i)
    if (loops[i].*flag && loop_is_counted(loops[i])) v.push_back(i);
  return v;
}

void json_loop_section(const char* key, const std::vector<long>& members, const std::vector<loop>& loops,
                       const struct_mol& mol, FILE* fp) {
  json_lNumber(fp, sformat("num_%s", key).c_str(), static_cast<long>(members.size()));
  json_begin_array(fp, key);
  for (size_t m = 0; m < members.size(); ++m) {
    if (m > 0) json_raw_text(fp, ",");
    json_per_loop(static_cast<long>(m) + 1, loops[members[m]], mol, fp);
  }
  json_end_array(fp);
}

void text_loop_section(const char* heading, const char* noun, const std::vector<long>& members,
                       const std::vector<loop>& loops, const struct_mol& mol, FILE* fp) {
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  print_noun(fp, static_cast<long>(members.size()), heading, noun);
  for (size_t m = 0; m < members.size(); ++m)
    output_one_loop_info(static_cast<long>(m) + 1, loops[members[m]], mol, fp);
}

void loop_section(const char* key, const char* heading, const char* noun, const std::vector<long>& members,
                  const std::vector<loop>& loops, const struct_mol& mol, FILE* fp) {
  if (members.empty()) return;
  if (Gvars.json)
    json_loop_section(key, members, loops, mol, fp);
  else
    text_loop_section(heading, noun, members, loops, mol, fp);
}

// The residues of an ensemble entry: its nucleotides and, with the loop
// "stem" key, both strands of every closing stem, sorted by residue index.
std::vector<long> entry_residues(long n, const std::vector<long>& nts, const std::vector<long>& keys,
                                 const helix_slots& helices) {
  std::vector<long> v(nts.begin() + 1, nts.begin() + n + 1);
  if (Gvars.loop[2]) {
    for (long key : keys) {
      if (key <= 0 || key > helices.num_stems) continue;
      const helix& S = helices.stems[key];
      for (long k = 1; k <= S.num_pairs; ++k) {
        v.push_back(S.strand1[k]);
        v.push_back(S.strand2[k]);
      }
    }
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
  }
  v.insert(v.begin(), 0);
  return v;
}

void write_one_entry(FILE* fp, long number, long num_nts, const std::string& text, const std::string& loop_ids, const std::vector<long>& residues,
                     const frame& f, long view, struct_mol& mol) {
  begin_ensemble_model(fp, number, {sformat("model=%ld  nts=%ld", number, num_nts), text, loop_ids}, mol);
  write_residue_set_pdb_frame(static_cast<long>(residues.size()) - 1, residues, &f, view, mol, fp);
  end_ensemble_model(fp);
}

void write_hairpin_pdb(long n, const std::vector<hairpin>& hairpins, const helix_slots& helices,
                       struct_mol& mol) {
  scoped_file sf(open_ensemble_file("hairpins", mol));
  FILE* fp = sf.get();
  for (long k = 1; k <= n; ++k) {
    const hairpin& H = hairpins[k];
    std::vector<long> loop_nts(1, 0);
    for (long m = 2; m < H.num_nts; ++m) loop_nts.push_back(H.nts[m]);
    const std::string ids = get_residues_abbr_full_ids(H.num_loop_nts, loop_nts, mol);
    write_one_entry(fp, k, H.num_nts, H.text, ids, entry_residues(H.num_nts, H.nts, {H.key}, helices),
                    H.side_frame, 0, mol);
  }
  close_ensemble_file(sf, mol);
}

// Loop nucleotides of every bridge, in loop order.
std::vector<long> own_loop_nts(const loop& L) {
  std::vector<long> v(1, 0);
  for (long j = 1; j <= L.num_bridges; ++j) {
    const std::vector<long> b = bridge_nts(L, j);
    v.insert(v.end(), b.begin() + 1, b.end());
  }
  return v;
}

void write_loops_pdb(const char* suffix, const std::vector<long>& members, const std::vector<loop>& loops,
                     const helix_slots& helices, struct_mol& mol) {
  scoped_file sf(open_ensemble_file(suffix, mol));
  FILE* fp = sf.get();
  for (size_t m = 0; m < members.size(); ++m) {
    const loop& L = loops[members[m]];
    const std::vector<long> own = own_loop_nts(L);
    const std::string ids = get_residues_abbr_full_ids(static_cast<long>(own.size()) - 1, own, mol);
    std::vector<long> keys;
    for (long j = 1; j <= L.num_bridges; ++j) keys.push_back(L.bridges[j].key);
    write_one_entry(fp, static_cast<long>(m) + 1, L.num_nts, L.text, ids,
                    entry_residues(L.num_nts, L.nts, keys, helices), L.frame, L.is_junction ? 0 : SIDE_VIEW, mol);
  }
  close_ensemble_file(sf, mol);
}

char chain_char(long x, const struct_mol& mol) {
  const std::string& c = mol.residues[x].chain_id;
  return c.empty() ? ' ' : c[0];
}

// One selection of a script: the terms of the junction's paired (or
// unpaired) nucleotides; empty when none qualifies. A nucleotide whose chain
// the script could not name as it stands is left out.
std::string selection_terms(const loop& L, bool paired, const struct_mol& mol, bool pymol) {
  std::string s;
  for (long m = 1; m <= L.num_nts; ++m) {
    const long x = L.nts[m];
    if ((get_cpair_nt(x, mol) != 0) != paired) continue;
    const long num = mol.residues[x].res_seq;
    const char c = chain_char(x, mol);
    if (c != ' ' && !is_plain_selection_word(std::string(1, c))) continue;
    if (pymol)
      s += sformat("%s %c/%ld/", s.empty() ? "" : " or", c, num);
    else
      s += sformat("%ld:%c, ", num, c);
  }
  if (!pymol && s.size() >= 2) s.resize(s.size() - 2);
  return s;
}

// The point of one nucleotide for a simplified junction: a copy of the
// named atom; false (with a warning) when the residue lacks it.
bool named_point(long x, const char* name, struct_mol& mol, atom& out) {
  const long i = find_atom_in_residue(name, x, mol);
  if (i < 0) {
    std::string shown(name);
    shown.erase(0, shown.find_first_not_of(' '));
    shown.erase(shown.find_last_not_of(' ') + 1);
    logitf("[w] simplified junction: %s has no %s atom -- point left out\n", mol.residues[x].idstr.c_str(),
           shown.c_str());
    return false;
  }
  out = mol.atoms[i];
  return true;
}

// A pseudo-atom " O  " at p, copied from the first atom of residue x.
atom origin_point(long x, const xyz& p, const struct_mol& mol) {
  atom a = mol.atoms[mol.residues[x].first_atom];
  a.name = a.raw_name = " O  ";
  a.element = " O";
  a.xyz = p;
  return a;
}

void junction_points(const loop& L, long mode, struct_mol& mol, std::vector<atom>& points) {
  for (long j = 1; j <= L.num_bridges; ++j) {
    const cfrag& c = L.bridges[j];
    if (mode == 4) {
      pair p;
      populate_one_base_pair(c.nt1, c.nt2, mol, p);
      points.push_back(origin_point(L.nts[c.start], p.frame.org, mol));
    }
    // the bridges' ranges start..end cover the list once, in loop order
    const long from = mode == 4 ? c.start + 1 : c.start;
    for (long pos = from; pos <= c.end && pos <= L.num_nts; ++pos) {
      const long x = L.nts[pos];
      atom a;
      if (mode == 1 || mode == 2) {
        if (named_point(x, mode == 1 ? " C1'" : " C4'", mol, a)) points.push_back(a);
      } else if (mode == 4) {
        if (named_point(x, " P  ", mol, a)) points.push_back(a);
      } else {
        if (named_point(x, " P  ", mol, a)) points.push_back(a);
        if (mode == 8 && named_point(x, " C1'", mol, a)) points.push_back(a);
        if (mode == 16 && named_point(x, " C4'", mol, a)) points.push_back(a);
        if (mode == 32) {
          const frame* f = base_frame(x, mol);
          if (f != nullptr)
            points.push_back(origin_point(x, f->org, mol));
          else
            logitf("[w] simplified junction: %s has no base frame -- point left out\n",
                   mol.residues[x].idstr.c_str());
        }
      }
    }
  }
}

}  // namespace

bool loop_is_counted(const loop& L) { return L.type_index > 0; }

void output_one_loop_info(long number, const loop& L, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  std::string marks;
  if (verbose2()) {
    for (long j = 1; j <= L.num_bridges; ++j) {
      const std::vector<long> b = bridge_nts(L, j);
      for (size_t m = 1; m < b.size(); ++m) {
        if (!paired_in_loop(b[m], mol)) continue;
        logitf("[i] -- in '%s', nt %s is in canonical pair!\n", L.text.c_str(), mol.residues[b[m]].idstr.c_str());
        marks += "x";
      }
    }
  }
  std::fprintf(fp, "%4ld%s%s %s\n", number, L.distinct ? "" : "*", marks.c_str(), L.text.c_str());
  if (Gvars.loop[4]) std::fprintf(fp, "     summary: %s\n", L.summary.c_str());
  std::fprintf(fp, "     nts=%ld %s\n", L.num_nts, get_residues_abbr_full_ids(L.num_nts, L.nts, mol).c_str());
  for (long j = 1; j <= L.num_bridges; ++j) {
    const cfrag& c = L.bridges[j];
    if (c.num_loop_nts > 0)
      std::fprintf(fp, "       nts=%ld%s %s\n", c.num_loop_nts, c.in_order ? "" : "*",
                   get_residues_abbr_full_ids(c.num_loop_nts, bridge_nts(L, j), mol).c_str());
    else
      std::fprintf(fp, "       nts=0\n");
  }
}

void write_pymol_scripts(long n, const std::vector<loop>& loops, const struct_mol& mol) {
  const std::string junctions = pymol_quoted(name_pdbcif_outfile("junctions"));
  scoped_file sf(create_file(sformat("%s-pymol.pml", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  std::fprintf(fp, "load %s\n", junctions.c_str());
  std::fprintf(fp, "bg_color white\nset ray_trace_fog=0\nset depth_cue=0\norient\n");
  long number = 0;
  for (long i = 1; i <= n; ++i) {
    const loop& L = loops[i];
    if (!L.is_junction || !loop_is_counted(L)) continue;
    // PyMOL splits a line at ';' even after '#': the comment keeps the text with ',' instead
    std::fprintf(fp, "\n#%ld %s\n", ++number, pymol_comment_text(L.text).c_str());
    // an empty selection is an error in PyMOL: such a line is left out with its colour
    const std::string wc = selection_terms(L, true, mol, true);
    if (!wc.empty()) std::fprintf(fp, "select stem_wc,%s\ncolor green, stem_wc\n", wc.c_str());
    const std::string ss = selection_terms(L, false, mol, true);
    if (!ss.empty()) std::fprintf(fp, "select single_nts,%s\ncolor red, single_nts\n", ss.c_str());
    std::fprintf(fp, "set stick_radius, 0.3, *; show sticks\n");
    std::fprintf(fp, "select c1, name C1'\n");
    std::fprintf(fp, "label c1, \"%%s.%%s\" %% (chain, resi)\n");
  }
  sf.close();
}

void write_jmol_scripts(long n, const std::vector<loop>& loops, const struct_mol& mol) {
  const std::string junctions = jmol_quoted(name_pdbcif_outfile("junctions"));
  scoped_file sf(create_file(sformat("%s-jmol.scr", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  std::fprintf(fp, "load %s\n", junctions.c_str());
  long number = 0;
  for (long i = 1; i <= n; ++i) {
    const loop& L = loops[i];
    if (!L.is_junction || !loop_is_counted(L)) continue;
    const std::string title = L.text.substr(0, L.text.find(';'));
    std::fprintf(fp, "\n# %ld %s\n", ++number, pymol_comment_text(title).c_str());
    // an empty Jmol select selects everything: such a line is left out with its colour
    const std::string wc = selection_terms(L, true, mol, false);
    if (!wc.empty()) std::fprintf(fp, "select %s\ncolor green; wireframe 66\n", wc.c_str());
    const std::string ss = selection_terms(L, false, mol, false);
    if (!ss.empty()) std::fprintf(fp, "select %s\ncolor red; wireframe 66\n", ss.c_str());
    std::fprintf(fp, "select *.C1'\ncpk .18\nlabel %%c.%%n%%r\ncolor label white");
  }
  sf.close();
}

void write_simplified_junctions(long n, const std::vector<loop>& loops, struct_mol& mol) {
  const long mode = Gvars.simple_jct;
  if (mode == 0) return;
  scoped_file sf(create_file(sformat("%s-simplifiedJcts.pdb", Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  long number = 0;
  for (long i = 1; i <= n; ++i) {
    const loop& L = loops[i];
    if (!L.is_junction || !loop_is_counted(L)) continue;
    ++number;
    std::fprintf(fp, "%6s    %4ld\n", "MODEL ", number);
    std::fprintf(fp, "REMARK    model=%ld  nts=%ld\n", number, L.num_nts);
    std::fprintf(fp, "REMARK    %s\n", L.text.c_str());
    std::vector<atom> points;
    junction_points(L, mode, mol, points);
    const long np = static_cast<long>(points.size());
    for (long k = 1; k <= np; ++k) {
      atom a = points[static_cast<size_t>(k - 1)];
      a.serial = k;
      write_atom_record_pdb(fp, a, mol);
    }
    if (mode < 8 && np >= 2) {
      for (long k = 1; k <= np; ++k) {
        const long ring[] = {k == 1 ? np : k - 1, k == np ? 1 : k + 1};
        write_conect_record(fp, k, ring);
      }
    }
    std::fprintf(fp, "ENDMDL\n");
  }
  sf.close();
}

void output_loops_info(struct_mol& mol, const helix_slots& helices, const hairpin_slots& hairpins,
                       const loop_slots& found, FILE* fp) {
  if (fp == nullptr) return;
  if (!Gvars.json && (hairpins.num_hairpins > 0 || found.num_loops > 0)) print_loops_note(fp);
  if (hairpins.num_hairpins > 0 && Gvars.auxfiles) write_hairpin_pdb(hairpins.num_hairpins, hairpins.hairpins, helices, mol);
  show_hairpin_nts(hairpins.num_hairpins, hairpins.hairpins, mol, false, fp);
  if (Gvars.embedded) show_hairpin_nts(hairpins.num_embedding, hairpins.embedding, mol, true, fp);
  const long n = found.num_loops;
  const std::vector<loop>& loops = found.loops;
  if (verbose2() && found.num_hairpin_loops > 0) {
    const std::vector<long> members = loops_of_type(n, loops, &loop::is_hairpin);
    if (Gvars.json)
      json_loop_section("gHairpins", members, loops, mol, fp);
    else
      text_loop_section("List of %ld hairpin %s\n", "loop", members, loops, mol, fp);
  }
  const std::vector<long> bulges = loops_of_type(n, loops, &loop::is_bulge);
  if (!bulges.empty() && Gvars.auxfiles) write_loops_pdb("bulges", bulges, loops, helices, mol);
  loop_section("bulges", "List of %ld %s\n", "bulge", bulges, loops, mol, fp);
  const std::vector<long> iloops = loops_of_type(n, loops, &loop::is_internal);
  if (!iloops.empty() && Gvars.auxfiles) write_loops_pdb("iloops", iloops, loops, helices, mol);
  loop_section("iloops", "List of %ld internal %s\n", "loop", iloops, loops, mol, fp);
  const std::vector<long> junctions = loops_of_type(n, loops, &loop::is_junction);
  if (junctions.empty()) return;
  if (verbose2() && Gvars.auxfiles) {
    write_pymol_scripts(n, loops, mol);
    write_jmol_scripts(n, loops, mol);
  }
  write_simplified_junctions(n, loops, mol);
  if (Gvars.auxfiles) write_loops_pdb("junctions", junctions, loops, helices, mol);
  loop_section("junctions", "List of %ld %s\n", "junction", junctions, loops, mol, fp);
}

}  // namespace vask
