// Structural search: query preparation, window points and parameters, the
// similarity measures of one window and the scan over the targets.
#include "interactions/search.hpp"

#include "interactions/helix_records.hpp"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <utility>

#include "modeling/analyze.hpp"
#include "pairing/frame.hpp"
#include "pairing/pair.hpp"
#include "pairing/prepare.hpp"
#include "pairing/splay.hpp"
#include "schematics/alchemy_schematic.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/selection.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/fitting.hpp"
#include "support/frame_file.hpp"
#include "support/log.hpp"
#include "support/pattern_matcher.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

const par_set search_step_std{-1.0, 0.45, 0.81, 0.19, 2.52, 5.21, 6.80};
const par_set search_pair_std{-1.0, 0.21, 0.12, 0.19, 6.74, 5.26, 3.05};

namespace {

const xyz kUnsetPoint{0, DBL_MAX, DBL_MAX, DBL_MAX};

bool point_set(const xyz& p) { return p[1] < DBL_MAX && p[2] < DBL_MAX && p[3] < DBL_MAX; }

xyz atom_point(long atom, const struct_mol& mol) {
  return atom >= 1 ? mol.atoms[atom].xyz : kUnsetPoint;
}

// Residue ids of the window ends; "" for an index out of range.
const char* res_id(long k, const struct_mol& mol) {
  return k >= 1 && k <= mol.num_residues ? mol.residues[k].idstr.c_str() : "";
}

void init_pars(long n, std::vector<double>& pars) {
  pars.assign(static_cast<size_t>(n) + 1, 0.0);
  pars[0] = static_cast<double>(n);
}

long pars_count(const std::vector<double>& pars) { return pars.empty() ? 0 : static_cast<long>(pars[0]); }

// Summed |a - b| / sd over `sets` six-value sets from offset `first` (0-based
// set index), each difference taken only where both values are set.
double weighted_difference(const std::vector<double>& a, const std::vector<double>& b, long first,
                           long sets, const par_set& sd) {
  double sum = 0.0;
  for (long i = first; i < first + sets; ++i)
    for (long j = 1; j <= 6; ++j) {
      const double x = a[i * 6 + j], y = b[i * 6 + j];
      if (x < DBL_MAX && y < DBL_MAX) sum += std::fabs(x - y) / sd[j];
    }
  return sum;
}

// Dot product over the norms, the values taken where both are set; 0 for
// empty vectors or a zero norm.
double cosine_similarity(const std::vector<double>& ref, const std::vector<double>& work) {
  const long n = pars_count(ref);
  if (n < 1) return 0.0;
  double rr = 0.0, ww = 0.0;
  for (long i = 1; i <= n; ++i) {
    if (ref[i] == DBL_MAX || work[i] == DBL_MAX) continue;
    rr += ref[i] * ref[i];
    ww += work[i] * work[i];
  }
  const double rnorm = std::sqrt(rr), wnorm = std::sqrt(ww);
  if (rnorm <= 0.0 || wnorm <= 0.0) return 0.0;
  double dot = 0.0;
  for (long i = 1; i <= n; ++i) {
    if (ref[i] == DBL_MAX || work[i] == DBL_MAX) continue;
    dot += ref[i] / rnorm * work[i];
  }
  return dot / wnorm;
}

// Root-mean-square distance of points 1..m from their centroid.
double spread(const std::vector<xyz>& pts, long m) {
  xyz c{};
  for (long i = 1; i <= m; ++i)
    for (long j = 1; j <= 3; ++j) c[j] += pts[i][j];
  for (long j = 1; j <= 3; ++j) c[j] /= static_cast<double>(m);
  double sum = 0.0;
  for (long i = 1; i <= m; ++i)
    for (long j = 1; j <= 3; ++j) sum += (pts[i][j] - c[j]) * (pts[i][j] - c[j]);
  return std::sqrt(sum / static_cast<double>(m));
}

// TM-score distance scale for m points.
double tm_d0(long m) { return m <= 15 ? 0.5 : 1.24 * std::cbrt(static_cast<double>(m - 15)) - 1.8; }

bool better_match(long order, const search_match& best, const search_match& w) {
  switch (order) {
    case ORDER_PARS: return best.delta_pars > w.delta_pars;
    case ORDER_COSINE: return w.cosine_sim > best.cosine_sim;
    case ORDER_TM: return w.tm_score > best.tm_score;
    default: return best.rmsd > w.rmsd;
  }
}

// The CSV row of one match.
void csv_row(FILE* csv, const search_match& m, const struct_mol& mol) {
  if (csv == nullptr) return;
  std::fprintf(csv, "%s,", m.label.c_str());
  std::fprintf(csv, "%s,%s,", res_id(m.start1, mol), res_id(m.end1, mol));
  if (m.start2 != 0) {
    std::fprintf(csv, "%s,%s,", res_id(m.start2, mol), res_id(m.end2, mol));
    std::fprintf(csv, "%ld,", m.helix);
  }
  std::fprintf(csv, "%.4f,%.4f,%.4f,%.4f\n", m.rmsd, m.delta_pars, m.cosine_sim, m.tm_score);
}

void both_logs(const char* text) {
  if (RUNLOG != nullptr && PRGLOG != nullptr) output_to_2files(text, RUNLOG, PRGLOG);
}

// One helix of the query, anti-parallel and covering every nucleotide.
const helix& query_duplex(search_query& q, std::vector<helix>& helices, long num_helices) {
  if (num_helices != 1) fatal("[e] -- not one duplex [%ld]\n", num_helices);
  const helix& h = helices[1];
  if (!is_anti_parallel(h)) fatal("[e] -- not a proper anti-parallel duplex\n");
  if (q.nts != 2 * h.num_pairs)
    fatal("[e] -- %ld nucleotides total, duplex containing %ld (2 * %ld)\n", q.nts, 2 * h.num_pairs,
          h.num_pairs);
  return h;
}

// The duplex with its strands swapped: strand 1 is the query's strand 2.
helix reversed_duplex(const helix& h, struct_mol& mol) {
  const long n = h.num_pairs;
  helix r;
  r.num_pairs = n;
  r.strand1 = h.strand2;
  r.strand2 = h.strand1;
  r.pairs = allocate_pairs_array(n);
  for (long i = 1; i <= n; ++i) populate_one_base_pair(r.strand1[i], r.strand2[n - i + 1], mol, r.pairs[i]);
  return r;
}

void prepare_single_strand(const search_settings& s, search_query& q) {
  both_logs("Taken as single-stranded");
  long num_ss = 0, num_units = 0;
  std::vector<ss_par> ss;
  std::vector<connect> units;
  find_ssPars(q.mol, num_ss, ss, num_units, units);
  q.nbp = 0;
  const segidx& run = q.mol.segments[1];
  std::vector<long> list(1);
  for (long r = run.start; r <= run.end; ++r) list.push_back(r);
  const long k = static_cast<long>(list.size()) - 1;
  q.num_xyz = k * points_per_nt(s.match);
  q.points.assign(static_cast<size_t>(q.num_xyz) + 1, kUnsetPoint);
  collect_1seg_xyz(s, q.mol, 1, k, list, q.points, 1);
  const long nsteps = q.nts - 1;
  init_pars(6 * std::max(0L, nsteps), q.pars);
  long m = 0;
  for (long i = 1; i <= nsteps; ++i) {
    const par_set& p = q.mol.nt_infos[q.mol.nt_residue[i]].ss.pars;
    for (long j = 1; j <= 6; ++j) q.pars[++m] = p[j];
  }
  VASK_ASSERT(m == pars_count(q.pars));
}

void prepare_duplex(const search_settings& s, search_query& q) {
  both_logs("Taken as a duplex");
  long num_helices = 0;
  std::vector<helix> helices = find_duplexes(q.mol, false, num_helices);
  const helix& h = query_duplex(q, helices, num_helices);
  const long n = h.num_pairs;
  q.nbp = n;

  {
    scoped_file sf(create_file("reversed-duplex.pdb"));
    std::fprintf(sf.get(), "REMARK reversed duplex based on query -- %s\n", q.file.c_str());
    std::vector<long> list(1);
    for (long i = 1; i <= n; ++i) list.push_back(h.strand2[i]);
    for (long i = 1; i <= n; ++i) list.push_back(h.strand1[i]);
    write_residue_set_pdb_frame(2 * n, list, nullptr, 0, q.mol, sf.get());
    std::fprintf(sf.get(), "END\n");
  }

  q.num_xyz = 2 * n * points_per_nt(s.match);
  const long half = q.num_xyz / 2 + 1;
  q.points.assign(static_cast<size_t>(q.num_xyz) + 1, kUnsetPoint);
  q.reverse = q.points;
  collect_1seg_xyz(s, q.mol, 1, n, h.strand1, q.points, 1);
  collect_1seg_xyz(s, q.mol, 1, n, h.strand2, q.points, half);
  collect_1seg_xyz(s, q.mol, 1, n, h.strand2, q.reverse, 1);
  collect_1seg_xyz(s, q.mol, 1, n, h.strand1, q.reverse, half);

  collect_helix_pars(s.pair_mode, h, helix_step_pars(h, q.mol), 1, n, q.pars);
  const helix r = reversed_duplex(h, q.mol);
  collect_helix_pars(s.pair_mode, r, helix_step_pars(r, q.mol), 1, n, q.pars_reverse);
}

void log_query(const search_settings& s, const search_query& q) {
  FILE* fp = PRGLOG;
  if (fp != nullptr) {
    std::fprintf(fp, "\nQuery info:\n");
    std::fprintf(fp, "    file=%s\n", q.mol.base_name.c_str());
    std::fprintf(fp, "    nts=%ld\n", q.nts);
    std::fprintf(fp, "    match-type=%s\n", match_type_string(s.match).c_str());
    std::fprintf(fp, "    num_XYZ=%ld\n", q.num_xyz);
    print_xyz(q.num_xyz, q.points, fp);
  }
  const std::string line = q.nbp > 0 ? sformat("\n    duplex-bps=%ld", q.nbp)
                                     : sformat("\n    single-strand-nts=%ld", q.nts);
  both_logs(line.c_str());
  if (fp == nullptr) return;
  if (q.nbp > 0) {
    std::fprintf(fp, "\n------ Reversed coordinates ------\n");
    print_xyz(q.num_xyz, q.reverse, fp);
  }
  print_pars(q.pars, "raw", fp);
  if (q.nbp > 0) print_pars(q.pars_reverse, "reverse", fp);
}

// The target's helices, each window of the query's size measured both ways.
void scan_duplex_target(const search_settings& s, search_query& q, struct_mol& mol, search_match& best,
                        search_run& run) {
  long num_helices = 0;
  const std::vector<helix> helices = find_duplexes(mol, false, num_helices);
  const long k = q.nbp;
  const long half = q.num_xyz / 2 + 1;
  for (long h = 1; h <= num_helices; ++h) {
    const helix& hx = helices[h];
    const long N = hx.num_pairs;
    if (PRGLOG != nullptr) {
      const std::string label = sformat("%s-#%ld, bps=%ld", mol.base_name.c_str(), h, N);
      output_to_2files(label.c_str(), run.out, PRGLOG);
    }
    if (N < k || !is_anti_parallel(hx)) continue;
    const std::vector<par_set> steps = helix_step_pars(hx, mol);
    std::vector<long> list1(static_cast<size_t>(k) + 1), list2 = list1;
    for (long st = 1; st <= N - k + 1; ++st) {
      const long e = N - st - k + 2;
      collect_helix_pars(s.pair_mode, hx, steps, st, k, q.pars_work);
      for (long i = 1; i <= k; ++i) {
        list1[i] = hx.strand1[st + i - 1];
        list2[i] = hx.strand2[e + i - 1];
      }
      collect_1seg_xyz(s, mol, 1, k, list1, q.work, 1);
      collect_1seg_xyz(s, mol, 1, k, list2, q.work, half);
      derive_metrics(s, q, mol, h, st, k, list1, list2, best, run);
      derive_metrics(s, q, mol, -h, st, k, list1, list2, best, run);
    }
  }
}

// The target's backbone-linked runs, each window of the query's length.
void scan_strand_target(const search_settings& s, search_query& q, struct_mol& mol,
                        const std::string& file, search_match& best, search_run& run) {
  if (s.single == 2 && !reset_pdb_single(mol))
    both_logs(sformat("\tkeep %s as is, not as a single strand", file.c_str()).c_str());
  long num_ss = 0, num_units = 0;
  std::vector<ss_par> ss;
  std::vector<connect> units;
  find_ssPars(mol, num_ss, ss, num_units, units);
  const long k = q.nts;
  std::vector<long> list(static_cast<size_t>(k) + 1);
  const std::vector<long> none;
  for (long r = 1; r <= static_cast<long>(mol.segments.size()) - 1; ++r) {
    const segidx& seg = mol.segments[r];
    const long C = seg.count;
    if (PRGLOG != nullptr) {
      const std::string label = sformat("%s-#%ld, nts=%ld", mol.base_name.c_str(), r, C);
      output_to_2files(label.c_str(), run.out, PRGLOG);
    }
    for (long st = 1; st <= C - k + 1; ++st) {
      const long first = seg.start + st - 1;
      init_pars(6 * (k - 1), q.pars_work);
      long m = 0;
      for (long i = 0; i < k - 1; ++i) {
        const par_set& p = mol.nt_infos[first + i].ss.pars;
        for (long j = 1; j <= 6; ++j) q.pars_work[++m] = p[j];
      }
      for (long i = 1; i <= k; ++i) list[i] = first + i - 1;
      collect_1seg_xyz(s, mol, 1, k, list, q.work, 1);
      derive_metrics(s, q, mol, r, st, k, list, none, best, run);
    }
  }
}

}  // namespace

