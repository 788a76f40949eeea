// Helix and stem writers: the text sections, the JSON arrays and the
// coordinate ensembles (one model per helix, in the frame of its first pair,
// turned to the side view used by every frame-moved ensemble).
#include <cstring>
#include <string>

#include "secondary/helix.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/json_writer.hpp"
#include "support/ref_frame.hpp"
#include "support/report_lines.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

namespace {

constexpr long BLOCK_RULE_WIDTH = 74;  // '-' line between two blocks of a list
constexpr long SIDE_VIEW = 1;

bool is_helix_kind(const char* kind) { return std::strcmp(kind, "helix") == 0; }

}  // namespace

void show_helix_nts(const char* kind, long n, const std::vector<helix>& helices, const struct_mol& mol,
                    FILE* fp) {
  if (n == 0 || fp == nullptr) return;
  if (Gvars.json) {
    json_helices(kind, n, helices, mol, fp);
    return;
  }
  print_leadline_sepchar(fp, '*', SEPARATOR_WIDTH);
  if (is_helix_kind(kind)) {
    print_noun(fp, n, "List of %ld %s\n", "helix", "helices");
    std::fprintf(fp,
                 "  Note: a helix is defined by base-stacking interactions, regardless of bp\n"
                 "        type and backbone connectivity, and may contain more than one stem.\n"
                 "      helix#number[stems-contained] bps=number-of-base-pairs in the helix\n"
                 "      bp-type: '|' for a canonical WC/wobble pair, '.' otherwise\n");
    std::fprintf(fp,
                 "      helix-form: classification of a dinucleotide step comprising the bp\n"
                 "        above the given designation and the bp that follows it. Types\n"
                 "        include 'A', 'B' or 'Z' for the common A-, B- and Z-form helices,\n"
                 "        '.' for an unclassified step, and 'x' for a step without a\n"
                 "        continuous backbone.\n"
                 "      --------------------------------------------------------------------\n");
  } else {
    print_noun(fp, n, "List of %ld %s\n", "stem");
    std::fprintf(fp,
                 "  Note: a stem is defined as a helix consisting of only canonical WC/wobble\n"
                 "        pairs, with a continuous backbone.\n"
                 "      stem#number[#helix-number containing this stem]\n"
                 "      Other terms are defined as in the above Helix section.\n"
                 "      --------------------------------------------------------------------\n");
  }
  for (long i = 1; i <= n; ++i) {
    if (i > 1) {
      std::fprintf(fp, "  ");
      print_separator(fp, '-', BLOCK_RULE_WIDTH);
    }
    show_one_helix_nts(kind, i, helices[i], mol, fp);
  }
}

void show_one_helix_nts(const char* kind, long i, const helix& h, const struct_mol& mol, FILE* fp) {
  const bool is_helix = is_helix_kind(kind);
  VASK_ASSERT(is_helix || std::strcmp(kind, "stem") == 0);
  if (fp == nullptr) return;
  if (is_helix) {
    std::fprintf(fp, "  %s#%ld[%ld]", kind, i, h.stems.count);
  } else {
    std::fprintf(fp, "  %s#%ld[", kind, i);
    for (long m = 1; m <= h.stems.count; ++m) std::fprintf(fp, m > 1 ? ", #%ld" : "#%ld", h.stems[m]);
    std::fprintf(fp, "]%s", h.stems.count > 1 ? "*" : "");
  }
  std::string flags;
  if (h.overlap) flags += '*';
  if (h.circular) flags += 'o';
  std::fprintf(fp, "%s %s\n", flags.c_str(), set_helix_markers(h, mol).c_str());
  if (h.overlap) {
    std::fprintf(fp, "      strand-1    %s\n", h.codes[1].c_str());
    std::fprintf(fp, "       bp-type    %s\n", h.codes[3].c_str());
    std::fprintf(fp, "      strand-2    %s\n", h.codes[2].c_str());
  } else {
    std::fprintf(fp, "      strand-1 5'-%s-3'\n", h.codes[1].c_str());
    std::fprintf(fp, "       bp-type    %s\n", h.codes[3].c_str());
    if (h.parallel)
      std::fprintf(fp, "      strand-2 5'-%s-3'\n", h.codes[2].c_str());
    else
      std::fprintf(fp, "      strand-2 3'-%s-5'\n", h.codes[2].c_str());
  }
  std::fprintf(fp, "      helix-form  %s\n", h.codes[4].c_str());
  for (long k = 1; k <= h.num_pairs; ++k) show_pair_info(k, h.pairs[k], mol, fp);
}

void json_helices(const char* kind, long n, const std::vector<helix>& helices, const struct_mol& mol,
                  FILE* fp) {
  if (fp == nullptr) return;
  const bool heli = std::strstr(kind, "heli") != nullptr;
  json_lNumber(fp, heli ? "num_helices" : "num_stems", n);
  json_begin_array(fp, heli ? "helices" : "stems");
  for (long i = 1; i <= n; ++i) {
    const helix& h = helices[i];
    json_bareObject_start_with_idx(fp, i);
    if (heli)
      json_lNumber(fp, "num_stems", h.stems.count);
    else if (h.stems.count == 1)
      json_lNumber(fp, "helix_index", h.stems[1]);
    json_string(fp, "strand1", h.codes[1]);
    json_string(fp, "strand2", h.codes[2]);
    json_string(fp, "bp_type", h.codes[3]);
    json_string(fp, "helix_form", h.codes[4]);
    json_lNumber(fp, "num_pairs", h.num_pairs);
    if (h.num_imotif_pairs != 0) json_lNumber(fp, "num_i_motif_pairs", h.num_imotif_pairs);
    json_begin_array(fp, "pairs");
    for (long k = 1; k <= h.num_pairs; ++k) {
      json_bareObject_start_with_idx(fp, k);
      json_pair_basic0(h.pairs[k], mol, fp);
      json_bareObject_end_check_idx(fp, k, h.num_pairs);
    }
    json_end_array0(fp);
    json_bareObject_end_check_idx(fp, i, n);
  }
  json_end_array(fp);
}

void write_helices_pdb(long n, const std::vector<helix>& helices, struct_mol& mol, const std::string& file) {
  FILE* fp = create_file(file);
  if (Gvars.output_format == 2) write_cif_header(fp, mol.base_name);
  for (long i = 1; i <= n; ++i) {
    const helix& h = helices[i];
    std::vector<long> residues(1, 0);
    residues.insert(residues.end(), h.strand1.begin() + 1, h.strand1.begin() + h.num_pairs + 1);
    residues.insert(residues.end(), h.strand2.begin() + 1, h.strand2.begin() + h.num_pairs + 1);
    begin_ensemble_model(fp, i, {sformat("model=%ld    %s", i, set_helix_markers(h, mol).c_str())});
    write_residue_set_pdb_frame(2 * h.num_pairs, residues, &h.pairs[1].frame, SIDE_VIEW, mol, fp);
    end_ensemble_model(fp);
  }
  Gvars.counts.cif_model_num = 0;
  end_pdbfile(fp);
  close_file(fp);
}

void output_helices_pdb(struct_mol& mol, long n, const std::vector<helix>& helices) {
  if (!Gvars.auxfiles || n == 0) return;
  write_helices_pdb(n, helices, mol, name_pdbcif_outfile("helices"));
}

void output_stems_pdb(struct_mol& mol, long n, const std::vector<helix>& stems) {
  if (!Gvars.auxfiles || n == 0) return;
  write_helices_pdb(n, stems, mol, name_pdbcif_outfile("stems"));
}

}  // namespace vask
