// The analyze sub-command: frame mode (consecutive frames of a frame file),
// single-strand mode (consecutive nucleotides) and duplex mode (pairs of one
// double helix in standard, Curves+ or CEHS frames).
#include "modeling/analyze.hpp"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>

#include "modeling/duplex_frames.hpp"
#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "pairing/splay.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/sort.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long kMaxFrameLines = 8191;  // coordinate lines a frame file may hold
constexpr long kSeparatorWidth = 76;
constexpr const char* kFrameBases = "ACGTUPacgtup";

constexpr const char* kStepHeader = "Shift     Slide      Rise      Tilt      Roll     Twist";
constexpr const char* kHeliHeader = "X-disp    Y-disp   h-Rise     Incl.       Tip   h-Twist";
constexpr const char* kBpHeader = "Shear    Stretch   Stagger    Buckle  Propeller  Opening";
constexpr const char* kStepFileHeader =
    "Shift      Slide      Rise       Tilt       Roll       Twist";
constexpr const char* kHeliFileHeader =
    "X-disp     Y-disp     h-Rise      Incl.      Tip      h-Twist";
constexpr const char* kBpFileHeader =
    "Shear     Stretch    Stagger    Buckle   Propeller   Opening";

void separator(FILE* fp) { print_leadline_sepchar(fp, '*', kSeparatorWidth); }

std::string prefixed(const char* suffix) {
  return sformat("%.*s-%s", 256, Gvars.prefix.c_str(), suffix);
}

bool frame_base_letter(char c) { return c != '\0' && std::strchr(kFrameBases, c) != nullptr; }

// A frame name: "A" (base) or "A-T" / "G+C" (pair).
bool valid_frame_name(const std::string& w) {
  if (w.size() == 1) return frame_base_letter(w[0]);
  if (w.size() == 3) return frame_base_letter(w[0]) && (w[1] == '+' || w[1] == '-') &&
                            frame_base_letter(w[2]);
  return false;
}

bool comment_line(const std::string& line) {
  const std::size_t p = line.find_first_not_of(" \t\r\n");
  return p == std::string::npos || line[p] == '#';
}

// ---------------------------------------------------------------------------
// Frame mode

void analyze_frames(const analyze_settings& s) {
  long n = 0;
  const std::vector<frame> frames = parse_frame_file(s.frame_file, n);
  par_table steps, helis;
  consecutive_frame_pars(n, frames, steps, helis);

  {
    scoped_file sf(open_output(s.output));
    FILE* fp = sf.get();
    std::fprintf(fp, "num_frames=%ld\n", n);
    separator(fp);
    std::fprintf(fp, "step parameters\n");
    std::fprintf(fp, " frame   %s\n", kStepHeader);
    simply_output_pars(n, steps, fp);
    separator(fp);
    std::fprintf(fp, "helical parameters\n");
    std::fprintf(fp, " frame   %s\n", kHeliHeader);
    simply_output_pars(n, helis, fp);
    sf.close();
  }
  {
    scoped_file sf(create_file(prefixed("frameStepPars.txt")));
    std::fprintf(sf.get(), "# num_frames=%ld\n", n);
    std::fprintf(sf.get(), "   #       %s\n", kStepFileHeader);
    simply_write_pars(sf.get(), n, steps);
    sf.close();
  }
  scoped_file sf(create_file(prefixed("frameHeliPars.txt")));
  std::fprintf(sf.get(), "# num_frames=%ld\n", n);
  std::fprintf(sf.get(), "   #      %s\n", kHeliFileHeader);
  simply_write_pars(sf.get(), n, helis);
  sf.close();
}

// ---------------------------------------------------------------------------
// Single-strand mode

