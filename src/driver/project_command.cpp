// The project sub-command: options, the analysis id from its words, reader
// settings some analyses need, then the analysis.
#include "driver/project_command.hpp"

#include <cstdio>

#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/option.hpp"
#include "structure/atom.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"

namespace vask {

namespace {

constexpr double kValueMin = -512.0, kValueMax = 1024.0;
constexpr const char* kG4Word = "G[-_]?(4|QUA|TET)";

// The id words, tested in this order; a G4 word picks stems, helices or
// pairs by a second word, else the tetrads.
struct project_word {
  long id;
  const char* word;
  const char* second;  // also required; null for none
  const char* log;
};
constexpr project_word kWords[] = {
    {PROJECT_AYY, "ayy", nullptr, "\t-- check AYY interactions\n"},
    {PROJECT_C2_PRIME, "c2", nullptr, "\t-- check C2'-endo direction\n"},
    {PROJECT_BILOOPS, "(bi|di)[-_]?loop", nullptr, "\t-- check bi-loops\n"},
    {PROJECT_UA3, "ua3", nullptr, "\t-- check U interacting with 3 As\n"},
    {PROJECT_G4_STEMS, kG4Word, "stem", "\t-- extract parameters of G4 stems\n"},
    {PROJECT_G4_HELICES, kG4Word, "helix", "\t-- extract parameters of G4 helices, excluding stems\n"},
    {PROJECT_G4_PAIRS, kG4Word, "pair", "\t-- check G..G..G pairs but no G-tetrads\n"},
    {PROJECT_G4S, kG4Word, nullptr, "\t-- check G-tetrads\n"},
    {PROJECT_TLOOPS, "t[-_]?loop", nullptr, "\t-- check T-loops\n"},
    {PROJECT_TAT, "tat", nullptr, "\t-- check TAT hairpin loops\n"},
    {PROJECT_GU_PAIRS, "gu[-_]?pair", nullptr, "\t-- check G.U pairs\n"},
    {PROJECT_AA_PAIRS, "aa[-_]?pair", nullptr, "\t-- check A.A pairs\n"},
    {PROJECT_B_FACTOR, "sum[-_]?b[-_]?(factor)?", nullptr, "\t-- sum B-factor\n"},
    {PROJECT_GLU, "glu", nullptr, "\t-- check Glu-CpA interactions\n"},
    {PROJECT_ASP, "asp", nullptr, "\t-- check ASP-CpA interactions\n"},
    {PROJECT_GLN, "gln", nullptr, "\t-- check Gln-CpA interactions\n"},
    {PROJECT_ASN, "asn", nullptr, "\t-- check ASN-CpA interactions\n"},
    {PROJECT_STEM_CONTACTS, "stem|pro|amino", nullptr, "\t-- check Protein-Stem interactions\n"},
    {PROJECT_3TETRADS, "tetrad|ribo", nullptr, "\t-- check 3 stacked tetrads\n"},
};

// Reader settings of the analyses that need them, applied before any
// structure is read.
void set_reader_settings(const project_settings& s) {
  if (s.id == PROJECT_G4S || s.id == PROJECT_G4_PAIRS || s.id == PROJECT_3TETRADS) mutable_gvars().parts = 1;
  if (s.id == PROJECT_STEM_CONTACTS) {
    mutable_gvars().hbond_dist = s.value == DBL_MAX ? PROJECT_HBOND_CUTOFF : s.value;
    if (Gvars.hbond_good > Gvars.hbond_dist) mutable_gvars().hbond_good = Gvars.hbond_dist;
    mutable_gvars().hbond_angle = PROJECT_HBOND_ANGLE;
  }
}

}  // namespace

void module_project_help_exit() {
  std::fprintf(stderr, "\nPersonal project to play around ...\n");
  end_run(0);
}

long derive_project_id(const char* arg) {
  const std::string value = with_optional_endEqual(arg) ? "" : get_strvalue(arg, false);
  for (const project_word& w : kWords) {
    if (!zor_ncmatch(value, w.word)) continue;
    if (w.second != nullptr && !zor_ncmatch(value, w.second)) continue;
    runlog_msg("%s", w.log);
    return w.id;
  }
  runlog_msg("\t-- option '%s' not set\n", arg);
  return PROJECT_NONE;
}

void run_project(const project_settings& s) {
  switch (s.id) {
    case PROJECT_AYY: do_AYY_motif(s); break;
    case PROJECT_C2_PRIME: do_c2_prime_direction(s); break;
    case PROJECT_BILOOPS: do_biloops(s); break;
    case PROJECT_UA3: do_UA3(s); break;
    case PROJECT_G4_STEMS: extract_G4stem_features(s); break;
    case PROJECT_G4_HELICES: extract_G4helix_xstem_features(s); break;
    case PROJECT_G4S: do_G4s(s); break;
    case PROJECT_G4_PAIRS: check_G4_pairs(s); break;
    case PROJECT_TLOOPS: do_Tloops(s); break;
    case PROJECT_TAT: do_TAT_hairpinLoop(s); break;
    case PROJECT_GU_PAIRS: do_GU_pairs(s); break;
    case PROJECT_AA_PAIRS: do_AA_pairs(s); break;
    case PROJECT_B_FACTOR: do_B_factor(s); break;
    case PROJECT_GLU: do_DENQ_contacts(s, "glu"); break;
    case PROJECT_ASP: do_DENQ_contacts(s, "asp"); break;
    case PROJECT_GLN: do_DENQ_contacts(s, "gln"); break;
    case PROJECT_ASN: do_DENQ_contacts(s, "asn"); break;
    case PROJECT_STEM_CONTACTS: check_complex_contacts(s); break;
    case PROJECT_3TETRADS: check_3tetrads(s); break;
    default: runlog_msg("[i] no matched project\n");
  }
}

project_settings read_project_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.project = 1;
  project_settings s;
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (asking_help(arg)) module_project_help_exit();
    if (check_input_output(arg, s.input, s.output)) continue;
    if (zor_ncmatch(arg, "^-?-?id[-_]?name")) {
      s.id = derive_project_id(arg);
      continue;
    }
    if (zor_ncmatch(arg, "^-?-?value")) {
      s.value = get_dvalue(arg, kValueMin, kValueMax);
      continue;
    }
    if (check_common_options(arg)) continue;
    display_unrecognized_option(arg);
  }
  return s;
}

void run_project_and_exit(int argc, char* argv[]) {
  project_settings s = read_project_options(argc, argv);
  // some projects add to files of fixed names
  const subcommand_run guard(argc, argv, {{"input file", s.input}}, {{"output file", s.output}}, true);
  if (specified_file_not_exist(s.input)) fatal("specified input file %s not exist\n", s.input.c_str());
  if (s.id != PROJECT_NONE) check_required_file(s.input, "must specify -i=PDBFile/mmCIF");
  reset_periodic_table();
  set_reader_settings(s);
  run_project(s);
  end_run(0);
}

}  // namespace vask
