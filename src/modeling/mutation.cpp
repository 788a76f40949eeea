// The mutate sub-command: entries select nucleotides and give each a target;
// the structure is then written again with every target applied.
#include "modeling/mutation.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "pairing/splay.hpp"
#include "motifs/aminor.hpp"
#include "motifs/capping.hpp"
#include "motifs/g4plex.hpp"
#include "motifs/kturn.hpp"
#include "motifs/multiplet.hpp"
#include "motifs/network.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/helix.hpp"
#include "secondary/loop.hpp"
#include "secondary/ss_segment.hpp"
#include "secondary/xref.hpp"
#include "structure/atom.hpp"
#include "structure/base.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/pattern_matcher.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long kMaxEntryFields = 10;
constexpr long kMaxNumberItems = 512;
constexpr long kMaxCommandEntries = 64;
constexpr std::size_t kEntryEcho = 127;  // characters of an entry kept for messages
constexpr const char* kShortFormFirst = ":ACGTUPacgtupDd";

// The per-run state: the targets and the conditions met so far.
struct mutate_run {
  const mutate_settings& s;
  struct_mol& mol;
  mutation_config global;
  std::vector<mutation_target> targets;  // 1..num_residues
  baselist bases;
};

std::string rjust3(const std::string& v) { return sformat("%3s", v.c_str()); }

std::string template_file_name(const std::string& std_name) {
  // the base letter's case chooses the file: "frame.__c.pdb" for a modified parent
  std::string name = std_name;
  convert_char_in_str(name, ' ', '_');
  const bool lower = !name.empty() && std::islower(static_cast<unsigned char>(name.back()));
  return (lower ? "frame." : "frame_") + name + ".pdb";
}

// The template file in the working folder, then in the template folder; "".
std::string find_template_file(const std::string& file, const std::string& folder) {
  if (exist_file(file)) return file;
  if (!folder.empty() && exist_file(folder + "/" + file)) return folder + "/" + file;
  return "";
}

bool keyed(const std::string& key, const char* pattern) { return zor_ncmatch(key, pattern); }

// Ranges are kept as they are written, never expanded: "1:100000000" costs
// one item. reported: a warning of its own was written.
bool parse_number_list(const std::string& v, std::vector<std::pair<long, long>>& ranges, bool& reported) {
  ranges.clear();
  if (v.empty()) return false;
  const char first = v.front(), last = v.back();
  if (std::strchr(":*?", first) != nullptr || std::strchr(":*?", last) != nullptr) return true;  // any
  std::vector<std::string> items;
  const long n = split_str_by_sep_char(v, items, kMaxNumberItems + 1, '+');
  if (n > kMaxNumberItems) return false;
  for (long i = 1; i <= n; ++i) {
    const std::string& item = items[i];
    const std::size_t colon = item.find(':');
    long a = 0, b = 0;
    if (colon == std::string::npos) {
      if (!get_valid_lNumber(item, a)) {
        runlog_msg("\t\t[w] invalid residue number (%s)\n", item.c_str());
        reported = true;
        return false;
      }
      b = a;
    } else if (!get_valid_lNumber(item.substr(0, colon), a) ||
               !get_valid_lNumber(item.substr(colon + 1), b) || a > b) {
      runlog_msg("\t\t[w] invalid residue range (%s)\n", item.c_str());
      reported = true;
      return false;
    }
    ranges.push_back({a, b});
  }
  return !ranges.empty();
}

// ---------------------------------------------------------------------------
// Conditions

bool conditions_hold(mutate_run& run, long k, const mutation_config& c) {
  const residue& r = run.mol.residues[k];
  if (c.wc && r.flag[rf::wc_partner] == 0) return false;
  if (c.wobble && r.flag[rf::wobble_partner] == 0) return false;
  if (c.stem && get_stem_idx(k, run.mol) == 0) return false;
  // loop contexts leave out the paired nucleotides that close the loop
  const bool closing = r.flag[rf::loop_closing] != 0;
  if (c.loop && (r.flag[rf::in_loop] == 0 || closing)) return false;
  if (c.hairpin && (r.flag[rf::hairpin] == 0 || closing)) return false;
  if (c.iloop && ((r.flag[rf::bulge] == 0 && r.flag[rf::iloop] == 0) || closing)) return false;
  if (c.junction && (r.flag[rf::junction] == 0 || closing)) return false;
  if (c.g4 && r.flag[rf::g_tetrad] == 0) return false;
  if (c.ss && r.flag[rf::ss_non_loop] == 0) return false;
  if (c.kturn && r.flag[rf::kturn] == 0) return false;
  return true;
}