long points_per_nt(long match) {
  long n = 0;
  if (match & MATCH_PHOS) n += 1;
  if (match & MATCH_ORIGIN) n += 1;
  if (match & MATCH_OXY) n += 3;
  if (match & MATCH_PLANE) n += 9;
  if (match & MATCH_C2) n += 1;
  if (match & MATCH_C4) n += 1;
  if (match & MATCH_NATOM) n += 1;
  return n;
}

std::string match_type_string(long match) {
  static constexpr struct {
    long bit;
    const char* name;
  } kNames[] = {{MATCH_PHOS, "phos"},     {MATCH_C2, "c2_prime"}, {MATCH_C4, "c4_prime"},
                {MATCH_NATOM, "N_atom"},  {MATCH_ORIGIN, "origin"}, {MATCH_OXY, "oxy"},
                {MATCH_PLANE, "plane"}};
  std::string text;
  for (const auto& n : kNames) {
    if (!(match & n.bit)) continue;
    if (!text.empty()) text += '-';
    text += n.name;
  }
  return text;
}

long derive_match_type(const std::string& value) {
  long bits = 0;
  if (zor_ncmatch(value, "p[-]?(hos|atom)")) bits |= MATCH_PHOS;
  if (zor_ncmatch(value, "origin")) bits |= MATCH_ORIGIN;
  if (zor_ncmatch(value, "base3|oxy")) bits = (bits & ~MATCH_ORIGIN) | MATCH_OXY;
  if (zor_ncmatch(value, "base9|plane")) bits = (bits & ~(MATCH_ORIGIN | MATCH_OXY)) | MATCH_PLANE;
  if (zor_ncmatch(value, "c2")) bits |= MATCH_C2;
  if (zor_ncmatch(value, "c4")) bits |= MATCH_C4;
  if (zor_ncmatch(value, "n[-]?atom")) bits |= MATCH_NATOM;
  return bits == 0 ? MATCH_PHOS : bits;
}

