// The task sub-command: its option loop, the checks after it, and the file
// utilities (model extraction, merging, fitting, stacking diagrams).
#include "driver/task_command.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "driver/task_utilities.hpp"
#include "modeling/duplex_frames.hpp"
#include "pairing/frame.hpp"
#include "schematics/alchemy.hpp"
#include "schematics/alignment.hpp"
#include "schematics/pymol_image.hpp"
#include "schematics/raster3d.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/selection.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/frame_file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/script_quote.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// "first" 1, "last" -1, otherwise a number (bare: 1).
long extract_a_number(const char* arg) {
  if (with_optional_endEqual(arg)) return 1;
  const std::string v = get_strvalue(arg, false);
  if (zor_ncmatch(v, "first|begin|start")) return 1;
  if (zor_ncmatch(v, "last|end|final")) return -1;
  return get_lvalue(arg, 0, 999999);
}

struct two_files {
  std::string file1, file2;
  long mode = 0;  // -1 simple concatenation, 1 two models, 0 one model
};

// "a b [mode]" with ',', ';' or '|' as blanks; both files must exist.
two_files derive_two_files(const std::string& value) {
  std::string t = value;
  convert_cs0_in_str(t, ",;|", ' ');
  std::istringstream in(t);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  if (w.size() < 2) fatal("[e] must specify two input files: '%s'\n", value.c_str());
  two_files f{w[0], w[1], 0};
  if (!exist_file(f.file1) || !exist_file(f.file2) || is_pseudo_file(f.file1) || is_pseudo_file(f.file2))
    fatal("[e] input file '%s' or '%s' does not exit\n", f.file1.c_str(), f.file2.c_str());
  if (w.size() >= 3) {
    if (zor_ncmatch(w[2], "simple|concat")) {
      f.mode = -1;
      runlog_msg("[i] simple concatenation of two files\n");
    } else if (zor_ncmatch(w[2], "nmr|ensem|model")) {
      f.mode = 1;
      runlog_msg("[i] put two files in a MODEL/ENDMDL ensemble\n");
    }
  }
  return f;
}

void stacking_diagram_words(const char* arg, switch_set& s) {
  if (set_switch_default_true(arg) == 0) return;
  const std::string v = with_optional_endEqual(arg) ? std::string() : get_strvalue(arg, false);
  auto on = [&s](std::initializer_list<int> flags) {
    for (int f : flags) s[static_cast<size_t>(f)] = 1;
  };
  auto has = [&v](const char* p) { return zor_ncmatch(v, p); };
  if (has("fill")) {
    if (has("fill[-_]?(2|up|high)")) on({STK_FILL2});
    if (has("fill[-_]?(1|down|low)")) on({STK_FILL1});
    if (has("fill[-_]?(both|all)") || !(has("fill[-_]?(2|up|high)") || has("fill[-_]?(1|down|low)")))
      on({STK_FILL1, STK_FILL2});
  }
  if (has("label")) on({STK_LABEL});
  if (has("h[-_]?bond")) on({STK_HBOND});
  if (has("block")) on({STK_BLOCK});
  if (has("slim")) on({STK_SLIM});
  if (has("G[-_]?(4|QUA|TET)")) on({STK_G4});
  if (has("ray|png")) on({STK_RAY});
  if (has("convert|run")) on({STK_RAY, STK_CONVERT});
  if (has("open|display")) on({STK_RAY, STK_CONVERT, STK_OPEN});
  if (has("pse|session")) on({STK_SESSION});
  if (has("sphere|ball")) on({STK_BALL});
}

