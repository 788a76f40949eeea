// The rebuild sub-command. Every mode keeps a running frame (origin and
// orientation) that starts at the identity and is advanced by one parameter
// set per item; each item's template atoms are placed in that frame.
#include "modeling/rebuild.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "modeling/analyze.hpp"
#include "modeling/model_templates.hpp"
#include "modeling/sequence.hpp"
#include "pairing/frame.hpp"
#include "structure/atom.hpp"
#include "structure/pdb_output.hpp"
#include "structure/pdb_reader.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/linear_algebra.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/process.hpp"
#include "support/ref_frame.hpp"
#include "support/rotation.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

namespace {

constexpr const char* kBases = "ACGTUPacgtup";
constexpr const char* kDefaultG4Pattern = "++++++";
constexpr long kLastRowMark = 999999;
constexpr long kFrameNameWidth = 63;  // layer file names in the frame file

struct named_frame {
  std::string name;
  xyz org;
  rotmat R;
};

// A row per base or pair: past the longest model the builders make (the
// sequences' limit), the file is not read further.
void count_row(long rows, const std::string& file, size_t index) {
  if (rows > kMaxSequenceLength)
    fatal("[e] %s, line %zu: more than %ld parameter rows -- not read further\n", file.c_str(), index + 1,
          kMaxSequenceLength);
}

bool comment_line(const std::string& line) {
  const std::size_t p = line.find_first_not_of(" \t\r\n");
  return p == std::string::npos || line[p] == '#';
}

void identity_frame(xyz& org, rotmat& R) {
  org = xyz{};
  identity_matrix(R);
}

void output_rebuild_frames(const std::vector<named_frame>& frames) {
  scoped_file sf(create_file(sformat("%.*s-frames.txt", 256, Gvars.prefix.c_str())));
  FILE* fp = sf.get();
  const long n = static_cast<long>(frames.size());
  std::fprintf(fp, "# %ld frames\n", n);
  for (long k = 0; k < n; ++k) {
    frame f;
    init_one_frame(f);
    fillout_frame_from_oR(frames[k].org, frames[k].R, f);
    write_one_frame(fp, sformat("%4ld %s", k + 1, frames[k].name.c_str()).c_str(), f);
  }
  sf.close();
}

// Template atoms of a base letter with the run's backbone type; flip turns
// the base over about its y-axis (x and z negated), anti turns it about x.
std::vector<atom> base_template(char backbone, char letter, bool flip, bool anti) {
  std::vector<atom> atoms;
  const long n = populate_one_backbone_frame(backbone, letter, atoms);
  for (long i = 1; i <= n; ++i) {
    xyz& p = atoms[i].xyz;
    if (flip) {
      p[1] = -p[1];
      p[3] = -p[3];
    }
    if (anti) {
      p[2] = -p[2];
      p[3] = -p[3];
    }
  }
  return atoms;
}

// Both bases of a pair in their mid-pair frame: the second base sits in the
// identity frame, the first is placed by the pair parameters.
void assemble_pair(const par_set& bp, std::vector<atom>& x, std::vector<atom>& y) {
  rotmat R, mid_R;
  xyz o, mid_o;
  rebuild_by_step_pars(bp, R, o, mid_R, mid_o);
  for (std::size_t i = 1; i < x.size(); ++i) {
    xyz g;
    oR_xyz(o, R, x[i].xyz, g);
    project_xyz_by_oR(mid_o, mid_R, g, x[i].xyz);
  }
  for (std::size_t i = 1; i < y.size(); ++i) {
    xyz local;
    project_xyz_by_oR(mid_o, mid_R, y[i].xyz, local);
    y[i].xyz = local;
  }
}

void place_strand2(char letter, long resnum, const std::vector<atom>& tmpl, const xyz& org,
                   const rotmat& R, atom_strand& strand) {
  const std::size_t first = strand.size();
  populate_strand_atoms(letter, resnum, static_cast<long>(tmpl.size()) - 1, tmpl, org, R, strand);
  for (std::size_t i = first; i < strand.size(); ++i) strand[i].chain_id.assign(1, 'B');
}

// The model is written to a temporary file first and this program, run
// again, adds the O3'-P connection records into the output file.
void connection_pass(const rebuild_settings& s, const std::string& temp) {
  std::vector<std::string> args = {s.program, "-i=" + temp, "--connect-file",
                                   sformat("--OP-bond=%g", s.conn), "-o=" + s.output, "--silent"};
  run_program(s.program, args);
}

}  // namespace

