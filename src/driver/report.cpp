// The report of one structure: header, finders in their fixed order, writers,
// tail, and the JSON frame around it: see report.hpp.
#include "driver/report.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <map>
#include <system_error>
#include <utility>

#include "driver/aux_files.hpp"
#include "driver/option.hpp"
#include "driver/sqlite_output.hpp"
#include "driver/vask_results.hpp"
#include "motifs/aminor.hpp"
#include "motifs/capping.hpp"
#include "motifs/cyclic_tetrad.hpp"
#include "motifs/mstack.hpp"
#include "motifs/multiplet.hpp"
#include "motifs/network.hpp"
#include "motifs/nonpair.hpp"
#include "motifs/phosphate.hpp"
#include "motifs/stack.hpp"
#include "motifs/stacking_ensemble.hpp"
#include "motifs/tertiary.hpp"
#include "motifs/uturn.hpp"
#include "motifs/zipper.hpp"
#include "pairing/hbond_water.hpp"
#include "pairing/nt_features.hpp"
#include "pairing/pair.hpp"
#include "pairing/splay.hpp"
#include "pairing/torsion.hpp"
#include "schematics/block_template.hpp"
#include "schematics/hbond_output.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/loop.hpp"
#include "secondary/ss_segment.hpp"
#include "secondary/helix.hpp"
#include "secondary/pknot.hpp"
#include "secondary/ss_output.hpp"
#include "secondary/xref.hpp"
#include "structure/mmcif.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/log.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/timing.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr double DEFAULT_NT_CUTOFF = 0.28;  // Angstrom; echoed only when changed

// The glossary of the JSON metadata, {key, text}.
struct json_note {
  const char* key;
  const char* text;
};
constexpr json_note kJsonNotes[] = {
    {"Aminors", "A-minor interactions (including types I and II)"},
    {"Cstem_index", "stem index of the 'Canonical' helix in k-turn"},
    {"Cstem_pair", "Cstem bp delineating the k-turn internal loop"},
    {"Dp", "perpendicular distance of the 3' P atom to the glycosidic bond"},
    {"GA_pair", "sheared G-A pair in k-turn"},
    {"HtypePknot", "H-type pseudoknot"},
    {"Kturn", "kink-turn (k-turn)"},
    {"LW", "Leontis-Westhof"},
    {"NCstem_index", "stem index of the 'Non-Canonical' helix in k-turn"},
    {"NCstem_pair", "NCstem bp delineating the k-turn internal loop"},
    {"Uturn", "U-turn of the UNR- or GNRA-type"},
    {"aa", "amino acid"},
    {"atom_pair", "symbols of the two atoms involved in an H-bond"},
    {"auxfiles", "auxiliary files"},
    {"glyco_bond", "conformation of base related to sugar (syn or anti)"},
    {"bb_type", "backbone conformation, BI or BII"},
    {"bending_angle", "angle between two helical axes"},
    {"bp", "base pair"},
    {"bseq", "base sequence in one-letter code"},
    {"bulge", "bulge loop"},
    {"coaxStacks", "coaxial stacking of stems within a helix"},
    {"dbn", "dot bracket notation"},
    {"desc", "description"},
    {"donAcc_type", "donor/acceptor type of the atom pair in an H-bond"},
    {"epsilon_zeta", "difference between epsilon and zeta torsion angles"},
    {"hairpin", "hairpin loop"},
    {"hbond", "hydrogen bond (H-bond)"},
    {"helix", "defined by base-stacking interactions, regardless of bp type and backbone connectivity"},
    {"id", "identifier"},
    {"iloop", "internal loop"},
    {"index", "serial number"},
    {"isoCanonPairs", "isolated canonical pairs"},
    {"junction", "(multi-branched) junction loop"},
    {"kissingLoop", "kissing loop"},
    {"multiplet", "3+ bases in a coplanar geometry"},
    {"na", "nucleic acid"},
    {"nonPair", "two nts not forming a pair, but with H-bonding/stacking interactions"},
    {"nonStack", "nucleotide not involved in stacking interactions"},
    {"nt", "nucleotide"},
    {"num", "number"},
    {"oArea", "overlap areas between two bases, including exocyclic atoms"},
    {"oArea_ring", "overlap areas between two bases, including only ring atoms"},
    {"phosContacts", "H-bonding and atom-capping interactions involving a phosphate"},
    {"residue_pair", "types of the two residues involved in an H-bond"},
    {"rmsd", "root-mean-squares deviation"},
    {"serNum", "serial number"},
    {"ssSegments", "single-stranded segments not involved in loops"},
    {"ssZp", "Z-coordinate of the 3' phosphorus atom with reference to the 5' base plane"},
    {"sstr", "secondary structure in dbn"},
    {"stem", "helix consisting of only canonical pairs, with a continuous backbone"},
    {"str_id", "structure identifier, derived from inpfile with extension removed"},
    {"vert_dist", "vertical distance from an atom to a base plane"},
};
static_assert(std::size(kJsonNotes) == 52, "one glossary note per row");