std::vector<long> read_nts_list(const std::string& file, const struct_mol& mol) {
  std::vector<long> nts(1);
  runlog_msg("Reading file %s\n", file.c_str());
  for (const std::string& line : get_filelines(file)) {
    if (comment_line(line)) continue;
    long k = 0;
    if (std::sscanf(line.c_str(), "%ld", &k) == 1 && k >= 1 && k <= mol.num_residues &&
        base_frame(k, mol) != nullptr) {
      nts.push_back(k);
      continue;
    }
    if (line.find("nts=") != std::string::npos)
      runlog_msg("[w] skip entry for no. of nucleotides: '%s'\n", line.c_str());
    else
      runlog_msg("[w] ignore invalid entry: '%s'\n", line.c_str());
  }
  return nts;
}

// The nucleotides with base frames in the structure's nucleotide order, but
// with each one linked to no other (a one-nucleotide fragment, which that
// order puts after every strand) back after the nucleotide before it in the
// file, so a strand with such a gap keeps its rows in place.
std::vector<long> single_strand_nts(const struct_mol& mol) {
  std::vector<long> linked, lone;
  for (long i = 1; i <= mol.num_framed_nts; ++i) {
    const long k = mol.framed_nts[i];
    (mol.residues[k].linked.count == 0 ? lone : linked).push_back(k);
  }
  // each lone one after the linked one just before it in the file (0: none)
  std::vector<long> by_index(linked);
  std::sort(by_index.begin(), by_index.end());
  std::map<long, std::vector<long>> after;
  for (long u : lone) {
    const auto it = std::lower_bound(by_index.begin(), by_index.end(), u);
    after[it == by_index.begin() ? 0 : *std::prev(it)].push_back(u);
  }
  std::vector<long> nts(1);
  auto place = [&](long key) {
    const auto it = after.find(key);
    if (it != after.end()) nts.insert(nts.end(), it->second.begin(), it->second.end());
  };
  place(0);
  for (long x : linked) {
    nts.push_back(x);
    place(x);
  }
  return nts;
}

void analyze_single_strand(const analyze_settings& s, const struct_mol& mol) {
  std::vector<long> nts(1);
  if (s.ss_input.empty()) {
    nts = single_strand_nts(mol);
  } else {
    nts = read_nts_list(s.ss_input, mol);
  }
  const long n = static_cast<long>(nts.size()) - 1;
  if (n == 0) {
    runlog_msg("[i] no valid nts in: '%s'\n", s.input.c_str());
    return;
  }
  write_nts_list(mol, n, nts, s.ss_output);

  std::vector<frame> frames(n + 1);
  for (long i = 1; i <= n; ++i) frames[i] = *base_frame(nts[i], mol);
  par_table steps, helis;
  consecutive_frame_pars(n, frames, steps, helis);

  if (s.rebuild) {
    scoped_file step_file(create_file(prefixed("ssStepPars.txt")));
    std::fprintf(step_file.get(), "# %ld (no. of nucleotides)\n", n);
    std::fprintf(step_file.get(), "#       %s\n", kStepFileHeader);
    write_single_rebuild_pars(mol, n, nts, steps, step_file.get());
    step_file.close();
    scoped_file heli_file(create_file(prefixed("ssHeliPars.txt")));
    std::fprintf(heli_file.get(), "# %ld (no. of nucleotides)\n", n);
    std::fprintf(heli_file.get(), "#      %s\n", kHeliFileHeader);
    write_single_rebuild_pars(mol, n, nts, helis, heli_file.get());
    heli_file.close();
  }
  scoped_file frames_file(create_file(prefixed("baseFrames.txt")));
  list_base_frames(mol, n, nts, frames_file.get());
  frames_file.close();

  scoped_file sf(open_output(s.output));
  FILE* fp = sf.get();
  std::fprintf(fp, "num_nts=%ld\n", n);
  separator(fp);
  std::fprintf(fp, "local base-step parameters\n");
  std::fprintf(fp, "   base    %s\n", kStepHeader);
  output_single_pars(mol, n, nts, steps, fp);
  separator(fp);
  std::fprintf(fp, "local base-step helical parameters\n");
  std::fprintf(fp, "   base    %s\n", kHeliHeader);
  output_single_pars(mol, n, nts, helis, fp);
  sf.close();
}