mutation_config merged(const mutation_config& a, const mutation_config& b) {
  mutation_config m;
  m.same = a.same || b.same;
  m.first = a.first || b.first;
  m.stem = a.stem || b.stem;
  m.wc = a.wc || b.wc;
  m.wobble = a.wobble || b.wobble;
  m.loop = a.loop || b.loop;
  m.hairpin = a.hairpin || b.hairpin;
  m.iloop = a.iloop || b.iloop;
  m.junction = a.junction || b.junction;
  m.g4 = a.g4 || b.g4;
  m.kturn = a.kturn || b.kturn;
  m.ss = a.ss || b.ss;
  return m;
}

bool residue_matches(mutate_run& run, long k, const mutation_entry& e, const mutation_config& c) {
  const residue& r = run.mol.residues[k];
  if (e.model >= 0 && r.model != e.model) return false;
  if (!e.segid.empty() && trimmed(r.segid) != e.segid) return false;
  if (e.chain_set && trimmed(r.chain_id) != trimmed(e.chain)) return false;
  if (!e.name.empty() && r.name != e.name) return false;
  if (!e.numbers.empty()) {
    bool in = false;
    for (const auto& [a, b] : e.numbers) in = in || (r.res_seq >= a && r.res_seq <= b);
    if (!in) return false;
  }
  if (e.icode != 0 && r.icode != e.icode) return false;
  return conditions_hold(run, k, c);
}

// ---------------------------------------------------------------------------
// Entries

bool resolve_target(mutate_run& run, const mutation_entry& e, const std::string& text,
                    mutation_target& t) {
  t = mutation_target{};
  t.entry = text;
  if (e.to == ".") {
    t.kind = target_kind::abasic;
    t.name = "  .";
    return true;
  }
  if (e.to == "self") {
    t.kind = target_kind::self;
    return true;
  }
  t.name = rjust3(e.to);
  if (const base2std* b = find_in_baselist(t.name, run.bases)) {
    t.kind = target_kind::standard;
    t.std_name = b->parent;
    return true;
  }
  if (!find_template_file(template_file_name(t.name), run.s.folder).empty()) {
    t.kind = target_kind::user;
    return true;
  }
  runlog_msg("\t[w] missing the mutated-to base in standard reference frame\n");
  return false;
}

std::string echo_line(const mutation_entry& e) {
  std::string s;
  if (e.model >= 0) s += sformat(" model=%ld", e.model);
  if (!e.segid.empty()) s += " segid=" + e.segid;
  if (e.chain_set) s += " chain=" + e.chain;
  if (!e.name.empty()) s += " res_name=" + trimmed(e.name);
  if (!e.numbers_text.empty()) s += " res_num=" + e.numbers_text;
  if (e.icode != 0) s += sformat(" icode=%c", e.icode);
  if (e.negate) s += " negate";
  if (e.skip) s += " skip";
  if (!e.to.empty()) s += " to=" + trimmed(e.to);
  return s;
}

void do_one_mutation(mutate_run& run, const std::string& entry_text, FILE* echo) {
  std::string text = trimmed(entry_text);
  const std::string shown = text.substr(0, kEntryEcho);
  mutation_entry e;
  mutation_target target;
  if (!parse_mutation_entry(text, e) || (!e.skip && !e.to.empty() && !resolve_target(run, e, text, target))) {
    runlog_msg("\t[w] skip invalid mutation entry: '%s'\n", shown.c_str());
    return;
  }
  if (!e.skip && e.to.empty()) {
    runlog_msg("\t\t[w] missing mutation target: please specify with to=\n");
    runlog_msg("\t[w] skip invalid mutation entry: '%s'\n", shown.c_str());
    return;
  }
  if (e.skip) target = mutation_target{};
  const mutation_config c = merged(e.conditions, run.global);
  long count = 0;
  for (long k = 1; k <= run.mol.num_residues; ++k) {
    if (base_frame(k, run.mol) == nullptr) continue;
    const bool match = residue_matches(run, k, e, c);
    if (match == e.negate) continue;
    const residue& r = run.mol.residues[k];
    if (c.same && !e.skip && target.kind != target_kind::self && r.name == target.name) continue;
    if (c.first && run.targets[k].kind != target_kind::none) continue;
    run.targets[k] = target;
    ++count;
  }
  const std::string line = echo_line(e);
  if (echo == nullptr) return;
  if (count == 0) std::fprintf(echo, " ###[ignored] ");
  std::fprintf(echo, "%s    # %ld matched nucleotide(s)\n", line.c_str(), count);
}

