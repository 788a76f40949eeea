#include "../structure/structure_fixture.hpp"
#include "pairing/area.hpp"
#include "pairing/prepare.hpp"
#include "residue_fixtures.hpp"
#include "structure/atom.hpp"
#include "structure/plane_records.hpp"
#include "structure/struct_mol.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace vask {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double probe = default_probe_radius;

area_rec atom_at(double x, double y, double z, double r) {
  area_rec a;
  a.x = x;
  a.y = y;
  a.z = z;
  a.radius = r;
  return a;
}

template <class T>
long count(const std::vector<T>& v) {
  return static_cast<long>(v.size()) - 1;
}

// Van der Waals radii by element symbol for the real-structure tests.
double radius_of(const std::string& element) {
  if (element == "C") return 1.7;
  if (element == "N") return 1.55;
  if (element == "O") return 1.52;
  if (element == "H") return 1.1;
  return 1.8;
}

// The atoms of the first max_atoms ATOM/HETATM lines of a PDB file.
std::vector<area_rec> read_pdb_atoms(const std::string& path, long max_atoms) {
  std::vector<area_rec> v(1);
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line) && count(v) < max_atoms) {
    if (line.rfind("ATOM  ", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
    std::string el = line.size() >= 78 ? line.substr(76, 2) : line.substr(12, 2);
    el.erase(0, el.find_first_not_of(' '));
    v.push_back(atom_at(std::stod(line.substr(30, 8)), std::stod(line.substr(38, 8)),
                        std::stod(line.substr(46, 8)), radius_of(el)));
  }
  return v;
}

// The atoms of the _atom_site loop of an mmCIF file (values without blanks).
std::vector<area_rec> read_cif_atoms(const std::string& path) {
  std::vector<area_rec> v(1);
  std::ifstream in(path);
  std::string line;
  long ncol = 0, cx = -1, cy = -1, cz = -1, ce = -1;
  while (std::getline(in, line)) {
    if (line.rfind("_atom_site.", 0) == 0) {
      std::string key = line.substr(11, line.find_first_of(" \t\r", 11) - 11);
      if (key == "Cartn_x") cx = ncol;
      if (key == "Cartn_y") cy = ncol;
      if (key == "Cartn_z") cz = ncol;
      if (key == "type_symbol") ce = ncol;
      ++ncol;
    } else if (ncol > 0 && (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0)) {
      std::istringstream ss(line);
      std::vector<std::string> f;
      for (std::string w; ss >> w;) f.push_back(w);
      v.push_back(atom_at(std::stod(f[cx]), std::stod(f[cy]), std::stod(f[cz]), radius_of(f[ce])));
    }
  }
  return v;
}

bool have_freesasa() { return std::system("command -v freesasa >/dev/null 2>&1") == 0; }

// Total area by freesasa (Lee-Richards, same slices per atom) of recs[1..n]
// written to a PDB file with the radii in the occupancy column; NaN on failure.
double freesasa_total(const std::vector<area_rec>& v, long slices) {
  char pdb[] = "/tmp/vask_area_XXXXXX";
  int fd = mkstemp(pdb);
  if (fd < 0) return NAN;
  FILE* fp = fdopen(fd, "w");
  // cols 1-6 ATOM | 7-11 serial | 13-16 name | 18-20 residue | 22 chain | 23-26 number
  //      31-54 x, y, z | 55-60 occupancy = radius | 61-66 B | 77-78 element
  for (long i = 1; i <= count(v); ++i)
    fprintf(fp, "ATOM  %5ld  C   UNK A%4ld    %8.3f%8.3f%8.3f%6.2f%6.2f           C\n",
            i % 100000, i % 10000, v[i].x, v[i].y, v[i].z, v[i].radius, 0.0);
  fprintf(fp, "END\n");
  fclose(fp);
  std::string cmd = "freesasa --lee-richards --resolution=" + std::to_string(slices) +
                    " --radius-from-occupancy --probe-radius=1.4 --format=json " + pdb +
                    " 2>/dev/null";
  std::string json;
  if (FILE* out = popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, out)) > 0;) json.append(buf, n);
    pclose(out);
  }
  std::remove(pdb);
  size_t at = json.find("\"total\":");
  return at == std::string::npos ? NAN : std::stod(json.substr(at + 8));
}

}  // namespace

