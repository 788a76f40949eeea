// The triz module: partner lists, the module's files and their clean-up.
#include "interactions/triz.hpp"

#include <cctype>

#include "pairing/frame.hpp"
#include "pairing/plane.hpp"
#include "structure/pdb_output.hpp"
#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"

namespace vask {

bool any_interface_switch(const triz_options& o) {
  for (char c : o.interface)
    if (c) return true;
  return false;
}

void init_triz_state(const struct_mol& mol, triz_state& st) {
  st = triz_state{};
  st.partners.assign(static_cast<size_t>(mol.num_residues) + 1, triz_partner_list{});
}

namespace {
void add_one_partner(long k, long partner, long flag, triz_state& st) {
  triz_partner_list& p = st.partners[k];
  for (size_t m = 0; m < p.residues.size(); ++m)
    if (p.residues[m] == partner) {
      p.flags[m] |= flag;
      return;
    }
  p.residues.push_back(partner);
  p.flags.push_back(flag);
}
}  // namespace

void add_triz_partner(long nt, long aa, long flag, triz_state& st) {
  add_one_partner(nt, aa, flag, st);
  add_one_partner(aa, nt, flag, st);
}

std::vector<long> triz_partner_residues(long k, const triz_state& st) {
  std::vector<long> list(1, 0);
  const auto& p = st.partners[k].residues;
  list.insert(list.end(), p.begin(), p.end());
  return list;
}

std::string triz_file_name(const char* name) {
  return sformat("%.256s-%s.pdb", Gvars.prefix.c_str(), name);
}

FILE* append_triz_file(const std::string& file) {
  return Gvars.cleanup == 0 ? append_file(file) : append_made_file(file);
}

void append_triz_model(const std::string& file, const std::string& remark,
                       const std::vector<long>& residues, const frame* f, struct_mol& mol,
                       triz_state& st) {
  auto it = st.next_model.find(file);
  if (it == st.next_model.end()) {
    const bool kept = Gvars.cleanup == 0 || made_by_this_run(file);  // else made anew below
    it = st.next_model.emplace(file, kept ? get_nextModelNumber(file) : 1).first;
  }
  scoped_file sf(append_triz_file(file));
  FILE* fp = sf.get();
  std::fprintf(fp, "%6s    %4ld\n", "MODEL ", it->second++);
  std::fprintf(fp, "REMARK    %s\n", remark.c_str());
  write_residue_set_pdb_frame(static_cast<long>(residues.size()) - 1, residues, f, 0, mol, fp);
  std::fprintf(fp, "ENDMDL\n");
  sf.close();
}

bool triz_nt(long k, const struct_mol& mol) { return base_frame(k, mol) != nullptr; }

bool triz_aa(long k, const struct_mol& mol) {
  return is_aa(k, mol) && !is_nt(k, mol) && residue_frame(k, FRAME_SIDECHAIN, mol) != nullptr;
}

namespace triz {

std::vector<std::string> fixed_names() {
  std::vector<std::string> names;
  const std::string letters = "ACGTUP";
  for (long k = 1; k <= Gconsts.num_aa; ++k) {
    std::string aa = Gconsts.aa_names[static_cast<size_t>(k)];
    for (char& c : aa) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char c : letters) {
      names.push_back(sformat("%c-%s.pdb", c, aa.c_str()));
      for (char d : letters) names.push_back(sformat("%c%c-%s.pdb", c, d, aa.c_str()));
    }
  }
  for (const char* name : triz_file_table) names.push_back(triz_file_name(name));
  for (const char* aa : {"arg", "phe", "tyr", "trp", "his", "asn", "asp", "gln", "glu"})
    names.push_back(sformat("stacks-%s.pdb", aa));
  names.push_back(sformat("%.256s-dssp.txt", Gvars.prefix.c_str()));
  names.emplace_back("triads.txt");
  names.emplace_back("triads.pdb");
  return names;
}

void delete_common_files() {
  if (Gvars.cleanup == 0) return;
  for (const std::string& name : fixed_names()) remove_file(name);
}

}  // namespace triz

}  // namespace vask
