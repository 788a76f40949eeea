// Fiber models built from repeat units: placing a unit at a helical step
// (directly, or by the two-fold turn that makes an antiparallel partner), the
// builder kinds of the model table, the models with rules of their own
// (four-stranded, single-stranded, RNA and Pauling's triple helix), and the
// writers of the built strands.
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "modeling/fiber.hpp"
#include "modeling/fiber_units.hpp"
#include "modeling/sequence.hpp"
#include "structure/atom.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr size_t kWorkAtoms = 512;  // the largest unit has 230 atoms

// " P  " -> " P", "BR  " -> "BR": the element of a unit atom name.
std::string element_of_name(const std::string& name) {
  if (name.size() >= 2 && name[0] != ' ') return name.substr(0, 2);
  return name.size() >= 2 ? std::string(" ") + name[1] : std::string("  ");
}

// A unit as read (atoms 1..n), kept while the model is built.
struct unit {
  std::vector<atom> atoms;
  long n = 0;
};

// The units a build uses, each read once; references stay valid.
class unit_cache {
 public:
  const unit& get(long model, const std::string& key) {
    std::unique_ptr<unit>& u = units_[std::to_string(model) + ":" + key];
    if (!u) {
      u = std::make_unique<unit>();
      u->atoms.resize(kWorkAtoms);
      u->n = read_fiber_unit(model, key, u->atoms);
      u->atoms.resize(static_cast<size_t>(u->n) + 1);
    }
    return *u;
  }

 private:
  std::map<std::string, std::unique_ptr<unit>> units_;
};

// One unit placed at phase theta (degrees) and offset h: the direct
// transform turns the unit about the axis, the dyad one first turns it
// two-fold about the x axis (height and azimuth negated). A model is kept as
// its placements, a few dozen bytes each, and its atoms are made one unit at
// a time as the file is written: a model of the largest sequence (100,000
// bases) stays small.
struct placement {
  const unit* u = nullptr;
  char chain = 'A';
  long base = 1;  // residue number of the unit's first residue
  double theta = 0, h = 0;
  bool dyad = false;
};
using strand = std::vector<placement>;

void read_repeat_unit(const unit& u, char chain, long base, strand& out, double theta, double h) {
  out.push_back({&u, chain, base, theta, h, false});
}

void read_repeat_unit_rc(const unit& u, char chain, long base, strand& out, double theta, double h) {
  out.push_back({&u, chain, base, theta, h, true});
}

// The atoms of a placement, appended to out.
void place_unit(const placement& pl, std::vector<atom>& out) {
  for (long k = 1; k <= pl.u->n; ++k) {
    atom a = pl.u->atoms[static_cast<size_t>(k)];
    const double z0 = a.xyz[1], r = a.xyz[2], phi0 = a.xyz[3];
    const double phi = deg2rad(pl.dyad ? pl.theta - phi0 : pl.theta + phi0);
    a.xyz[1] = r * std::cos(phi);
    a.xyz[2] = r * std::sin(phi);
    a.xyz[3] = pl.dyad ? pl.h - z0 : z0 + pl.h;
    a.chain_id = std::string(1, pl.chain);
    a.res_seq += pl.base - 1;
    a.element = element_of_name(a.name);
    out.push_back(std::move(a));
  }
}

// How a strand is written: in building order, or (strand 2 of an
// anti-parallel duplex) its placements from the last to the first, each a
// block of residues in its own order, residues renumbered 1, 2, ...
struct strand_out {
  const strand* s;
  bool reversed = false;
};

// The model file: header, the strands' atoms unit by unit with serials
// running on, closing line. Elements and atomic numbers are standardised as
// the atoms are written; atoms named in skip are left out.
void write_model(const std::string& file, const std::vector<strand_out>& strands, const char* skip = nullptr) {
  FILE* fp = open_file(file, "w");
  scoped_file holder_file(fp);
  output_model_header(fp);
  struct_mol holder;  // carries the warning counts from unit to unit
  long serial = 0;
  std::vector<atom> atoms;
  for (const strand_out& so : strands) {
    const long num = static_cast<long>(so.s->size());
    long resnum = 0;
    for (long i = 0; i < num; ++i) {
      const placement& pl = (*so.s)[static_cast<size_t>(so.reversed ? num - 1 - i : i)];
      atoms.clear();
      place_unit(pl, atoms);
      holder.atoms.assign(1, atom{});
      long last = LONG_MIN;
      for (atom& a : atoms) {
        if (skip != nullptr && a.name == skip) continue;
        if (so.reversed) {
          if (a.res_seq != last) ++resnum;
          last = a.res_seq;
          a.res_seq = resnum;
        }
        holder.atoms.push_back(std::move(a));
      }
      holder.num_atoms = static_cast<long>(holder.atoms.size()) - 1;
      standardize_atom_symbol_number(holder);
      for (long k = 1; k <= holder.num_atoms; ++k) {
        holder.atoms[static_cast<size_t>(k)].serial = ++serial;
        write_atom_record(fp, holder.atoms[static_cast<size_t>(k)], holder);
      }
    }
  }
  end_pdbfile(fp);
  holder_file.close();
}