// ---------------------------------------------------------------------------
// Enumeration

void enumerate_nts(const struct_mol& mol, FILE* fp) {
  std::fprintf(fp, "# For each entry to be mutated, remove the leading #, and add to=base\n\n");
  std::fprintf(fp, "# To mutate A.A9 to G in PDB entry 1ehz (tRNA):\n"
                   "#          #  chain=A name=A num=9  #9  A.A9\n"
                   "#       --->  chain=A name=A num=9 to=G\n\n");
  std::fprintf(fp, "# To mutate B.DT19 to DC in PDB entry 355d (B-DNA):\n"
                   "#          #  chain=B name=DT num=19  #19  B.DT19, pairedNt=A.DA6\n"
                   "#       --->  chain=B name=DT num=19 to=DC\n\n");
  std::fprintf(fp, "# Empty or comment (starting with #) lines are ignored.\n\n");
  long ordinal = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    if (base_frame(k, mol) == nullptr) continue;
    const residue& r = mol.residues[k];
    std::fprintf(fp, "# ");
    if (r.model != 0) std::fprintf(fp, "model=%ld", r.model);
    if (with_segid(r)) std::fprintf(fp, " segid=%s", trimmed(r.segid).c_str());
    std::fprintf(fp, " chain=%s", trimmed(r.chain_id).c_str());
    std::fprintf(fp, " name=%s", std::string(ltrim(r.name)).c_str());
    std::fprintf(fp, " num=%ld", r.res_seq);
    if (r.icode != ' ') std::fprintf(fp, " icode=%c", r.icode);
    std::fprintf(fp, "  #%ld  %s", ++ordinal, r.idstr.c_str());
    const long partner = get_stem_icpair_nt(k, mol);
    if (partner > 0) std::fprintf(fp, ", pairedNt=%s", mol.residues[partner].idstr.c_str());
    std::fprintf(fp, "\n");
  }
}

// ---------------------------------------------------------------------------
// Writing the mutated structure

void write_transformed(FILE* fp, const frame* f, atom a, const residue& r, const std::string& name,
                       long& serial, const struct_mol& mol) {
  a.serial = ++serial;
  a.chain_id = r.chain_id;
  a.res_seq = r.res_seq;
  a.icode = r.icode;
  a.model = r.model;
  a.seg_id = r.segid;
  a.res_name = name;
  a.raw_res_name = name;
  a.hetatm = 0;
  if (f != nullptr) {
    const xyz local = a.xyz;
    frame_xyz(*f, local, a.xyz);
  }
  write_atom_record(fp, a, mol);
}

void write_own_atoms(FILE* fp, const struct_mol& mol, long k, const std::string* name, bool backbone_only,
                     long& serial) {
  const residue& r = mol.residues[k];
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    atom a = mol.atoms[i];
    if (a.status == 0) continue;
    if (backbone_only && !(a.backbone || a.sugar)) continue;
    a.serial = ++serial;
    if (name != nullptr) {
      a.res_name = *name;
      a.raw_res_name = *name;
    }
    write_atom_record(fp, a, mol);
  }
}

// The template atoms of a target, in the standard base frame.
std::vector<atom> target_template(const mutate_run& run, const mutation_target& t, std::string& file) {
  struct_mol holder;
  const std::string tfile = template_file_name(t.kind == target_kind::user ? t.name : t.std_name);
  file = find_template_file(tfile, run.s.folder);
  if (!file.empty()) {
    holder.file_name = file;
    holder.num_atoms = read_pdb_in_frame(holder);
    holder.atoms.resize(static_cast<std::size_t>(holder.num_atoms + 1));
    standardize_atom_symbol_number(holder);
    return holder.atoms;
  }
  VASK_ASSERT(t.kind != target_kind::user);
  return builtin_base_template(tfile);
}