// ---------------------------------------------------------------------------
// Duplex mode

// The pairs of all helices (or stems) of the structure, helix after helix,
// each in its own order.
std::vector<pair> derive_duplex_pairs(const analyze_settings& s, struct_mol& mol, long& n) {
  long num_pairs = 0, num_helices = 0, num_stems = 0, num_isolated = 0, num_coaxial = 0, misassigned = 0;
  std::vector<pair> all = populate_base_pairs(mol, num_pairs);
  if (num_pairs > 0) tidyup_and_mark_pairs(num_pairs, all, mol);
  std::vector<helix> helices, stems;
  std::vector<pair> isolated;
  std::string notes;
  helix_slots slots{num_pairs, all, num_helices, helices, num_stems, stems,
                    num_isolated, isolated, num_coaxial, misassigned, notes};
  const bool use_stems = (s.duplex & DUPLEX_STEMS) != 0;
  if (use_stems)
    find_stems(mol, slots);
  else
    find_helices(mol, slots);
  const long count = use_stems ? num_stems : num_helices;
  const std::vector<helix>& list = use_stems ? stems : helices;
  std::vector<pair> pairs(1);
  for (long h = 1; h <= count; ++h)
    for (long k = 1; k <= list[h].num_pairs; ++k) pairs.push_back(list[h].pairs[k]);
  n = static_cast<long>(pairs.size()) - 1;
  return pairs;
}

void section(FILE* fp, const char* title) {
  separator(fp);
  std::fprintf(fp, "%s", title);
}

void bp_table(long n, const std::vector<pair>& pairs, bool simple, par_table& t) {
  t.assign(n + 1, unset_par_set());
  for (long i = 1; i <= n; ++i) t[i] = simple ? pairs[i].bp_simpleParams : pairs[i].bp_params;
}

void write_rebuild_files(const struct_mol& mol, long n, const std::vector<pair>& pairs,
                         const par_table& steps, const par_table& helis) {
  scoped_file step_file(create_file(prefixed("dsStepPars.txt")));
  write_duplex_rebuild_pars(
      mol, n, pairs, steps,
      sformat("#bp      %s      %s\n", kBpFileHeader, kStepFileHeader).c_str(), step_file.get());
  step_file.close();
  scoped_file heli_file(create_file(prefixed("dsHeliPars.txt")));
  write_duplex_rebuild_pars(
      mol, n, pairs, helis,
      sformat("#bp      %s     %s\n", kBpFileHeader, kHeliFileHeader).c_str(), heli_file.get());
  heli_file.close();
}

const char* kSimpleNote =
    "The 'simple' parameters are intuitive for non-Watson-Crick base pairs\n"
    "and associated base-pair steps (where the above corresponding ORMO\n"
    "parameters often appear cryptic). Note that they are for structural\n"
    "*description* only, not to be fed into the VASK rebuild module.\n"
    "-------------------------------------------------------------------\n";

