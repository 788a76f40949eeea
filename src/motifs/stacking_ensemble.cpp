// Stacking ensembles: stacked layers in their middle frames.
#include "motifs/stacking_ensemble.hpp"

#include <optional>

#include "motifs/mstack.hpp"
#include "pairing/splay.hpp"
#include "structure/mmcif.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/bp_step_params.hpp"
#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

void write_stacking_file(const connect& layer1, const connect& layer2, const frame& f,
                         struct_mol& mol, long model, const std::string& label, FILE* fp) {
  if (fp == nullptr) return;
  std::vector<long> list(1, 0), one(1, 0), two(1, 0);
  for (long k = 1; k <= layer1.count; ++k) one.push_back(layer1[k]);
  for (long k = 1; k <= layer2.count; ++k) two.push_back(layer2[k]);
  list.insert(list.end(), one.begin() + 1, one.end());
  list.insert(list.end(), two.begin() + 1, two.end());
  const std::string ids1 = get_connect_abbr_full_ids(layer1, mol);
  const std::string ids2 = get_connect_abbr_full_ids(layer2, mol);
  const std::string sel1 = select_tvec_pymol(layer1.count, one, mol);
  const std::string sel2 = select_tvec_pymol(layer2.count, two, mol);
  if (Gvars.output_format == 2) {
    mol.cif_model = model;
    std::fprintf(fp, "### %s\n", label.c_str());
    std::fprintf(fp, "### LOWER: %s\n", ids1.c_str());
    std::fprintf(fp, "###   select layer1, %s\n", sel1.c_str());
    std::fprintf(fp, "### UPPER: %s\n", ids2.c_str());
    std::fprintf(fp, "###   select layer2, %s\n", sel2.c_str());
  } else {
    std::fprintf(fp, "%6s    %4ld\n", "MODEL ", model);
    std::fprintf(fp, "REMARK %s\n", label.c_str());
    std::fprintf(fp, "REMARK layer1-ids: %s\n", ids1.c_str());
    std::fprintf(fp, "REMARK   select layer1, %s\n", sel1.c_str());
    std::fprintf(fp, "REMARK layer2-ids: %s\n", ids2.c_str());
    std::fprintf(fp, "REMARK   select layer2, %s\n", sel2.c_str());
  }
  const long n = static_cast<long>(list.size()) - 1;
  write_residue_set_pdb_frame(n, list, &f, 0, mol, fp);
  if (Gvars.output_format != 2) std::fprintf(fp, "ENDMDL\n");
}

namespace {

constexpr long STACK_ENS_HELICES = 9;  // the stack-ensemble setting that adds the helix steps

// Two frames turned to face the same way, and the frame midway.
frame middle_frame(frame f1, frame f2) {
  frame mid;
  check_frames_direction(f1, f2);
  get_middle_step_frame(f1, f2, mid);
  return mid;
}

}  // namespace

void output_stackMultiplets_ensemble(struct_mol& mol, long n, const std::vector<connect>& multiplets) {
  if (!Gvars.stack_ens || !Gvars.auxfiles || n < 2) return;
  const std::vector<frame> frames = get_mframes(mol, n, multiplets);
  std::optional<scoped_file> fp;  // opened with the first model: no stacked pair, no file
  long model = 0;
  for (long i = 1; i < n; ++i)
    for (long j = i + 1; j <= n; ++j) {
      if (!two_multiplets_in_stack(i, j, multiplets, frames, mol)) continue;
      if (!fp) fp.emplace(open_ensemble_file("stackingMultiplets", mol));
      write_stacking_file(multiplets[i], multiplets[j], middle_frame(frames[i], frames[j]), mol,
                          ++model, sformat("multiplets: %ld vs %ld", i, j), fp->get());
    }
  if (fp) close_ensemble_file(*fp, mol);
}

void output_stackHelices_ensemble(struct_mol& mol, long n, const std::vector<helix>& helices) {
  if (Gvars.stack_ens != STACK_ENS_HELICES || !Gvars.auxfiles || n < 1) return;
  std::optional<scoped_file> fp;  // opened with the first step
  long running = 0;
  for (long h = 1; h <= n; ++h) {
    const helix& H = helices[h];
    if (H.num_pairs < 2) continue;
    if (!fp) fp.emplace(open_ensemble_file("stackingPairsPerHelix", mol));
    for (long s = 1; s < H.num_pairs; ++s) {
      const pair& p = H.pairs[s];
      const pair& q = H.pairs[s + 1];
      connect layer1, layer2;
      layer1.append(p.nt1);
      layer1.append(p.nt2);
      layer2.append(q.nt1);
      layer2.append(q.nt2);
      write_stacking_file(layer1, layer2, middle_frame(p.frame, q.frame), mol, running + s,
                          sformat("helix=%-4ld step=%ld", h, s), fp->get());
    }
    running += H.num_pairs - 1;
  }
  if (fp) close_ensemble_file(*fp, mol);
}

}  // namespace vask