// The reference strings of the JSON metadata.
constexpr const char* kLicense = "see the LICENSE file of the belqo-vask distribution";
// The user manual, which the text report's header points to as well.
constexpr const char* kUrl =
    "docs/manual.md of the belqo-vask distribution (installed as share/belqo-vask/docs/manual.md)";
constexpr const char* kUrlAlt = "belqo-vask --help";
constexpr const char* kForum = "the belqo-vask issue tracker";
constexpr const char* kCitation =
    "The belqo-vask developers (2026). belqo-vask: dissecting the nucleic acids of "
    "three-dimensional structures (PDB and mmCIF), version " VASK_VERSION ".";

// Members of "paths" (unit-id id-string styles), in order.
constexpr std::pair<const char*, const char*> kJsonPaths[] = {
    {"pairs", "nt1,nt2"},
    {"multiplets", "nts_long"},
    {"helices", "pairs.nt1,nt2"},
    {"stems", "pairs.nt1,nt2"},
    {"isoCanonPairs", "nt1,nt2"},
    {"coaxStacks", "stem_indices.pairs.nt1,nt2"},
    {"hairpins", "nts_long"},
    {"bulges", "nts_long"},
    {"iloops", "nts_long"},
    {"junctions", "nts_long"},
    {"kissingLoops", "hairpin_indices.nts_long"},
    {"ssSegments", "nts_long"},
    {"stacks", "nts_long"},
    {"nonStack", "nts_long"},
    {"hbonds", "res_long;atom1_id,atom2_id"},
    {"nts", "nt_id"},
};

void write_text_header(const run_descriptor& run, const struct_mol& mol, FILE* fp) {
  print_separator(fp, '*', SEPARATOR_WIDTH);
  if (VERBOSITY <= 1) {
    if (!Gvars.web_skmatic && Gvars.subcommand.single_file && mol.num_nts > 0) {
      std::fprintf(fp, "%s", Gconsts.banner.c_str());
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    }
    std::fprintf(fp, "Note: By default, each nucleotide is identified by chainId.name#. So a\n");
    std::fprintf(fp, "      common case would be B.A1689, meaning adenosine #1689 on chain B.\n");
    std::fprintf(fp, "      One-letter base names for modified nucleotides are put in lower\n");
    std::fprintf(fp, "      case (e.g., 'c' for 5MC). For further information about the output\n");
    std::fprintf(fp, "      notation, please refer to the VASK User Manual.\n");
    std::fprintf(fp, "    Questions and suggestions are *always* welcome on the ORMO Forum.\n\n");
    std::fprintf(fp, "Command: %s\n", derive_running_command(run, mol).c_str());
    write_timestamp(fp);
  }
  std::fprintf(fp, "File name: %s\n", get_basename(run.input).c_str());
  write_molecule_counts(fp, mol, VERBOSITY > 1, false);
}

}  // namespace