TEST(calculate_area_by_lee_richards, IsolatedAtomsAreFullSpheres) {
  // one atom alone, and two atoms too far apart to touch
  for (long n : {1, 2}) {
    SCOPED_TRACE(n);
    std::vector<area_rec> v = {area_rec{}, atom_at(1, 2, 3, 1.7), atom_at(1, 2, 10, 1.52)};
    v.resize(static_cast<size_t>(n + 1));
    calculate_area_by_lee_richards(n, v, probe, default_slice_fraction);
    EXPECT_NEAR(v[1].area, 4 * pi * 3.1 * 3.1, 1e-9);
    if (n == 2) {
      EXPECT_NEAR(v[2].area, 4 * pi * 2.92 * 2.92, 1e-6);
    }
  }
}

TEST(calculate_area_by_lee_richards, OverlappingPairs) {
  const double R = 1.7 + probe;
  // coincident atoms bury each other completely
  std::vector<area_rec> same = {area_rec{}, atom_at(0, 0, 0, 1.7), atom_at(0, 0, 0, 1.7)};
  calculate_area_by_lee_richards(2, same, probe, default_slice_fraction);
  EXPECT_EQ(same[1].area, 0);
  EXPECT_EQ(same[2].area, 0);

  // two spheres d apart in x: each loses a cap of height R - d/2; slicing along z
  // approximates the caps, so allow 1%
  for (double d : {1.0, 3.0, 5.0}) {
    SCOPED_TRACE(d);
    std::vector<area_rec> v = {area_rec{}, atom_at(0, 0, 0, 1.7), atom_at(d, 0, 0, 1.7)};
    calculate_area_by_lee_richards(2, v, probe, default_slice_fraction);
    double want = 2 * pi * R * (R + d / 2);
    EXPECT_NEAR(v[1].area, want, 0.01 * want);
    EXPECT_NEAR(v[2].area, v[1].area, 1e-9);
    std::vector<area_rec> a = {area_rec{}, v[1]}, b = {area_rec{}, v[2]};
    double buried = get_buried_area(1, a, 1, b, probe, default_slice_fraction);
    EXPECT_NEAR(buried, 2 * (4 * pi * R * R - v[1].area), 1e-9);
  }

  // two slices at z = +-R/2: each circle has radius R sqrt(3)/2 and loses 2 alpha
  std::vector<area_rec> v = {area_rec{}, atom_at(0, 0, 0, 1.7), atom_at(3, 0, 0, 1.7)};
  calculate_area_by_lee_richards(2, v, probe, 0.5);
  double alpha = std::acos(3 / (2 * R * std::sqrt(3.0) / 2));
  EXPECT_NEAR(v[1].area, R * R * 2 * (2 * pi - 2 * alpha), 1e-9);
}

TEST(get_buried_area, EmptySetBuriesNothing) {
  std::vector<area_rec> a = {area_rec{}, atom_at(0, 0, 0, 1.7)}, none(1);
  EXPECT_EQ(get_buried_area(1, a, 0, none, probe, default_slice_fraction), 0);
  EXPECT_EQ(get_buried_area(0, none, 1, a, probe, default_slice_fraction), 0);
  EXPECT_EQ(get_total_area(0, none, probe, default_slice_fraction), 0);
}

