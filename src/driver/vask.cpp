// The auxiliary-file table: clean-up and collection.
#include "driver/vask.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "driver/option.hpp"
#include "structure/pdb.hpp"
#include "support/common.hpp"
#include "support/file.hpp"
#include "support/utility.hpp"

namespace vask {

std::string aux_file_name(std::string_view suffix) {
  std::string name = Gvars.prefix.substr(0, 256);
  name += '-';
  name += suffix;
  return name;
}

std::string cif_twin(std::string_view name) {
  constexpr std::string_view pdb = ".pdb";
  if (name.size() < pdb.size() || name.substr(name.size() - pdb.size()) != pdb) return {};
  std::string twin(name.substr(0, name.size() - pdb.size()));
  return twin + ".cif";
}

void delete_common_files() {
  if (Gvars.cleanup == 0) return;
  for (const auto& row : aux_file_table) {
    std::string name = aux_file_name(row.suffix);
    remove_file(name);
    std::string twin = cif_twin(name);
    if (!twin.empty()) remove_file(twin);
  }
  for (const char* name : fixed_aux_files) remove_file(name);
}

namespace {
// The same file under two names (links and relative paths included), or two
// equal names of files that do not exist yet; the stream pseudo-names never clash.
bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty() || is_pseudo_file(a) || is_pseudo_file(b)) return false;
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}
}  // namespace

void check_file_clashes(const run_descriptor& run) {
  if (Gvars.prefix.find('/') != std::string::npos)
    fatal("[e] --prefix takes a plain name without a directory: '%s'\n", Gvars.prefix.c_str());
  struct named {
    const char* what;
    const std::string& name;
  };
  const named inputs[] = {{"input file", run.input}, {"list file", run.list}};
  const named outputs[] = {{"output file", run.output},
                           {"run log", Gvars.runlog_name},
                           {"program log", Gvars.prglog_name}};
  for (const auto& out : outputs) {
    for (const auto& in : inputs)
      if (same_file(out.name, in.name))
        fatal("[e] the %s '%s' is the %s: refusing to overwrite it\n", out.what,
              out.name.c_str(), in.what);
    for (const auto& other : outputs)
      if (&other < &out && same_file(out.name, other.name))
        fatal("[e] the %s and the %s are the same file '%s'\n", other.what, out.what,
              out.name.c_str());
  }
  std::vector<std::string> aux;
  for (const auto& row : aux_file_table) {
    aux.push_back(aux_file_name(row.suffix));
    if (std::string twin = cif_twin(aux.back()); !twin.empty()) aux.push_back(twin);
  }
  aux.insert(aux.end(), fixed_aux_files.begin(), fixed_aux_files.end());
  aux.emplace_back("PDB-lists.txt");
  const named mine[] = {inputs[0], inputs[1], outputs[0]};
  for (const auto& f : mine)
    for (const auto& name : aux)
      if (same_file(f.name, name))
        fatal("[e] the %s '%s' has the name of an auxiliary file this run writes or "
              "removes: rename it or choose another --prefix\n",
              f.what, f.name.c_str());
}

long collect_auxfiles(std::vector<long>& rows, std::vector<std::string>& names) {
  rows.clear();
  names.clear();
  for (size_t i = 0; i < aux_file_table.size(); ++i) {
    std::string name = aux_file_name(aux_file_table[i].suffix);
    if (!exist_file(name)) {
      name = cif_twin(name);
      if (name.empty() || !exist_file(name)) continue;
    }
    if (file_size(name) == 0) {
      remove_file(name);
      continue;
    }
    rows.push_back(static_cast<long>(i));
    names.push_back(name);
  }
  return static_cast<long>(rows.size());
}

// ---------------------------------------------------------------------------
// Per-structure pipeline