// 1 when the word was one of the sub-command's own options.
int task_option(const char* arg, task_settings& s) {
  auto M = [arg](const char* p) { return zor_ncmatch(arg, p); };
  auto value = [arg] { return with_optional_endEqual(arg) ? std::string() : get_strvalue(arg, true); };
  if (M("^-?-?model[-_]?num")) {
    s.model = with_optional_endEqual(arg) ? 1 : get_lvalue(arg, 1, 999999);
  } else if (M("^-?-?check[-_]?d")) {
    s.duplex_check = with_optional_endEqual(arg) ? 1 : get_lvalue(arg, -999999, 999999);
  } else if (M("^-?-?seg(ment)?[-_]?id")) {
    s.segid = with_optional_endEqual(arg) ? "T001" : upper_copy(get_strvalue(arg, false)).substr(0, 4);
  } else if (M("^-?-?cont")) {
    const std::string v = value();
    if (zor_ncmatch(v, "nothing|none|null|empty")) {
      s.content = 0;
    } else {
      s.content = derive_non_nt_parts(v);
      if (zor_ncmatch(v, "all|every")) s.content |= 30;
      if (s.content == 0) s.content = 2;
    }
  } else if (M("^-?-?frame[-_]?pair")) {
    s.frame_pair = extract_a_number(arg);
  } else if (M("^-?-?(remove|delete)[-_]?pair")) {
    s.remove_pair = extract_a_number(arg);
  } else if (M("^-?-?frame[-_]?(nuc|nt|base)")) {
    s.frame_nt = extract_a_number(arg);
  } else if (M("^-?-?(remove|delete)[-_]?(nuc|nt|base)")) {
    s.remove_nt = extract_a_number(arg);
  } else if (M("^-?-?(join|connect)[-_]?d")) {
    s.join = with_optional_endEqual(arg) ? "XY" : get_strvalue(arg, false);
  } else if (M("^-?-?(seal|join|connect)[-_]?b")) {
    s.seal = zor_ncmatch(value(), "stand|std|ref") ? 1 : 2;
  } else if (M("^-?-?clash(es)?[-_]?c?")) {
    s.clash = with_optional_endEqual(arg) ? 2.0 : get_dvalue(arg, 0.0, 6.0);
  } else if (M("^-?-?(o2|hydroxyl)")) {
    s.o2 = zor_ncmatch(value(), "remove|delete") ? -1 : 1;
  } else if (M("^-?-?(reset|change)[-_]?chain")) {
    s.chain_resets = value();
  } else if (M("^-?-?stack(ing)?[-_]?(diagram|pymol)")) {
    stacking_diagram_words(arg, s.stack);
  } else if (M("^-?-?alc2(mol|mdl)")) {
    s.alc = value();
  } else if (M("^-?-?(merge|combine)[-_]?2?file")) {
    s.merge = value();
  } else if (M("^-?-?align[-_]?2?str")) {
    s.align = value();
  } else if (M("^-?-?ls[-_]?fit[-_]?2?file")) {
    s.fit = value();
  } else if (M("^-?-?ls[-_]?fit[-_]?atom")) {
    const std::string v = value();
    s.fit_atom = zor_ncmatch(v, "(elem|symb)") ? (zor_ncmatch(v, "pdb|full") ? 2 : 1) : 2;
  } else if (M("^-?-?ls[-_]?fit[-_]?xyz")) {
    s.fit_xyz = set_switch_default_true(arg);
  } else if (M("^-?-?h[-_]?bond[-_]?(atom)?[-_]?(pair)?")) {
    s.hbond_pair = value();
  } else {
    return 0;
  }
  return 1;
}

// Six numbers of "XYZ1 XYZ2" (",;:()[]{}" as blanks); false when not six.
bool read_hbond_pair(const std::string& text, xyz& a, xyz& b) {
  std::string t = text;
  convert_cs0_in_str(t, ",;:()[]{}", ' ');
  std::istringstream in(t);
  std::vector<double> v;
  for (std::string w; in >> w;) {
    const double d = cvt2double(w);
    if (d == DBL_MAX) return false;
    v.push_back(d);
  }
  if (v.size() != 6) return false;
  a = {0, v[0], v[1], v[2]};
  b = {0, v[3], v[4], v[5]};
  return true;
}

bool with_input_task(const task_settings& s) {
  return s.model || s.duplex_check || s.frame_pair || s.remove_pair || s.frame_nt || s.remove_nt ||
         !s.join.empty() || s.seal || s.clash > 0 || s.o2 || !s.chain_resets.empty() ||
         opts_with_switch_set(s.stack);
}

bool with_file_task(const task_settings& s) {
  return !s.alc.empty() || !s.merge.empty() || !s.align.empty() || !s.fit.empty() || !s.hbond_pair.empty();
}