// The finders of the later analysis stages slot in here, in this order:
// modified-nucleotide and metal summaries, water clusters, base pairs, pair
// networks, helices/stems/isolated pairs, multiplets, cyclic tetrads,
// multiplet segments, non-pair contacts, stacks, atom-base capping, splayed
// units, dot-bracket with pseudoknots (and their removal in nested mode),
// hairpins, loops, single-stranded segments, kissing loops, A-minors, U-turns,
// UA-loops; then (run_finders) G-quadruplexes, i-motifs, ribose zippers,
// kink turns, phosphate contacts.
void run_finders_before_g4(struct_mol& mol, vask_results& results, FILE* fp) {
  summarize_modified_nts(mol, results, fp);
  summarize_metal_coordinations(mol, results.num_metals, results.metals, fp);
  derive_water_clusters(mol, results.num_water_clusters, results.water_clusters);
  find_pairs(mol, results.num_pairs, results.pairs, 1);
  motif_measures measures(mol);
  find_pairNetworks(results.num_pairs, results.pairs, measures, results.num_networks,
                    results.networks);
  helix_slots slots = helix_slots_of(results);
  do_helices_stems_icpairs_xref(mol, slots);
  find_multiplets(mol, results.num_pairs, results.pairs, measures, results.num_multiplets,
                  results.multiplets);
  find_cyclic_tetrads(mol, results.num_multiplets, results.multiplets, results.num_cyclic_tetrads,
                      results.cyclic_tetrads);
  find_mpSegs(mol, results.num_multiplets, results.multiplets, results.num_mp_segments,
              results.mp_segments);
  find_nonpair_contacts(mol, results.num_nonpairs, results.nonpairs);
  find_stacks(mol, results.num_stacks, results.stacks, results.num_non_stacked, results.non_stacked);
  find_a2base_capping(mol, results.num_a2bases, results.a2bases);
  find_ssPars(mol, results.num_ss_pars, results.ss_pars, results.num_splay_units, results.splay_units);
  derive_dbn_with_pknots(mol, slots, results.dbn);
  if (!Gvars.pknot && results.dbn.order != 0) {
    results.dbn.saved_order = results.dbn.order;
    remove_pknots(mol, slots, results.dbn);
  }
  hairpin_slots hairpins = hairpin_slots_of(results);
  find_hairpins(mol, slots, hairpins);
  loop_slots loops = loop_slots_of(results);
  find_loops(mol, slots, loops);
  ss_slots singles = ss_slots_of(results);
  find_ssSegs(mol, singles);
  find_kissing_loops(mol, results.num_hairpins, results.hairpins, singles);
  find_Aminors(mol, results.num_pairs, results.pairs, results.num_Aminors, results.Aminors);
  find_Uturns(mol, results.num_Uturns, results.Uturns);
  find_UAloops(mol, results.num_pairs, results.pairs, results.num_UAloops, results.UAloops);
}