void output_anti_parallel_duplex(const std::string& file, const strand& s1, const strand& s2) {
  if (s2.empty())
    write_model(file, {{&s1}});
  else
    write_model(file, {{&s1}, {&s2, true}});
}

// The number of residues of a unit: runs of equal residue numbers.
long get_num_nts(const unit& u) {
  long count = 0;
  for (long k = 1; k <= u.n; ++k)
    if (k == 1 || u.atoms[static_cast<size_t>(k)].res_seq != u.atoms[static_cast<size_t>(k - 1)].res_seq) ++count;
  return count;
}

// Repeat counts times unit lengths stay within the sequence cap.
void check_strand_length(long repeat, long per_repeat) {
  if (repeat > kMaxSequenceLength / std::max(per_repeat, 1L))
    fatal("[e] %ld repeats of %ld nucleotides exceed the limit of %ld nucleotides per strand\n", repeat, per_repeat,
          kMaxSequenceLength);
}

void write_triplex(const std::string& file, const strand& s1, const strand& s2, const strand& s3) {
  write_model(file, {{&s1}, {&s2, true}, {&s3}});
}

// The unit key of a base for a model's reader, checked: a sequence (from a
// file, say) with a base the model has no unit for ends the run.
std::string unit_key(long model, char base, std::string_view bases) {
  if (bases.find(base) == std::string_view::npos)
    fatal("[e] fiber model %ld has no repeat unit for base '%c': its sequence may use only %.*s\n", model, base,
          static_cast<int>(bases.size()), bases.data());
  return std::string(1, base);
}

// Kinds 1 to 3: per-base duplexes. partner_direct: the partner unit is stored
// in its place (kind 3) rather than made by the dyad.
void build_per_base_duplex(const fiber_options& opts, long model, const std::string& seq, double twist,
                           double rise, char c1, char c2, std::string_view bases, bool partner_direct) {
  check_strand_length(static_cast<long>(seq.size()), 1);
  unit_cache units;
  strand s1, s2;
  s1.reserve(seq.size());
  s2.reserve(seq.size());
  for (size_t k = 0; k < seq.size(); ++k) {
    const double theta = static_cast<double>(k) * twist, h = static_cast<double>(k) * rise;
    const long res = static_cast<long>(k) + 1;
    read_repeat_unit(units.get(model, unit_key(model, seq[k], bases)), c1, res, s1, theta, h);
    const unit& partner = units.get(model, unit_key(model, get_complementary_base(seq[k]), bases));
    if (partner_direct)
      read_repeat_unit(partner, c2, res, s2, theta, h);
    else
      read_repeat_unit_rc(partner, c2, res, s2, theta, h);
  }
  output_anti_parallel_duplex(opts.output_file, s1, s2);
}

long default_repeat_kind4(long model) {
  switch (model) {
    case 3: case 6: case 17: return 2;
    case 9: case 41: return 3;
    case 13: case 14: case 52: return 4;
    case 5: case 10: case 11: case 39: case 40: case 48: return 5;
    case 2: case 15: case 49: case 50: return 6;
    case 16: return 8;
    case 18: case 19: case 24: case 26: case 37: case 38: case 43: return 10;
    default: return 12;
  }
}

// Kind 4: duplexes of two strand units.
void build_two_strand_duplex(fiber_options& opts, long model, double twist, double rise) {
  if (opts.repeat == -1) opts.repeat = default_repeat_kind4(model);
  runlog_msg("  with repeat=%ld\n", opts.repeat);
  unit_cache units;
  const unit& u1 = units.get(model, "S1");
  const unit& u2 = units.get(model, "S2");
  long n = get_num_nts(u1);
  check_strand_length(opts.repeat, n);
  strand s1, s2;
  for (long r = 1; r <= opts.repeat; ++r) {
    const double theta = static_cast<double>(r - 1) * twist, h = static_cast<double>(r - 1) * rise;
    read_repeat_unit(u1, 'A', (r - 1) * n + 1, s1, theta, h);
    read_repeat_unit(u2, 'B', (r - 1) * n + 1, s2, theta, h);
  }
  output_anti_parallel_duplex(opts.output_file, s1, s2);
}