void play_ground() {
  runlog_msg("twist=%.2f ---> helical-twist=%.2f\n", 34.0, twist_to_helical_twist(34.0, 14.0, 0.0));
  runlog_msg("helical-twist=%.2f ---> twist=%.2f\n", 36.0, helical_twist_to_twist(36.0, 14.0, 0.0));
  fatal("\ndone with playing VASK\n");
}

void check_task_settings(task_settings& s) {
  if (!s.alc.empty()) check_required_file(s.alc, "must specify --alc2mol=ALC_FILE");
  if (!s.merge.empty()) {
    const two_files f = derive_two_files(s.merge);
    if (!exist_file(f.file1) || !exist_file(f.file2))
      fatal("\tmust specify TWO existing files [.alc, .r3d, .pdb] with --merge-files\n");
  }
  if (!s.align.empty() && s.align.find_first_not_of(" :") == std::string::npos)
    fatal("\tmust specify TWO existing two files [.pdb, .cif] with --align-files\n");
  if (!s.fit.empty()) {
    const two_files f = derive_two_files(s.fit);
    if (!exist_file(f.file1) || !exist_file(f.file2))
      fatal("\tmust specify TWO two files [.xyz, .pdb, .cif] with --align-files\n");
  }
  xyz a, b;
  if (!s.hbond_pair.empty() && !read_hbond_pair(s.hbond_pair, a, b))
    fatal("[e] invalid input: --hbond-atom-pair='XYZ1 XYZ2'\n");
  if (!s.input.empty()) {
    if (!exist_file(s.input) || is_pseudo_file(s.input)) fatal("\tinput file -i=%s does not exist\n", s.input.c_str());
    if (s.content && !s.duplex_check) s.duplex_check = 1;
    if (s.duplex_check && !s.content) s.content = 2;
    if (!with_input_task(s) && !with_file_task(s)) fatal("[e] missing valid options\n");
  } else if (!with_file_task(s)) {
    fatal("[e] missing valid options\n");
  }
}

void merge_task(const task_settings& s) {
  const two_files f = derive_two_files(s.merge);
  merge_two_files(f.file1, f.file2, f.mode, s.output);
}

void fit_task(const task_settings& s) {
  const two_files f = derive_two_files(s.fit);
  lsfit_two_pdb_files(s, f.file1, f.file2);
}

void hbond_pair_task(const task_settings& s) {
  xyz a, b;
  VASK_ASSERT(read_hbond_pair(s.hbond_pair, a, b));
  scoped_file sf(open_output(s.output));
  write_hbond_r3d_scene(a, b, sf.get());
  sf.close();
}

void run_task(const task_settings& s) {
  reset_periodic_table();
  if (!s.alc.empty()) return convert_alc2mol(s.alc, s.output);
  if (!s.merge.empty()) return merge_task(s);
  if (!s.align.empty()) return align_2strs_per_vorpin(s.align, s.output);
  if (!s.fit.empty()) return fit_task(s);
  if (!s.hbond_pair.empty()) return hbond_pair_task(s);
  if (s.input.empty()) return;
  if (s.model) return extract_model(s);
  if (s.duplex_check) return check_duplex_orientation(s);
  if (s.frame_pair) return reorient_by_frame_pair(s);
  if (s.remove_pair) return remove_one_pair(s);
  if (s.frame_nt || s.remove_nt) return reorient_by_nucleotide(s);
  if (!s.join.empty()) return join_duplex_per_chain(s);
  if (s.seal) return seal_backbone_per_helix(s);
  if (s.clash > 0) return check_clashes(s);
  if (s.o2) return handle_O2_prime_atoms(s);
  if (!s.chain_resets.empty()) return reset_chains_in_pdb(s);
  if (opts_with_switch_set(s.stack)) write_stacking_diagram(s);
}

}  // namespace

task_settings read_task_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.task = 1;
  task_settings s;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (asking_help(arg)) module_tasks_help_exit(0);
    if (check_input_output(arg, s.input, s.output)) continue;
    if (task_option(arg, s)) continue;
    if (!check_common_options(arg)) display_unrecognized_option(arg);
  }
  return s;
}

