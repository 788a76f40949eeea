// The PDB reader and the preparation pipeline on arbitrary bytes.
//
// Byte 0 picks the reading settings (model number, model mode, altloc set);
// the rest is the file. A run may end with a fatal error, never otherwise.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common.hpp"
#include "pairing/prepare.hpp"
#include "structure/pdb_reader.hpp"
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
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  FILE* fp = text.empty() ? std::tmpfile() : fmemopen(text.data(), text.size(), "r");
  if (fp == nullptr) return 0;
  vask::struct_mol mol;
  vask::init_struct_mol("fuzz.pdb", mol);
  try {
    vask::read_pdb_model_fp(fp, model, vask::Gvars.altlocs, vask::Gvars.chains, mol);
    vask::populate_residues(mol);
    mol.stage.residues = 1;
    vask::add_info_struct_mol(mol);
  } catch (const vask::fatal_error& e) {
    fuzz::expected_end(e);
  }
  std::fclose(fp);
  vask::free_struct_mol(mol);
  return 0;
}
