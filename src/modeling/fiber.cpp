// The fiber sub-command: the model table and listing, sequences, and the
// steps from parsed options to the built model.
#include "modeling/fiber.hpp"

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "modeling/sequence.hpp"
#include "structure/atom.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

// The listing lines, printed as they stand; the row's twist and rise are the
// second and third fields, its description the rest with blanks squeezed.
// Sources: the literature notes printed after the listing.
constexpr std::array<const char*, kNumFiberModels> kListing = {
    " 1   32.7   2.548  duplex  A-DNA  (calf thymus; generic sequence: A, C, G and T)",
    " 2   65.5   5.095  duplex  A-DNA  poly d(ABr5U) : poly d(ABr5U)",
    " 3    0.0  28.030  duplex  A-DNA  (calf thymus) poly d(ATCGGAATGGT) : poly d(ACCATTCCGAT)",
    " 4   36.0   3.375  duplex  B-DNA  (calf thymus; generic sequence: A, C, G and T)",
    " 5   72.0   6.720  duplex  B-DNA  poly d(CG) : poly d(CG)",
    " 6  180.0  16.864  duplex  B-DNA  (calf thymus) poly d(CCCCC) : poly d(GGGGG)",
    " 7   38.6   3.310  duplex  C-DNA  (calf thymus; generic sequence: A, C, G and T)",
    " 8   40.0   3.312  duplex  C-DNA  poly d(GGT) : poly d(ACC)",
    " 9  120.0   9.937  duplex  C-DNA  poly d(GGT) : poly d(ACC)",
    "10   80.0   6.467  duplex  C-DNA  poly d(AG) : poly d(CT)",
    "11   80.0   6.467  duplex  C-DNA  poly d(AG) : poly d(CT)",
    "12   45.0   3.013  duplex  D-DNA  poly d(AAT) : poly d(ATT)",
    "13   90.0   6.125  duplex  D-DNA  poly d(CI) : poly d(CI)",
    "14  -90.0  18.500  duplex  D-DNA  poly d(ATATAT) : poly d(ATATAT)",
    "15  -60.0   7.250  duplex  Z-DNA  poly d(GC) : poly d(GC)",
    "16  -51.4   7.571  duplex  Z-DNA  poly d(As4T) : poly d(As4T)",
    "17    0.0  10.200  duplex  L-DNA  (calf thymus) poly d(GC) : poly d(GC)",
    "18   36.0   3.230  duplex  B'-DNA alpha poly d(A) : poly d(T) (H-DNA)",
    "19   36.0   3.233  duplex  B'-DNA beta2 poly d(A) : poly d(T) (H-DNA  beta)",
    "20   32.7   2.812  duplex  A-RNA  poly (A) : poly (U)",
    "21   30.0   3.000  duplex  A'-RNA poly (I) : poly (C)",
    "22   32.7   2.560  duplex  Hybrid poly (A) : poly d(T)",
    "23   32.0   2.780  duplex  Hybrid poly d(G) : poly (C)",
    "24   36.0   3.130  duplex  Hybrid poly d(I) : poly (C)",
    "25   32.7   3.060  duplex  Hybrid poly d(A) : poly (U)",
    "26   36.0   3.010  duplex  10-fold poly (X) : poly (X)",
    "27   32.7   2.518  duplex  11-fold poly (X) : poly (X)",
    "28   32.7   2.596  duplex  poly (s2U) : poly (s2U) (symmetric base-pair)",
    "29   32.7   2.596  duplex  poly (s2U) : poly (s2U) (asymmetric base-pair)",
    "30   32.7   3.160 *triplex poly d(C) : poly d(I) : poly d(C)",
    "31   30.0   3.260 *triplex poly d(T) : poly d(A) : poly d(T)",
    "32   32.7   3.040 *triplex poly (U) : poly (A) : poly (U) (11-fold)",
    "33   30.0   3.040 *triplex poly (U) : poly (A) : poly (U) (12-fold)",
    "34   30.0   3.290 *triplex poly (I) : poly (A) : poly (I)",
    "35   31.3   3.410 #quadruplex poly (I) : poly (I) : poly (I) : poly (I)",
    "36   60.0   3.155 1-strand poly (ethyl C)",
    "37   36.0   3.200  duplex  B'-DNA beta2  poly d(A) : poly d(U)",
    "38   36.0   3.240  duplex  B'-DNA beta1  poly d(A) : poly d(T)",
    "39   72.0   6.480  duplex  B'-DNA beta2  poly d(AI) : poly d(CT)",
    "40   72.0   6.460  duplex  B'-DNA beta1  poly d(AI) : poly d(CT)",
    "41  144.0  13.540  duplex  B'-DNA  poly d(AATT) : poly d(AATT)",
    "42   32.7   3.040 *triplex poly (U) : poly d(A) : poly (U) [cf. #32]",
    "43   36.0   3.200  duplex  Beta poly d(A) : poly d(U) [cf. #37]",
    "44   36.0   3.233  duplex  poly d(A) : poly d(T) (Ca salt)",
    "45   36.0   3.233  duplex  poly d(A) : poly d(T) (Na salt)",
    "46   36.0   3.38   duplex  B-DNA (BI-type nucleotides; generic sequence: A, C, G and T)",
    "47   40.0   3.32   duplex  C-DNA (BII-type nucleotides; generic sequence: A, C, G and T)",
    "48   87.8   6.02   duplex  D(A)-DNA  poly d(AT) : poly d(AT) (right-handed)",
    "49   60.0   7.20   duplex  S-DNA  poly d(CG) : poly d(CG) (C_BG_A, right-handed)",
    "50   60.0   7.20   duplex  S-DNA  poly d(GC) : poly d(GC) (C_AG_B, right-handed)",
    "51   31.6   3.22   duplex  B*-DNA  poly d(A) : poly d(T)",
    "52   90.0   6.06   duplex  D(B)-DNA  poly d(AT) : poly d(AT) [cf. #48]",
    "53  -38.7   3.29   duplex  C-DNA (generic sequence: A, C, G and T) (depreciated)",
    "54   32.73  2.56   duplex  A-DNA (generic sequence: A, C, G and T) [cf. #1]",
    "55   36.0   3.39   duplex  B-DNA (generic sequence: A, C, G and T) [cf. #4]",
    "56  105.0   3.40  *triplex Pauling's triplex model (generic sequence: A, C, G, T, U)",
};

