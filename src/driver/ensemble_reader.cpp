// Reading the structures of a run one at a time.
#include "driver/ensemble_reader.hpp"

#include <cstdio>

#include "pairing/prepare.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace vask {

bool read_structure(const std::function<void()>& read, std::string& message) {
  try {
    read();
    return true;
  } catch (const fatal_error& e) {
    if (e.status == 0) throw;
    message = e.what();
    runlog_msg("%s", message.c_str());
    return false;
  }
}

ensemble_reader::ensemble_reader(const std::string& input) : input_(input), cif_(is_cif_file(input)) {
  if (!Gvars.one_pass) return;
  if (!cif_) {
    in_ = open_file(input_, "r");
    return;
  }
  // a constructor that fails runs no destructor: the stream closes itself
  scoped_file in(open_file(input_, "r"));
  load_cif_stream(in.get(), input_, cif_in_);
  in.close();
  if (!fill_mmcif_header_with_checks(cif_in_)) fatal("no ATOM/HETATOM records or models\n");
}

ensemble_reader::~ensemble_reader() {
  if (in_ != nullptr) std::fclose(in_);  // a read-only stream: nothing to lose
}

bool ensemble_reader::read(long model, struct_mol& mol, std::string& message) {
  return read_structure(
      [&] {
        if (!Gvars.one_pass) {
          read_pdb_model(input_, mol, model);
          return;
        }
        init_struct_mol(input_, mol);
        if (cif_)
          read_model_cif_format(cif_in_, model, mol);
        else
          read_model_pdb_format(in_, model, mol);
        add_info_struct_mol(mol);
      },
      message);
}

}  // namespace vask
