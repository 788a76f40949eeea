// The triz sub-command: option front end, per-structure report and the run
// over one structure or an ensemble.
#include "driver/triz_command.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>

#include "driver/aux_files.hpp"
#include "driver/belqo-vask.hpp"
#include "driver/ensemble_reader.hpp"
#include "driver/option.hpp"
#include "driver/report.hpp"
#include "driver/vask_results.hpp"
#include "interactions/dssp.hpp"
#include "motifs/multiplet.hpp"
#include "motifs/network.hpp"
#include "motifs/stack.hpp"
#include "pairing/nt_features.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "schematics/hbond_output.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/mmcif.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/option_value.hpp"
#include "support/pattern_matcher.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/timing.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double CUTOFF_MIN = 3.0, CUTOFF_MAX = 8.0;  // Angstrom, the cutoff option's range

[[noreturn]] void triz_usage_exit() {
  const char* lines[] = {
      "Usage: belqo-vask triz [options]",
      "",
      "Each option is specified via --key[=val] (or -key[=val] or key[=val];",
      "i.e., two/one/zero preceding dashes are all accepted), where 'key' can",
      "be in either lower, UPPER or MiXed case. Options can be in any order.",
      "Options:",
      "  --help         Print this command-line help information (-h)",
      "  --input=file   Specify a PDB/mmCIF file for analysis (-i=file)",
      "  --output=file  Designate the main TRIZ output file (-o=file) [stdout]",
      "  --cutoff=float Set the distance cutoff between interacting aa/nt [4.5]",
      "  --type=string  Select interacting nt moiety: base|backbone|both|either [either]",
      "  --t-shape      Output T-shaped contacts between planar moieties",
      "  --interface    Summarize each nucleotide with its contacted amino acids",
      "  --methyl-C     Check interactions between DNA 5mC and protein side chains",
      "  --auxfile      Produce numerous auxiliary files (e.g. A-arg.pdb)",
      "  --nmr          Process an ensemble of NMR structures",
      "  --cleanup      Remove common files with fixed names and exit",
      "",
      "Examples:",
      "  belqo-vask triz -i=1oct.pdb",
      "",
      "",
      "---",
      "Last update: 2022-08-02",
  };
  const std::string rule(70, '=');
  std::fprintf(stderr, "%s\n", rule.c_str());
  for (const char* line : lines) std::fprintf(stderr, "%s\n", line);
  std::fprintf(stderr, "%s\n", rule.c_str());
  end_run(0);
}

// Quick-count keys, in order.
void json_quick_counts(const struct_mol& mol, const vask_results& results, FILE* fp) {
  long canonical = 0;
  for (long k = 1; k <= results.num_pairs; ++k) canonical += is_canonical_pair(results.pairs[k]) ? 1 : 0;
  json_begin_object(fp, "counts");
  json_lNumber(fp, "num_nts_with_frames", mol.num_framed_nts);
  json_lNumber(fp, "num_aas_with_frames", mol.num_framed_aas);
  json_lNumber(fp, "num_nts", mol.num_nts);
  json_lNumber(fp, "num_aas", mol.num_aas);
  json_lNumber(fp, "num_dna_chains", mol.num_dna_chains);
  json_lNumber(fp, "num_rna_chains", mol.num_rna_chains);
  json_lNumber(fp, "num_aa_chains", mol.num_protein_chains);
  json_lNumber(fp, "num_pairs", results.num_pairs);
  json_lNumber(fp, "num_canonPairs", canonical);
  json_lNumber(fp, "num_multiplets", results.num_multiplets);
  json_lNumber(fp, "num_helices", results.num_helices);
  json_lNumber0(fp, "num_stems", results.num_stems);
  json_end_object0(fp);
  json_end_object0(fp);
}

void write_text_header(const triz_options& o, const struct_mol& mol, FILE* fp) {
  if (VERBOSITY <= 1) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    std::fprintf(fp, "Note: By default, each nucleotide/amino-acid is identified by chainId.name#.\n");
    std::fprintf(fp, "      For example, B.DA1689 means adenosine #1689 on chain B,\n");
    std::fprintf(fp, "               and C.ARG49 denotes arginine #49 on chain C.\n");
    std::fprintf(fp, "      Use the --idstr=long option to get strictly delineated id strings.\n\n");
    std::fprintf(fp, "Command: %s\n", derive_triz_command(o).c_str());
    write_timestamp(fp);
  }
  std::fprintf(fp, "File name: %s\n", get_basename(o.input).c_str());
  write_molecule_counts(fp, mol, true, true);
}

