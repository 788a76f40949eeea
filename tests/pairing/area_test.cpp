#include "pairing/area.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "../structure/structure_fixture.hpp"
#include "structure/atom.hpp"
#include "structure/pdb.hpp"
#include "test_util.hpp"

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

long count(const std::vector<area_rec>& v) { return static_cast<long>(v.size()) - 1; }

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
  std::string path = test::shared_structure("1ffk.cif");
  if (!std::ifstream(path)) GTEST_SKIP() << path << " not found";
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
  std::string path = test::shared_structure("1ehz.pdb");
  if (!std::ifstream(path)) GTEST_SKIP() << path << " not found";
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

// cols 1-6 record | 7-11 serial | 13-16 name | 18-20 residue | 22 chain | 23-26 number
//      31-54 x, y, z | 55-60 occupancy | 61-66 B | 77-78 element
std::string pdb_line(const char* record, long serial, const char* name, const char* res,
                     long num, double x, double y, double z, const char* element) {
  char line[100];
  std::snprintf(line, sizeof line, "%-6s%5ld %-4s %3s A%4ld    %8.3f%8.3f%8.3f  1.00  0.00          %2s\n",
                record, serial, name, res, num, x, y, z, element);
  return line;
}

// A guanine base (ideal geometry) placed at height z, with C1'.
std::string guanine(long num, long first_serial, double z, double dx = 0) {
  struct { const char* name; double x, y; const char* el; } atoms[] = {
      {"C1'", -2.479, 5.346, "C"}, {"N9", -1.291, 4.498, "N"},  {"C8", 0.024, 4.897, "C"},
      {"N7", 0.877, 3.902, "N"},   {"C5", 0.071, 2.771, "C"},   {"C6", 0.369, 1.398, "C"},
      {"O6", 1.611, 0.909, "O"},   {"N1", -0.668, 0.532, "N"},  {"C2", -1.957, 0.964, "C"},
      {"N2", -2.916, 0.007, "N"},  {"N3", -2.263, 2.239, "N"},  {"C4", -1.255, 3.124, "C"}};
  std::string text;
  long serial = first_serial;
  for (const auto& a : atoms) text += pdb_line("ATOM", serial++, a.name, "  G", num, a.x + dx, a.y, z, a.el);
  return text;
}

// Tyrosine with its side chain laid in a plane at height z.
std::string tyrosine(long num, long first_serial, double z) {
  struct { const char* name; double x, y, z; const char* el; } atoms[] = {
      {"N", 0.0, -4.0, 1.2, "N"},   {"CA", 0.0, -3.0, 0.0, "C"}, {"C", 1.2, -3.2, -0.9, "C"},
      {"O", 1.3, -4.2, -1.6, "O"},  {"CB", 0.0, -1.5, 0.0, "C"}, {"CG", 0.0, -0.0, 0.0, "C"},
      {"CD1", 1.2, 0.7, 0.0, "C"},  {"CD2", -1.2, 0.7, 0.0, "C"}, {"CE1", 1.2, 2.1, 0.0, "C"},
      {"CE2", -1.2, 2.1, 0.0, "C"}, {"CZ", 0.0, 2.8, 0.0, "C"},  {"OH", 0.0, 4.2, 0.0, "O"}};
  std::string text;
  long serial = first_serial;
  for (const auto& a : atoms) text += pdb_line("ATOM", serial++, a.name, "TYR", num, a.x, a.y, a.z + z, a.el);
  return text;
}

constexpr double sphere(double r) { return 4 * pi * (r + probe) * (r + probe); }

}  // namespace

TEST_F(StructureArea, LoneAtomIsFullSphereAndCoincidentAtomsBuryEachOther) {
  struct_mol mol;
  test::read_pdb_text(pdb_line("HETATM", 1, "MG", " MG", 1, 1, 2, 3, "MG"), mol);
  get_area_per_pdb(mol);
  const double r = element_table.vdw_radius[mol.atoms[1].atomic_number];
  EXPECT_NEAR(mol.atoms[1].area, sphere(r), 1e-9);

  struct_mol two;
  test::read_pdb_text(pdb_line("HETATM", 1, "O", "HOH", 1, 1, 2, 3, "O") +
                    pdb_line("HETATM", 2, "O", "HOH", 2, 1, 2, 3, "O"),
                two);
  get_area_per_pdb(two);
  EXPECT_EQ(two.atoms[1].area, 0);
  EXPECT_EQ(two.atoms[2].area, 0);
  EXPECT_EQ(sum_up_area_per_pdb(two), 0);
}