void run_utilities_and_exit(int argc, char* argv[]) {
  task_settings s = read_task_options(argc, argv);
  // some utilities write or run programs on files of fixed names
  const subcommand_run guard(argc, argv, {{"input file", s.input}, {"Alchemy file", s.alc}},
                             {{"output file", s.output}}, true);
  if (Gvars.playground) play_ground();
  check_task_settings(s);
  run_task(s);
  end_run(0);
}

void module_tasks_help_exit(int status) {
  std::fprintf(stderr, "\nMiscellaneous utilities ...\n");
  std::fprintf(stderr,
               "  task -i=FILE --model-num=N -o=OUT          extract one model of an ensemble\n"
               "  task -i=FILE --check-duplex[=-1] --content=WORDS --segid=ID\n"
               "  task -i=FILE --frame-pair=N|last [--remove-pair]   --frame-nt=N [--remove-nt]\n"
               "  task -i=FILE --join-duplex=XY | --seal-backbone[=std] | --clash[=2.0]\n"
               "  task -i=FILE --o2[=remove] | --reset-chain=A:X | --stacking-diagram=WORDS\n"
               "  task --alc2mol=FILE | --merge-files='A B [simple|nmr]' | --ls-fit-files='A B'\n"
               "  task --align-str='A B [cutoff]' | --hbond-atom-pair='x1 y1 z1 x2 y2 z2'\n");
  end_run(status);
}

// ---------------------------------------------------------------------------
// File utilities

void extract_model(const task_settings& s) {
  if (!exist_file(s.input) || is_pseudo_file(s.input))
    fatal("[e] -i=%s: non-existing PDB ensemble file (MODEL/ENDMDL)!\n", s.input.c_str());
  // the model is collected before the output is opened: a model that is not
  // in the file leaves no output behind
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : get_filelines(s.input, 0)) {  // a structure: as many lines as it has
    if (is_comment_string(line)) continue;
    if (!inside && line.starts_with("MODEL ")) {
      const long n = line.size() > 6 ? cvt2long(trimmed(line.substr(6))) : LONG_MAX;
      if (n == s.model) {
        inside = true;
        runlog_msg("[i] model selected #%ld\n", s.model);
      }
    }
    if (!inside) continue;
    lines.push_back(line);
    if (line.starts_with("END")) break;
  }
  if (lines.empty()) fatal("[e] model #%ld not found in file %s\n", s.model, s.input.c_str());
  scoped_file sf(open_output(s.output));
  for (const std::string& line : lines) std::fprintf(sf.get(), "%s\n", line.c_str());
  sf.close();
}

void merge_two_files(const std::string& file1, const std::string& file2, long mode, const std::string& output) {
  const std::string e1 = lower_copy(get_file_extension(file1)), e2 = lower_copy(get_file_extension(file2));
  if (e1 == "alc" && e2 == "alc") return combine_two_alcfiles(file1, file2, output);
  if (e1 == "r3d" && e2 == "r3d") {
    // both read before the output is opened, which may be one of them
    const std::vector<std::string> first = get_filelines(file1), second = get_filelines(file2);
    scoped_file sf(output_file(output));
    for (const std::string& line : first) std::fprintf(sf.get(), "%s\n", line.c_str());
    for (size_t k = 20; k < second.size(); ++k) std::fprintf(sf.get(), "%s\n", second[k].c_str());
    sf.close();
    return;
  }
  combine_two_pdbfiles(file1, file2, output, mode);
}