TEST(calculate_area_by_lee_richards, DenseBlockHasNoFixedLimits) {
  // 16^3 atoms about 0.4 apart: over 300 atoms per cube and, inside, over 4000
  // neighbours each; positions jittered so that no slice is degenerate
  const long m = 16;
  const double spacing = 0.4, jitter = 0.15;
  unsigned long seed = 12345;
  auto uniform = [&seed] {  // deterministic, -1..1
    seed = seed * 6364136223846793005UL + 1442695040888963407UL;
    return static_cast<double>(seed >> 11) / 4503599627370496.0 - 1;
  };
  std::vector<area_rec> v(1);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < m; ++j)
      for (long k = 0; k < m; ++k)
        v.push_back(atom_at(i * spacing + jitter * uniform(), j * spacing + jitter * uniform(),
                            k * spacing + jitter * uniform(), 1.9));
  const double slice = 0.5;
  calculate_area_by_lee_richards(count(v), v, probe, slice);
  double total = 0;
  for (long i = 1; i <= count(v); ++i) {
    ASSERT_TRUE(std::isfinite(v[i].area) && v[i].area >= 0) << i;
    total += v[i].area;
  }
  EXPECT_EQ(v[1 + 8 * m * m + 8 * m + 8].area, 0) << "an inner atom is buried";
  EXPECT_GT(total, 100);
  if (!have_freesasa()) GTEST_SKIP() << "freesasa not installed: cross-check skipped";
  EXPECT_NEAR(total, freesasa_total(v, 2), 1e-4 * total);
}

TEST(calculate_area_by_lee_richards, LargeRibosomalSubunit) {
  // 1ffk: 64,281 atoms over some 60,000 cubes
  std::string path = test::test_data("1ffk.cif");
  ASSERT_TRUE(std::ifstream(path).good()) << path << " missing";
  std::vector<area_rec> v = read_cif_atoms(path);
  ASSERT_EQ(count(v), 64281);
  calculate_area_by_lee_richards(count(v), v, probe, default_slice_fraction);
  double total = 0;
  long exposed = 0;
  for (long i = 1; i <= count(v); ++i) {
    ASSERT_TRUE(std::isfinite(v[i].area) && v[i].area >= 0) << i;
    total += v[i].area;
    exposed += v[i].area > 0;
  }
  EXPECT_GT(exposed, 10000);
  EXPECT_GT(total, 1e5);
  EXPECT_LT(total, 64281 * 10.0);
}

TEST(calculate_area_by_lee_richards, AgreesWithFreesasa) {
  if (!have_freesasa()) GTEST_SKIP() << "freesasa not installed: cross-check skipped";
  std::string path = test::test_data("1ehz.pdb");
  ASSERT_TRUE(std::ifstream(path).good()) << path << " missing";
  // the first 60 atoms of tRNA-Phe (about three nucleotides)
  std::vector<area_rec> v = read_pdb_atoms(path, 60);
  ASSERT_EQ(count(v), 60);
  for (double slice : {default_slice_fraction, 0.01}) {
    SCOPED_TRACE(slice);
    double ours = get_total_area(count(v), v, probe, slice);
    EXPECT_NEAR(ours, freesasa_total(v, std::lround(1 / slice)), 1e-4 * ours);
  }
}

// ---------------------------------------------------------------------------
// Areas of a structure

namespace {

class StructureArea : public test::StructureTest {};

}  // namespace

// A tyrosine ring 3.5 above a guanine buries side chain and base against each
// other; the backbone atoms do not count.
TEST_F(StructureArea, SideChainOverBase) {
  struct_mol mol;
  test::read_pdb_text(test::guanine(1, 1, 40) + test::tyrosine(2, 13, 43.5) + test::guanine(3, 25, 0), mol);
  ASSERT_TRUE(is_nt(1, mol) && is_aa(2, mol) && is_nt(3, mol));
  const double sc = get_delta_AAsc2base_area(2, 1, mol);
  EXPECT_GT(sc, 50);
  EXPECT_LT(sc, get_area_diff_two_residues(1, 2, mol));
  EXPECT_NEAR(get_delta_AAsc2base_area(1, 2, mol), sc, 1e-9);
  EXPECT_NEAR(get_delta_AAsc2base_area(2, 3, mol), 0, 1e-6);
}