void write_text_tail(const triz_options& o, FILE* fp) {
  std::vector<std::string> present;
  for (const char* name : triz_file_table)
    if (exist_file(triz_file_name(name))) present.push_back(triz_file_name(name));
  if (!present.empty()) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    print_noun(fp, static_cast<long>(present.size()), "List of %ld additional %s\n", "file");
    for (size_t k = 0; k < present.size(); ++k)
      std::fprintf(fp, "%4ld -- %s\n", static_cast<long>(k + 1), present[k].c_str());
  }
  output_time_used(o.output, fp, o.start_clock);
}

void write_json_tail(const triz_options& o, const struct_mol& mol, FILE* fp) {
  json_ntPars(mol, fp);
  json_hbonds(mol, fp, with_ebi_idstr());
  json_begin_object(fp, "metadata");
  json_header_items(o.input, mol, fp);
  json_footer(fp, o.start_clock, o.start_timestamp);
  json_end_object0(fp);
  json_end_object0(fp);
}

// The interaction lists, in their fixed order.
void write_interactions(const triz_options& o, const std::vector<triz_helix>& helices,
                        const vask_results& results, struct_mol& mol, triz_state& st, FILE* fp) {
  std::vector<ntaa> nts;
  find_ntaa_contacts(o, mol, st, nts);
  output_ntaa_contacts(o, nts, mol, st, fp);
  std::vector<bpaa> bps;
  find_bpaa_contacts(o, helices, mol, bps);
  output_bpaa_contacts(o, bps, mol, st, fp);
  check_step_aa(o, helices, mol, st, fp);

  const struct {
    int moiety;
    const char* title;
  } moieties[] = {{MOIETY_PHOSPHATE, "phosphate/amino-acid H-bonds"},
                  {MOIETY_SUGAR, "sugar/amino-acid H-bonds"},
                  {MOIETY_BASE, "base/amino-acid H-bonds"}};
  for (const auto& m : moieties) {
    std::vector<ntaa_hbond> hbonds;
    collect_ntAA_hbonds(m.moiety, mol, st, hbonds);
    output_ntAA_hbonds(m.title, hbonds, mol, fp);
  }
  for (bool pairs : {true, false}) {
    std::vector<long> contacts;
    collect_baseAA_contacts(pairs, mol, st, contacts);
    output_baseAA_contacts(pairs, contacts, mol, st, fp);
  }
  if (results.num_stacks > 0)
    output_ntAA_mstacks(collect_interface_stacks(results.num_stacks, results.stacks, mol), mol, fp);
  if (any_interface_switch(o)) {
    mask_off_hydrogens(mol);
    output_nts_with_aas(o, mol, st, fp);
    if (o.interface[TRIZ_AMINO]) output_aas_with_nts(o, mol, st, fp);
  }
}

// The selected models of an ensemble, one report each, wrapped as model
// elements (text) or in the ensemble object (JSON).
void run_triz_ensemble(const triz_options& o) {
  const long n = num_selected_models();
  runlog_msg("\nProcessing ensemble '%s' [%ld models]\n", o.input.c_str(), n);
  ensemble_reader reader(o.input);
  scoped_file out(open_output(o.output));
  FILE* fp = out.get();
  if (Gvars.json) json_nmr_start(fp, o.input, n);
  bool go_on = true;
  triz_options each = o;  // each model's report starts where the previous one ended
  for (long k = 1; k <= n && go_on; ++k) {
    const long model = Gvars.model_list[static_cast<size_t>(k)];
    runlog_msg("\nmodel %ld [%ld of %ld]\n", model, k, n);
    struct_mol mol;
    std::string message;
    const bool ok = reader.read(model, mol, message);
    if (Gvars.json)
      json_per_model_start(fp, k, model);
    else
      std::fprintf(fp, "<model id=\"%ld\">\n", model);
    if (ok)
      go_on = do_triz_per_structure(each, mol, fp);
    else
      write_read_failure(fp, o.input, message);
    // quick counts end the run after this model: the ensemble frame is closed first
    if (Gvars.json)
      json_per_model_end(fp, k == n || !go_on, each.start_clock, each.start_timestamp);
    else
      std::fprintf(fp, "</model>\n\n");
    std::fflush(fp);
    free_struct_mol(mol);
  }
  if (Gvars.json) {
    json_nmr_end(fp);
    json_raw_text(fp, "\n");
  }
  out.close();
}

}  // namespace