// The published sources of the models, one paragraph each.
constexpr const char* kNotes[] = {
    "  1-41: Chandrasekaran, R. and Arnott, S. (1989). \"The structures of DNA\n"
    "        and RNA helices in oriented fibers.\" In Landolt-Bornstein, Numerical\n"
    "        Data and Functional Relationships in Science and Technology, Group\n"
    "        VII/1b, Nucleic Acids (W. Saenger, ed.), pp. 31-170. Springer-Verlag.",
    " 42-43: Chandrasekaran, R., Giacometti, A. and Arnott, S. (2000).\n"
    "        \"Structure of poly (U) . poly (A) . poly (U).\" J. Biomol. Struct.\n"
    "        Dyn., 17, 1011-1022; and the poly d(A) : poly d(U) duplex of the\n"
    "        same group.",
    " 44-45: Chandrasekaran, R., Radha, A. and Park, H.-S. (1995). \"Sodium ions\n"
    "        and water molecules in the structure of poly(dA).poly(dT).\" Acta\n"
    "        Cryst., D51, 1025-1035.",
    " 46-47: van Dam, L. and Levitt, M.H. (2000). \"BII nucleotides in the B and\n"
    "        C forms of natural-sequence polymeric DNA: a new model for the C\n"
    "        form of DNA.\" J. Mol. Biol., 304, 541-561.",
    " 48-55: Premilat, S. and Albiser, G. (2001). \"A new D-DNA form of\n"
    "        poly(dA-dT).poly(dA-dT): an A-DNA type structure with reversed\n"
    "        Hoogsteen pairing.\" Eur. Biophys. J., 30, 404-410; and their\n"
    "        earlier fiber models of the A, B, C, D and S forms.",
    ("    56: Pauling, L. and Corey, R.B. (1953). \"A proposed structure for the\n"
     "        nucleic acids.\" Proc. Natl. Acad. Sci. USA, 39, 84-97."),
};

fiber_model parse_row(long id, const char* line) {
  std::vector<std::string> items;
  split_str_by_strtok(line, items, 3, " ");
  fiber_model m;
  m.id = id;
  m.twist = cvt2double(items[2]);
  m.rise = cvt2double(items[3]);
  // the text after the rise, blanks squeezed
  std::string_view rest = line;
  for (int field = 0; field < 3; ++field) {
    rest = ltrim(rest);
    rest.remove_prefix(std::min(rest.find(' '), rest.size()));
  }
  for (char c : ltrim(rest))
    if (c != ' ' || (!m.description.empty() && m.description.back() != ' ')) m.description += c;
  m.description = trimmed(m.description);
  return m;
}

const std::vector<fiber_model>& model_table() {
  static const std::vector<fiber_model> table = [] {
    std::vector<fiber_model> t(kNumFiberModels + 1);  // 1-based
    for (long k = 1; k <= kNumFiberModels; ++k) t[static_cast<size_t>(k)] = parse_row(k, kListing[static_cast<size_t>(k - 1)]);
    return t;
  }();
  return table;
}

