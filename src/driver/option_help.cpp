// Help, version and citation texts: each prints and ends the run with status 0.
#include <cstdio>
#include <string>

#include "driver/option.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

void star_line(FILE* fp, int n, char c) {
  if (fp == nullptr) return;
  for (int i = 0; i < n; ++i) std::fputc(c, fp);
  std::fputc('\n', fp);
}

// The built-in help, one line each, after the banner.
constexpr const char* kHelpLines[] = {
    "Usage: belqo-vask [options]",
    "",
    "Each option is specified via --key[=val] (or -key[=val] or key[=val];",
    "i.e., two/one/zero preceding dashes are all accepted), where 'key' can",
    "be in either lower, UPPER or MiXed case. Options can be in any order.",
    "Options:",
    "  --help         Print this command-line help information (-h)",
    "  --version      Print version number and exit (-v)",
    "  --citation     Print preferred citation(s) and exit",
    "  --input=file   Specify a PDB/mmCIF file for analysis (-i=file)",
    "  --output=file  Designate the main VASK output file (-o=file)",
    "  --more         Report detailed bp and step/helical parameters",
    "  --non-pair     Check non-pairing H-bonds/stacking interactions",
    "  --pair-only    Output just base-pairing information [3x faster]",
    "  --json         Generate output in JSON format for easy parsing",
    "  --nmr          Process an ensemble of NMR structures",
    "  --blocview     Generate cartoon/blocks, in extended view, in PyMOL",
    "  --frame        Reorient a structure with specified base/pair frame",
    "  --get-hbond    Report a list of H-bonds within nucleic acids",
    "            with --get-hbond=protein to include H-honds in proteins",
    "",
    "Examples:",
    "  belqo-vask -i=1msy.pdb",
    "  belqo-vask -i=1msy.cif --more --non-pair",
    "  belqo-vask -i=1ehz.pdb -o=1ehz.out  # yeast phenylalanine tRNA",
    "  belqo-vask -i=1jj2.pdb -o=1jj2.out  # large ribosomal subunit",
    "  belqo-vask -i=5afi.cif -o=5afi.out  # ribosome (only in .cif)",
    "  belqo-vask -i=5afi.cif -o=5afi-pairs.out --PAIR-ONLY  # 3x faster",
    "  belqo-vask -i=1msy.pdb --json -o=1msy.json",
    "     # belqo-vask -i=1msy.pdb --json | jq .pairs",
    "  belqo-vask -i=5afi.cif --json --pair-only",
    "  belqo-vask -i=2n2d.pdb --nmr --json -o=2n2d-vask.json",
    "  belqo-vask -i=1msy.pdb --blocview --block-file=wc -o=1msy.pml",
    "     # load '1msy.pml' into PyMOL for interactive visualization",
    "  belqo-vask -i=1msy.pdb --frame='A.2658-wc-minor' -o=1msy-bp.pdb",
    "     # set 1msy into the minor-groove view of the C2658-G2663 pair",
    "  belqo-vask -i=1oct.pdb --get-hbond  # H-bonds in DNA/RNA (default)",
    "  belqo-vask -i=1oct.pdb --get-hbond --json -o=hbonds.json",
    "     # The JSON file 'hbonds.json' contains ALL types of H-bonds:",
    "     jq '.hbonds[] | select(.residue_pair==\"nt:nt\")' hbonds.json",
    "     jq '.hbonds[] | select(.residue_pair==\"nt:aa\")' hbonds.json",
    "     jq '.hbonds[] | select(.residue_pair==\"aa:aa\")' hbonds.json",
    "",
    "  belqo-vask triz -h  # help for the TRIZ module on the interactions",
    "                      #      of DNA-protein or RNA-protein complexes",
};

constexpr const char* kOrLine = "  ------------------------------ OR ------------------------------\n";

// The program's own references.
const std::string kVaskCitation = std::string(
    "Please cite the belqo-vask program itself when you use its results:\n\n"
    "  The belqo-vask developers (2026).\n"
    "    belqo-vask: dissecting the nucleic acids of three-dimensional\n"
    "    structures (PDB and mmCIF), program version " VASK_VERSION ".\n"
    "    Command-line tool; run 'belqo-vask -v' for the exact build.\n") +
    kOrLine +
    "  The belqo-vask developers (2026).\n"
    "    VASK User Manual: base pairs, multiplets, helices, stems,\n"
    "    dot-bracket notation, loops and tertiary motifs of DNA and RNA.\n"
    "    Distributed with the program (docs/manual.md, installed as\n"
    "    share/belqo-vask/docs/manual.md).\n" +
    kOrLine +
    "  The belqo-vask developers (2026).\n"
    "    belqo-vask sub-commands: analyze, rebuild, fiber, mutate,\n"
    "    composite, triz, search, project and task.\n"
    "    Distributed with the program (belqo-vask <sub-command> -h).\n\n";

const std::string kTrizCitation = std::string(
    "Until a paper on the TRIZ module is published, please cite your\n"
    "specific use of it as a component of the belqo-vask suite, together\n"
    "with one of the suite's references:\n\n"
    "  The belqo-vask developers (2026).\n"
    "    belqo-vask: dissecting the nucleic acids of three-dimensional\n"
    "    structures (PDB and mmCIF), program version " VASK_VERSION ".\n") +
    kOrLine +
    "  The belqo-vask developers (2026).\n"
    "    belqo-vask sub-commands: analyze, rebuild, fiber, mutate,\n"
    "    composite, triz, search, project and task.\n\n";

}  // namespace

void display_helpfile() {
  if (Gvars.help_mode == 1) {
    star_line(stderr, 70, '=');
    std::fprintf(stderr, "%s\n", Gconsts.banner.c_str());
    star_line(stderr, 70, '=');
    for (const char* line : kHelpLines) std::fprintf(stderr, "%s\n", line);
    star_line(stderr, 70, '=');
    end_run(0);
  }
  if (Gvars.help_mode == 2) end_run(0);
  display_helpfile_from_disk();
}

void display_helpfile_from_disk() {
  std::string path = get_sysfile("doc", Gvars.help_file);
  scoped_file sf(open_file(path, "r"));
  FILE* fp = sf.get();
  star_line(RUNLOG, 78, '=');
  std::string line;
  while (get_line(fp, line))
    if (!is_comment_string(line)) runlog_msg("%s\n", line.c_str());
  star_line(RUNLOG, 78, '=');
  sf.close();
  end_run(0);
}

void exit_normal(const std::string& text) {
  runlog_msg("\n");
  star_line(RUNLOG, 66, '*');
  std::string s = text;
  if (!s.empty() && s.back() == '\n') s.pop_back();
  runlog_msg("%s", s.c_str());
  runlog_msg("\n");
  star_line(RUNLOG, 66, '*');
  end_run(0);
}

void show_citation() {
  const std::string& name = Gvars.program_name;
  if (zor_ncmatch(name, "vask")) exit_normal(kVaskCitation);
  if (zor_ncmatch(name, "triz")) exit_normal(kTrizCitation);
  exit_normal(kVaskCitation);  // any other name: the program's own references
}

bool asking_help(const char* word) {
  return zor_ncmatch(word, "^-?-?h$") || zor_ncmatch(word, "^-?-?help");
}

bool asking_version(const char* word) {
  return zor_ncmatch(word, "^-?-?v$") || zor_ncmatch(word, "^-?-?version");
}

}  // namespace vask