std::string rebuild_temp_name() { return sformat("%.*s-temp.pdb", 256, Gvars.prefix.c_str()); }

namespace {

// Writes a duplex or single strand, through the connection pass when asked.
void write_built_model(const rebuild_settings& s, const atom_strand& s1, const atom_strand* s2, bool parallel) {
  const bool pass = s.conn > 0 && Gvars.output_format != 2;
  const std::string file = pass ? rebuild_temp_name() : s.output;
  if (s2 == nullptr)
    output_single_helix(file, s1);
  else if (parallel)
    output_parallel_duplex(file, s1, *s2);
  else
    output_anti_parallel_duplex(file, s1, 1, *s2);
  if (pass) connection_pass(s, file);
}

// ---------------------------------------------------------------------------
// G4 stacks

void build_g4_model(const rebuild_settings& s) {
  const g4_spec spec = parse_g4_spec(s.g4_model);
  const std::string text = sformat("%s %.2f %.2f", spec.pattern.c_str(), spec.twist, spec.rise);
  runlog_msg("[i] G4 model: %s\n", text.c_str());
  std::vector<atom> pos, neg;
  const long n = populate_gtetrad_template(true, pos);
  populate_gtetrad_template(false, neg);
  xyz org;
  rotmat R;
  identity_frame(org, R);
  const par_set step{0, 0, 0, spec.rise, 0, 0, spec.twist};
  std::vector<atom_strand> chains(4);  // guanines 1-4 of every layer
  const long layers = static_cast<long>(spec.pattern.size());
  for (long k = 1; k <= layers; ++k) {
    if (k > 1) derive_next_oR(false, step, org, R);
    const std::vector<atom>& t = spec.pattern[k - 1] == '+' ? pos : neg;
    for (long i = 1; i <= n; ++i) {
      atom a = t[i];
      oR_xyz(org, R, t[i].xyz, a.xyz);
      a.seg_id = sformat("L%3.3ld", k);
      a.res_seq = k;  // the layer number
      const long g = t[i].res_seq;  // guanine 1..4
      a.chain_id = std::string(1, static_cast<char>('A' + g - 1));
      chains[g - 1].push_back(a);
    }
  }
  output_strands(s.output, chains);
}

// ---------------------------------------------------------------------------
// Frame files

void build_from_frames(const rebuild_settings& s) {
  long n = 0;
  const std::vector<frame> frames = parse_frame_file(s.frame_file, n);
  atom_strand s1, s2;
  for (long k = 1; k <= n; ++k) {
    const frame& f = frames[k];
    xyz org;
    rotmat R;
    fillout_oR_from_frame(f, org, R);
    if (f.text.size() == 3) {
      std::vector<atom> x = base_template(s.backbone, f.text[0], false, false);
      std::vector<atom> y = base_template(s.backbone, f.text[2], false, f.text[1] == '-');
      assemble_pair(par_set{0, 0, 0, 0, 0, s.propeller, 0}, x, y);
      populate_strand_atoms(f.text[0], k, static_cast<long>(x.size()) - 1, x, org, R, s1);
      place_strand2(f.text[2], k, y, org, R, s2);
    } else {
      VASK_ASSERT(f.text.size() == 1);
      std::vector<atom> x = base_template(s.backbone, f.text[0], false, false);
      populate_strand_atoms(f.text[0], k, static_cast<long>(x.size()) - 1, x, org, R, s1);
    }
  }
  write_built_model(s, s1, frames[1].text.size() == 3 ? &s2 : nullptr, false);
}

// ---------------------------------------------------------------------------
// Parameter files

void echo_rows(long n, const std::vector<par_row>& rows, bool pairs) {
  FILE* fp = create_file("vask-rebuildPars.txt");
  std::fprintf(fp, pairs ? "# double-stranded, num=%ld\n" : "# single-stranded, num=%ld\n", n);
  for (long i = 1; i <= n; ++i) {
    std::fprintf(fp, "%3s", rows[i].name.c_str());
    if (pairs)
      for (long j = 1; j <= 6; ++j) std::fprintf(fp, " %10.4f", rows[i].bp[j]);
    for (long j = 1; j <= 6; ++j) {
      if (i < n)
        std::fprintf(fp, " %10.4f", rows[i].step[j]);
      else
        std::fprintf(fp, "     %6ld", kLastRowMark);
    }
    std::fprintf(fp, "\n");
  }
  close_file(fp);
}

void build_from_pars(const rebuild_settings& s) {
  long n = 0;
  std::vector<par_row> rows = read_rebuild_pars(s.par_file, n);
  const bool pairs = rows[1].name.size() == 3;
  bool parallel = false, flip = false;
  if (pairs) {
    long plus = 0, negative = 0;
    for (long i = 1; i <= n; ++i) {
      const bool is_plus = rows[i].name[1] == '+';
      plus += is_plus;
      if (!is_plus && rows[i].step[6] < 0) ++negative;
    }
    parallel = plus == n;
    flip = n > 2 && negative == n - 1;
  }
  check_ZEROS_in_first_step_pars(n, rows);
  if (s.flip >= 0) {
    flip = s.flip != 0;
    runlog_msg("[i] set --flip=%ld\n", s.flip);
  } else if (flip) {
    runlog_msg("[i] flip base x- and z-axes based on negative twist\n");
  }
  if (s.parallel >= 0) {
    parallel = s.parallel != 0;
    runlog_msg("[i] set --parallel=%ld\n", s.parallel);
  } else if (parallel) {
    runlog_msg("[i] parallel duplex based on + pair type\n");
  }
  if (s.helical) runlog_msg("[i] build with helical parameters\n");
  echo_rows(n, rows, pairs);

  xyz org;
  rotmat R;
  identity_frame(org, R);
  atom_strand s1, s2;
  std::vector<named_frame> frames;
  for (long i = 1; i <= n; ++i) {
    const par_row& r = rows[i];
    if (i > 1) derive_next_oR(s.helical, rows[i - 1].step, org, R);
    std::vector<atom> x = base_template(s.backbone, r.name[0], flip, false);
    if (pairs) {
      std::vector<atom> y = base_template(s.backbone, r.name[2], flip, r.name[1] == '-');
      assemble_pair(r.bp, x, y);
      populate_strand_atoms(r.name[0], i, static_cast<long>(x.size()) - 1, x, org, R, s1);
      place_strand2(r.name[2], i, y, org, R, s2);
    } else {
      populate_strand_atoms(r.name[0], i, static_cast<long>(x.size()) - 1, x, org, R, s1);
    }
    frames.push_back({r.name, org, R});
  }
  output_rebuild_frames(frames);
  write_built_model(s, s1, pairs ? &s2 : nullptr, parallel);
}

// ---------------------------------------------------------------------------
// Layers of PDB files

void build_generic_model(const rebuild_settings& s) {
  std::vector<par_row> rows(1);
  std::vector<std::string> files(1);
  const std::vector<std::string> lines = get_filelines(s.par_file);
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    if (comment_line(line)) continue;
    char name[4096] = "";
    par_row r;
    const int got = std::sscanf(line.c_str(), "%4095s %lf %lf %lf %lf %lf %lf", name, &r.step[1], &r.step[2],
                                &r.step[3], &r.step[4], &r.step[5], &r.step[6]);
    if (got > 1) check_finite_values(std::span(&r.step[1], static_cast<size_t>(got - 1)), s.par_file,
                                     static_cast<long>(k) + 1, line);
    if (got == 7 && exist_file(name)) {
      r.name = name;
      rows.push_back(r);
      files.push_back(name);
      count_row(static_cast<long>(rows.size()) - 1, s.par_file, k);
    } else {
      runlog_msg("[w] ignore invalid entry: '%s'\n", line.c_str());
    }
  }
  const long n = static_cast<long>(rows.size()) - 1;
  if (n == 0) fatal("[i] no valid list of parameters in: '%s'\n", s.par_file.c_str());
  check_ZEROS_in_first_step_pars(n, rows);

