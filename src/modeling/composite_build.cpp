// The assembly of a composite model: this executable is run as child
// processes (fiber and task runs) that build the connecting duplexes, put
// each template in place and join everything; every command is recorded in
// a shell script. Then, on request, the bases are mutated to the sequence
// and the templates split into an ensemble.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "modeling/composite.hpp"
#include "modeling/mutation.hpp"
#include "modeling/sequence.hpp"
#include "pairing/pair.hpp"
#include "secondary/helix.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/process.hpp"
#include "support/script_quote.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

// Where the sealed model goes when the output is a stream that the mutation
// and ensemble steps could not read back.
constexpr const char* kSealedModel = "final-sealed.pdb";

using command = std::vector<std::string>;

// The script file and the child runs: each command is written to the script
// as a line sh reads back word for word, then run without a shell.
class child_runs {
 public:
  explicit child_runs(const composite_settings& s) : s_(s), script_(output_file(s.script_file)) {}

  FILE* script() const { return script_.get(); }
  const composite_settings& settings() const { return s_; }

  void run(const command& words) {
    const command args = child_command(words);
    // the child opens its output as named: an intermediate is made anew here
    // first, so that a link planted under its name is replaced
    for (const std::string& a : args)
      if (a.rfind("-o=", 0) == 0 && a.substr(3) != s_.output) create_empty_file(a.substr(3));
    std::fprintf(script(), "%s\n", shell_command_line(args).c_str());
    std::fflush(script());  // a failing child leaves the script complete up to it
    run_program(s_.program, args);
  }
  void blank_line() { std::fprintf(script(), "\n"); }
  void close() { script_.close(); }

 private:
  const composite_settings& s_;
  scoped_file script_;
};

// The script names this very executable by its path, so that sh runs it again
// from a build tree or any folder, whatever is on PATH.
command fiber_command(const composite_settings& s) {
  command c{s.program, "fiber", "--silent"};
  if (s.a_form)
    c.push_back("--A-form");
  else if (s.rna && with_input_sequence(s))
    c.push_back("--RNA-duplex");
  return c;
}

command task_command(const composite_settings& s) { return {s.program, "tasks", "--silent"}; }

command with(command c, std::initializer_list<std::string> more) {
  c.insert(c.end(), more);
  return c;
}

// The template's base name with every character outside [A-Za-z0-9._+-] as
// '_': derived files stay in the working folder, and their names stay single
// words for the two-file value of the merge task.
// The derived files hold PDB records whatever the template was read from:
// an mmCIF extension (".cif", ".mmcif", any case) becomes ".pdb", so that no
// other reader takes them for mmCIF.
// A name that would make "ref-<name>" one of the fixed files (ref-head.pdb,
// ...) gets "template-" in front.
std::string derived_name(const std::string& templ) {
  std::string name = get_basename(templ);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '+' && c != '-') c = '_';
  if (const std::string ext = lower_copy(get_file_extension(name)); ext == "cif" || ext == "mmcif")
    name = basename_renew_ext(name, "pdb");
  for (const char* fixed : {"conn.pdb", "cnSite.pdb", "head.pdb", "tail.pdb"})
    if (name == fixed) return "template-" + name;
  return name;
}

// The files the assembly writes in the working folder.
std::vector<std::string> written_files(const composite_settings& s, const composite_plan& plan) {
  std::vector<std::string> files{s.script_file,       "conn.pdb",       "ref-conn.pdb",      "cnSite.pdb",
                                 "ref-cnSite.pdb",    "head.pdb",       "ref-head.pdb",      "tail.pdb",
                                 "ref-tail.pdb",      "final-raw.pdb",  "final-duplexXY.pdb", kSealedModel,
                                 "final-mutated.pdb", "final-ensemble.pdb"};
  for (const binding_site& b : plan.sites) {
    files.push_back("tidy-" + derived_name(b.templ));
    files.push_back("ref-" + derived_name(b.templ));
  }
  return files;
}

