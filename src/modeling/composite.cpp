// The composite sub-command: long duplexes from protein-bound templates, and
// circular DNA built from periodic step parameters.
#include "modeling/composite.hpp"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "modeling/sequence.hpp"
#include "support/arrays.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/process.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr long kMinCircularPairs = 60;

// Logs a child command, then runs this executable with the arguments as they
// are (no shell reads them); a failing child ends the run.
void run_child(const composite_settings& s, const std::vector<std::string>& words) {
  const std::vector<std::string> args = child_command(words);
  // quoted, so that the logged line can be pasted into a shell as it stands
  runlog_msg("%s\n", shell_command_line(args).c_str());
  run_program(s.program, args);
}

}  // namespace

std::vector<std::string> child_command(std::vector<std::string> args) {
  if (Gvars.prefix != gvars_rec{}.prefix && args.size() >= 2)
    args.insert(args.begin() + 2, std::string("--prefix=").append(Gvars.prefix));
  return args;
}

void build_circular_dna(const composite_settings& s) {
  std::string seq;
  if (with_input_sequence(s)) {
    seq = derive_seq_or_file(s.sequence, s.sequence_file, s.repeat);
    const long n = static_cast<long>(seq.size());
    if (n < kMinCircularPairs)
      fatal("[e] specified circular DNA too short: %ld [%ld]\n", n, kMinCircularPairs);
    if (n != s.circular) runlog_msg("[i] circular DNA size (%ld) based on input sequence\n", n);
  } else {
    seq = derive_seq_or_file(std::string(static_cast<std::size_t>(s.circular), 'A'), "", 1);
  }
  const std::string text = circular_parameters(s, seq);
  FILE* fp = output_file(s.output);
  std::fputs(text.c_str(), fp);
  close_file(fp);
  if (stdout_stderr(s.output)) return;
  create_empty_file(kCircularModel);  // made anew here: the child opens it as named
  const char bb = s.backbone != '\0' ? s.backbone : s.a_form ? 'A' : s.rna ? 'R' : 'B';
  run_child(s, {"belqo-vask", "rebuild", "--par-file=" + s.output, sformat("--backbone=%c", bb),
                "--conn", std::string("-o=") + kCircularModel});
}

bool with_input_sequence(const composite_settings& s) {
  return !s.sequence.empty() || !s.sequence_file.empty();
}

std::string circular_parameters(const composite_settings& s, const std::string& seq) {
  const long n = static_cast<long>(seq.size());
  const double twist = s.twist;
  const double b = 360.0 / twist;  // pairs per turn
  const double turns = s.turns > 0 ? static_cast<double>(s.turns) : static_cast<double>(n) / b;
  const long full = static_cast<long>(b * turns + 1e-6);
  runlog_msg("[i] rise=%.2f twist=%.2f pairs=%ld bps-per-turn=%.2f turns=%.2f full=%ld\n", s.rise,
             twist, n, b, turns, full);
  // the roll follows a cosine in phase with the twist, so the bends add up
  // to one full circle over the turns
  const double amplitude = twist / (turns / 2.0);
  const double slide0 = std::sin(deg2rad(amplitude)) * std::cos(deg2rad(twist));
  const long per_turn = static_cast<long>(100.0 * b);
  std::string text;
  for (long i = 0; i < n; ++i) {
    const char c = seq[static_cast<std::size_t>(i)];
    const double roll = amplitude * std::cos(deg2rad(static_cast<double>(i) * twist));
    double slide = -static_cast<double>(get_sign(roll)) * slide0;
    if (s.super_helix != 0) {
      slide *= static_cast<double>(per_turn > 0 ? (100 * (i + 1)) % per_turn : 0) * 0.01 * s.pitch;
      if (s.super_helix == 1) slide = -slide;
    } else if ((i + 1) % full == 0) {
      slide *= turns;
    }
    text += sformat("%c-%c", c, get_complementary_base(c));
    text += sformat(" %10.4f %10.4f %10.4f", 0.0, slide, s.rise);
    text += sformat(" %10.4f %10.4f %10.4f\n", 0.0, roll, twist);
  }
  return text;
}

void module_composite_help_exit(int status) {
  std::fprintf(stderr,
               "\nGenerate a composite model of a long duplex joining protein-bound templates\n"
               "    --bind=SITES or --bind-file=FILE (with --seq=... or --seq-file=FILE),\n"
               "      [--tail=SEQ] [--mut] [--sepa] [--content=...] [--cmd-file=FILE] -o=MODEL\n"
               "    or a circular DNA: --circular-dna[=N] -o=PARFILE (writes vask-circular.pdb)\n\n");
  end_run(status);
}

}  // namespace vask