  scoped_file out(output_file(s.output));  // closed as well when an atom cannot be written
  FILE* fp = out.get();
  output_model_header(fp);
  xyz org;
  rotmat R;
  identity_frame(org, R);
  std::vector<named_frame> frames;
  long serial = 0, resnum = 0;
  long overflows = 0;  // values narrowed to fit their PDB column, over all layers
  for (long i = 1; i <= n; ++i) {
    struct_mol mol;
    init_struct_mol(files[i], mol);
    read_pdb_simple(files[i], mol);
    if (i > 1) derive_next_oR(s.helical, rows[i - 1].step, org, R);
    std::fprintf(fp, "REMARK  layer#%ld --------------------------------------------\n", i);
    const std::string seg = sformat("L%3.3ld", i).substr(0, 4);
    for (long k = 1; k <= mol.num_atoms; ++k) {
      atom a = mol.atoms[k];
      if (k == 1 || a.res_seq != mol.atoms[k - 1].res_seq) ++resnum;
      a.serial = ++serial;
      a.seg_id = seg;
      a.res_seq = resnum;
      oR_xyz(org, R, mol.atoms[k].xyz, a.xyz);
      write_atom_record(fp, a, overflows);
    }
    frames.push_back({sformat("%*s", static_cast<int>(kFrameNameWidth), files[i].c_str()), org, R});
    free_struct_mol(mol);
  }
  output_rebuild_frames(frames);
  end_pdbfile(fp);
  out.close();
}

}  // namespace