namespace {

constexpr double DEFAULT_NT_CUTOFF = 0.28;  // Angstrom; echoed only when changed

bool nmr_ensemble() { return Gvars.model_mode == 2 && Gvars.num_models > 0; }

void write_text_header(const run_descriptor& run, const struct_mol& mol, FILE* fp) {
  print_separator(fp, '*', SEPARATOR_WIDTH);
  if (VERBOSITY <= 1) {
    if (!Gvars.web_skmatic && Gvars.counts.single_file && mol.num_nts > 0) {
      std::fprintf(fp, "%s", Gconsts.banner.c_str());
      print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
    }
    std::fprintf(fp, "Note: By default, each nucleotide is identified by chainId.name#. So a\n");
    std::fprintf(fp, "      common case would be B.A1689, meaning adenosine #1689 on chain B.\n");
    std::fprintf(fp, "      One-letter base names for modified nucleotides are put in lower\n");
    std::fprintf(fp, "      case (e.g., 'c' for 5MC). For further information about the output\n");
    std::fprintf(fp, "      notation, please refer to the VASK User Manual.\n");
    std::fprintf(fp, "    Questions and suggestions are *always* welcome on the ORMO Forum.\n\n");
    std::fprintf(fp, "Command: %s\n", derive_running_command(run).c_str());
    write_timestamp(fp);
  }
  std::fprintf(fp, "File name: %s\n", get_basename(run.input).c_str());
  if (VERBOSITY > 1) {
    std::fprintf(fp, "    no. of peptide chains: %ld", mol.num_protein_chains);
    if (mol.num_protein_chains) std::fprintf(fp, " [%s]", mol.protein_chain_text.c_str());
    std::fprintf(fp, "\n");
  }
  std::fprintf(fp, "    no. of DNA/RNA chains: %ld", mol.num_na_chains);
  if (mol.num_na_chains) std::fprintf(fp, " [%s]", mol.na_chain_text.c_str());
  std::fprintf(fp, "\n");
  std::fprintf(fp, "    no. of nucleotides:    %ld\n", mol.num_nts);
  std::fprintf(fp, "    no. of atoms:          %ld\n", mol.num_atoms);
  std::fprintf(fp, "    no. of waters:         %ld\n", mol.num_waters);
  std::fprintf(fp, "    no. of metals:         %ld", mol.num_metals);
  if (mol.num_metals) std::fprintf(fp, " [%s]", mol.metal_text.c_str());
  std::fprintf(fp, "\n");
}

// The finders of the later analysis stages slot in here, in this order:
// modified-nucleotide and metal summaries, water clusters, base pairs, pair
// networks, helices/stems/isolated pairs, multiplets, cyclic tetrads,
// multiplet segments, non-pair contacts, stacks, atom-base capping, splayed
// units, dot-bracket with pseudoknots (and their removal in nested mode),
// hairpins, loops, single-stranded segments, kissing loops, A-minors, U-turns,
// UA-loops, G-quadruplexes, i-motifs, ribose zippers, kink turns, phosphate
// contacts.
void run_finders(const run_descriptor&, struct_mol&) {}

// The report writers slot in here, in this order: main report body, water
// bridges, secondary structure files, nucleotide features, SQL, torsions,
// tertiary contacts (with the --ter cutoff).
void run_writers(const run_descriptor&, struct_mol&, FILE*) {}

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
  output_time_used(run.output, fp);
}

}  // namespace

std::string derive_running_command(const run_descriptor& run) {
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
  if (Gvars.model_mode > 3) cmd += " --symmetry";
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

void check_nts(FILE* fp, const std::string& output_name, struct_mol& mol) {
  if (fp == nullptr) return;
  std::string msg;
  if (mol.num_nts > 0) {
    if (Gvars.server_cap == 0 || mol.num_nts <= Gvars.server_cap) return;
    msg = sformat("too many nucleotides (%ld > %ld)", mol.num_nts, Gvars.server_cap);
  } else {
    msg = "no nucleotides found";
  }
  if (!stdout_stderr(output_name)) runlog_msg("\n%s\n", msg.c_str());
  std::fprintf(fp, "\n%s\n", msg.c_str());
  close_file(fp);
  free_pdb_exit(mol);
}

void do_vask_per_structure(const run_descriptor& run, struct_mol& mol, FILE* fp) {
  if (fp != nullptr) write_text_header(run, mol, fp);
  check_nts(fp, run.output, mol);
  run_finders(run, mol);
  run_writers(run, mol, fp);
  write_text_tail(run, fp);
}

}  // namespace vask