namespace {

void run_finders(struct_mol& mol, vask_results& results, FILE* fp) {
  run_finders_before_g4(mol, results, fp);
  find_G4plexes(mol, results.num_pairs, results.pairs, results.G4);
  find_imotifs(mol, results.num_helices, results.helices, results.num_imotifs, results.imotifs);
  find_riboseZippers(mol, results.num_zipper_groups, results.zipper_groups, results.num_zippers,
                     results.zippers);
  helix_slots slots = helix_slots_of(results);
  find_Kturns(mol, slots, results.num_loops, results.loops, results.num_ss_pars, results.ss_pars,
              results.num_Kturns, results.Kturns);
  find_PO4_contacts(mol, results.num_PO4s, results.PO4s);
  sqlite_output_PO4_interactions(results.num_PO4s, results.PO4s, mol);
}

// The report writers slot in here, in this order: main report body, water
// bridges, secondary structure files, nucleotide features, SQL, torsions,
// tertiary contacts (with the --ter cutoff).
void run_writers(const run_descriptor&, struct_mol& mol, vask_results& results, FILE* fp) {
  // the warning notes: to both logs, and to the structure's special notes of
  // the secondary-structure section
  auto warn = [&results](long n, const char* what) {
    const std::string note = sformat("with %ld %s\n", n, what);
    logit(("[w]  " + note).c_str());
    results.notes += "   o " + note;
  };
  if (fp != nullptr && mol.bp_overlaps) warn(mol.bp_overlaps, "overlapped base pairs");
  if (fp != nullptr && results.num_misassigned) warn(results.num_misassigned, "helix/stem mis-assignments");
  output_pairs_info(results.num_pairs, results.pairs, mol, fp);
  output_pairNetworks_info(mol, results.num_networks, results.networks, fp);
  output_multiplets_info(mol, results.num_multiplets, results.multiplets, fp);
  if (results.num_cyclic_tetrads > 0 && Gvars.experimental) {
    write_cyclic_tetrads_pdb(results.num_cyclic_tetrads, results.cyclic_tetrads, mol);
    show_cyclic_tetrads_nts(results.num_cyclic_tetrads, results.cyclic_tetrads, mol, fp);
  }
  show_helix_nts("helix", results.num_helices, results.helices, mol, fp);
  show_helix_nts("stem", results.num_stems, results.stems, mol, fp);
  if (fp != nullptr) {
    output_helices_pdb(mol, results.num_helices, results.helices);
    output_stems_pdb(mol, results.num_stems, results.stems);
    output_helical_axes(mol, results.num_helices, results.helices, results.num_stems, results.stems);
  }
  output_stackMultiplets_ensemble(mol, results.num_multiplets, results.multiplets);
  output_stackHelices_ensemble(mol, results.num_helices, results.helices);
  output_isolated_pairs(mol, results.num_isolated_pairs, results.isolated_pairs, fp);
  output_coaxial_stacks(results.num_coaxial_stacks, results.num_helices, results.helices, fp);
  output_nonpairs(mol, results.num_nonpairs, results.nonpairs, fp);
  output_stacks_info(mol, results.num_stacks, results.stacks, results.num_non_stacked,
                     results.non_stacked, fp);
  output_a2base_info_pdb(mol, results.num_a2bases, results.a2bases, fp);
  {
    const helix_slots helices = helix_slots_of(results);
    output_loops_info(mol, helices, hairpin_slots_of(results), loop_slots_of(results), fp);
    const ss_slots singles = ss_slots_of(results);
    output_ssSegs_info(mol, singles, fp);
    output_kissing_loops(mol, results.hairpins, singles, fp);
  }
  output_Aminors_info_pdb(mol, results.num_pairs, results.pairs, results.num_Aminors, results.Aminors, fp);
  output_Uturns_info_pdb(mol, results.num_Uturns, results.Uturns, fp);
  output_UAloops_info_pdb(mol, results.num_UAloops, results.UAloops, fp);
  output_G4plexes(mol, results.G4, fp);
  output_imotifs(mol, results.num_imotifs, results.imotifs, fp);
  output_zippers_info_pdb(mol, results.num_zipper_groups, results.zipper_groups, results.num_zippers,
                          results.zippers, fp);
  output_Kturn_info_pdb(mol, results.loops, results.num_Kturns, results.Kturns, fp);
  output_PO4_interactions(mol, results.num_PO4s, results.PO4s, fp);
  output_splays(mol, results.num_ss_pars, results.ss_pars, results.num_splay_units,
                results.splay_units, fp);  // last section of the main report body
  output_waterBridges(mol, results.num_water_clusters, results.water_clusters, fp);
  const helix_slots helices = helix_slots_of(results);
  output_2ndstrs(mol, {helices, results.num_hairpins, results.hairpins, results.dbn}, results.notes, fp);
  assign_nt_features(mol, fp);
  sqlite_output_vask_tables(mol, results.num_pairs, results.pairs);
  print_nt_torsions(mol, nullptr);
}

// "paths" and "counts" of the unit-id id-string styles; only non-zero
// feature counts are written, the nucleotide count always.
void json_paths_counts(const struct_mol& mol, const vask_results& results, FILE* fp) {
  json_begin_object(fp, "paths");
  const size_t n = std::size(kJsonPaths);
  for (size_t k = 0; k < n; ++k) {
    if (k + 1 < n)
      json_string(fp, kJsonPaths[k].first, kJsonPaths[k].second);
    else
      json_string0(fp, kJsonPaths[k].first, kJsonPaths[k].second);
  }
  json_end_object(fp);
  json_begin_object(fp, "counts");
  const std::pair<const char*, long> counts[] = {
      {"pairs", results.num_pairs},
      {"multiplets", results.num_multiplets},
      {"helices", results.num_helices},
      {"stems", results.num_stems},
      {"isoCanonPairs", results.num_isolated_pairs},
      {"coaxStacks", results.num_coaxial_stacks},
      {"hairpins", results.num_hairpins},
      {"bulges", results.num_bulges},
      {"iloops", results.num_iloops},
      {"junctions", results.num_junctions},
      {"kissingLoops", results.num_kissing_loops},
      {"ssSegments", results.num_ss_segments},
      {"stacks", results.num_stacks},
      {"nonStack", results.num_non_stacked},
      {"hbonds", mol.num_hbonds},
  };
  for (const auto& [key, count] : counts) json_nonZero_lNumber(fp, key, count);
  json_lNumber0(fp, "nts", mol.num_nts);
  json_end_object(fp);
}

void json_metadata(const run_descriptor& run, const struct_mol& mol, FILE* fp) {
  json_begin_object(fp, "metadata");
  if (VERBOSITY <= 1) json_string(fp, "version", Gconsts.version);
  json_string(fp, "license", kLicense);
  json_string(fp, "url", kUrl);
  json_string(fp, "url_alt", kUrlAlt);
  json_string(fp, "forum", kForum);
  json_string(fp, "citation", kCitation);
  if (!with_ebi_idstr()) json_string(fp, "command", derive_running_command(run, mol));
  json_header_items(run.input, mol, fp);
  const long num_notes = static_cast<long>(std::size(kJsonNotes));
  json_lNumber(fp, "num_notes", num_notes);
  json_begin_array(fp, "notes");
  for (long k = 0; k < num_notes; ++k) {
    json_raw_text(fp, "{");
    json_string0(fp, kJsonNotes[k].key, kJsonNotes[k].text);
    json_raw_text(fp, k + 1 < num_notes ? "}," : "}");
  }
  json_end_array(fp);
  std::vector<long> rows;
  std::vector<std::string> names;
  long n = collect_auxfiles(rows, names);
  if (n > 0 && Gvars.auxfiles) {
    json_lNumber(fp, "num_auxfiles", n);
    json_begin_array(fp, "auxfiles");
    for (long k = 0; k < n; ++k) {
      json_bareObject_start_with_idx(fp, k + 1);
      json_string(fp, "name", names[static_cast<size_t>(k)]);
      json_string0(fp, "desc", aux_file_table[static_cast<size_t>(rows[static_cast<size_t>(k)])].description);
      json_bareObject_end_check_idx(fp, k + 1, n);
    }
    json_end_array(fp);
  }
  json_footer(fp, run.start_clock, run.start_timestamp);
  json_end_object0(fp);
}

void write_json_tail(const run_descriptor& run, const struct_mol& mol, const vask_results& results,
                     FILE* fp) {
  // the members of chains, nucleotides, H-bonds and block coordinates come first
  json_chain_bending_suite(mol, fp);
  json_ntPars(mol, fp);
  json_hbonds(mol, fp, with_ebi_idstr());
  json_RY_WC_blocks(fp);
  if (with_ebi_idstr()) json_paths_counts(mol, results, fp);
  json_metadata(run, mol, fp);
  json_end_object0(fp);
}

void write_text_tail(const run_descriptor& run, FILE* fp) {
  std::vector<long> rows;
  std::vector<std::string> names;
  long n = collect_auxfiles(rows, names);
  if (fp != nullptr && n > 0 && Gvars.auxfiles) {
    print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    print_noun(fp, n, "List of %ld additional %s\n", "file");
    for (long k = 0; k < n; ++k)
      std::fprintf(fp, "%4ld %s -- %s\n", k + 1, names[k].c_str(),
                   aux_file_table[static_cast<size_t>(rows[k])].description);
  }
  output_time_used(run.output, fp, run.start_clock);
}

}  // namespace