bool valid_base(char c) { return c != '\0' && std::strchr(kBases, c) != nullptr; }

bool valid_pair(const std::string& name) {
  return name.size() == 3 && valid_base(name[0]) && valid_base(name[2]) &&
         (name[1] == '+' || name[1] == '-');
}

void derive_next_oR(bool helical, const par_set& pars, xyz& org, rotmat& R) {
  rotmat Rs, mid_R, newR;
  xyz ds, mid_o, d;
  if (helical)
    rebuild_by_heli_pars(pars, Rs, ds, mid_R, mid_o);
  else
    rebuild_by_step_pars(pars, Rs, ds, mid_R, mid_o);
  multiply_vec_transposed_matrix_by3(ds, R, d);
  sum_xyz(org, d, org);
  multiply_matrix_3x3(R, Rs, newR);
  R = newR;
}

void populate_strand_atoms(char letter, long resnum, long n, const std::vector<atom>& tmpl,
                           const xyz& org, const rotmat& R, atom_strand& strand) {
  const std::string res_name = sformat("  %c", letter);
  for (long i = 1; i <= n; ++i) {
    atom a = tmpl[i];
    a.chain_id.assign(1, 'A');
    a.res_name = res_name;
    a.raw_res_name = res_name;
    a.res_seq = resnum;
    oR_xyz(org, R, tmpl[i].xyz, a.xyz);
    strand.push_back(a);
  }
}

g4_spec parse_g4_spec(const std::string& value) {
  g4_spec spec;
  if (value.empty()) return spec;
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() < 3) {
    const std::size_t colon = value.find(':', start);
    fields.push_back(value.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  std::string pattern;
  for (char c : fields[0]) {
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '+' || l == 'p' || l == 'u')
      pattern += '+';
    else if (c == '-' || l == 'm' || l == 'n' || l == 'd')
      pattern += '-';
  }
  if (fields.size() > 1 && !fields[1].empty()) spec.twist = cvt2double(fields[1]);
  if (fields.size() > 2 && !fields[2].empty()) spec.rise = cvt2double(fields[2]);
  if (!std::isfinite(spec.twist) || spec.twist == DBL_MAX) spec.twist = 0.0;
  if (!std::isfinite(spec.rise) || spec.rise == DBL_MAX) spec.rise = 3.4;
  if (pattern.empty()) {
    runlog_msg("invalid input. use default: %s\n", kDefaultG4Pattern);
    pattern = kDefaultG4Pattern;
  }
  spec.pattern = pattern;
  return spec;
}

