// Stretched-duplex search: runs of consecutive stem steps whose Slide and
// Roll both exceed given minima (stretched, unwound duplex regions), one CSV
// row per run long enough.
#include <cstdio>
#include <string>
#include <vector>

#include "interactions/search.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "secondary/helix.hpp"
#include "structure/struct_mol.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr double kUnsetMinimum = -256.0;
constexpr long kMaxStretchTokens = 3;

void both_logs(const std::string& text) {
  if (RUNLOG != nullptr && PRGLOG != nullptr) output_to_2files(text.c_str(), RUNLOG, PRGLOG);
}

const char* res_id(long k, const struct_mol& mol) { return mol.residues[k].idstr.c_str(); }

void scan_stems(const stretch_thresholds& t, struct_mol& mol, FILE* csv) {
  long num_stems = 0;
  const std::vector<helix> stems = find_duplexes(mol, true, num_stems);
  for (long s = 1; s <= num_stems; ++s) {
    const helix& stem = stems[s];
    const long N = stem.num_pairs;
    both_logs(sformat("\tstem#%ld", s));
    if (N < 2) continue;
    const std::vector<par_set> steps = helix_step_pars(stem, mol);
    std::vector<long> flags(static_cast<size_t>(N) + 1, 0);
    for (long j = 1; j < N; ++j) {
      const double slide = steps[j][2], roll = steps[j][5];
      flags[j] = slide > t.slide && roll > t.roll ? 1 : 0;  // strict: equal does not qualify
      if (PRGLOG != nullptr)
        std::fprintf(PRGLOG, "\t%ld\tslide=%7.2f\troll=%7.2f -- %ld\n", j, slide, roll, flags[j]);
    }
    long nseg = 0;
    const std::vector<segidx> runs = get_segidx(N - 1, flags, nseg);
    for (long r = 1; r <= nseg; ++r) {
      const segidx& g = runs[r];
      if (PRGLOG != nullptr)
        std::fprintf(PRGLOG, "\t\t%ld  num=%3ld val=%3ld bidx=%3ld eidx=%3ld\n", r, g.count, g.key,
                     g.start, g.end);
      if (g.key != 1 || g.count < t.steps) continue;
      std::fprintf(csv, "%s,%ld,", mol.base_name.c_str(), s);
      std::fprintf(csv, "%s,%s,", res_id(stem.strand1[g.start], mol), res_id(stem.strand1[g.end + 1], mol));
      std::fprintf(csv, "%s,%s,", res_id(stem.strand2[N - g.end], mol),
                   res_id(stem.strand2[N - g.start + 1], mol));
      std::fprintf(csv, "%ld\n", g.count);
    }
  }
}

}  // namespace

stretch_thresholds parse_stretch_text(const std::string& text) {
  std::string work = upper_copy(text);
  for (char& c : work) {
    if (c == ',' || c == ';') c = '|';
    if (c == ':' || c == '=') c = ' ';
  }
  std::vector<std::string> tokens;
  const long n = split_str_by_strtok(work, tokens, kMaxStretchTokens, "|");
  if (n == 0) fatal("no valid slide/roll can be derived from the --stretched option\n");
  stretch_thresholds t;
  for (long i = 1; i <= n; ++i) {
    char name[512] = {0};
    double value = 0.0;
    if (std::sscanf(tokens[i].c_str(), "%511s %lf", name, &value) != 2) {
      runlog_msg("[w] ignore %s: not in name=val format\n", tokens[i].c_str());
      continue;
    }
    const std::string key = name;
    if (key == "SLIDE")
      t.slide = value;
    else if (key == "ROLL")
      t.roll = value;
    else if (key == "STEP")
      t.steps = static_cast<long>(value);
    else
      runlog_msg("[w] ignore %s=%g: non-slide/roll/step setting\n", name, value);
  }
  if (t.slide == kUnsetMinimum && t.roll == kUnsetMinimum)
    fatal("no valid slide/roll can be derived from the --stretched option\n");
  runlog_msg("--stretch=%s\n", text.c_str());
  runlog_msg("    derived: slide=%g  roll=%g  step=%ld\n", t.slide, t.roll, t.steps);
  return t;
}

void search_stretched_duplexes(const search_settings& s, long n, const std::vector<std::string>& names) {
  const stretch_thresholds t = parse_stretch_text(s.stretch);
  scoped_file csv(output_file(s.csv));
  std::fprintf(csv.get(), "strid,stem,start1,end1,start2,end2,steps\n");
  for (long i = 1; i <= n; ++i) {
    const std::string& file = names[static_cast<size_t>(i)];
    both_logs(sformat("Checking %ld (out of %ld) --- %s", i, n, file.c_str()));
    struct_mol mol;
    read_pdb_without_waters_ions(file, mol);
    scan_stems(t, mol, csv.get());
    free_struct_mol(mol);
  }
}

}  // namespace vask