std::string derive_running_command(const run_descriptor& run, const struct_mol& mol) {
  std::string cmd = sformat("%s -i=%s", Gvars.program_name.c_str(), run.input.c_str());
  collect_global_options(cmd);
  if (Gvars.json) return cmd;
  if (Gvars.idstr == 0) cmd += " --idstr=short";
  if (Gvars.idstr == 2) cmd += " --idstr=long";
  if (Gvars.idstr == 3) cmd += " --idstr=strid";
  if (Gvars.uturn) cmd += " --u-turn";
  if (VERBOSITY > 0) cmd += " --more";
  if (Gvars.non_pair) cmd += " --non-pair";
  if (Gvars.phosphate) cmd += " --po4";
  if (!Gvars.pknot) cmd += " --nested";
  if (mol.model_mode > 3) cmd += " --symmetry";
  if (nmr_ensemble()) cmd += " --nmr";
  if (Gvars.isolated == 0) cmd += " --loop-isolated-pair=no";
  if (Gvars.prefix != "vask") cmd += sformat(" --prefix=%s", Gvars.prefix.c_str());
  switch (Gvars.simple_pair) {
    case 0: break;
    case 2: cmd += " --simple-bp=N1N9"; break;
    case 4: cmd += " --simple-bp=C1prime"; break;
    case 8: cmd += " --simple-bp=center"; break;
    default: cmd += " --simple-bp=C6C8"; break;
  }
  if (!is_approx(Gvars.nt_cutoff, DEFAULT_NT_CUTOFF)) cmd += sformat(" --nt-cutoff=%g", Gvars.nt_cutoff);
  if (run.output != "stdout") cmd += sformat(" -o=%s", run.output.c_str());
  return cmd;
}

