#include "pairing/frame.hpp"
#include "pairing/prepare.hpp"
#include "schematic_run.hpp"
#include "schematics/raster3d.hpp"
#include "structure/struct_mol.hpp"
#include "support/ref_frame.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace vask {
namespace {

template <class F>
std::string capture(F&& f) {
  FILE* fp = std::tmpfile();
  f(fp);
  std::string text = test::read_stream(fp);
  std::fclose(fp);
  return text;
}

TEST(write_r3d_header, scale_line_by_setting) {
  set_globals("belqo-vask");
  struct_mol none;  // no atoms: the centre stays at the origin
  const struct {
    double scale;
    const char* line16;
  } cases[] = {
      {0.0, "0.0 0.0 0.0 1.0   keep as is"},
      {-1.0, "0.0 0.0 0.0 1.0   keep as is"},  // automatic, but nothing to measure
      {30.0, "0.00 0.00 0.00 30.00    re-set/scaled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    mutable_gvars().scale_factor = c.scale;
    const auto lines = test::lines_of(capture([&](FILE* fp) { write_r3d_header(none, fp); }));
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[15], c.line16);
    EXPECT_EQ(lines[1], "960  960          tiles in x, y");
    EXPECT_EQ(lines[19], "*                 free format for cylinder");
  }
  // the automatic scale: the smaller extent plus 5.6889, centred on the mean
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  mutable_gvars().scale_factor = -1.0;
  xyz max, min, mean;
  get_extremeXYZ_pdb(mol, max, min, mean);
  const double s = 5.6889 + std::min(max[1] - min[1], max[2] - min[2]);
  const auto lines = test::lines_of(capture([&](FILE* fp) { write_r3d_header(mol, fp); }));
  EXPECT_EQ(lines[15], sformat("%.2f %.2f %.2f %.2f    re-set/scaled", -mean[1], -mean[2], -mean[3], s));
  mutable_gvars().block_file[BLK_TRANSPARENT] = 1;
  mutable_gvars().transparency = 0.5;
  const auto more = test::lines_of(capture([&](FILE* fp) { write_r3d_header(mol, fp); }));
  ASSERT_EQ(more.size(), 25u);
  EXPECT_EQ(more[23], "8");
  EXPECT_EQ(more[24], " 17.  0.6       -1.0 -1.0 -1.0     0.50   0 0 0 0");
  set_globals("belqo-vask");
}

TEST(write_one_hbond_r3d, dashes_by_length) {
  set_globals("belqo-vask");
  const struct {
    double length;
    long dashes;
  } cases[] = {{3.0, 8}, {2.8, 8}, {0.1, 1}, {1.0, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const xyz a{0, 1, 2, 3}, b{0, 1 + c.length, 2, 3};
    const auto lines = test::lines_of(capture([&](FILE* fp) { write_one_hbond_r3d(a, b, fp); }));
    ASSERT_EQ(static_cast<long>(lines.size()), 2 * c.dashes);
    EXPECT_EQ(lines[0], "5");
    EXPECT_TRUE(lines[1].starts_with("1.000 2.000 3.000 0.036 ")) << lines[1];
    EXPECT_TRUE(lines.back().find(sformat("%.3f 2.000 3.000 0.036 1.000 0.000 1.000", 1 + c.length)) !=
                std::string::npos)
        << lines.back();
  }
}

TEST(write_ref_frame, switches_and_colours) {
  set_globals("belqo-vask");
  frame f;
  set_identity_frame(f);
  EXPECT_EQ(capture([&](FILE* fp) { write_ref_frame(COLOR_A, f, fp); }), "");  // nothing asked for
  mutable_gvars().block_file[BLK_FRAME_WHOLE] = 1;
  mutable_gvars().block_file[BLK_FRAME_XY] = 1;
  mutable_gvars().block_file[BLK_FRAME_ORIGIN] = 1;
  auto lines = test::lines_of(capture([&](FILE* fp) { write_ref_frame(COLOR_A, f, fp); }));
  ASSERT_EQ(lines.size(), 8u);  // three axes and the origin sphere
  EXPECT_EQ(lines[1], "0.000 0.000 0.000 0.020 2.000 0.000 0.000 0.020 1.000 0.000 0.000");
  EXPECT_EQ(lines[6], "2");
  EXPECT_EQ(lines[7], "0.000 0.000 0.000 0.069 1.000 0.000 0.000");
  mutable_gvars().block_file[BLK_ARROW] = 1;
  mutable_gvars().block_colors[COLOR_FRAME] = {0.5, 0.5, 0.5};  // the frame colour wins over the slot
  lines = test::lines_of(capture([&](FILE* fp) { write_ref_frame(COLOR_A, f, fp); }));
  ASSERT_EQ(lines.size(), 20u);  // and two strokes per arrow head
  for (size_t k = 1; k < lines.size(); k += 2) EXPECT_TRUE(lines[k].ends_with(" 0.500 0.500 0.500"));
  set_globals("belqo-vask");
}

}  // namespace
}  // namespace vask
