// Frame files: see frame_file.hpp.
#include "support/frame_file.hpp"

#include <cstdio>
#include <utility>

#include "support/file.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

void write_frame_file(const frame& f, const std::string& name) {
  FILE* fp = create_file(name);
  const std::pair<const char*, const xyz*> rows[] = {
      {"position", &f.org}, {"x_axis", &f.x_axis}, {"y_axis", &f.y_axis}, {"z_axis", &f.z_axis}};
  for (const auto& [label, v] : rows) std::fprintf(fp, "%s: [%+.6f %+.6f %+.6f]\n", label, (*v)[1], (*v)[2], (*v)[3]);
  close_file(fp);
}

void write_frame_file0(const frame& f) {
  write_frame_file(f, Gvars.trx_file.empty() ? sformat("%s-rotmat.txt", Gvars.prefix.c_str()) : Gvars.trx_file);
}

void combine_frames(const frame& f1, const frame& f2, frame& out) {
  // R1 v: v expressed in frame 1's axes, taken back to the global frame
  auto through_f1 = [&](const xyz& v) {
    xyz r{};
    for (size_t k = 1; k <= 3; ++k) r[k] = v[1] * f1.x_axis[k] + v[2] * f1.y_axis[k] + v[3] * f1.z_axis[k];
    return r;
  };
  const xyz moved = through_f1(f2.org);
  xyz org{};
  for (size_t k = 1; k <= 3; ++k) org[k] = f1.org[k] + moved[k];
  const xyz x = through_f1(f2.x_axis), y = through_f1(f2.y_axis), z = through_f1(f2.z_axis);
  out.org = org;
  out.x_axis = x;
  out.y_axis = y;
  out.z_axis = z;
}

}  // namespace vask