bool check_nts(FILE* fp, const std::string& output_name, const struct_mol& mol) {
  if (fp == nullptr) return true;
  std::string msg;
  if (mol.num_nts > 0) {
    if (Gvars.server_cap == 0 || mol.num_nts <= Gvars.server_cap) return true;
    msg = sformat("too many nucleotides (%ld > %ld)", mol.num_nts, Gvars.server_cap);
  } else {
    msg = "no nucleotides found";
  }
  if (!stdout_stderr(output_name)) runlog_msg("\n%s\n", msg.c_str());
  if (Gvars.json) {
    json_string0(fp, "warning", msg);
    json_end_object0(fp);
  } else {
    std::fprintf(fp, "\n%s\n", msg.c_str());
  }
  return false;
}

void write_read_failure(FILE* fp, const std::string& input, const std::string& message) {
  if (fp == nullptr) return;
  std::string msg = trimmed(message);
  if (Gvars.json) {
    json_raw_text(fp, "{");
    json_string(fp, "input_file", input);
    json_string0(fp, "error", msg);
    json_end_object0(fp);
  } else {
    std::fprintf(fp, "File name: %s\n\n%s\n", get_basename(input).c_str(), msg.c_str());
  }
}

void json_header_items(const std::string& input_name, const struct_mol& mol, FILE* fp) {
  if (fp == nullptr) return;
  json_string(fp, "input_file", input_name);
  json_string(fp, "str_id", mol.base_name);
  // a count and its description, both only when there is any
  auto counted = [fp](const char* count_key, long n, const char* text_key,
                      const std::string& text) {
    if (n <= 0) return;
    json_lNumber(fp, count_key, n);
    json_string(fp, text_key, text);
  };
  if (mol.num_models > 1) json_lNumber(fp, "num_models", mol.num_models);
  counted("num_aaChains", mol.num_protein_chains, "aaChains", mol.protein_chain_text);
  counted("num_naChains", mol.num_na_chains, "naChains", mol.na_chain_text);
  json_lNumber(fp, "num_atoms", mol.num_atoms);
  json_lNumber(fp, "num_waters", mol.num_waters);
  counted("num_metals", mol.num_metals, "metals_desc", mol.metal_text);
}