bool check_triz_option(const char* arg, triz_options& o) {
  if (zor_ncmatch(arg, "^-?-?quick")) {
    o.quick = set_long_019(arg);
  } else if (zor_ncmatch(arg, "^-?-?pair[-_]?(set|order)")) {
    if (zor_ncmatch(arg, "as[-_]?is") || zor_ncmatch(arg, "(non|no|un)[-_]?change"))
      o.pair_order = 0;
    else if (zor_ncmatch(arg, "reverse|YR|ctu"))
      o.pair_order = -1;
    else
      o.pair_order = 1;
  } else if (zor_ncmatch(arg, "^-?-?(add)?[-_]?c?[-_]?alpha")) {
    o.c_alpha = set_switch_default_true(arg);
  } else if (zor_ncmatch(arg, "^-?-?helix[-_]?pair")) {
    if (zor_ncmatch(arg, "wc[-_](like|geo)"))
      o.helix_pair = 3;
    else if (zor_ncmatch(arg, "wc"))
      o.helix_pair = 1;
    else if (zor_ncmatch(arg, "cano|wobble|gu"))
      o.helix_pair = 2;
    else
      o.helix_pair = 4;
  } else if (zor_ncmatch(arg, "^-?-?inter[-_]?(face)?")) {
    if (zor_ncmatch(arg, "extra")) {
      for (int k = TRIZ_BASIC; k <= TRIZ_AMINO; ++k) o.interface[k] = 1;
    } else {
      if (zor_ncmatch(arg, "more|chain")) o.interface[TRIZ_PLUS] = 1;
      if (zor_ncmatch(arg, "sasa|area")) o.interface[TRIZ_SASA] = 1;
      if (zor_ncmatch(arg, "aa|amino|protein")) o.interface[TRIZ_AMINO] = 1;
      if (!any_interface_switch(o)) o.interface[TRIZ_BASIC] = static_cast<char>(set_switch_default_true(arg));
    }
  } else if (zor_ncmatch(arg, "^-?-?cut[-_]?off")) {
    o.cutoff = get_dvalue(arg, CUTOFF_MIN, CUTOFF_MAX);
  } else if (zor_ncmatch(arg, "^-?-?type")) {
    if (zor_ncmatch(arg, "eith"))
      o.moiety = 0;
    else if (zor_ncmatch(arg, "base"))
      o.moiety = 1;
    else if (zor_ncmatch(arg, "back"))
      o.moiety = 2;
    else if (zor_ncmatch(arg, "both"))
      o.moiety = 3;
  } else if (zor_ncmatch(arg, "^-?-?ligand")) {
    o.residue_names = get_strvalue(arg, false);
  } else if (zor_ncmatch(arg, "^-?-?methyl")) {
    o.residue_names = "5CM";
  } else if (zor_ncmatch(arg, "^-?-?triad")) {
    o.triad = 1;
  } else {
    return false;
  }
  return true;
}

void finish_triz_options(triz_options& o) {
  if (o.triad && o.residue_names.empty()) o.residue_names = "DT;T";
  if (o.quick != 0) {
    mutable_gvars().parts |= 1 | 2;
    if (o.quick == 9) mutable_gvars().json |= 1;
  }
  normalise_residue_names(o.residue_names);
}

std::string derive_triz_command(const triz_options& o) {
  std::string cmd = sformat("%.*s triz -i=%.*s", 256, Gvars.program_name.c_str(), 256, o.input.c_str());
  collect_global_options(cmd);
  if (o.output != "stdout") cmd += sformat(" -o=%s", o.output.c_str());
  const char* pair_words[] = {"", " --pair=wc", " --pair=canonical", " --pair=wc-geometry"};
  if (o.helix_pair >= 1 && o.helix_pair <= 3) cmd += pair_words[o.helix_pair];
  if (any_interface_switch(o)) {
    cmd += " --interface";
    if (o.interface[TRIZ_PLUS]) cmd += "-plus";
    if (o.interface[TRIZ_SASA]) cmd += "-sasa";
    if (o.interface[TRIZ_AMINO]) cmd += "-amino-acid";
  }
  if (!is_approx(o.cutoff, TRIZ_CUTOFF)) cmd += sformat(" --cutoff=%.1f", o.cutoff);
  const char* types[] = {"", "base", "backbone", "both"};
  if (o.moiety >= 1 && o.moiety <= 3) cmd += sformat(" --type=%s", types[o.moiety]);
  return cmd.substr(0, 1023);
}

std::vector<triz_helix> get_triz_helices(const struct_mol& mol, const vask_results& results) {
  (void)mol;
  std::vector<triz_helix> helices(1);
  for (long k = 1; k <= results.num_helices; ++k) {
    const helix& h = results.helices[static_cast<size_t>(k)];
    triz_helix t;
    t.num_pairs = h.num_pairs;
    t.pairs = h.pairs;  // pair m holds strand1[m] as nt1
    t.anti_parallel = is_anti_parallel(h);
    t.strand1 = h.strand1;
    t.strand2 = h.strand2;
    // groove widths come with the helix geometry; unset until then
    t.grooves.assign(static_cast<size_t>(std::max(h.num_pairs, 1L)),
                     {DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX});
    helices.push_back(std::move(t));
  }
  return helices;
}

