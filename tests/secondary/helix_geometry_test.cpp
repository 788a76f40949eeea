// Helix geometry on real duplexes: the step parameters, forms and A/B
// classes of B-DNA, A-RNA stems and Z-DNA, the groove widths and their
// windows, the global axis, a rebuild from the measured steps, and missing
// atoms that leave values unset without stopping the run.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <string>

#include "pairing/step_form.hpp"
#include "secondary/helix_fixture.hpp"
#include "support/bp_step_params.hpp"
#include "support/rotation.hpp"

namespace vask {
namespace {

class HelixGeometry : public test::HelixTest {
 protected:
  const helix& stem(long i) const { return results_.stems[static_cast<size_t>(i)]; }
  const helixPars& step(const helix& h, long k) const { return h.step_pars[static_cast<size_t>(k)]; }
  // Mean of parameter j over the steps of h.
  double mean_step(const helix& h, long j) const {
    double s = 0;
    for (long k = 1; k < h.num_pairs; ++k) s += step(h, k).step_params[j];
    return s / static_cast<double>(h.num_pairs - 1);
  }
};

bool unset(double v) { return v == DBL_MAX; }

TEST_F(HelixGeometry, bdna_dodecamer_is_b_form_with_its_narrow_minor_groove) {
  analyse("1bna.pdb");
  ASSERT_EQ(results_.num_stems, 1);
  const helix& h = stem(1);
  ASSERT_EQ(h.num_pairs, 12);
  EXPECT_EQ(h.codes[4], "BBBBBBBBBBB");
  const double twist = mean_step(h, 6), rise = mean_step(h, 3);
  EXPECT_GT(twist, 34.0);
  EXPECT_LT(twist, 37.0);
  EXPECT_GT(rise, 3.2);
  EXPECT_LT(rise, 3.5);
  for (long k = 1; k < 12; ++k) {
    SCOPED_TRACE(k);
    EXPECT_LT(step(h, k).XYZ_phos[3], 0.5);  // Zp of B-DNA
    EXPECT_EQ(step(h, k).step_class, 2);
    EXPECT_GT(step(h, k).AB_index, 0.6);
  }
  // widths only on the inner steps; the refined ones one step further in
  for (long k : {1, 2, 10, 11})
    for (long c = 1; c <= 4; ++c) EXPECT_TRUE(unset(step(h, k).groove_widths[c])) << k << " " << c;
  for (long k : {3, 9}) {
    EXPECT_FALSE(unset(step(h, k).groove_widths[1]));
    EXPECT_TRUE(unset(step(h, k).groove_widths[2]));
    EXPECT_FALSE(unset(step(h, k).groove_widths[3]));
    EXPECT_TRUE(unset(step(h, k).groove_widths[4]));
  }
  long narrowest = 0;
  for (long k = 3; k <= 9; ++k)
    if (narrowest == 0 || step(h, k).groove_widths[1] < step(h, narrowest).groove_widths[1]) narrowest = k;
  EXPECT_TRUE(narrowest == 6 || narrowest == 7) << narrowest;  // the AATT centre
  // the global axis: B-DNA rise and radius, no irregularity mark
  EXPECT_NEAR(h.axis.rise, 3.35, 0.05);
  EXPECT_LT(h.axis.rise_std, Gvars.curved_cutoff);
  EXPECT_EQ(h.irregular, "");
  EXPECT_NEAR(h.axis.radius, 9.4, 0.2);
  EXPECT_EQ(h.num_radius_P, 22);
  EXPECT_NEAR(length_xyz(h.axis.axis), 1.0, 1e-9);
  xyz d;
  diff_xyz(h.axis.axis_start, h.axis.axis_end, d);
  EXPECT_NEAR(length_xyz(d), 11 * 3.35, 1.5);  // the ends lie eleven steps apart
}

// The axis pseudo-atoms of the helix ensemble are checked like the PDB
// writer's coordinates: a point that is not finite stops the writing.
TEST_F(HelixGeometry, an_axis_point_that_is_not_finite_is_never_written) {
  analyse("1bna.pdb");
  ASSERT_GE(results_.num_helices, 1);
  std::vector<helix> helices = results_.helices;
  helices[1].axis.axis_end[2] = std::nan("");
  const std::string file = (std::filesystem::temp_directory_path() / "vask-axis-test-helices.pdb").string();
  VERBOSITY = 2;  // the axis pseudo-atoms are written at this verbosity
  const std::string message = test::fatal_message([&] { write_helices_pdb(1, helices, mol_, file); });
  VERBOSITY = 0;
  std::filesystem::remove(file);
  // the ends move apart along their difference: both are lost
  EXPECT_NE(message.find("[e] the axis point XS of a helix has coordinates that are not finite numbers"),
            std::string::npos)
      << message;
}

TEST_F(HelixGeometry, trna_stems_are_a_form) {
  analyse("1ehz.pdb");
  ASSERT_EQ(results_.num_stems, 4);
  for (long s = 1; s <= 4; ++s) {
    const helix& h = stem(s);
    for (long k = 1; k < h.num_pairs; ++k) {
      SCOPED_TRACE(std::to_string(s) + "/" + std::to_string(k));
      EXPECT_GT(step(h, k).XYZ_phos[3], 1.5);  // Zp of A-form
      EXPECT_EQ(step(h, k).step_class, 1);
      EXPECT_LT(step(h, k).AB_index, 0.3);
    }
    EXPECT_EQ(h.codes[4].find('B'), std::string::npos) << h.codes[4];
    EXPECT_GT(h.axis.rise, 2.3);
    EXPECT_LT(h.axis.rise, 3.0);
  }
  EXPECT_EQ(stem(1).codes[4].substr(0, 2), "AA");
}

TEST_F(HelixGeometry, z_dna_steps_are_z_form) {
  analyse("3p4j-assembly1.cif");
  ASSERT_GE(results_.num_helices, 1);
  const helix& h = results_.helices[1];
  ASSERT_EQ(h.num_pairs, 6);
  EXPECT_EQ(h.codes[4], "ZZZZZ");
  for (long k = 1; k < 6; ++k) {
    SCOPED_TRACE(k);
    EXPECT_LT(step(h, k).step_params[6], 0.0);  // left-handed
    EXPECT_GT(step(h, k).step_params[3], 3.0);  // rise along the corrected frames
    // the frames as they are point back along the helix: the Z-step flip
    // turns them over, so their rise is positive too
    EXPECT_GT(step(h, k).step_params0[3], 3.0);
  }
  // without the flip the same frames keep their negative rise
  mutable_gvars().z_step = 0;
  helixPars raw;
  calculate_helix_pars(h.pairs[1], h.pairs[2], mol_, raw);
  EXPECT_LT(raw.step_params0[3], -3.0);
  EXPECT_NEAR(raw.step_params[3], step(h, 1).step_params[3], 1e-9);
}

// Rebuilding a helix from its measured steps and measuring it again gives
// the same steps.
TEST_F(HelixGeometry, rebuild_from_measured_steps_round_trips) {
  for (const char* name : {"1bna.pdb", "1ehz.pdb"}) {
    analyse(name);
    for (long s = 1; s <= results_.num_stems; ++s) {
      const helix& h = stem(s);
      std::vector<frame> frames(static_cast<size_t>(h.num_pairs + 1));  // frame 1: identity at the origin
      for (long k = 1; k < h.num_pairs; ++k) {
        rotmat rot, mid_rot, R, G;
        xyz org, mid_org, shift;
        rebuild_by_step_pars(step(h, k).step_params, rot, org, mid_rot, mid_org);
        const frame& f = frames[static_cast<size_t>(k)];
        frame& g = frames[static_cast<size_t>(k + 1)];
        axes_to_rotmat(f.x_axis, f.y_axis, f.z_axis, R);
        multiply_matrix_3x3(R, rot, G);
        multiply_vec_transposed_matrix_by3(org, R, shift);
        sum_xyz(f.org, shift, g.org);
        rotmat_to_axes(G, g.x_axis, g.y_axis, g.z_axis);
      }
      for (long k = 1; k < h.num_pairs; ++k) {
        SCOPED_TRACE(std::string(name) + " stem " + std::to_string(s) + " step " + std::to_string(k));
        par_set again = unset_par_set();
        get_step_pars_only_by_frames(frames[static_cast<size_t>(k)], frames[static_cast<size_t>(k + 1)], again);
        for (long j = 1; j <= 6; ++j) EXPECT_NEAR(again[j], step(h, k).step_params[j], 0.01) << j;
      }
    }
  }
}

TEST_F(HelixGeometry, groove_windows_stay_inside_short_helices) {
  analyse("1bna.pdb");
  const helix& h = stem(1);
  std::array<std::vector<long>, 3> P;
  for (long n = 0; n <= 7; ++n) {
    SCOPED_TRACE(n);
    P[1].assign(static_cast<size_t>(n + 1), -1);
    P[2].assign(static_cast<size_t>(n + 1), -1);
    for (long k = 1; k <= n; ++k) {
      P[1][static_cast<size_t>(k)] = mol_.nt_infos[h.pairs[k].nt1].P;
      P[2][static_cast<size_t>(k)] = mol_.nt_infos[h.pairs[k].nt2].P;
    }
    const groove_table w = get_groove_widths(n, P, mol_);
    ASSERT_EQ(static_cast<long>(w.size()), n + 1);
    for (long k = 1; k < n; ++k) {
      const bool minor = k >= 3 && k <= n - 3;  // steps k-2..k+2 inside the helix
      const bool refined = k >= 4 && k <= n - 4;
      EXPECT_EQ(unset(w[static_cast<size_t>(k)][1]), !minor) << k;
      EXPECT_EQ(unset(w[static_cast<size_t>(k)][3]), !minor) << k;
      EXPECT_EQ(unset(w[static_cast<size_t>(k)][2]), !refined) << k;
      EXPECT_EQ(unset(w[static_cast<size_t>(k)][4]), !refined) << k;
    }
  }
  // a missing P leaves the widths that need it unset
  P[1].assign(8, -1);
  P[2].assign(8, -1);
  for (long k = 1; k <= 7; ++k) {
    P[1][static_cast<size_t>(k)] = mol_.nt_infos[h.pairs[k].nt1].P;
    P[2][static_cast<size_t>(k)] = mol_.nt_infos[h.pairs[k].nt2].P;
  }
  P[1][6] = -1;  // the minor groove of steps 3 (k + 3) and 4 (k + 2); no major groove
  const groove_table w = get_groove_widths(7, P, mol_);
  EXPECT_TRUE(unset(w[3][1]));
  EXPECT_TRUE(unset(w[4][1]));
  EXPECT_FALSE(unset(w[3][3]));
  EXPECT_FALSE(unset(w[4][3]));
}

TEST_F(HelixGeometry, two_pairs_one_step_and_an_axis_from_four_vectors) {
  analyse("1bna.pdb");
  helix h = stem(1);
  h.num_pairs = 2;
  h.strand2 = {0, h.pairs[2].nt2, h.pairs[1].nt2};
  derive_one_global_helix(h, mol_);
  derive_one_helix_parameters(h, mol_);
  EXPECT_EQ(h.codes[4], "B");
  for (long c = 1; c <= 4; ++c) EXPECT_TRUE(unset(step(h, 1).groove_widths[c]));
  EXPECT_FALSE(unset(step(h, 1).step_params[3]));
  EXPECT_FALSE(unset(h.axis.rise));  // four step vectors
  // with only two step vectors there is no axis
  std::vector<std::pair<long, long>> two = {{mol_.nt_infos[h.pairs[1].nt1].C1p, mol_.nt_infos[h.pairs[2].nt1].C1p},
                                            {mol_.nt_infos[h.pairs[1].nt2].C1p, mol_.nt_infos[h.pairs[2].nt2].C1p}};
  helixVec v;
  get_global_rise_per_atom_pairs(two, {two[0].first}, {two[0].second}, 0.0, mol_, v);
  EXPECT_TRUE(unset(v.rise));
  EXPECT_TRUE(unset(v.axis_start[1]));
}

TEST_F(HelixGeometry, missing_atoms_give_x_and_unset_values) {
  analyse("1bna.pdb");
  helix h = stem(1);
  // strand 1, nucleotide 6 loses its P: step 5 has no form, and the widths
  // that use that P are unset
  mol_.nt_infos[h.strand1[6]].P = -1;
  derive_one_helix_parameters(h, mol_);
  EXPECT_EQ(h.codes[4], "BBBBxBBBBBB");
  EXPECT_FALSE(unset(step(h, 5).step_params[6]));
  EXPECT_TRUE(unset(step(h, 4).groove_widths[1]));  // P1(6) = P1(k + 2)
  EXPECT_TRUE(unset(step(h, 7).groove_widths[3]));  // P1(6) = P1(k - 1)
  // every C1' and glycosidic atom gone: no axis, no radius, no error
  for (long k = 1; k <= 12; ++k)
    for (long nt : {h.strand1[k], h.strand2[k]}) mol_.nt_infos[nt].C1p = mol_.nt_infos[nt].glyco_n = -1;
  derive_one_global_helix(h, mol_);
  EXPECT_TRUE(unset(h.axis.rise));
  EXPECT_TRUE(unset(h.axis.radius));
  EXPECT_EQ(h.irregular, "");
}

TEST_F(HelixGeometry, steps_without_helix_like_neighbours_clear_their_windows) {
  analyse("1bna.pdb");
  helix h = stem(1);
  // pair 7 replaced by a copy of pair 1: pairs 6-7 and 7-8 are no helix
  // neighbours, which clears steps 4..9 and the refined widths of step 3
  h.pairs[7] = h.pairs[1];
  derive_one_helix_parameters(h, mol_);
  for (long k = 4; k <= 9; ++k)
    for (long c = 1; c <= 4; ++c) EXPECT_TRUE(unset(step(h, k).groove_widths[c])) << k << " " << c;
  EXPECT_FALSE(unset(step(h, 3).groove_widths[1]));
  EXPECT_TRUE(unset(step(h, 3).groove_widths[2]));
  EXPECT_FALSE(unset(step(h, 3).groove_widths[3]));
  EXPECT_TRUE(unset(step(h, 3).groove_widths[4]));
}

TEST_F(HelixGeometry, a_short_circular_helix_gets_no_groove_widths) {
  analyse("1bna.pdb");
  helix h = stem(1);
  h.num_pairs = 6;
  h.circular = 1;
  mutable_gvars().circular = 1;
  test::log_capture log;
  derive_one_helix_parameters(h, mol_);
  EXPECT_NE(log.text().find("[w] num_pairs=6 < 8 (not a circular DNA)\n"), std::string::npos) << log.text();
  ASSERT_EQ(h.step_pars.size(), 7u);
  for (long k = 1; k <= 6; ++k)
    for (long c = 1; c <= 4; ++c) EXPECT_TRUE(unset(step(h, k).groove_widths[c]));
  EXPECT_FALSE(unset(step(h, 6).step_params[3]));  // the closing step, pair 6 to pair 1
}

TEST_F(HelixGeometry, single_strand_forms_follow_the_chain) {
  analyse("1ehz.pdb");
  long a = res("A", 1), b = res("A", 2), far = res("A", 40);
  EXPECT_EQ(classify_ssStep_by_rmsd(a, b, mol_), 'A');
  EXPECT_EQ(classify_ssStep_by_rmsd(a, far, mol_), '-');  // not linked
}

}  // namespace
}  // namespace vask