void json_footer(FILE* fp, long start_clock, const std::string& start_timestamp) {
  if (fp == nullptr) return;
  if (VERBOSITY < 2 && Gvars.time_report) {
    json_string(fp, "start_at", start_timestamp);
    json_string(fp, "finish_at", get_timestamp());
    json_string0(fp, "time_used", derive_used_time_since(start_clock));
  } else {
    json_string0(fp, "time_used", "999");
  }
}

void json_nmr_start(FILE* fp, const std::string& input_name, long n) {
  if (fp == nullptr) return;
  json_raw_text(fp, "{");
  json_string(fp, "input_file", input_name);
  json_lNumber(fp, "num_models", n);
  json_begin_array(fp, "models");
}

void json_per_model_start(FILE* fp, long k, long model) {
  if (fp == nullptr) return;
  json_raw_text(fp, "{");
  json_lNumber(fp, "index", k);
  json_lNumber(fp, "model", model);
  json_raw_text(fp, "\"parameters\":");
}

void json_per_model_end(FILE* fp, bool last, long& next_clock, std::string& next_timestamp) {
  next_clock = static_cast<long>(std::clock());
  if (fp == nullptr) return;
  json_raw_text(fp, last ? "}" : "},");
  next_timestamp = get_timestamp();
}

void json_nmr_end(FILE* fp) {
  if (fp == nullptr) return;
  json_end_array(fp);
  json_footer(fp, Gvars.start_clock, Gvars.start_timestamp);
  json_end_object0(fp);
}

void write_molecule_counts(FILE* fp, const struct_mol& mol, bool peptides, bool amino_acids) {
  if (peptides) {
    std::fprintf(fp, "    no. of peptide chains: %ld", mol.num_protein_chains);
    if (mol.num_protein_chains) std::fprintf(fp, " [%s]", mol.protein_chain_text.c_str());
    std::fprintf(fp, "\n");
  }
  std::fprintf(fp, "    no. of DNA/RNA chains: %ld", mol.num_na_chains);
  if (mol.num_na_chains) std::fprintf(fp, " [%s]", mol.na_chain_text.c_str());
  std::fprintf(fp, "\n");
  if (amino_acids) std::fprintf(fp, "    no. of amino acids:    %ld\n", mol.num_aas);
  std::fprintf(fp, "    no. of nucleotides:    %ld\n", mol.num_nts);
  std::fprintf(fp, "    no. of atoms:          %ld\n", mol.num_atoms);
  std::fprintf(fp, "    no. of waters:         %ld\n", mol.num_waters);
  std::fprintf(fp, "    no. of metals:         %ld", mol.num_metals);
  if (mol.num_metals) std::fprintf(fp, " [%s]", mol.metal_text.c_str());
  std::fprintf(fp, "\n");
}

void do_vask_per_structure(const run_descriptor& run, struct_mol& mol, FILE* fp) {
  if (pairs_only_run(mol)) {
    write_pairs_only(mol, fp);  // the one-shot product: the pairs and nothing else
    return;
  }
  if (fp != nullptr) {
    if (Gvars.json)
      json_raw_text(fp, "{");
    else
      write_text_header(run, mol, fp);
  }
  if (!check_nts(fp, run.output, mol)) return;
  vask_results results;
  init_vask(results);
  results.notes = mol.notes;  // the reader's notes come first
  run_finders(mol, results, fp);
  run_writers(run, mol, results, fp);
  find_tertiaryInteractions(mol, helix_slots_of(results), hairpin_slots_of(results), loop_slots_of(results),
                            ss_slots_of(results), fp, run.tertiary);
  if (Gvars.json)
    write_json_tail(run, mol, results, fp);
  else
    write_text_tail(run, fp);
  free_vask(&results);
}

}  // namespace vask
