// The mmCIF reader (atom loop, row tokens, atom filling) and the preparation
// pipeline on arbitrary bytes.
//
// Byte 0 picks the reading settings (model number, model mode, altloc set);
// the rest is the file. A run may end with a fatal error, never otherwise.
#include <cstdint>
#include <string>

#include "common.hpp"
#include "pairing/prepare.hpp"
#include "structure/mmcif.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::reset_globals();
  const uint8_t mode = data[0];
  static const long models[] = {-1, -1, 1, 2};
  const long model = models[mode & 3];
  vask::mutable_gvars().model_mode = (mode & 4) ? 4 : 1;
  if (mode & 8) vask::mutable_gvars().altlocs = "*";
  vask::mutable_gvars().input_format = 2;
  vask::cif_reader r;
  r.file_name = "fuzz.cif";
  r.text.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  vask::struct_mol mol;
  vask::init_struct_mol(r.file_name, mol);
  try {
    if (vask::fill_mmcif_header_with_checks(r)) {
      vask::read_cif_atoms(r, model, vask::Gvars.altlocs, vask::Gvars.chains, mol);
      vask::populate_residues(mol);
      mol.stage.residues = 1;
      vask::add_info_struct_mol(mol);
    }
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  vask::free_struct_mol(mol);
  return 0;
}
