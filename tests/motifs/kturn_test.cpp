// Kink turns of two K-turn-binding complexes: the U4atac snRNA stem-loop with
// 15.5K (3siu) and the T-box stem I with YbxF (4lck), each in two copies; the
// mark the mutate conditions read; the section, JSON and model file. Also the
// kink turns derived from splayed dinucleotides (the --kturn words), alone
// and beside the loop scan, on those two and on the large ribosomal subunit.
#include "motifs/kturn.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "json_check.hpp"
#include "motifs/aminor.hpp"
#include "motifs/capping.hpp"
#include "motifs/motif_fixture.hpp"
#include "pairing/splay.hpp"
#include "secondary/hairpin.hpp"
#include "secondary/loop.hpp"
#include "structure/residue.hpp"

namespace vask {
namespace {

class KturnTest : public test::MotifTest {
 protected:
  // The finders the kink-turn scan reads, in pipeline order, then the scan.
  void find_all(const std::string& name, long kturn_bits = 0) {
    mutable_gvars().kturn = kturn_bits;
    load(name);
    do_helices_stems_icpairs_xref(mol_, slots_);
    long na = 0, ns = 0, nu = 0, nm = 0;
    std::vector<a2base> a2;
    std::vector<ss_par> ss;
    std::vector<connect> units, aminors;
    find_a2base_capping(mol_, na, a2);
    find_ssPars(mol_, ns, ss, nu, units);
    hairpin_slots hp{num_hp_, hairpins_, num_hp2_, hairpins2_};
    find_hairpins(mol_, slots_, hp);
    loop_slots lp{num_loops_, loops_, n1_, n2_, n3_, n4_};
    find_loops(mol_, slots_, lp);
    find_Aminors(mol_, num_pairs_, pairs_, nm, aminors);
    find_Kturns(mol_, slots_, num_loops_, loops_, ns, ss, n_, list_);
  }
  void reset() {
    mol_ = struct_mol{};
    num_pairs_ = 0;
    pairs_.clear();
  }
  long num_helices_ = 0, num_stems_ = 0, num_iso_ = 0, num_coax_ = 0, mis_ = 0;
  std::vector<helix> helices_, stems_;
  std::vector<pair> iso_;
  std::string notes_;
  helix_slots slots_{num_pairs_, pairs_, num_helices_, helices_, num_stems_, stems_,
                     num_iso_,   iso_,   num_coax_,    mis_,     notes_};
  long num_hp_ = 0, num_hp2_ = 0, num_loops_ = 0, n1_ = 0, n2_ = 0, n3_ = 0, n4_ = 0;
  std::vector<hairpin> hairpins_, hairpins2_;
  std::vector<loop> loops_;
  long n_ = 0;
  std::vector<kturn> list_;
};

// gemmi reads the model file back with one model per kink turn.
void expect_models_read_back(const test::ExeRun& exe, long expected) {
  long models = 0;
  const std::string err = exe.gemmi_models("vask-Kturns.pdb", &models);
  if (err == "skip") {
    test::oracle_missing("gemmi (python3-gemmi) is absent: vask-Kturns.pdb not read back");
    return;
  }
  EXPECT_EQ(err, "");
  EXPECT_EQ(models, expected);
}

TEST_F(KturnTest, normal_kturns_in_internal_loops) {
  const struct {
    const char* file;
    long c1, ga_g, ga_a, nc1;  // C-pair first nt, the sheared G-A pair, NC-pair first nt
  } cases[] = {{"3siu.pdb", 33, 37, 49, 39}, {"4lck.pdb", 6, 10, 96, 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    find_all(c.file);
    ASSERT_EQ(n_, 2);  // one per copy, chains C and F
    ASSERT_EQ(list_.size(), 3u);
    const char* chains[] = {"C", "F"};
    for (long i = 1; i <= n_; ++i) {
      SCOPED_TRACE(i);
      const kturn& k = list_[i];
      const char* ch = chains[i - 1];
      EXPECT_EQ(k.type, KTURN_NORMAL);
      EXPECT_EQ(k.type_text, "Normal k-turn");
      ASSERT_GT(k.loop, 0);
      const loop& L = loops_[k.loop];
      EXPECT_EQ(L.num_bridges, 2);  // an internal loop between two stems
      EXPECT_NE(L.text.find(" k-turn:normal"), std::string::npos) << L.text;
      EXPECT_EQ(k.Cpair.nt1, res(ch, c.c1));
      EXPECT_EQ(k.NCpair.nt1, res(ch, c.nc1));
      EXPECT_EQ(k.GApair.nt1, res(ch, c.ga_g));
      EXPECT_EQ(k.GApair.nt2, res(ch, c.ga_a));
      EXPECT_EQ(k.GApair.name, "Sheared");
      EXPECT_GT(k.Cstem[0], 0);  // two distinct stems flank the loop
      EXPECT_GT(k.NCstem[0], 0);
      EXPECT_NE(k.Cstem[0], k.NCstem[0]);
      EXPECT_GE(k.bending_angle, 36.0);
      EXPECT_LE(k.bending_angle, 90.0);
      EXPECT_GE(k.d_sasa, 100.0);
      EXPECT_LT(k.direction[0], -5.5);
      EXPECT_LT(k.direction[1], 15.0);
      EXPECT_LE(k.distance, 30.0);
      // the nts list: full strand 1 then full strand 2, all marked
      EXPECT_EQ(k.Cstem[1], 1);
      EXPECT_EQ(k.NCstem[1], k.Cstem[2] + 1);
      EXPECT_EQ(static_cast<long>(k.nts.size()) - 1, k.Cstem[3] + k.NCstem[3]);
      for (size_t j = 1; j < k.nts.size(); ++j) EXPECT_EQ(mol_.residues[k.nts[j]].flag[rf::kturn], 1);
    }
    // a nucleotide far from either kink turn keeps no mark
    long unmarked = 0;
    for (long r = 1; r <= mol_.num_residues; ++r)
      if (is_nt(r, mol_) && mol_.residues[r].flag[rf::kturn] == 0) ++unmarked;
    EXPECT_GT(unmarked, 0);
    reset();
  }
}

// The bulged strand of each kink turn carries a splayed step (A35-U36 in
// 3siu, the bulge of 4lck): derived from that splay alone the same kink turn
// comes out, with the same pairs, strands and marks, but in no loop. Beside
// the loop scan the derived copy is dropped, the loop's own kept.
TEST_F(KturnTest, derived_from_splays_alone_and_beside_the_loops) {
  constexpr long SPLAY = 8, SPLAY_ONLY = 8 | 16;
  for (const char* file : {"3siu.pdb", "4lck.pdb"}) {
    SCOPED_TRACE(file);
    find_all(file);
    ASSERT_EQ(n_, 2);
    const std::vector<kturn> by_loops = list_;
    reset();
    find_all(file, SPLAY_ONLY);
    ASSERT_EQ(n_, 2);
    for (long i = 1; i <= n_; ++i) {
      SCOPED_TRACE(i);
      const kturn &k = list_[i], &o = by_loops[i];
      EXPECT_EQ(k.loop, 0);
      EXPECT_EQ(k.type_text, "Normal k-turn");
      EXPECT_EQ(k.Cpair.nt1, o.Cpair.nt1);
      EXPECT_EQ(k.Cpair.nt2, o.Cpair.nt2);
      EXPECT_EQ(k.NCpair.nt1, o.NCpair.nt1);
      EXPECT_EQ(k.GApair.nt1, o.GApair.nt1);
      EXPECT_EQ(k.GApair.nt2, o.GApair.nt2);
      EXPECT_EQ(k.nts, o.nts);  // the same full strands, strand 1 first
      EXPECT_EQ(k.Cstem, o.Cstem);
      EXPECT_EQ(k.NCstem, o.NCstem);
      EXPECT_GE(k.num_splayed, 1);
      EXPECT_DOUBLE_EQ(k.bending_angle, o.bending_angle);
      EXPECT_DOUBLE_EQ(k.d_sasa, o.d_sasa);
      for (size_t j = 1; j < k.nts.size(); ++j) EXPECT_EQ(mol_.residues[k.nts[j]].flag[rf::kturn], 1);
    }
    for (long li = 1; li <= num_loops_; ++li)  // no loop scanned, none annotated
      EXPECT_EQ(loops_[li].text.find("k-turn"), std::string::npos);
    reset();
    find_all(file, SPLAY);
    ASSERT_EQ(n_, 2);
    for (long i = 1; i <= n_; ++i) EXPECT_EQ(list_[i].loop, by_loops[i].loop);
    reset();
  }
}

// tRNA has splayed steps but no sheared pair: nothing is derived.
TEST_F(KturnTest, splay_derivation_needs_a_sheared_pair) {
  find_all("1ehz.pdb", 8 | 16);
  EXPECT_GT(mol_.num_splay_units, 0);
  EXPECT_EQ(n_, 0);
  EXPECT_TRUE(list_.empty());
}

// The large ribosomal subunit: the splays find kink turns the loop scan does
// not (their G-A pair sits in a junction or beside an isolated pair), each a
// distinct one with a sheared G-A pair across its strands; none repeats a
// kink turn of the loop scan.
TEST_F(KturnTest, ribosome_splays_add_kink_turns) {
  find_all("1ffk.cif");
  const long by_loops = n_;
  const std::vector<kturn> loop_list = list_;
  reset();
  find_all("1ffk.cif", 8);
  ASSERT_GT(n_, by_loops);
  long derived = 0;
  for (long i = 1; i <= n_; ++i) {
    const kturn& k = list_[i];
    if (k.loop != 0) continue;
    ++derived;
    SCOPED_TRACE(mol_.residues[k.GApair.nt1].idstr);
    EXPECT_EQ(k.GApair.name, "Sheared");
    EXPECT_GE(k.num_sheared, 1);
    EXPECT_GE(k.bending_angle, 32.0);
    EXPECT_LE(k.distance, 30.0);
    EXPECT_GE(k.d_sasa, 100.0);
    EXPECT_EQ(k.Cstem[2] + k.NCstem[3], static_cast<long>(k.nts.size()) - 1);
    auto same = [](const pair& a, const pair& b) {
      return std::minmax(a.nt1, a.nt2) == std::minmax(b.nt1, b.nt2);
    };
    for (long m = 1; m <= n_; ++m) EXPECT_TRUE(m == i || !same(list_[m].GApair, k.GApair)) << m;
    for (size_t m = 1; m < loop_list.size(); ++m) EXPECT_FALSE(same(loop_list[m].GApair, k.GApair)) << m;
  }
  EXPECT_EQ(derived, n_ - by_loops);
  EXPECT_GE(derived, 3);
  // sorted: within a type, the ones without a loop first
  for (long i = 2; i <= n_; ++i) EXPECT_FALSE(Kturn_compare(list_[i], list_[i - 1])) << i;
}

TEST_F(KturnTest, no_sheared_pair_no_kturn) {
  find_all("1bna.pdb");  // B-DNA duplex: Watson-Crick pairs only
  EXPECT_EQ(n_, 0);
  EXPECT_TRUE(list_.empty());
}

TEST_F(KturnTest, sort_order) {
  std::vector<kturn> v(4);
  v[0].type = KTURN_UNDECIDED, v[0].loop = 1;
  v[1].type = KTURN_NORMAL, v[1].loop = 3;
  v[2].type = KTURN_NORMAL, v[2].loop = 0, v[2].Cpair.nt1 = 9;
  v[3].type = KTURN_REVERSE, v[3].loop = 2;
  std::sort(v.begin(), v.end(), Kturn_compare);
  EXPECT_EQ(v[0].loop, 0);  // no loop first among the normal ones
  EXPECT_EQ(v[1].loop, 3);
  EXPECT_EQ(v[2].type, KTURN_REVERSE);
  EXPECT_EQ(v[3].type, KTURN_UNDECIDED);
}

TEST_F(KturnTest, section_json_and_model_file) {
  test::ExeRun exe({"3siu.pdb"});
  ASSERT_EQ(exe.run("-i=3siu.pdb -o=out.txt"), 0) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 2 possible kink turns\n"
                      "   1 Normal k-turn; iloop#1; between stems [#1,#2]; bending-angle="),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[G-A (C.G37,C.A49) Sheared]"), std::string::npos);
  EXPECT_NE(text.find("k-turn:normal"), std::string::npos);  // on the internal loop's line
  expect_models_read_back(exe, 2);
  ASSERT_EQ(exe.run("-i=3siu.pdb -o=out.json --json"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_Kturns\":2,\"Kturns\":[{\"index\":1,\"type\":\"Normal k-turn\",\"iloop_index\":1,"
                    "\"bounding_stems\":[1,2],\"Cstem_index\":1,\"NCstem_index\":2,"),
            std::string::npos)
      << js.substr(0, 200);
  EXPECT_NE(js.find("\"GA_pair\":\"G-A (C.G37,C.A49) Sheared\""), std::string::npos);
}

// Derived from the splays alone: "not-in-loop" in the section, no loop key
// in JSON, the model file as before; the option is no longer named as not
// available.
TEST_F(KturnTest, splay_derived_section_json_and_model_file) {
  test::ExeRun exe({"3siu.pdb"});
  ASSERT_EQ(exe.run("-i=3siu.pdb -o=out.txt --kturn=ss-only"), 0) << exe.file("stderr.txt");
  EXPECT_EQ(exe.file("stderr.txt").find("not available"), std::string::npos) << exe.file("stderr.txt");
  const std::string text = exe.file("out.txt");
  EXPECT_NE(text.find("List of 2 possible kink turns\n"
                      "   1 Normal k-turn; not-in-loop; between stems [#1,#2]; bending-angle="),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("k-turn:normal"), std::string::npos);  // no loop is annotated
  expect_models_read_back(exe, 2);
  ASSERT_EQ(exe.run("-i=3siu.pdb -o=out.json --json --kturn=only"), 0);
  const std::string js = exe.file("out.json");
  EXPECT_EQ(test::json_error(js), "");
  EXPECT_NE(js.find("\"num_Kturns\":2,\"Kturns\":[{\"index\":1,\"type\":\"Normal k-turn\","
                    "\"bounding_stems\":[1,2],"),
            std::string::npos)
      << js.substr(0, 200);
  EXPECT_EQ(js.find("iloop_index"), std::string::npos);
}

}  // namespace
}  // namespace vask