long collect_1seg_xyz(const search_settings& s, const struct_mol& mol, long start, long k,
                      const std::vector<long>& list, std::vector<xyz>& pts, long row) {
  const long need = row + k * points_per_nt(s.match);
  if (static_cast<long>(pts.size()) < need) pts.resize(static_cast<size_t>(need), kUnsetPoint);
  const double L = Gvars.axis_len;
  for (long i = start; i < start + k; ++i) {
    const long r = list[i];
    const nt_info& nt = mol.nt_infos[r];
    const frame* f = base_frame(r, mol);
    if (s.match & MATCH_PHOS) pts[row++] = atom_point(nt.P, mol);
    if (s.match & MATCH_ORIGIN) pts[row++] = f != nullptr ? f->org : kUnsetPoint;
    if (s.match & MATCH_OXY) {
      for (long a = 0; a < 3; ++a) {
        xyz p = kUnsetPoint;
        if (f != nullptr)
          for (long j = 1; j <= 3; ++j)
            p[j] = f->org[j] + (a == 1 ? L * f->x_axis[j] : a == 2 ? L * f->y_axis[j] : 0.0);
        pts[row++] = p;
      }
    }
    if (s.match & MATCH_PLANE) {
      std::array<xyz, 10> grid{};
      if (f != nullptr) derive_frame_pseudo_atoms(*f, grid);
      for (long a = 1; a <= 9; ++a) pts[row++] = f != nullptr ? grid[static_cast<size_t>(a)] : kUnsetPoint;
    }
    if (s.match & MATCH_C2) pts[row++] = atom_point(nt.C2p, mol);
    if (s.match & MATCH_C4) pts[row++] = atom_point(nt.C4p, mol);
    if (s.match & MATCH_NATOM)
      pts[row++] = atom_point(find_atom_in_residue(is_R(r, mol) ? " N9 " : " N1 ", r, mol), mol);
  }
  return row;
}