namespace {

struct xyz_atom {
  std::string symbol;  // two characters, right-justified
  xyz p{};
};

// The atoms of a plain xyz file: an atom count, a title, then "symbol x y z"
// lines; a cleaned copy is written to clean_name.
std::vector<xyz_atom> clean_xyz_get_number(const std::string& file, const std::string& clean_name) {
  const std::vector<std::string> lines = get_filelines(file);
  const long n = lines.empty() ? LONG_MAX : cvt2long(trimmed(lines[0]));
  if (n == LONG_MAX || n < 0) fatal("[e] '%s' not in proper .xyz format\n", file.c_str());
  std::vector<xyz_atom> atoms;
  scoped_file sf(output_file(clean_name));
  std::fprintf(sf.get(), "%ld\n%s\n", n, lines.size() > 1 ? lines[1].c_str() : "");
  for (size_t k = 2; k < lines.size(); ++k) {
    std::string line = lines[k];
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    if (is_space_string(line)) continue;
    std::istringstream in(line);
    std::string sym, sx, sy, sz;
    in >> sym >> sx >> sy >> sz;
    std::string symbol = upper_copy(sym);
    if (symbol.size() == 1) symbol = " " + symbol;
    const double x = cvt2double(sx), y = cvt2double(sy), z = cvt2double(sz);
    if (symbol.size() != 2 || !is_valid_element_symbol(symbol) || x == DBL_MAX || y == DBL_MAX || z == DBL_MAX) {
      runlog_msg("\t[w] skip %s: '%s'\n", file.c_str(), lines[k].c_str());
      continue;
    }
    atoms.push_back({symbol, {0, x, y, z}});
    std::fprintf(sf.get(), "%2.2s %12.5f %12.5f %12.5f\n", symbol.c_str(), x, y, z);
  }
  sf.close();
  return atoms;
}

void fit_frame(const xyz& origin, const rotmat& rot, frame& f) { fillout_frame_from_oR(origin, rot, f); }

// A least-squares fit is defined by three atoms or more: fewer leave nothing
// fitted to write.
void check_fit_atoms(long n, const std::string& file1, const std::string& file2) {
  if (n < 3) fatal("[e] %s and %s: %ld atoms -- a fit needs at least 3\n", file1.c_str(), file2.c_str(), n);
}

void lsfit_xyz_files(const task_settings& s, const std::string& file1, const std::string& file2) {
  const std::vector<xyz_atom> a = clean_xyz_get_number(file1, "xyzfile1.dat");
  const std::vector<xyz_atom> b = clean_xyz_get_number(file2, "xyzfile2.dat");
  if (a.size() != b.size())
    fatal("[e] %s (%ld) and %s (%ld) differ in no. of atoms\n", file1.c_str(), static_cast<long>(a.size()),
          file2.c_str(), static_cast<long>(b.size()));
  check_fit_atoms(static_cast<long>(a.size()), file1, file2);
  std::vector<xyz> p1(1), p2(1), fitted;
  for (size_t k = 0; k < a.size(); ++k) {
    if (s.fit_atom != 0 && a[k].symbol != b[k].symbol)
      fatal("\t[e] %5ld: atom symbols not match: <%s> vs <%s>\n", static_cast<long>(k + 1), a[k].symbol.c_str(),
            b[k].symbol.c_str());
    p1.push_back(a[k].p);
    p2.push_back(b[k].p);
  }
  const long n = static_cast<long>(a.size());
  xyz origin{};
  rotmat rot{};
  const double rmsd = ls_fitting(p1, p2, n, &fitted, &origin, &rot);
  runlog_msg("rmsd: %g (%s vs %s)\n", rmsd, file1.c_str(), file2.c_str());
  scoped_file sf(open_output(s.output));
  std::fprintf(sf.get(), "%ld\n", n);
  std::fprintf(sf.get(), "ls-fitted xyz coordinates (rmsd=%g)\n", rmsd);
  for (long k = 1; k <= n; ++k)
    std::fprintf(sf.get(), "%2.2s %12.5f %12.5f %12.5f\n", a[static_cast<size_t>(k - 1)].symbol.c_str(),
                 fitted[k][1], fitted[k][2], fitted[k][3]);
  sf.close();
  frame f;
  fit_frame(origin, rot, f);
  write_frame_file0(f);
}

}  // namespace