void analyze_duplex_standard(const analyze_settings& s, const struct_mol& mol, const helix& h) {
  const long n = h.num_pairs;
  const std::vector<pair>& pairs = h.pairs;
  par_table steps(n + 1, unset_par_set()), helis = steps, ssteps = steps, shelis = steps;
  for (long i = 1; i < n && i < static_cast<long>(h.step_pars.size()); ++i) {
    const helixPars& d = h.step_pars[static_cast<size_t>(i)];
    steps[i] = d.step_params;
    helis[i] = d.heli_params;
    ssteps[i] = d.simple_step_params;
    shelis[i] = d.simple_heli_params;
  }
  if (s.rebuild) write_rebuild_files(mol, n, pairs, steps, helis);
  write_pair_frames(n, pairs, prefixed("pairFrames.txt"));

  scoped_file sf(open_output(s.output));
  FILE* fp = sf.get();
  par_table bp;
  bp_table(n, pairs, false, bp);
  const std::string bp_head = sformat("     bp      %s", kBpHeader);
  const std::string step_head = sformat("     bp      %s ", kStepHeader);
  const std::string heli_head = sformat("     bp      %s ", kHeliHeader);
  section(fp, "");
  std::fprintf(fp, "num_pairs=%ld  # no. of base pairs\n", n);
  section(fp, "Local base-pair parameters\n");
  output_six_pars(mol, n, pairs, bp, bp_head.c_str(), fp);
  section(fp, "Local base-pair step parameters\n");
  output_six_pars(mol, n, pairs, steps, step_head.c_str(), fp);
  section(fp, "Local base-pair helical parameters\n");
  output_six_pars(mol, n, pairs, helis, heli_head.c_str(), fp);

  section(fp, kSimpleNote);
  std::fprintf(fp, "Simple base-pair parameters based on RC8--YC6 vectors\n");
  bp_table(n, pairs, true, bp);
  output_six_pars(mol, n, pairs, bp, bp_head.c_str(), fp);
  section(fp, "Simple step parameters based on consecutive C1'-C1' vectors\n");
  output_six_pars(mol, n, pairs, ssteps, step_head.c_str(), fp);
  section(fp, "Simple helical parameters based on consecutive C1'-C1' vectors\n");
  output_six_pars(mol, n, pairs, shelis, heli_head.c_str(), fp);

  separator(fp);
  output_step_classes(mol, h, fp);
  separator(fp);
  output_groove_widths(mol, h, fp);
  section(fp, "Global linear helical axis defined by equivalent C1' and RN9/YN1 atom pairs\n");
  output_global_helix(h, fp);
  sf.close();
}

void analyze_duplex_other(const analyze_settings& s, const struct_mol& mol, long n,
                          std::vector<pair>& pairs) {
  par_table steps;
  if (s.duplex & DUPLEX_CURVES)
    curves_plus_duplex(n, pairs, mol, steps);
  else
    cehs_duplex(n, pairs, mol, steps);
  scoped_file sf(open_output(s.output));
  FILE* fp = sf.get();
  par_table bp;
  bp_table(n, pairs, false, bp);
  section(fp, "");
  std::fprintf(fp, "num_pairs=%ld  # no. of base pairs\n", n);
  section(fp, "Local base-pair parameters\n");
  output_six_pars(mol, n, pairs, bp, sformat("     bp      %s", kBpHeader).c_str(), fp);
  section(fp, "Local base-pair step parameters\n");
  output_six_pars(mol, n, pairs, steps, sformat("     bp      %s ", kStepHeader).c_str(), fp);
  sf.close();
}

void analyze_duplex(const analyze_settings& s, struct_mol& mol) {
  long n = 0;
  std::vector<pair> pairs =
      s.ds_input.empty() ? derive_duplex_pairs(s, mol, n) : read_pairs_list(s.ds_input, mol, n);
  if (n == 0) {
    runlog_msg("no base-pairs specified\n");
    return;
  }
  const helix h = duplex_helix(mol, n, pairs);
  write_pairs_list(s.ds_output, mol, n, pairs);
  if (s.duplex & (DUPLEX_CURVES | DUPLEX_CEHS))
    analyze_duplex_other(s, mol, n, pairs);
  else
    analyze_duplex_standard(s, mol, h);
}

}  // namespace