TEST_F(StructureArea, PerResidueAreasOf1ehzAgreeWithFreesasa) {
  if (!have_freesasa()) GTEST_SKIP() << "freesasa not installed: cross-check skipped";
  struct_mol mol;
  read_pdb(test::test_data("1ehz.pdb"), mol);
  get_area_per_pdb(mol);

  // the same atoms and radii (in the occupancy column), one residue number each
  char pdb[] = "/tmp/vask_area_res_XXXXXX";
  int fd = mkstemp(pdb);
  ASSERT_GE(fd, 0);
  FILE* fp = fdopen(fd, "w");
  long serial = 0;
  for (long k = 1; k <= mol.num_residues; ++k)
    for (long i = mol.residues[k].first_atom; i <= mol.residues[k].last_atom; ++i) {
      const atom& a = mol.atoms[i];
      std::fprintf(fp, "ATOM  %5ld  C   UNK A%4ld    %8.3f%8.3f%8.3f%6.2f%6.2f           C\n",
                   ++serial, k, a.xyz[1], a.xyz[2], a.xyz[3],
                   element_table.vdw_radius[a.atomic_number], 0.0);
    }
  std::fprintf(fp, "END\n");
  std::fclose(fp);
  std::string cmd = std::string("freesasa --lee-richards --radius-from-occupancy --hydrogen "
                                "--hetatm --probe-radius=1.4 --resolution=20 --format=seq ") +
                    pdb + " 2>/dev/null";
  std::vector<double> theirs(static_cast<size_t>(mol.num_residues + 1), -1.0);
  if (FILE* out = popen(cmd.c_str(), "r")) {
    char line[256];
    long k = 0;
    double area = 0;
    while (std::fgets(line, sizeof line, out))
      if (std::sscanf(line, "SEQ A %ld %*s : %lf", &k, &area) == 2 && k >= 1 && k <= mol.num_residues)
        theirs[k] = area;
    pclose(out);
  }
  std::remove(pdb);
  long compared = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    SCOPED_TRACE(mol.residues[k].idstr);
    ASSERT_GE(theirs[k], 0) << "no freesasa area";
    const double ours = sum_up_area_per_residue(k, mol);
    EXPECT_NEAR(ours, theirs[k], std::max(0.02 * theirs[k], 0.05));
    ++compared;
  }
  EXPECT_GT(compared, 76);
}