void lsfit_two_pdb_files(const task_settings& s, const std::string& file1, const std::string& file2) {
  if (s.fit_xyz) return lsfit_xyz_files(s, file1, file2);
  struct_mol one, two;
  read_pdb_simple(file1, one);
  read_pdb_simple(file2, two);
  if (one.num_atoms != two.num_atoms)
    fatal("[e] %s (%ld) and %s (%ld) differ in no. of atoms\n", file1.c_str(), one.num_atoms, file2.c_str(),
          two.num_atoms);
  check_fit_atoms(one.num_atoms, file1, file2);
  for (long i = 1; i <= one.num_atoms; ++i) {
    const atom& a = one.atoms[i];
    const atom& b = two.atoms[i];
    if (s.fit_atom == 2 && a.name != b.name)
      fatal("\t[e] %5ld: atom names not match: <%s> vs. <%s>\n", i, a.name.c_str(), b.name.c_str());
    if (s.fit_atom == 1 && a.element != b.element)
      fatal("\t[e] %5ld: atom symbols not match: <%s> vs <%s>\n", i, a.element.c_str(), b.element.c_str());
  }
  std::vector<xyz> p1, p2, fitted;
  copy_pdb_xyz(one, p1);
  copy_pdb_xyz(two, p2);
  xyz origin{};
  rotmat rot{};
  const double rmsd = ls_fitting(p1, p2, one.num_atoms, &fitted, &origin, &rot);
  runlog_msg("rmsd: %g (%s vs %s)\n", rmsd, file1.c_str(), file2.c_str());
  copy_xyz_pdb(fitted, one);
  write_struct_mol(one, s.output);
  frame f;
  fit_frame(origin, rot, f);
  write_frame_file0(f);
}

// The PyMOL plug-in that draws the blocks of a stacking diagram, shipped with
// the data files (data/pymol/vask_block.py): one in the working folder wins,
// as for every data file. Without a data home the script falls back to
// PyMOL's start-up folder, where a user may have put a copy.
std::string stacking_plugin_path() {
  constexpr const char* kPlugin = "vask_block.py";
  std::error_code ec;
  if (exist_file(kPlugin)) return std::filesystem::absolute(kPlugin, ec).string();
  std::string home = data_home();
  if (!home.empty()) {
    add_end_slash(home);
    const std::string path = home + "data/pymol/" + kPlugin;
    if (exist_file(path)) return path;
  }
  runlog_msg("[w] the PyMOL plug-in %s is not in the data home (BELQO_VASK or the installed "
             "share/belqo-vask/data/pymol): the script runs ~/.pymol/startup/%s\n", kPlugin, kPlugin);
  return std::string("~/.pymol/startup/") + kPlugin;
}