std::vector<frame> parse_frame_file(const std::string& name, long& n) {
  std::vector<xyz> coords(1);
  std::vector<std::string> names(1);
  const std::vector<std::string> lines = get_filelines(name);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (comment_line(line)) continue;
    double x = 0, y = 0, z = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf", &x, &y, &z) == 3) {
      const double read[] = {x, y, z};
      check_finite_values(read, name, static_cast<long>(i) + 1, line);
      if (static_cast<long>(coords.size()) > kMaxFrameLines)
        fatal("[e] %s, line %zu: more than %ld coordinate lines -- not read further\n", name.c_str(), i + 1,
              kMaxFrameLines);
      coords.push_back(xyz{0, x, y, z});
      continue;
    }
    long k = 0;
    char word[32] = "";
    if (std::sscanf(line.c_str(), "%ld %31s", &k, word) == 2 && valid_frame_name(word))
      names.push_back(word);
  }
  const long num = static_cast<long>(coords.size()) - 1;
  if (num == 0) fatal("'%s' contains invalid lines\n", name.c_str());
  if (num % 4 != 0)
    fatal("'%s' contains %ld valid lines, not a multiple of 4\n", name.c_str(), num);
  n = num / 4;
  const long num_names = static_cast<long>(names.size()) - 1;
  if (n != num_names)
    fatal("number of frames [%ld] and idstr [%ld] does not match\n", n, num_names);
  for (long i = 2; i <= n; ++i)
    if (names[i].size() != names[1].size()) fatal("cannot mix base or pair frames\n");
  std::vector<frame> frames = allocate_frames_array(n);
  for (long i = 1; i <= n; ++i) {
    frame& f = frames[i];
    f.text = names[i];
    f.org = coords[4 * i - 3];
    f.x_axis = coords[4 * i - 2];
    f.y_axis = coords[4 * i - 1];
    f.z_axis = coords[4 * i];
  }
  runlog_msg("[i] reading in %ld frames from '%s'\n", n, name.c_str());
  return frames;
}

void consecutive_frame_pars(long n, const std::vector<frame>& frames, par_table& steps,
                            par_table& helis) {
  steps.assign(n + 1, unset_par_set());
  helis.assign(n + 1, unset_par_set());
  for (long i = 1; i < n; ++i) {
    get_step_pars_by_frames0(frames[i], frames[i + 1], steps[i], nullptr);
    get_helical_pars_by_frames0(frames[i], frames[i + 1], helis[i], nullptr);
  }
}

helix duplex_helix(struct_mol& mol, long n, const std::vector<pair>& pairs) {
  if (n >= 2) {
    long count = 0;
    std::vector<helix> one = take_input_pairs_list_as_one_helix(mol, n, pairs, count);
    if (count == 1 && one[1].num_pairs == n) return std::move(one[1]);
  }
  // a nucleotide in two pairs, or a single pair: the steps as listed
  helix h;
  h.num_pairs = n;
  h.pairs.assign(pairs.begin(), pairs.begin() + n + 1);
  h.step_pars = allocate_helixPars_array(n);
  for (long k = 1; k < n; ++k) {
    calculate_helix_pars(h.pairs[k], h.pairs[k + 1], mol, h.step_pars[static_cast<size_t>(k)]);
    calculate_Zp_ABindex(h.pairs[k], h.pairs[k + 1], mol, h.step_pars[static_cast<size_t>(k)]);
  }
  return h;
}

void run_analyze(const analyze_settings& s) {
  reset_periodic_table();
  if (!s.frame_file.empty()) {
    analyze_frames(s);
    return;
  }
  runlog_msg("\nProcessing file '%s'\n", s.input.c_str());
  struct_mol mol;
  init_struct_mol(s.input, mol);
  read_pdb(s.input, mol);
  analyze_structure(s, mol);
  free_struct_mol(mol);
}

void analyze_structure(const analyze_settings& s, struct_mol& mol) {
  if (s.single_strand)
    analyze_single_strand(s, mol);
  else
    analyze_duplex(s, mol);
}

void module_analyze_help_exit(int status) {
  std::fprintf(stderr, "\nCheck the User Manual on how to use the ANALYZE module.\n\n");
  end_run(status);
}

}  // namespace vask