std::vector<helix> find_duplexes(struct_mol& mol, bool stems, long& n) {
  helix_records r;
  find_pairs(mol, r.num_pairs, r.pairs, 0);
  helix_slots slots = r.slots();
  if (stems) {
    find_stems(mol, slots);
    n = r.num_stems;
    return std::move(r.stems);
  }
  find_helices(mol, slots);
  n = r.num_helices;
  return std::move(r.helices);
}

std::vector<par_set> helix_step_pars(const helix& h, const struct_mol& mol) {
  std::vector<par_set> steps(static_cast<size_t>(std::max(1L, h.num_pairs)));
  for (long j = 1; j < h.num_pairs; ++j) {
    helixPars d;
    calculate_helix_pars(h.pairs[j], h.pairs[j + 1], mol, d);
    steps[j] = d.step_params;
  }
  return steps;
}

void collect_helix_pars(long pair_mode, const helix& h, const std::vector<par_set>& steps, long start,
                        long k, std::vector<double>& pars) {
  const long nstep = pair_mode == -1 ? 0 : k - 1;
  const long npair = pair_mode == 0 ? 0 : k;
  init_pars(6 * (nstep + npair), pars);
  long m = 0;
  for (long j = start; j < start + nstep; ++j)
    for (long c = 1; c <= 6; ++c) pars[++m] = steps[j][c];
  for (long j = start; j < start + npair; ++j)
    for (long c = 1; c <= 6; ++c) pars[++m] = h.pairs[j].bp_params[c];
  VASK_ASSERT(m == pars_count(pars));
}