// A template under the name of a file the assembly writes, or the output
// under the name of a template or an intermediate, would be lost, and with
// it the run: refused before anything is written.
void check_templates_kept(const composite_settings& s, const composite_plan& plan) {
  for (const std::string& file : written_files(s, plan))
    for (const binding_site& b : plan.sites)
      if (same_file(file, b.templ))
        fatal("[e] template %s would be overwritten by an intermediate file of the same name\n", b.templ.c_str());
  for (const binding_site& b : plan.sites) claim_input("template file", b.templ);
  // the command file itself was claimed with the run's outputs; skipped by
  // place, not by name, so that a command file named like an intermediate
  // is refused
  const std::vector<std::string> files = written_files(s, plan);
  for (std::size_t k = 1; k < files.size(); ++k) claim_own_output("intermediate file", files[k]);
}

std::string segment_id(long k) { return extract_substr0(sformat("T%3.3ld", k), 4); }

void separator(FILE* fp) { std::fprintf(fp, "\n%s\n", std::string(76, '#').c_str()); }

void build_site(const composite_settings& s, const binding_site& b, long k, child_runs& runs) {
  runlog_msg("\tbuilding site #%ld\n", k);
  FILE* sh = runs.script();
  separator(sh);
  std::fprintf(sh, "# iteration #%ld: ", k);
  std::fprintf(sh, "start=%-4ld  end=%-4ld  pdbfile=%s  length=%-4ld  reverse=%ld  seq=%s\n", b.start, b.end,
               shell_comment_text(b.templ).c_str(), b.pairs, b.reverse, b.templ_seq.c_str());
  std::fprintf(sh, "# connecting duplex: pairs=%s(%ld)\n", b.connector.c_str(),
               static_cast<long>(b.connector.size()));
  const command fiber = fiber_command(s);
  const command task = task_command(s);
  const std::string name = derived_name(b.templ);
  runs.run(with(fiber, {"--seq=G" + b.connector + "G", "-o=conn.pdb"}));
  runs.run(with(task, {"-i=conn.pdb", "--frame-pair=last", "--remove-pair", "-o=ref-conn.pdb"}));
  runs.blank_line();
  command tidy = with(task, {"-i=" + b.templ, b.reverse ? "--check-ds=-1" : "--check-ds"});
  if (!s.content.empty()) tidy.push_back("--content=" + s.content);
  runs.run(with(tidy, {"--segid=" + segment_id(k), "-o=tidy-" + name}));
  runs.run(with(task, {"-i=tidy-" + name, "--frame-pair=first", "-o=ref-" + name}));
  runs.blank_line();
  runs.run(with(task, {"--merge-file=ref-conn.pdb ref-" + name + " simple", "-o=cnSite.pdb"}));
  runs.run(with(task, {"-i=cnSite.pdb", "--frame-pair=first", "--remove-pair", "-o=ref-cnSite.pdb"}));
  runs.blank_line();
  runs.run(with(task, {"--merge-file=ref-head.pdb ref-cnSite.pdb simple", "-o=head.pdb"}));
  runs.run(with(task, {"-i=head.pdb", "--frame-pair=last", "-o=ref-head.pdb"}));
}

void add_tail(const composite_settings& s, const composite_plan& plan, child_runs& runs) {
  runlog_msg("\tadding tail\n");
  separator(runs.script());
  std::fprintf(runs.script(), "# tail duplex: pairs=%s(%ld)\n", plan.tail.c_str(),
               static_cast<long>(plan.tail.size()));
  const command task = task_command(s);
  runs.run(with(fiber_command(s), {"--seq=G" + plan.tail, "-o=tail.pdb"}));
  runs.run(with(task, {"-i=tail.pdb", "--frame-pair=first", "--remove-pair", "-o=ref-tail.pdb"}));
  runs.run(with(task, {"--merge-file=ref-head.pdb ref-tail.pdb simple", "-o=final-raw.pdb"}));
}

void finish_duplex(const std::string& model, child_runs& runs) {
  runlog_msg("\tassembling the duplex to chains X and Y\n");
  FILE* sh = runs.script();
  separator(sh);
  std::fprintf(sh, "# finishing touches\n");
  std::fprintf(sh, "#\tassemble the duplex, with chains X and Y\n");
  const command task = task_command(runs.settings());
  runs.run(with(task, {"-i=final-raw.pdb", "--join-duplex", "-o=final-duplexXY.pdb"}));
  runlog_msg("\tcompleting backbone atoms\n");
  std::fprintf(sh, "#\tadd missing backbone atoms\n");
  runs.run(with(task, {"-i=final-duplexXY.pdb", "--seal-backbone", "-o=" + model}));
}