// The one-shot task on a file: the exit status and the file's text.
int run_sasa_file(const std::string& input, std::string& text) {
  // a folder of its own: runs sharing a folder (and prefix) refuse each other
  char dir[] = "/tmp/vask_sasa_XXXXXX";
  if (mkdtemp(dir) == nullptr) return -1;
  const std::string out = std::string(dir) + "/areas.txt";
  std::string cmd = std::string("cd '") + dir + "' && '" VASK_EXE "' -i='" + input + "' --sasa-file -o=" + out +
                    " 2>/dev/null";
  int rc = std::system(cmd.c_str());
  text = test::read_file(out);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Every atom line carries its area, then the total; the run ends with status
// 0 before the analysis.
TEST(sasa_file, WritesPerAtomAreasOf1ehz) {
  std::string out;
  EXPECT_EQ(run_sasa_file(test::test_data("1ehz.pdb"), out), 0);
  std::istringstream text(out);
  long atoms = 0;
  double sum = 0, area = 0, total = -1;
  for (std::string line; std::getline(text, line);) {
    if (std::sscanf(line.c_str(), "### total area: %lf", &total) == 1) break;
    size_t at = line.find(" # area=");
    ASSERT_NE(at, std::string::npos) << line;
    ASSERT_NE(line.find("\tvdw="), std::string::npos) << line;
    ASSERT_EQ(std::sscanf(line.c_str() + at, " # area=%lf", &area), 1);
    sum += area;
    ++atoms;
  }
  EXPECT_EQ(atoms, 1821);
  EXPECT_NEAR(total, sum, 0.1 + 1e-3 * atoms);
  EXPECT_GT(total, 10000);
}

// The ribosomal subunit (64,281 atoms) once overran fixed cube and neighbour limits.
TEST(sasa_file, LargeRibosomalSubunit) {
  std::string path = test::test_data("1ffk.cif");
  ASSERT_TRUE(std::ifstream(path).good()) << path << " missing";
  std::string out;
  ASSERT_EQ(run_sasa_file(path, out), 0);
  long lines = 0;
  for (char ch : out) lines += ch == '\n';
  EXPECT_EQ(lines, 64281 + 1);
  double total = 0;
  ASSERT_EQ(std::sscanf(out.c_str() + out.rfind("###"), "### total area: %lf", &total), 1);
  EXPECT_GT(total, 1e5);
}

// tRNA-Phe read once per test, with default settings.
class StructureAreaTest : public test::StructureTest {
 protected:
  void SetUp() override {
    test::StructureTest::SetUp();
    read_pdb(test::test_data("1ehz.pdb"), mol);
  }
  long residue_numbered(long number) const {
    for (long i = 1; i <= mol.num_residues; ++i)
      if (mol.residues[i].res_seq == number && is_nt(i, mol)) return i;
    return 0;
  }
  struct_mol mol;
};

TEST_F(StructureAreaTest, PerAtomAreasAndSums) {
  get_area_per_pdb(mol);
  double total = 0, chain_a = 0;
  std::vector<area_rec> recs(1);
  for (long a = 1; a <= mol.num_atoms; ++a) {
    ASSERT_NE(mol.atoms[a].area, DBL_MAX);
    total += mol.atoms[a].area;
    recs.push_back(atom_at(mol.atoms[a].xyz[1], mol.atoms[a].xyz[2], mol.atoms[a].xyz[3],
                           element_table.vdw_radius[mol.atoms[a].atomic_number]));
  }
  for (long i = 1; i <= mol.num_residues; ++i) chain_a += sum_up_area_per_residue(i, mol);
  EXPECT_NEAR(sum_up_area_per_pdb(mol), total, 1e-6);
  EXPECT_NEAR(sum_up_area_per_chain("A", mol), chain_a, 1e-6);
  EXPECT_EQ(sum_up_area_per_chain("Z", mol), 0);
  EXPECT_NEAR(total, get_total_area(count(recs), recs, probe, default_slice_fraction), 1e-6);

  char path[] = "/tmp/vask_area_file_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  double area2 = mol.atoms[2].area;
  mol.atoms[2].area = DBL_MAX;  // as for an atom left out
  print_area(mol, path);
  std::vector<std::string> lines;
  std::istringstream in(test::read_file(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::remove(path);
  ASSERT_EQ(static_cast<long>(lines.size()), mol.num_atoms + 1);
  char want[128];
  snprintf(want, sizeof want, "ATOM      1  OP3   G A   1      50.193  51.190  50.534 # area=%-8.3f\tvdw=%-5.2f",
           mol.atoms[1].area, element_table.vdw_radius[mol.atoms[1].atomic_number]);
  EXPECT_EQ(lines[0], want);
  EXPECT_EQ(lines[1].substr(54, 20), " # area=---     \tvdw");
  snprintf(want, sizeof want, "### total area: %.1f", total - area2);
  EXPECT_EQ(lines.back(), want);
}

TEST_F(StructureAreaTest, BuriedAreasOfResidueSetsAndBases) {
  long g1 = residue_numbered(1), c72 = residue_numbered(72), a36 = residue_numbered(36);
  ASSERT_TRUE(g1 && c72 && a36);
  double paired = get_delta_base2base_area(g1, c72, mol);
  EXPECT_GT(paired, 20);
  EXPECT_NEAR(get_delta_base2base_area(c72, g1, mol), paired, 1e-6);
  EXPECT_NEAR(get_delta_base2base_area(g1, a36, mol), 0, 1e-6) << "bases far apart";
  long water = 0;
  for (long i = 1; i <= mol.num_residues && !water; ++i)
    if (is_water(i, mol)) water = i;
  ASSERT_NE(water, 0);
  EXPECT_EQ(get_delta_base2base_area(g1, water, mol), -1.0);
  EXPECT_EQ(get_delta_AAsc2base_area(g1, c72, mol), -1.0) << "no amino acid";

  // residue sets: consistent with raw areas, empty sets bury nothing
  std::vector<long> one = {0, g1}, two = {0, g1, c72};
  double buried = get_area_diff_residue_sets(1, one, 1, {0, c72}, mol);
  EXPECT_GT(buried, paired);
  EXPECT_NEAR(buried, get_raw_area_per_residue(g1, mol) + get_raw_area_per_residue(c72, mol) -
                          get_raw_area_residue_set(2, two, mol), 1e-6);
  EXPECT_NEAR(get_area_diff_two_residues(g1, c72, mol), buried, 1e-6);
  EXPECT_NEAR(get_delta_residue_area(g1, c72, mol), buried, 1e-6);
  EXPECT_NEAR(get_area_diff_one_vs_set(g1, 1, {0, c72}, mol), buried, 1e-6);
  EXPECT_EQ(get_area_diff_residue_sets(0, {0}, 1, one, mol), 0);
  EXPECT_EQ(get_raw_area_residue_set(0, {0}, mol), 0);

  // one atom of the partner base against a base: its own full sphere takes part
  long n3 = find_atom_in_residue(" N3 ", c72, mol);
  ASSERT_NE(n3, -1);
  EXPECT_GT(get_delta_atom2base_area(n3, g1, mol), 0);
  EXPECT_NEAR(get_delta_atom2base_area(n3, a36, mol), 0, 1e-6);
}

// Two ways of skipping the atoms away from a contact. The joint area reuses
// each set's own per-atom areas there: it must give exactly (not nearly) the
// area of the joined set. The contact buried area never computes those atoms
// at all: it must give the full computation's number up to the rounding of
// the sums, fill in exactly the own-set areas of the atoms it computed, and
// give the very same number again when it reuses them. Sets in contact (the
// acceptor-stem strands), far apart, sharing a residue, and a loop against
// its stem.
TEST_F(StructureAreaTest, AreasAtAContactEqualTheFullComputation) {
  auto nts = [&](std::initializer_list<long> numbers) {
    std::vector<long> v{0};
    for (long n : numbers) v.push_back(residue_numbered(n));
    return v;
  };
  const double run_probe = Gvars.probe_radius, slice = Gvars.z_slice;
  auto own_areas = [&](const std::vector<long>& set) {
    std::vector<area_rec> recs = get_atom_records_residue_set(static_cast<long>(set.size()) - 1, set, mol);
    calculate_area_by_lee_richards(static_cast<long>(recs.size()) - 1, recs, run_probe, slice);
    return recs;
  };
  auto sum = [](const std::vector<area_rec>& recs) {
    double total = 0;
    for (size_t k = 1; k < recs.size(); ++k) total += recs[k].area;
    return total;
  };
  const struct {
    const char* what;
    std::vector<long> a, b;
    bool touch;
  } cases[] = {
      {"stem strands in contact", nts({1, 2, 3, 4, 5, 6, 7}), nts({66, 67, 68, 69, 70, 71, 72}), true},
      {"far apart", nts({1, 2, 3}), nts({34, 35, 36}), false},
      {"sharing a residue", nts({5, 6}), nts({6, 7}), true},
      {"anticodon loop and its stem", nts({32, 33, 34, 35, 36, 37, 38}), nts({27, 28, 29, 30, 31, 39, 40, 41, 42, 43}),
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const long na = static_cast<long>(c.a.size()) - 1, nb = static_cast<long>(c.b.size()) - 1;
    const std::vector<area_rec> ra = own_areas(c.a), rb = own_areas(c.b);
    EXPECT_EQ(sum(ra), get_raw_area_residue_set(na, c.a, mol));
    std::vector<long> both = c.a;
    both.insert(both.end(), c.b.begin() + 1, c.b.end());
    const double joint = get_joint_area(ra, rb, run_probe, slice);
    EXPECT_EQ(joint, get_raw_area_residue_set(na + nb, both, mol));
    const double full = sum(ra) + sum(rb) - joint;
    EXPECT_EQ(full, get_area_diff_residue_sets(na, c.a, nb, c.b, mol));

    std::vector<area_rec> ca = get_atom_records_residue_set(na, c.a, mol);
    std::vector<area_rec> cb = get_atom_records_residue_set(nb, c.b, mol);
    const double at_contact = get_contact_buried_area_records(ca, cb);
    EXPECT_EQ(at_contact > 0, c.touch);
    EXPECT_NEAR(at_contact, full, 1e-9 * std::max(1.0, sum(ra) + sum(rb)));
    long computed = 0;
    for (auto [mine, own] : {std::pair{&ca, &ra}, std::pair{&cb, &rb}})
      for (size_t k = 1; k < mine->size(); ++k)
        if ((*mine)[k].area >= 0) {
          EXPECT_EQ((*mine)[k].area, (*own)[k].area) << "atom " << (*mine)[k].atom;
          ++computed;
        }
    EXPECT_EQ(computed > 0, c.touch);
    EXPECT_LT(computed, static_cast<long>(ca.size() + cb.size()) - 2) << "atoms away from the contact left out";
    EXPECT_EQ(get_contact_buried_area_records(ca, cb), at_contact) << "reusing the filled-in areas";
  }
  std::vector<area_rec> lone = get_atom_records_residue_set(2, nts({1, 72}), mol), none(1);
  EXPECT_EQ(get_joint_area(own_areas(nts({1, 72})), none, run_probe, slice), sum(own_areas(nts({1, 72}))));
  EXPECT_EQ(get_contact_buried_area_records(lone, none), 0);
}

TEST(get_convex_hull_volume, KnownSolidsAndDegenerateInput) {
  auto points = [](std::initializer_list<std::array<double, 3>> ps) {
    std::vector<xyz> v(1);
    for (auto p : ps) v.push_back(xyz{0, p[0], p[1], p[2]});
    return v;
  };
  auto cube = points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1},
                      {1, 1, 1}, {0.5, 0.5, 0.5}, {0.2, 0.9, 0.1}});
  const struct {
    const char* name;
    std::vector<xyz> pts;
    double want;
  } cases[] = {
      {"tetrahedron", points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), 1.0 / 6},
      {"mirrored tetrahedron", points({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}}), 1.0 / 6},
      {"unit cube with inner points", cube, 1},
      {"cube, repeated corner first", points({{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {1, 0, 0}, {0, 1, 0},
                                               {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}}), 1},
      {"octahedron", points({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}}),
       4.0 / 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(get_convex_hull_volume(count(c.pts), c.pts), c.want, 1e-12);
  }
  // points on a sphere: the hull approaches the ball from inside
  std::vector<xyz> sphere(1);
  for (long i = 0; i < 40; ++i)
    for (long j = 0; j < 20; ++j) {
      double t = pi * (j + 0.5) / 20, f = 2 * pi * i / 40;
      sphere.push_back(xyz{0, std::sin(t) * std::cos(f), std::sin(t) * std::sin(f), std::cos(t)});
    }
  double v = get_convex_hull_volume(count(sphere), sphere);
  EXPECT_LT(v, 4 * pi / 3);
  EXPECT_GT(v, 0.95 * 4 * pi / 3);

  auto line = points({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
  auto plane = points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 3, 0}});
  auto three = points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  EXPECT_EQ(test::fatal_message([&] { get_convex_hull_volume(3, three); }),
            "Abort: at least 4 points are needed\n");
  EXPECT_EQ(test::fatal_message([&] { get_convex_hull_volume(4, line); }), "Abort: no plane\n");
  EXPECT_EQ(test::fatal_message([&] { get_convex_hull_volume(5, plane); }), "Abort: no volume\n");
}

}  // namespace vask