// Kind 5: triplexes; strand 1 is the middle (position 2) strand.
void build_triplex(fiber_options& opts, long model, double twist, double rise, const char* keys) {
  if (opts.repeat == -1) opts.repeat = 12;
  runlog_msg("  with repeat=%ld\n", opts.repeat);
  check_strand_length(opts.repeat, 1);
  unit_cache units;
  const std::string k(keys);  // "I2 C1 C3": middle, partner, third
  const unit& u1 = units.get(model, k.substr(0, 2));
  const unit& u2 = units.get(model, k.substr(3, 2));
  const unit& u3 = units.get(model, k.substr(6, 2));
  strand s1, s2, s3;
  for (long r = 1; r <= opts.repeat; ++r) {
    const double theta = static_cast<double>(r - 1) * twist, h = static_cast<double>(r - 1) * rise;
    read_repeat_unit(u1, 'A', r, s1, theta, h);
    read_repeat_unit(u2, 'B', r, s2, theta, h);
    read_repeat_unit(u3, 'C', r, s3, theta, h);
  }
  write_triplex(opts.output_file, s1, s2, s3);
}

void build_four_stranded(fiber_options& opts, long model, double twist, double rise) {
  if (opts.repeat == -1) opts.repeat = 12;
  check_strand_length(opts.repeat, 1);
  unit_cache units;
  const unit& u = units.get(model, model == 35 ? "I" : "G");
  const double phase[4] = {0.0, 90.0, 180.0, -90.0};
  std::vector<strand> strands(4);
  for (long i = 1; i <= opts.repeat; ++i) {
    const double theta = static_cast<double>(i - 1) * twist, h = static_cast<double>(i - 1) * rise;
    for (size_t s = 0; s < 4; ++s)
      read_repeat_unit(u, static_cast<char>('A' + s), i, strands[s], theta + phase[s], h);
  }
  write_model(opts.output_file, {{&strands[0]}, {&strands[1]}, {&strands[2]}, {&strands[3]}});
}

void build_single_stranded_model(fiber_options& opts, double twist, double rise) {
  if (opts.repeat == -1) opts.repeat = 8;
  check_strand_length(opts.repeat, 1);
  unit_cache units;
  const unit& u = units.get(36, "C");
  strand s;
  for (long i = 1; i <= opts.repeat; ++i)
    read_repeat_unit(u, 'A', i, s, static_cast<double>(i - 1) * twist, static_cast<double>(i - 1) * rise);
  write_model(opts.output_file, {{&s}});
}

void build_rna_model(const fiber_options& opts, double twist, double rise, const std::string& seq) {
  check_strand_length(static_cast<long>(seq.size()), 1);
  std::string s = seq, c;
  for (char b : seq) c += get_complementary_base(b);
  convert_char_in_str(s, 'T', 'U');
  convert_char_in_str(c, 'T', 'U');
  unit_cache units;
  strand s1, s2;
  for (size_t k = 0; k < s.size(); ++k) {
    const double theta = static_cast<double>(k) * twist, h = static_cast<double>(k) * rise;
    const long res = static_cast<long>(k) + 1;
    read_repeat_unit(units.get(901, unit_key(901, s[k], "ACGU")), opts.chain_symbols[0], res, s1, theta, h);
    if (opts.model == 902)
      read_repeat_unit_rc(units.get(901, unit_key(901, c[k], "ACGU")), opts.chain_symbols[1], res, s2, theta, h);
  }
  output_anti_parallel_duplex(opts.output_file, s1, s2);
}