// The model file read with its one helix: the helix's strands in pair order.
struct model_helix {
  struct_mol mol;
  helix h;
};

void read_model_helix(const std::string& file, model_helix& m) {
  if (!read_one_helix(file, m.mol, m.h)) fatal("[e] input file %s not have only ONE valid helix\n", file.c_str());
}

// The model is the output the user named (opened as named) or a file of ours.
void copy_to_model(const std::string& file, const std::string& model) {
  scoped_file to(output_file(model));
  copy_file_to_handle(file, to.get());
  to.close();
}

// Strand 1 of the helix takes the sequence's letters, strand 2 their
// complements; only the bases change.
void mutate_to_sequence(const composite_settings& s, const std::string& model, const std::string& seq) {
  runlog_msg("\tmutating bases to match input sequence\n");
  model_helix m;
  read_model_helix(model, m);
  struct_mol& mol = m.mol;
  std::vector<char> letter(static_cast<std::size_t>(mol.num_residues + 1), '\0');
  std::string source;
  const long n = std::min(m.h.num_pairs, static_cast<long>(seq.size()));
  for (long i = 1; i <= m.h.num_pairs; ++i) source += mol.residues[m.h.strand1[i]].letter;
  for (long i = 1; i <= n; ++i) {
    const char c = seq[static_cast<std::size_t>(i - 1)];
    char partner = get_complementary_base(c);
    if (s.rna && partner == 'T') partner = 'U';
    // the pair, not strand 2's slot, names the partner: strand 2 may run 5' to 3'
    const pair& p = m.h.pairs[static_cast<std::size_t>(i)];
    const long nt1 = m.h.strand1[i];
    letter[static_cast<std::size_t>(nt1)] = c;
    letter[static_cast<std::size_t>(p.nt1 == nt1 ? p.nt2 : p.nt1)] = partner;
  }
  runlog_msg("source=%s\n", source.c_str());
  runlog_msg("target=%s\n", seq.c_str());
  const std::string out = "final-mutated.pdb";
  scoped_file sf(create_file(out));
  long serial = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const char c = letter[static_cast<std::size_t>(k)];
    if (c != '\0') {
      const std::vector<atom> tmpl = builtin_base_template(sformat("frame___%c.pdb", c));
      mutate_bases_only(sf.get(), mol, k, tmpl, sformat("  %c", c), serial);
      continue;
    }
    const residue& r = mol.residues[k];
    for (long i = r.first_atom; i <= r.last_atom; ++i) {
      atom a = mol.atoms[i];
      a.serial = ++serial;
      write_atom_record(sf.get(), a, mol);
    }
  }
  end_pdbfile(sf.get());
  sf.close();
  free_struct_mol(mol);
  copy_to_model(out, model);
}

// Model 1 the duplex; then one model per template with the residues that
// carry its segment id.
void separate_templates(const composite_plan& plan, const std::string& model) {
  runlog_msg("\tseparating templates into a MODEL/ENDMDL ensemble\n");
  model_helix m;
  read_model_helix(model, m);
  struct_mol& mol = m.mol;
  const std::string out = "final-ensemble.pdb";
  scoped_file sf(create_file(out));
  FILE* fp = sf.get();
  long num = 1;
  std::fprintf(fp, "%6s    %4ld\n", "MODEL ", num);
  std::fprintf(fp, "REMARK    the duplex\n");
  std::vector<long> list{0};
  for (long i = 1; i <= m.h.num_pairs; ++i) list.push_back(m.h.strand1[i]);
  for (long i = 1; i <= m.h.num_pairs; ++i) list.push_back(m.h.strand2[i]);
  write_residue_set_pdb_simple(static_cast<long>(list.size()) - 1, list, nullptr, mol, fp);
  std::fprintf(fp, "ENDMDL\n");
  for (std::size_t k = 0; k < plan.sites.size(); ++k) {
    const std::string segid = segment_id(static_cast<long>(k) + 1);
    std::vector<long> own{0};
    for (long r = 1; r <= mol.num_residues; ++r)
      if (mol.residues[r].segid == segid) own.push_back(r);
    if (own.size() == 1) continue;
    std::fprintf(fp, "%6s    %4ld\n", "MODEL ", ++num);
    std::fprintf(fp, "REMARK    from template %s\n", plan.sites[k].templ.c_str());
    write_residue_set_pdb_simple(static_cast<long>(own.size()) - 1, own, nullptr, mol, fp);
    std::fprintf(fp, "ENDMDL\n");
  }
  end_pdbfile(fp);
  sf.close();
  free_struct_mol(mol);
  copy_to_model(out, model);
}