long reset_pdb_single(struct_mol& mol) {
  for (long k = 1; k <= mol.num_residues; ++k)
    if (!is_nt(k, mol)) return 0;
  segidx one;
  one.key = 3;
  one.start = 1;
  one.end = mol.num_nts;
  one.count = mol.num_nts;
  mol.segments.assign(1, segidx{});
  mol.segments.push_back(one);
  mol.num_segments = 1;
  return 1;
}

void output_to_2files(const char* text, FILE* fp1, FILE* fp2) {
  if (fp1 != nullptr) std::fprintf(fp1, "%s\n", text);
  if (fp2 != nullptr && fp2 != fp1) std::fprintf(fp2, "%s\n", text);
}

void print_xyz(long n, const std::vector<xyz>& pts, FILE* fp) {
  if (fp == nullptr) return;
  print_leadline_sepchar(fp, '*', 76);
  for (long i = 1; i <= n; ++i) {
    if (point_set(pts[i]))
      std::fprintf(fp, "%4ld %10.3f %10.3f %10.3f\n", i, pts[i][1], pts[i][2], pts[i][3]);
    else
      std::fprintf(fp, "%4ld -- missing\n", i);
  }
}

void print_pars(const std::vector<double>& pars, const char* label, FILE* fp) {
  if (fp == nullptr) return;
  const long n = pars_count(pars);
  std::fprintf(fp, "    num-pars=%ld\n", n);
  std::fprintf(fp, "      --- %s\n", label);
  for (long i = 0; i < n / 6; ++i) {
    std::fprintf(fp, "      %3ld", i + 1);
    for (long j = 1; j <= 6; ++j) std::fprintf(fp, " %9.3f", pars[i * 6 + j]);
    std::fprintf(fp, "\n");
  }
}