// The three strand sequences of Pauling's model from the text or the file.
std::vector<std::string> pauling_sequences(const fiber_options& opts) {
  std::vector<std::string> seqs(3);
  if (!opts.sequence_file.empty()) {
    std::string all = read_file_raw(opts.sequence_file);
    seqs.assign(3, all);
  } else {
    std::string text = opts.sequence;
    for (char& ch : text)
      if (ch == ',' || ch == ';' || ch == '|') ch = ':';
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() < 3) {
      size_t colon = text.find(':', start);
      fields.push_back(trimmed(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start)));
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
    auto counts = [](const std::string& f) { return !f.empty() && f != "0"; };
    if (fields.size() == 1 && counts(fields[0])) {
      seqs.assign(3, fields[0]);
    } else {
      for (size_t k = 0; k < fields.size(); ++k)
        if (counts(fields[k])) seqs[k] = fields[k];
    }
  }
  for (auto& s : seqs) s = validate_sequence(s);
  return seqs;
}

long populate_pauling_chain(const std::string& seq, long repeat, double twist, double rise, char chain, bool dna,
                            long written, FILE* fp, double offset) {
  std::string full = get_full_sequence(seq, repeat);
  if (!dna) convert_char_in_str(full, 'T', 'U');
  unit_cache units;
  long serial = written;
  long overflows = 0;  // values narrowed to fit their PDB column
  std::vector<atom> atoms;  // one unit at a time
  for (size_t k = 0; k < full.size(); ++k) {
    const placement pl{&units.get(56, unit_key(56, full[k], "ACGTU")), chain, static_cast<long>(k) + 1,
                       static_cast<double>(k) * twist + offset, static_cast<double>(k) * rise, false};
    atoms.clear();
    place_unit(pl, atoms);
    for (atom& a : atoms) {
      if (dna && a.name == " O2'") continue;
      a.serial = ++serial;
      write_atom_record(fp, a, overflows);
    }
  }
  return serial - written;
}

void build_pauling_model(const fiber_options& opts, double twist, double rise) {
  std::vector<std::string> seqs = pauling_sequences(opts);
  const bool dna = opts.model == 956;
  FILE* fp = open_file(opts.output_file, "w");
  scoped_file holder(fp);
  output_model_header(fp);
  long written = 0;
  const char chains[3] = {'A', 'B', 'C'};
  const double offsets[3] = {0.0, 120.0, 240.0};
  for (size_t k = 0; k < 3; ++k)
    if (!seqs[k].empty())
      written += populate_pauling_chain(seqs[k], opts.repeat, twist, rise, chains[k], dna, written, fp, offsets[k]);
  end_pdbfile(fp);
  holder.close();
  if (written == 0) {
    runlog_msg("no valid sequence; no atoms records\n");
    remove_file(opts.output_file);
  }
}

}  // namespace

bool fiber_model_available(long id) {
  long units = id == 902 ? 901 : id == 956 ? 56 : id;
  return fiber_units_present(units);
}

void build_fiber_model(fiber_options& opts, double twist, double rise) {
  const long id = opts.model;
  const std::string chains = opts.chain_symbols;
  switch (id) {
    case 1: case 4: case 7: case 46: case 47: case 53: case 54: case 55: {
      const std::string seq = expand_sequence(opts).value_or("");
      const bool own_chains = id == 1 || id == 4;
      build_per_base_duplex(opts, id, seq, twist, rise, own_chains ? chains[0] : 'A', own_chains ? chains[1] : 'B',
                            "ACGT", false);
      return;
    }
    case 8: case 12: case 44: case 45: {
      opts.sequence = id == 8 ? "GGT" : id == 12 ? "AAT" : "A";
      if (opts.repeat == -1) opts.repeat = id == 8 ? 10 : id == 12 ? 9 : 12;
      const std::string seq = expand_sequence(opts).value_or("");
      build_per_base_duplex(opts, id, seq, twist, rise, 'A', 'B', id == 8 ? "ACGT" : "AT", id == 44 || id == 45);
      return;
    }
    case 30: build_triplex(opts, id, twist, rise, "I2 C1 C3"); return;
    case 31: build_triplex(opts, id, twist, rise, "A2 T1 T3"); return;
    case 32: case 33: case 42: build_triplex(opts, id, twist, rise, "A2 U1 U3"); return;
    case 34: build_triplex(opts, id, twist, rise, "A2 I1 I3"); return;
    case 35: case 935: build_four_stranded(opts, id, twist, rise); return;
    case 36: build_single_stranded_model(opts, twist, rise); return;
    case 901: case 902: build_rna_model(opts, twist, rise, expand_sequence(opts).value_or("")); return;
    case 56: case 956: build_pauling_model(opts, twist, rise); return;
    default: build_two_strand_duplex(opts, id, twist, rise); return;
  }
}

}  // namespace vask
