// The ensemble scan and the model-by-model readers, as the driver's ensemble
// loop uses them, on arbitrary bytes written to a file.
//
// Byte 0: bit 0 mmCIF (else PDB), bit 1 one pass over an open stream (else
// each model read afresh by number), bit 2 a model selection as --nmr=2-4,1
// would give. The rest is the file. The scan may end with a fatal error; so
// may each model, after which the loop goes on with the next one.
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <string>

#include "common.hpp"
#include "pairing/prepare.hpp"
#include "structure/mmcif.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/settings.hpp"

namespace {
constexpr long kMaxModels = 3;  // enough to cover the loop, bounded for speed
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::reset_globals();
  const uint8_t mode = data[0];
  const bool cif = mode & 1;
  static const std::string pdb_file = "fuzz-ensemble.pdb";
  static const std::string cif_file = "fuzz-ensemble.cif";
  const std::string& file = cif ? cif_file : pdb_file;
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data + 1, 1, size - 1, out);
  std::fclose(out);

  vask::mutable_gvars().model_mode = 2;
  vask::mutable_gvars().one_pass = (mode & 2) ? 1 : 0;
  if (mode & 4) vask::mutable_gvars().selected_models = {4, 1, 2, 3, 4};
  try {
    vask::check_nmr(file, vask::mutable_gvars());
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
    return 0;
  }
  if (!vask::nmr_ensemble()) return 0;
  const long n = std::min(vask::num_selected_models(), kMaxModels);
  FILE* in = nullptr;
  vask::cif_reader cif_in;
  try {
    if (vask::Gvars.one_pass) {
      in = vask::open_file(file, "r");
      if (cif) {
        vask::load_cif_stream(in, file, cif_in);
        vask::close_file(in);
        in = nullptr;
        if (!vask::fill_mmcif_header_with_checks(cif_in)) return 0;
      }
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
    vask::close_file(in);
    return 0;
  }
  for (long k = 1; k <= n; ++k) {
    const long model = vask::Gvars.model_list[static_cast<size_t>(k)];
    vask::struct_mol mol;
    try {
      if (!vask::Gvars.one_pass) {
        vask::read_pdb_model(file, mol, model);
      } else {
        vask::init_struct_mol(file, mol);
        if (cif)
          vask::read_model_cif_format(cif_in, model, mol);
        else
          vask::read_model_pdb_format(in, model, mol);
        vask::add_info_struct_mol(mol);
      }
    } catch (const vask::fatal_error& e) {
      fuzz::expected_end(e);
    }
    vask::free_struct_mol(mol);
  }
  vask::close_file(in);
  return 0;
}