void mutate_matched_pdb_nts(mutate_run& run) {
  const struct_mol& mol = run.mol;
  bool any = false;
  for (long k = 1; k <= mol.num_residues; ++k) any = any || run.targets[k].kind != target_kind::none;
  if (!any) {
    runlog_msg("--- no matched nucleotides in '%s' ---\n", run.s.input.c_str());
    remove_empty_file(run.s.valid_file);
    return;
  }
  const bool cif = Gvars.output_format == 2;
  scoped_file sf(open_output(run.s.output));
  FILE* fp = sf.get();
  if (cif)
    write_cif_header(fp, mol.base_name);
  else
    std::fprintf(fp, "REMARK PDB mutated using VASK\n");
  long serial = 0, ordinal = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    mutation_target t = run.targets[k];
    const residue& r = mol.residues[k];
    if (t.kind == target_kind::none) {
      write_own_atoms(fp, mol, k, nullptr, false, serial);
      continue;
    }
    if (t.kind == target_kind::self) {
      t.kind = target_kind::standard;
      t.std_name = r.std_name;
      t.name = r.name;
      t.entry = sformat("[self]: %s", r.name.c_str());
    }
    std::string log = sformat("%4ld: %s-%c --> %s", ++ordinal, r.idstr.c_str(), r.letter, trimmed(t.name).c_str());
    if (t.kind == target_kind::abasic) {
      runlog_msg("%s abasic site\n", log.c_str());
      write_own_atoms(fp, mol, k, nullptr, true, serial);
      continue;
    }
    std::string file;
    const std::vector<atom> tmpl = target_template(run, t, file);
    if (!file.empty()) log += sformat(" [%s]", file.c_str());
    if (verbose1()) log += sformat(" [per entry: '%s']", t.entry.c_str());
    runlog_msg("%s\n", log.c_str());
    if (!keep_silent()) {
      std::string remark = sformat("VASK mutate: %s to %s", r.idstr.c_str(), trimmed(t.name).c_str());
      if (!file.empty()) remark += sformat(" [%s]", file.c_str());
      std::fprintf(fp, cif ? "# %s\n" : "REMARK %s\n", remark.c_str());
    }
    const frame* f = base_frame(k, mol);
    if (run.s.base_only) {
      mutate_bases_only(fp, mol, k, tmpl, t.name, serial);
    } else {
      for (std::size_t i = 1; i < tmpl.size(); ++i) write_transformed(fp, f, tmpl[i], r, t.name, serial, mol);
    }
  }
  end_pdbfile(fp);
  sf.close();
}

void process_entries(mutate_run& run, const std::vector<std::string>& entries) {
  scoped_file sf(output_file(run.s.valid_file));
  FILE* echo = sf.get();
  for (const std::string& e : entries) do_one_mutation(run, e, echo);
  sf.close();
  mutate_matched_pdb_nts(run);
}

}  // namespace

void derive_mutation_config(const std::string& text, mutation_config& f) {
  auto m = [&](const char* p) { return zor_ncmatch(text, p); };
  if (m("same")) f.same = true;
  if (m("first")) f.first = true;
  if (m("stem")) f.stem = true;
  if (m("wc|watson|crick")) f.wc = true;
  if (m("wobble")) f.wobble = true;
  if (m("loop") && !m("iloop")) f.loop = true;
  if (m("hairpin")) f.hairpin = true;
  if (m("iloop|inter|bulge")) f.iloop = true;
  if (m("junc")) f.junction = true;
  if (m("G[-_]?(4|QUA|TET)")) f.g4 = true;
  if (m("k(ink)?[-_]?turn")) f.kturn = true;
  if (m("single|ss")) f.ss = true;
}