std::vector<par_row> read_rebuild_pars(const std::string& file, long& n) {
  runlog_msg("Reading file %s\n", file.c_str());
  std::vector<par_row> rows(1);
  long counts[3] = {0, 0, 0};  // single-strand, 7-field pair, 13-field pair rows
  const std::vector<std::string> lines = get_filelines(file);
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    if (comment_line(line)) continue;
    if (line.find("num_nts=") != std::string::npos || line.find("num_pairs=") != std::string::npos)
      continue;
    char word[64] = "";
    double v[12];
    const int got = std::sscanf(line.c_str(), "%63s %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf",
                                word, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8],
                                &v[9], &v[10], &v[11]);
    if (got > 1) check_finite_values(std::span(v, static_cast<size_t>(got - 1)), file, static_cast<long>(k) + 1, line);
    const std::string name = word;
    par_row r;
    r.name = name;
    if (got >= 7 && name.size() == 1 && valid_base(name[0])) {
      for (long j = 1; j <= 6; ++j) r.step[j] = v[j - 1];
      ++counts[0];
    } else if (got == 13 && valid_pair(name)) {
      for (long j = 1; j <= 6; ++j) {
        r.bp[j] = v[j - 1];
        r.step[j] = v[j + 5];
      }
      ++counts[2];
    } else if (got >= 7 && valid_pair(name)) {
      for (long j = 1; j <= 6; ++j) r.step[j] = v[j - 1];
      ++counts[1];
    } else {
      runlog_msg("[w] ignore invalid entry: '%s'\n", line.c_str());
      continue;
    }
    rows.push_back(r);
    count_row(static_cast<long>(rows.size()) - 1, file, k);
  }
  n = static_cast<long>(rows.size()) - 1;
  if (n == 0) fatal("[i] no valid list of parameters in: '%s'\n", file.c_str());
  if (counts[0] != n && counts[1] != n && counts[2] != n)
    fatal("[e] inconsistent input: [%ld, %ld, %ld]\n", counts[0], counts[1], counts[2]);
  if (counts[1] == 1 && n == 1) {  // one 7-field pair row: its numbers describe the pair
    rows[1].bp = rows[1].step;
    rows[1].step = par_set{0, 0, 0, 0, 0, 0, 0};
  }
  runlog_msg("[i] reading in %ld lines of parameters\n", n);
  return rows;
}

void check_ZEROS_in_first_step_pars(long n, std::vector<par_row>& rows) {
  if (n <= 1) return;
  for (long j = 1; j <= 6; ++j)
    if (std::fabs(rows[1].step[j]) >= 0.001) return;
  runlog_msg("[W] Wrong format: all ZEROS for the first set of step parameters!\n");
  for (long i = 1; i < n; ++i) rows[i].step = rows[i + 1].step;
}

void run_rebuild(const rebuild_settings& s) {
  if (!s.g4 && s.frame_file.empty()) {
    if (s.par_file.empty()) fatal("[e] must specify a parameter file via: --par-file\n");
    if (!exist_file(s.par_file))
      fatal("[e] specified parameter file '%s' does not exist\n", s.par_file.c_str());
  }
  if (!s.frame_file.empty() && !exist_file(s.frame_file))
    fatal("specified frame file <%s> does not exist!\n", s.frame_file.c_str());
  reset_periodic_table();
  if (s.g4)
    build_g4_model(s);
  else if (!s.frame_file.empty())
    build_from_frames(s);
  else if (s.layer_mode)
    build_generic_model(s);
  else
    build_from_pars(s);
}

void module_rebuild_help_exit(int status) {
  std::fprintf(stderr, "\nCheck the User Manual on how to use the REBUILD module.\n\n");
  end_run(status);
}

}  // namespace vask
