// Protein secondary structure by the DSSP method: the statistics and the
// residue table of "<prefix>-dssp.txt".
#include <algorithm>
#include <cstdio>

#include "interactions/dssp.hpp"
#include "structure/bond.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long HISTOGRAM_CELLS = 30;  // larger sizes are counted in the last cell

double percent(long count, long total) {
  return total > 0 ? static_cast<double>(count) * 100.0 / static_cast<double>(total) : 0.0;
}

void add_to_histogram(std::vector<long>& row, long size) {
  if (size >= 1) ++row[std::min(size, HISTOGRAM_CELLS)];
}

void print_histogram_row(FILE* fp, const std::vector<long>& row, const char* label) {
  for (long k = 1; k <= HISTOGRAM_CELLS; ++k) {
    if (row[k] == 0)
      std::fprintf(fp, "   ");
    else
      std::fprintf(fp, "%3ld", row[k]);
  }
  std::fprintf(fp, "%s", label);
}

void print_hbond(FILE* fp, const dssp_hbond& h) {
  if (h.partner == 0)
    std::fprintf(fp, "    ----    ");
  else
    std::fprintf(fp, "%4ld,%-7.1f", h.partner, static_cast<double>(h.energy) / 1000.0);
}

void print_angle(FILE* fp, double v) {
  if (v == DBL_MAX)
    std::fprintf(fp, "     ---");
  else
    std::fprintf(fp, "%8.1f", v);
}

}  // namespace

void output_dssp_to_file(const struct_mol& mol, const std::vector<dssp_rec>& recs,
                         long num_ladders, const std::vector<dssp_ladder>& ladders) {
  const long n = mol.num_residues;
  std::vector<long> aas;
  for (long k = 1; k <= n; ++k)
    if (is_aa(k, mol)) aas.push_back(k);
  const long num_aas = static_cast<long>(aas.size());
  scoped_file sf(create_file(sformat("%.256s-dssp.txt", Gvars.prefix.c_str())));
  FILE* fp = sf.get();

  std::fprintf(fp, "Number of amino-acids: %ld (%ld)\n", num_aas, n);
  std::fprintf(fp, "Number of chains: %ld\n", mol.num_protein_chains);

  long num_hbonds = 0;
  std::vector<long> by_offset(11, 0);  // offsets -5 .. 5 at 0 .. 10
  for (long k : aas)
    for (const auto& h : recs[k].acceptor) {
      if (h.partner == 0 || h.energy > DSSP_HBOND_MAX) continue;
      ++num_hbonds;
      const long offset = h.partner - k;
      if (offset >= -5 && offset <= 5) ++by_offset[offset + 5];
    }
  std::fprintf(fp, "Number of H-bonds of type O(i)-->H-N(j): %ld (%.1f%%)\n", num_hbonds,
               percent(num_hbonds, num_aas));
  for (long offset = -5; offset <= 5; ++offset) {
    const long c = by_offset[offset + 5];
    if (c != 0)
      std::fprintf(fp, "                           (i)-->(i%+ld):  %ld (%.1f%%)\n", offset, c,
                   percent(c, num_aas));
  }

  long bridge_hbonds[3] = {0, 0, 0};  // by ladder type
  std::vector<long> helix_row(HISTOGRAM_CELLS + 1, 0), par_row(HISTOGRAM_CELLS + 1, 0),
      anti_row(HISTOGRAM_CELLS + 1, 0), sheet_row(HISTOGRAM_CELLS + 1, 0);
  std::vector<long> per_sheet(static_cast<size_t>(num_ladders) + 1, 0);
  for (long k = 1; k <= num_ladders; ++k) {
    const dssp_ladder& d = ladders[k];
    bridge_hbonds[d.type] += d.last1 - d.first1 + 2;
    add_to_histogram(d.type == 1 ? par_row : anti_row, d.last1 - d.first1 + 1);
    ++per_sheet[d.sheet_number];
  }
  for (long count : per_sheet) add_to_histogram(sheet_row, count);
  const char* kinds[3] = {"", "parallel", "anti-parallel"};
  for (int t = 1; t <= 2; ++t)
    if (bridge_hbonds[t] != 0)
      std::fprintf(fp, "Number of H-bonds in %s bridges: %ld (%.1f%%)\n", kinds[t],
                   bridge_hbonds[t], percent(bridge_hbonds[t], num_aas));

  // a helix is counted once an amino acid outside it follows
  long run = 0;
  for (long k : aas) {
    if (recs[k].label[DSSP_SUMMARY] == 'H') {
      ++run;
    } else {
      add_to_histogram(helix_row, run);
      run = 0;
    }
  }
  for (long k = 1; k <= HISTOGRAM_CELLS; ++k) std::fprintf(fp, "%3ld", k);
  std::fprintf(fp, "     *** Histograms of ***\n");
  print_histogram_row(fp, helix_row, "    Residues per alpha helix\n");
  print_histogram_row(fp, par_row, "    Parallel bridges per ladder\n");
  print_histogram_row(fp, anti_row, "    Antiparallel bridges per ladder\n");
  print_histogram_row(fp, sheet_row, "    Ladders per sheet\n");

  std::fprintf(fp,
               "\n%24sS345BC12S    L1    L2    N-H-->O     O-->H-N     N-H-->O     O-->H-N       "
               "CO-CO   Bend   Chiral    Phi     Psi\n",
               "");
  for (size_t m = 0; m < aas.size(); ++m) {
    const long k = aas[m];
    const dssp_rec& r = recs[k];
    const bool last = m + 1 == aas.size();
    const char mark = !last && !dssp_linked(k, k + 1, mol) ? '*' : ' ';
    std::fprintf(fp, "%4ld %c%-12s      %s", k, mark, mol.residues[k].idstr.c_str(), r.label.c_str());
    for (long partner : {r.L1, r.L2}) {
      if (partner == 0)
        std::fprintf(fp, "      ");
      else
        std::fprintf(fp, "%6ld", partner);
    }
    std::fprintf(fp, "  ");
    print_hbond(fp, r.donor[0]);
    print_hbond(fp, r.acceptor[0]);
    print_hbond(fp, r.donor[1]);
    print_hbond(fp, r.acceptor[1]);
    for (double v : {r.co_angle, r.bend, r.chirality, r.phi, r.psi}) print_angle(fp, v);
    std::fprintf(fp, "\n");
  }
  sf.close();
}

}  // namespace vask