TEST_F(StructureArea, PerAtomFileLinesAndTotal) {
  struct_mol mol;
  test::read_pdb_text(pdb_line("HETATM", 7, "O", "HOH", 12, 1.5, -2.25, 30, "O") +
                    pdb_line("ATOM", 8, "MG", " MG", 13, 21.5, -2.25, 30, "MG"),
                mol);
  get_area_per_pdb(mol);
  FILE* fp = std::tmpfile();
  print_area(mol, fp);
  print_area(mol, nullptr);  // no stream: nothing happens
  char want[512];
  const double r1 = element_table.vdw_radius[mol.atoms[1].atomic_number];
  const double r2 = element_table.vdw_radius[mol.atoms[2].atomic_number];
  std::snprintf(want, sizeof want,
                "HETATM    7  O   HOH A  12       1.500  -2.250  30.000 # area=%-8.3f\tvdw=%-5.2f\n"
                "ATOM      8 MG    MG A  13      21.500  -2.250  30.000 # area=%-8.3f\tvdw=%-5.2f\n"
                "### total area: %.1f\n",
                sphere(r1), r1, sphere(r2), r2, sphere(r1) + sphere(r2));
  EXPECT_EQ(test::read_stream(fp), want);
  std::fclose(fp);

  struct_mol none;  // an empty structure still gets its total line
  FILE* fp2 = std::tmpfile();
  print_area(none, fp2);
  EXPECT_EQ(test::read_stream(fp2), "### total area: 0.0\n");
  std::fclose(fp2);
}

TEST_F(StructureArea, ResidueSetsAndBases) {
  struct_mol mol;
  // residue 1 and 2: guanines stacked 3.4 apart; residue 3: far away; 4: tyrosine over 3
  test::read_pdb_text(guanine(1, 1, 0) + guanine(2, 13, 3.4) + guanine(3, 25, 40) + tyrosine(4, 37, 43.5),
                mol);
  ASSERT_EQ(mol.num_residues, 4);
  ASSERT_TRUE(is_nt(1, mol) && is_nt(3, mol) && is_aa(4, mol));

  // sums of the per-atom areas equal the areas of the residues computed together
  get_area_per_pdb(mol);
  EXPECT_NEAR(sum_up_area_per_residue(1, mol) + sum_up_area_per_residue(2, mol),
              get_raw_area_two_residues(1, 2, mol), 1e-6);
  EXPECT_NEAR(sum_up_area_per_chain("A", mol), sum_up_area_per_pdb(mol), 1e-9);
  EXPECT_EQ(sum_up_area_per_chain("Z", mol), 0);

  const std::vector<long> none{0};
  EXPECT_EQ(get_raw_area_residue_set(0, none, mol), 0);
  EXPECT_EQ(get_area_diff_residue_sets(0, none, 1, {0, 1}, mol), 0);
  EXPECT_EQ(get_area_diff_one_vs_set(1, 0, none, mol), 0);

  const double stacked = get_area_diff_two_residues(1, 2, mol);
  EXPECT_GT(stacked, 100);
  EXPECT_NEAR(get_delta_residue_area(1, 2, mol), stacked, 1e-6);
  EXPECT_NEAR(get_area_diff_one_vs_set(1, 1, {0, 2}, mol), stacked, 1e-6);
  EXPECT_NEAR(get_area_diff_residue_sets(2, {0, 1, 3}, 1, {0, 2}, mol), stacked, 1e-6);

  const double bases = get_delta_base2base_area(1, 2, mol);
  EXPECT_GT(bases, 100);
  EXPECT_LT(bases, stacked);  // the C1' atoms are left out
  EXPECT_NEAR(get_delta_base2base_area(1, 3, mol), 0, 1e-6);
  EXPECT_EQ(get_delta_base2base_area(3, 4, mol), -1.0);

  const double sc = get_delta_AAsc2base_area(4, 3, mol);
  EXPECT_GT(sc, 50);
  EXPECT_NEAR(get_delta_AAsc2base_area(3, 4, mol), sc, 1e-9);
  EXPECT_EQ(get_delta_AAsc2base_area(1, 2, mol), -1.0);

  // an atom far from the base buries nothing; the base's own N1 buries its sphere
  EXPECT_NEAR(get_delta_atom2base_area(2, 3, mol), 0, 1e-6);
  EXPECT_GT(get_delta_atom2base_area(mol.residues[2].first_atom + 7, 1, mol), 10);
}

TEST_F(StructureArea, PerResidueAreasOf1ehzAgreeWithFreesasa) {
  if (!have_freesasa()) GTEST_SKIP() << "freesasa not installed: cross-check skipped";
  struct_mol mol;
  read_pdb(test::shared_structure("1ehz.pdb"), mol);
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

// The one-shot task: every atom line carries its area, then the total; the run
// ends with status 0 before the analysis.
TEST(sasa_file, WritesPerAtomAreasOf1ehz) {
  char out[] = "/tmp/vask_sasa_XXXXXX";
  int fd = mkstemp(out);
  ASSERT_GE(fd, 0);
  close(fd);
  std::string cmd = std::string("'" VASK_EXE "' -i='") + test::test_data("1ehz.pdb") +
                    "' --sasa-file -o=" + out + " 2>/dev/null";
  int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  std::istringstream text(test::read_file(out));
  std::remove(out);
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

}  // namespace vask