// "X.DC12": chain, residue name and number, as the run log names residues.
std::string residue_label(const residue& r) {
  return trimmed(r.chain_id) + "." + trimmed(r.name) + std::to_string(r.res_seq);
}

long find_atom(const struct_mol& mol, const residue& r, const char* name) {
  for (long i = r.first_atom; i <= r.last_atom; ++i)
    if (mol.atoms[i].name == name) return i;
  return -1;
}

}  // namespace

std::vector<junction_link> measure_junctions(const struct_mol& mol) {
  std::vector<junction_link> out;
  for (long k = 1; k < mol.num_residues; ++k) {
    const residue& a = mol.residues[k];
    const residue& b = mol.residues[k + 1];
    if (a.chain_id != b.chain_id || a.segid == b.segid) continue;
    junction_link j{residue_label(a), residue_label(b), -1.0};
    const long o3 = find_atom(mol, a, " O3'"), p = find_atom(mol, b, " P  ");
    if (o3 > 0 && p > 0) j.length = dist_xyz(mol.atoms[o3].xyz, mol.atoms[p].xyz);
    out.push_back(std::move(j));
  }
  return out;
}

void report_junctions(const std::string& model) {
  struct_mol mol;
  read_pdb_simple(model, mol);
  const std::vector<junction_link> links = measure_junctions(mol);
  free_struct_mol(mol);
  long off = 0;
  for (const junction_link& j : links) {
    if (j.length >= kJunctionMin && j.length <= kJunctionMax) continue;
    ++off;
    if (j.length < 0)
      runlog_msg("[w] junction %s -> %s: no O3'-P link (an atom is missing)\n", j.from.c_str(), j.to.c_str());
    else
      runlog_msg("[w] junction %s -> %s: O3'-P %.2f A, outside %.1f-%.1f A\n", j.from.c_str(), j.to.c_str(),
                 j.length, kJunctionMin, kJunctionMax);
  }
  runlog_msg("[i] %ld junction links measured, %ld outside %.1f-%.1f A\n", static_cast<long>(links.size()), off,
             kJunctionMin, kJunctionMax);
}

void build_composite(const composite_settings& s, const composite_plan& plan) {
  const bool mutate = s.mutate && with_input_sequence(s);
  // the junctions are measured, and the mutation and ensemble steps read
  // the model back: a stream output gets it from a file of ours, written to
  // the stream at the end
  const bool via_file = stdout_stderr(s.output);
  const std::string model = via_file ? kSealedModel : s.output;

  check_templates_kept(s, plan);
  child_runs runs(s);
  FILE* sh = runs.script();
  std::fprintf(sh, "# initialization -- create empty file 'ref-head.pdb'\n");
  std::fprintf(sh, "rm -f ref-head.pdb\n");
  std::fprintf(sh, "touch ref-head.pdb\n");
  create_empty_file("ref-head.pdb");
  runlog_msg("\nProcessing %ld binding sites\n", static_cast<long>(plan.sites.size()));
  for (std::size_t k = 0; k < plan.sites.size(); ++k) build_site(s, plan.sites[k], static_cast<long>(k) + 1, runs);
  add_tail(s, plan, runs);
  finish_duplex(model, runs);
  report_junctions(model);
  if (mutate) {
    std::fprintf(sh, "#\tmutating bases per input sequence --> %s\n", shell_comment_text(s.output).c_str());
    mutate_to_sequence(s, model, plan.sequence);
  }
  if (s.separate) {
    std::fprintf(sh, "#\tseparating templates into an ensemble --> %s\n", shell_comment_text(s.output).c_str());
    separate_templates(plan, model);
  }
  runs.close();
  if (via_file) {
    scoped_file sf(open_output(s.output));
    FILE* fp = sf.get();
    copy_file_to_handle(model, fp);
    sf.close();
  }
}

}  // namespace vask