bool parse_mutation_entry(const std::string& entry, mutation_entry& e) {
  e = mutation_entry{};
  std::string text = trimmed(entry);
  if (!text.empty() && std::strchr(kShortFormFirst, text[0]) != nullptr &&
      text.find(':') != std::string::npos && text.find('=') == std::string::npos) {
    const std::size_t colon = text.find(':');
    text = "name=" + trimmed(text.substr(0, colon)) + " to=" + trimmed(text.substr(colon + 1));
  }
  std::vector<std::string> fields;
  const long n = split_str_by_strtok(text, fields, kMaxEntryFields + 1, " \t");
  if (n > kMaxEntryFields) {
    runlog_msg("\t unrecognized or invalid mutation field: <%s>\n", fields[n].c_str());
    return false;
  }
  for (long i = 1; i <= n; ++i) {
    const std::string& f = fields[i];
    const std::size_t eq = f.find('=');
    const std::string key = f.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : f.substr(eq + 1);
    bool ok = true, reported = false;
    if (keyed(key, "^-?-?no(t|n)") || keyed(key, "^-?-?(neg|rev|com)")) {
      e.negate = true;
    } else if (keyed(key, "^-?-?(skip|ignore|except)")) {
      e.skip = true;
    } else if (keyed(key, "^-?-?(con|filter|when)")) {
      derive_mutation_config(value, e.conditions);
    } else if (keyed(key, "^-?-?mo(del)?")) {
      ok = get_valid_lNumber(value, e.model) && e.model >= 0;
    } else if (keyed(key, "^-?-?seg")) {
      ok = !value.empty() && value.size() <= 4;
      e.segid = value;
    } else if (keyed(key, "^-?-?c(hain)?")) {
      ok = !value.empty() && value.size() <= 4;
      e.chain = value == "_" ? " " : value;
      e.chain_set = true;
    } else if (keyed(key, "^-?-?(res)?i?(due)?[-_]?name") || keyed(key, "^-?-?resn")) {
      ok = !value.empty() && value.size() <= 3;
      e.name = rjust3(value);
    } else if (keyed(key, "^-?-?(res)?i?(due)?[-_]?num") || keyed(key, "^-?-?resi")) {
      e.numbers_text = value;
      ok = parse_number_list(value, e.numbers, reported);
    } else if (keyed(key, "^-?-?i(nsert)?(ion)?[-_]?(code)?")) {
      ok = value.size() == 1;
      e.icode = ok ? value[0] : 0;
    } else if (keyed(key, "^-?-?(to|target|mu)")) {
      ok = value == "." || value == "self" || (!value.empty() && value.size() <= 3);
      e.to = value;
    } else {
      ok = false;
    }
    if (!ok) {
      if (!reported) runlog_msg("\t unrecognized or invalid mutation field: <%s>\n", f.c_str());
      return false;
    }
  }
  return true;
}

std::vector<std::string> split_command_line_entries(const std::string& text) {
  std::string t = trimmed(text);
  if (t == "DNA2RNA") t = "DA:A; DC:C; DG:G; DT:U; DU:U";
  if (t == "RNA2DNA") t = "A:DA; C:DC; G:DG; T:DT; U:DT";
  std::vector<std::string> items;
  if (split_str_by_strtok(t, items, kMaxCommandEntries + 1, "|;") > kMaxCommandEntries) {
    runlog_msg("[w] more than %ld mutation entries: the first %ld are used\n", kMaxCommandEntries,
               kMaxCommandEntries);
    items.pop_back();
  }
  items.erase(items.begin());  // slot 0
  return items;
}

bool is_frame_base_atom(const atom& a) {
  return !a.backbone && !a.sugar && a.name.find('\'') == std::string::npos &&
         a.name.find('P') == std::string::npos;
}

std::vector<atom> builtin_base_template(const std::string& file) {
  struct_mol holder;
  holder.num_atoms = populate_one_frame(file, holder.atoms);
  holder.atoms.resize(static_cast<std::size_t>(holder.num_atoms + 1));
  standardize_atom_symbol_number(holder);
  return holder.atoms;
}

void mutate_bases_only(FILE* fp, const struct_mol& mol, long k, const std::vector<atom>& tmpl,
                       const std::string& name, long& serial) {
  const frame* f = base_frame(k, mol);
  write_own_atoms(fp, mol, k, &name, true, serial);
  for (std::size_t i = 1; i < tmpl.size(); ++i)
    if (is_frame_base_atom(tmpl[i])) write_transformed(fp, f, tmpl[i], mol.residues[k], name, serial, mol);
}