bool do_triz_per_structure(const triz_options& o, struct_mol& mol, FILE* fp) {
  run_dssp(mol);
  if (Gvars.json)
    json_raw_text(fp, "{");
  else
    write_text_header(o, mol, fp);
  if (!check_nts(fp, o.output, mol)) return true;

  vask_results results;
  init_vask(results);
  summarize_modified_nts(mol, results, fp);
  find_pairs(mol, results.num_pairs, results.pairs, 1);
  motif_measures measures(mol);
  find_multiplets(mol, results.num_pairs, results.pairs, measures, results.num_multiplets,
                  results.multiplets);
  helix_slots slots = helix_slots_of(results);
  find_helices(mol, slots);
  output_helices_pdb(mol, results.num_helices, results.helices);
  find_stems(mol, slots);
  find_stacks(mol, results.num_stacks, results.stacks, results.num_non_stacked, results.non_stacked);
  if (Gvars.json && o.quick == 9) {
    json_quick_counts(mol, results, fp);
    free_vask(&results);
    return false;
  }
  const std::vector<triz_helix> helices = get_triz_helices(mol, results);
  if (o.residue_names.find("5CM") != std::string::npos)
    check_5mC_contacts(o, results.num_modified, results.modified, helices, mol);
  triz_state st;
  init_triz_state(mol, st);
  search_triads(o, helices, mol, st);
  show_helix_nts("helix", results.num_helices, results.helices, mol, fp);
  for (long k = 1; k <= mol.num_residues; ++k)
    if (is_nt(k, mol))
      mol.residues[k].letter = static_cast<char>(std::toupper(static_cast<unsigned char>(mol.residues[k].letter)));
  write_interactions(o, helices, results, mol, st, fp);
  if (Gvars.json)
    write_json_tail(o, mol, fp);
  else
    write_text_tail(o, fp);
  free_vask(&results);
  return true;
}

triz_options read_triz_options(int argc, char* argv[]) {
  mutable_gvars().subcommand.triz = 1;
  mutable_gvars().prefix = "triz";
  mutable_gvars().auxfiles = 0;
  for (int k = 2; k < argc; ++k)
    if (asking_help(argv[k])) triz_usage_exit();
  triz_options o;
  for (int k = 2; k < argc; ++k) {
    const char* arg = argv[k];
    if (check_input_output(arg, o.input, o.output)) continue;
    if (check_triz_option(arg, o)) continue;
    if (check_common_options(arg)) continue;
    display_unrecognized_option(arg);
  }
  return o;
}

void perform_triz_and_exit(int argc, char* argv[]) {
  triz_options o = read_triz_options(argc, argv);
  // two runs in one folder would remove each other's files, whatever their
  // prefixes; an input under a fixed name of ours, or the report naming the
  // input, is refused before anything is written or removed
  const subcommand_run guard(argc, argv, {{"input file", o.input}}, {{"output file", o.output}}, true);
  for (const std::string& name : triz::fixed_names()) claim_own_output("fixed-name file", name);
  if (!o.input.empty() && !is_pseudo_file(o.input))
    for (const char* end : {"-5mC.pdb", "-5mC.txt"})
      claim_own_output("fixed-name file", basename_del_ext(o.input) + end);
  if (Gvars.cleanup > 0) {
    triz::delete_common_files();
    runlog_msg("done with cleaning up files.\n");
    end_run(0);
  }
  check_required_file(o.input, "must specify -i=PDBFile/mmCIF");
  if (mmcif_output()) {
    runlog_msg("[i] ignore --format-output=mmcif; PDB files are generated\n");
    mutable_gvars().output_format = 1;
  }
  finish_triz_options(o);
  check_nmr_with_get_hbond();
  check_json_extension(o.output);
  reset_periodic_table();
  check_nmr(o.input, mutable_gvars());
  if (nmr_ensemble()) {
    run_triz_ensemble(o);
    end_run(0);
  }
  runlog_msg("\nProcessing file '%s'\n", o.input.c_str());
  struct_mol mol;
  read_pdb(o.input, mol);
  scoped_file out(open_output(o.output));
  do_triz_per_structure(o, mol, out.get());
  if (Gvars.json) json_raw_text(out.get(), "\n");
  tally_warnings(mol.warned);
  free_struct_mol(mol);
  out.close();
  end_run(0);
}

}  // namespace vask