void prepare_query(const search_settings& s, search_query& q, FILE* out) {
  q.file = s.query;
  read_pdb_without_waters_ions(s.query, q.mol);
  if (s.single != 0 && !reset_pdb_single(q.mol)) {
    free_struct_mol(q.mol);
    // a query that is no single strand cannot be searched for as one
    fatal("[e] with --single, query must contains only nts\n");
  }
  q.nts = q.mol.num_nts;
  if (out != nullptr)
    std::fprintf(out, "Query on '%s': nts=%ld, frags=%ld\n", q.mol.base_name.c_str(), q.nts,
                 q.mol.num_segments);
  if (q.nts < 1) fatal("[e] the query '%s' holds no nucleotides\n", s.query.c_str());
  if (s.single != 0 || q.mol.num_segments == 1)
    prepare_single_strand(s, q);
  else
    prepare_duplex(s, q);
  log_query(s, q);
  q.work.assign(static_cast<size_t>(q.num_xyz) + 1, kUnsetPoint);
}

void derive_metrics(const search_settings& s, search_query& q, const struct_mol& target, long index,
                    long start, long k, const std::vector<long>& list1, const std::vector<long>& list2,
                    search_match& best, search_run& run) {
  const bool reversed = index < 0;
  const std::vector<double>& ref_pars = reversed ? q.pars_reverse : q.pars;
  const std::vector<xyz>& ref_pts = reversed ? q.reverse : q.points;
  const std::vector<double>& work = q.pars_work;
  const bool duplex = q.nbp > 0;

  search_match w;
  // parameter distance: step sets, then pair sets, each part averaged
  const long nstep = duplex ? (s.pair_mode == -1 ? 0 : q.nbp - 1) : q.nts - 1;
  double delta = 0.0;
  if (nstep > 0) delta += weighted_difference(ref_pars, work, 0, nstep, search_step_std) / static_cast<double>(nstep);
  if (duplex && s.pair_mode != 0)
    delta += weighted_difference(ref_pars, work, nstep, k, search_pair_std) / static_cast<double>(k);
  w.delta_pars = delta;
  w.cosine_sim = cosine_similarity(ref_pars, work);

  // the point pairs set on both sides
  const long num = q.num_xyz;
  if (static_cast<long>(q.fit_ref.size()) <= num) {
    q.fit_ref.resize(static_cast<size_t>(num) + 1);
    q.fit_work.resize(static_cast<size_t>(num) + 1);
    q.fitted.resize(static_cast<size_t>(num) + 1);
  }
  long m = 0;
  for (long i = 1; i <= num; ++i) {
    if (!point_set(ref_pts[i]) || !point_set(q.work[i])) continue;
    ++m;
    q.fit_ref[m] = ref_pts[i];
    q.fit_work[m] = q.work[i];
  }
  w.rmsd = SEARCH_UNSET;
  w.tm_score = 0.0;
  // The difference of the two spreads bounds the RMSD from below: a window
  // that cannot come within the cutoff is not fitted (unless the program log
  // wants every window's RMSD).
  const bool pruned = m >= 3 && PRGLOG == nullptr &&
                      std::fabs(spread(q.fit_ref, m) - spread(q.fit_work, m)) > s.cutoff;
  if (m >= 3 && !pruned) {
    xyz origin{};
    rotmat rot{};
    w.rmsd = ls_fitting(q.fit_ref, q.fit_work, m, &q.fitted, &origin, &rot);
    fillout_frame_from_oR(origin, rot, w.fit);
    const double d0 = tm_d0(m);
    double sum = 0.0;
    for (long i = 1; i <= m; ++i) {
      const double d = dist_xyz(q.fitted[i], q.fit_work[i]) / d0;
      sum += 1.0 / (1.0 + d * d);
    }
    w.tm_score = sum / static_cast<double>(m);
  }

  const long signed_start = reversed ? -start : start;
  if (PRGLOG != nullptr) {
    std::fprintf(PRGLOG, "%6ld rmsd=%-6.4f", signed_start, w.rmsd);
    std::fprintf(PRGLOG, " delta_pars=%+-6.4f ", w.delta_pars);
    std::fprintf(PRGLOG, " cosine_sim=%+-6.4f ", w.cosine_sim);
    std::fprintf(PRGLOG, " tm_score=%+-6.4f ", w.tm_score);
    std::fprintf(PRGLOG, " %s=%s", "start1", res_id(list1[1], target));
    std::fprintf(PRGLOG, " %s=%s", "end1", res_id(list1[k], target));
    std::fprintf(PRGLOG, "\n");
  }
  if (!(w.rmsd <= s.cutoff)) return;

  w.label = target.base_name;
  w.start1 = list1[1];
  w.end1 = list1[k];
  if (duplex) {
    w.start2 = list2[1];
    w.end2 = list2[k];
  }
  w.helix = index;
  ++run.hits;
  if (FILE* out = run.out; out != nullptr) {
    std::fprintf(out, "%6ld (%4.4ld): rmsd=%-6.4f", signed_start, run.hits, w.rmsd);
    std::fprintf(out, " delta_pars=%+-6.4f ", w.delta_pars);
    std::fprintf(out, " cosine_sim=%+-6.4f ", w.cosine_sim);
    std::fprintf(out, " tm_score=%+-6.4f ", w.tm_score);
    std::fprintf(out, " %s=%s", "start1", res_id(w.start1, target));
    std::fprintf(out, " %s=%s", "end1", res_id(w.end1, target));
    if (duplex) {
      std::fprintf(out, " %s=%s", "start2", res_id(w.start2, target));
      std::fprintf(out, " %s=%s", "end2", res_id(w.end2, target));
    }
    if (m < num) std::fprintf(out, " --- %ld vs %ld", m, num);
    std::fprintf(out, "\n");
  }
  if (verbose1()) csv_row(run.csv, w, target);
  if (better_match(s.order, best, w)) best = w;
}