namespace {

// The residue marks the context conditions read: multiplets, hairpins, loops,
// single-stranded segments and G-tetrads.
void mark_mutation_contexts(struct_mol& mol, const helix_slots& helices) {
  motif_measures measures(mol);
  long num_multiplets = 0;
  std::vector<connect> multiplets;
  find_multiplets(mol, helices.num_pairs, helices.pairs, measures, num_multiplets, multiplets);
  long num_hairpins = 0, num_embedding = 0;
  std::vector<hairpin> hairpins, embedding;
  hairpin_slots hp{num_hairpins, hairpins, num_embedding, embedding};
  find_hairpins(mol, helices, hp);
  long num_loops = 0, num_hairpin_loops = 0, num_bulges = 0, num_iloops = 0, num_junctions = 0;
  std::vector<loop> loops;
  loop_slots lp{num_loops, loops, num_hairpin_loops, num_bulges, num_iloops, num_junctions};
  find_loops(mol, helices, lp);
  long num_segments = 0, num_kissing = 0;
  std::vector<ss_segment> segments;
  std::vector<kissing_loop> kissing;
  ss_slots ss{num_segments, segments, num_kissing, kissing};
  find_ssSegs(mol, ss);
  // the kink-turn mark reads the splay, capping and A-minor marks
  long num_a2bases = 0, num_ss_pars = 0, num_units = 0, num_aminors = 0, num_kturns = 0;
  std::vector<a2base> a2bases;
  std::vector<ss_par> ss_pars;
  std::vector<connect> units, aminors;
  std::vector<kturn> kturns;
  find_a2base_capping(mol, num_a2bases, a2bases);
  find_ssPars(mol, num_ss_pars, ss_pars, num_units, units);
  find_Aminors(mol, helices.num_pairs, helices.pairs, num_aminors, aminors);
  find_Kturns(mol, helices, num_loops, loops, num_ss_pars, ss_pars, num_kturns, kturns);
  g4_results g4;
  find_G4plexes(mol, helices.num_pairs, helices.pairs, g4);
}

}  // namespace

void run_mutate(const mutate_settings& s) {
  if (!s.base_only) runlog_msg("[i] mutate matched nucleotides as a whole, not just BASE atoms\n");
  reset_periodic_table();
  runlog_msg("\nProcessing file '%s'\n", s.input.c_str());
  struct_mol mol;
  init_struct_mol(s.input, mol);
  read_pdb(s.input, mol);
  long num_pairs = 0, num_helices = 0, num_stems = 0, num_isolated = 0, num_coaxial = 0, misassigned = 0;
  std::vector<pair> pairs, isolated;
  std::vector<helix> helices, stems;
  std::string notes;
  find_pairs(mol, num_pairs, pairs, 1);
  helix_slots slots{num_pairs, pairs, num_helices, helices, num_stems, stems,
                    num_isolated, isolated, num_coaxial, misassigned, notes};
  do_helices_stems_icpairs_xref(mol, slots);
  mark_mutation_contexts(mol, slots);
  if (mol.num_nts == 0) {
    runlog_msg("no nucleotides in '%s' to mutate\n", s.input.c_str());
    free_struct_mol(mol);
    return;
  }
  mutate_run run{s, mol, {}, std::vector<mutation_target>(mol.num_residues + 1), {}};
  derive_mutation_config(s.conditions, run.global);
  set_baselist(run.bases);

  if (s.enumerate) {
    scoped_file sf(open_output(s.output));
    FILE* fp = sf.get();
    enumerate_nts(mol, fp);
    sf.close();
  } else if (!s.entries.empty()) {
    if (is_space_string(s.entries))
      runlog_msg("[%s] contains only white spaces, no mutations\n", s.entries.c_str());
    else
      process_entries(run, split_command_line_entries(s.entries));
  } else {
    std::vector<std::string> lines;
    for (std::string line : get_filelines(s.list_file)) {
      const std::size_t hash = line.find('#');
      if (hash != std::string::npos) line.resize(hash);
      if (!trimmed(line).empty()) lines.push_back(trimmed(line));
    }
    if (lines.empty()) {
      runlog_msg("--- zero mutation lines in '%s' ---\n", s.list_file.c_str());
      remove_empty_file(s.valid_file);
    } else {
      process_entries(run, lines);
    }
  }
  free_struct_mol(mol);
}

void module_mutate_help_exit(int status) {
  std::fprintf(stderr, "\nCheck the User Manual on how to use the MUTATE module.\n\n");
  end_run(status);
}

}  // namespace vask