void write_stacking_diagram(const task_settings& s) {
  auto on = [&s](int f) { return s.stack[static_cast<size_t>(f)] != 0; };
  std::string layer1, layer2;
  const std::vector<std::string> lines = get_filelines(s.input, 0);
  // The selections come from the structure file, any line of it: only a
  // selection expression reaches the script, never a further command.
  auto take = [&s](const std::string& line, size_t number, const char* key, std::string& layer) {
    const size_t p = line.find(key);
    if (!layer.empty() || p == std::string::npos) return;
    const std::string text = line.substr(p);
    if (is_selection_expression(text))
      layer = text;
    else
      runlog_msg("[w] line %zu of '%s': '%s' holds more than a selection -- ignored\n", number,
                 printable_text(s.input).c_str(), printable_text(text).c_str());
  };
  for (size_t k = 0; k < lines.size() && (layer1.empty() || layer2.empty()); ++k) {
    if (is_comment_string(lines[k])) continue;
    take(lines[k], k + 1, "select layer1", layer1);
    take(lines[k], k + 1, "select layer2", layer2);
  }
  if (layer1.empty() != layer2.empty()) fatal("[e] must have both 'select layer1' and 'select layer2'\n");
  const bool layers = !layer1.empty();
  const std::string structure = pymol_quoted(s.input);
  const std::string base = basename_del_ext(s.input);
  check_pymol_names(s.output, base, on(STK_SESSION), on(STK_RAY), on(STK_CONVERT));
  scoped_file sf(open_output(s.output));
  FILE* fp = sf.get();
  std::fprintf(fp, "reinitialize\n");
  std::fprintf(fp, "load %s, whole_str\n", structure.c_str());
  std::fprintf(fp, "hide everything, whole_str\n\n");
  std::fprintf(fp, "run %s\n\n", stacking_plugin_path().c_str());
  std::fprintf(fp, "bg_color white\n\n");
  std::fprintf(fp, "set valence, 0\n");
  std::fprintf(fp, "set depth_cue, 0\n");
  std::fprintf(fp, "set ray_trace_fog, 0\n\n");
  std::fprintf(fp, "set ray_shadow, off\n");
  std::fprintf(fp, "set orthoscopic, 1\n\n");
  std::fprintf(fp, "set label_size, 12\n");
  std::fprintf(fp, "set label_outline_color, black\n");
  std::fprintf(fp, "set label_color, black\n");
  std::fprintf(fp, "set label_position, [0, 0, 2]\n\n");
  std::fprintf(fp, "select c1_prime, name C1'\n\n");
  std::fprintf(fp, "set antialias, 1\n");
  std::fprintf(fp, "set spec_power, 200\n\n");
  std::fprintf(fp, "set stick_radius, 0.04\n");
  std::fprintf(fp, "show sticks\n\n");
  std::fprintf(fp, "util.cbaw\n");
  std::fprintf(fp, "hide everything, solvent\n");
  std::fprintf(fp, "hide everything, hydrogens\n\n");
  std::fprintf(fp, "set sphere_quality, 4\n");
  std::fprintf(fp, "set stick_quality, 16\n\n");
  if (on(STK_LABEL)) std::fprintf(fp, "label c1_prime, '%%s.%%s%%s' %% (chain, resn[-1], resi)\n\n");
  if (on(STK_BALL)) std::fprintf(fp, "set sphere_scale, 0.06\nshow spheres, elem N+O\n\n");
  if (layers) {
    std::fprintf(fp, "%s\n%s\n", layer1.c_str(), layer2.c_str());
    std::fprintf(fp, "set stick_transparency, 0.68, layer1\n");
    std::fprintf(fp, "set stick_radius, 0.10, layer2\n");
    if (on(STK_FILL1)) std::fprintf(fp, "vask_block layer1, block_file=fill-trans, name=fill1\n");
    if (on(STK_FILL2)) std::fprintf(fp, "vask_block layer2, block_file=fill, name=fill2\n");
    if (on(STK_SLIM)) {
      std::fprintf(fp, "vask_block layer1, block_file=slim-trans-both, name=blocks1\n");
      std::fprintf(fp, "vask_block layer2, block_file=slim-both, name=blocks2\n");
    } else if (on(STK_BLOCK)) {
      std::fprintf(fp, "vask_block layer1, block_file=trans-both, name=blocks1\n");
      std::fprintf(fp, "vask_block layer2, block_file=both, name=blocks2\n");
    }
    if (on(STK_G4)) {
      std::fprintf(fp, "vask_block layer1, block_file=g4-trans-both, name=G4_blocks1\n");
      std::fprintf(fp, "vask_block layer2, block_file=g4-both, name=G4_blocks2\n");
    }
    if (on(STK_HBOND)) {
      std::fprintf(fp, "vask_block layer1, block_file=hbond-trans, name=hbonds1\n");
      std::fprintf(fp, "vask_block layer2, block_file=hbond, name=hbonds2\n");
    }
  } else {
    if (on(STK_FILL1) || on(STK_FILL2)) std::fprintf(fp, "vask_block block_file=fill, name=fill\n");
    if (on(STK_SLIM))
      std::fprintf(fp, "vask_block block_file=slim-both, name=blocks\n");
    else if (on(STK_BLOCK))
      std::fprintf(fp, "vask_block block_file=both, name=blocks\n");
    if (on(STK_G4)) std::fprintf(fp, "vask_block block_file=g4-both, name=G4_blocks\n");
    if (on(STK_HBOND)) std::fprintf(fp, "vask_block block_file=hbond, name=hbonds\n");
  }
  std::fprintf(fp, "\n");
  pymol_pse_ray_png(fp, base, on(STK_SESSION), on(STK_RAY));
  sf.close();
  run_pymol(s.output, base, on(STK_CONVERT), false, on(STK_OPEN), on(STK_SESSION));
}

}  // namespace vask