bool generic_sequence_model(long id) {
  switch (id) {
    case 1: case 4: case 7: case 46: case 47: case 53: case 54: case 55: case 901: case 902: return true;
    default: return false;
  }
}

// Models whose builder takes the table's twist and rise as stored; the others
// get both negated, which keeps the hand of the helix.
bool stored_step(long id) {
  return id == 38 || id == 39 || id == 40 || id == 41 || (id >= 46 && id <= 56) || id == 956;
}

}  // namespace

const fiber_model& get_fiber_model(long row) {
  VASK_ASSERT(row >= 1 && row <= kNumFiberModels);
  const fiber_model& m = model_table()[static_cast<size_t>(row)];
  VASK_ASSERT(m.id == row);
  return m;
}

std::string_view fiber_listing_line(long row) {
  VASK_ASSERT(row >= 1 && row <= kNumFiberModels);
  return kListing[static_cast<size_t>(row - 1)];
}

void print_fiber_listing(FILE* fp) {
  const std::string dashes(79, '-');
  std::fprintf(fp, "id#  Twist   Rise        Structure description\n");
  std::fprintf(fp, "   (degree) (Angstrom)\n");
  std::fprintf(fp, "%s\n", dashes.c_str());
  for (const char* line : kListing) std::fprintf(fp, "%s\n", line);
  std::fprintf(fp, "%s\n", dashes.c_str());
  for (const char* note : kNotes) std::fprintf(fp, "%s\n\n", note);
  std::fprintf(fp, "%16s*** List of 56 fiber models from VASK ***\n", "");
}

bool no_sequence_specified(const fiber_options& opts) {
  return opts.sequence.empty() && opts.sequence_file.empty();
}

std::optional<std::string> expand_sequence(const fiber_options& opts) {
  if (no_sequence_specified(opts) || opts.sequence == kFixedSequence || opts.model == 56 || opts.model == 956)
    return std::nullopt;
  return derive_seq_or_file(opts.sequence, opts.sequence_file, opts.repeat);
}

void run_fiber_model(fiber_options& opts) {
  const long id = opts.model;
  if (generic_sequence_model(id)) {
    if (opts.repeat == -1) opts.repeat = 1;
    if (no_sequence_specified(opts)) opts.sequence = "A12";
  } else if (id == 56 || id == 956) {
    if (opts.repeat == -1) opts.repeat = 1;
    if (no_sequence_specified(opts)) opts.sequence = "C6";
  } else {
    opts.sequence = kFixedSequence;
  }

  if (opts.list) {
    print_fiber_listing(stderr);
    end_run(0);
  }
  if (!opts.sequence_file.empty() && !exist_file(opts.sequence_file))
    fatal("specified sequence file %s not exist\n", opts.sequence_file.c_str());

  if (opts.chain_symbols != "AB") {
    const std::string& c = opts.chain_symbols;
    auto symbol = [&](size_t k, char dft) {
      return k < c.size() && std::isalnum(static_cast<unsigned char>(c[k])) ? c[k] : dft;
    };
    opts.chain_symbols = {symbol(0, 'Y'), symbol(1, 'Z')};
    runlog_msg("[i] set chain ids to '%s'\n", opts.chain_symbols.c_str());
  }

  reset_periodic_table();

  long row = id;
  if (id == 901 || id == 902) {
    runlog_msg("ORMO-derived RNA model, based on:\n");
    runlog_msg("    ");
    row = 1;
  } else if (id == 935) {
    runlog_msg("ORMO-derived G-quadruplex model, based on:\n");
    runlog_msg("    ");
    row = 35;
  } else if (id == 956) {
    row = 56;
  }
  const fiber_model& m = get_fiber_model(row);
  runlog_msg("Structure #%ld; Twist=%.1f (degree); ", m.id, m.twist);
  runlog_msg("Rise=%.3f (Angstrom) [%s]\n", m.rise, m.description.c_str());
  if (!opts.sequence.empty() && opts.repeat != -1)
    runlog_msg("  with sequence=%s and repeat=%ld\n", opts.sequence.c_str(), opts.repeat);

  if (!fiber_model_available(id))
    fatal("[e] fiber model %ld is not available: no sound repeat unit could be built for it from standard "
          "nucleotide geometry at its twist and rise\n",
          id);

  const double sign = stored_step(id) ? 1.0 : -1.0;
  build_fiber_model(opts, sign * m.twist, sign * m.rise);
}

void module_fiber_help_exit(int status) {
  std::fprintf(stderr, "\nCheck the User Manual on how to use the FIBER module.\n\n");
  end_run(status);
}

}  // namespace vask