void print_best_match(search_run& run, search_query& q, const struct_mol& target,
                      const std::string& target_file, const search_match& best) {
  if (verbose0()) csv_row(run.csv, best, target);
  if (Gvars.trx_file.empty() || run.best_written) return;
  run.best_written = true;
  runlog_msg("\t*** best match: '%s' vs. '%s', (%.4f, %.4f, %.4f, %.4f) ***\n", q.file.c_str(),
             target_file.c_str(), best.rmsd, best.delta_pars, best.cosine_sim, best.tm_score);
  write_frame_file(best.fit, Gvars.trx_file);
  struct_mol moved = q.mol;  // the query itself stays where it is
  write_mol_by_align(best.fit, moved, "query-only-aligned.pdb");
  combine_two_pdbfiles("query-only-aligned.pdb", target_file, "query-with-target.pdb", 1);
}

void process_targets(const search_settings& s, search_query& q, long n,
                     const std::vector<std::string>& names, search_run& run) {
  scoped_file csv(output_file(s.csv));
  run.csv = csv.get();
  std::fprintf(run.csv, "strid,start1,end1");
  if (q.nbp > 0) std::fprintf(run.csv, ",start2,end2,helix");
  std::fprintf(run.csv, ",rmsd,delta_pars,cosine_sim,tm_score\n");
  for (long i = 1; i <= n; ++i) {
    const std::string& file = names[static_cast<size_t>(i)];
    both_logs(sformat("Checking %ld (out of %ld) --- %s", i, n, file.c_str()).c_str());
    struct_mol mol;
    read_pdb_without_waters_ions(file, mol);
    search_match best;
    if (q.nbp > 0)
      scan_duplex_target(s, q, mol, best, run);
    else
      scan_strand_target(s, q, mol, file, best, run);
    if (best.rmsd != SEARCH_UNSET) print_best_match(run, q, mol, file, best);
    free_struct_mol(mol);
  }
  csv.close();
  run.csv = nullptr;
}

}  // namespace vask
