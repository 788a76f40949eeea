// Residue planes and their projected overlap.
//
// A plane is the flat group of one residue that can stack, pair or touch
// edge-on: a base ring, the planar end of an aromatic, amide, carboxylate or
// guanidinium side chain, or a peptide unit. Each is an atom polygon in ring
// order ("inner") plus the same polygon with exocyclic substituents in place of
// ring atoms ("outer"), tied to the residue's matching frame. The overlap of two
// planes is the area common to their polygons seen along the mean of the two
// normals (the polygon arithmetic itself is in polygon.hpp); plane contacts and
// their classes live elsewhere. The plane record is declared with struct_mol.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "structure/plane_records.hpp"
#include "structure/struct_mol.hpp"
#include "support/ref_frame.hpp"
#include "support/vector3.hpp"

namespace vask {

inline constexpr long MAX_PLANE_ATOMS = 15;      // vertices of one plane polygon
inline constexpr long MAX_PROJECTED_ATOMS = 20;  // atoms of one projected list

// Frame lookups shared by the plane and H-bond code (base frames: frame.hpp):
// the frame of type t (frame::type codes) of residue k, or null; the frame of
// an atom's planar group (base ring or planar side chain), or null.
const frame* frame_by_index(long f, const struct_mol& mol);  // mol.frames[f], or null
const frame* residue_frame(long k, int t, const struct_mol& mol);
const frame* planar_atom_frame(long a, const struct_mol& mol);

// ---------------------------------------------------------------------------
// Plane records

void init_one_plane(plane& p);
std::vector<plane> allocate_planes_array(long n);  // n < 0 is an assertion failure; slots 1..n fresh
void free_planes(std::vector<plane>& planes);
void get_plane_center(plane& p, const struct_mol& mol);  // mean of the inner atoms
bool plane_compare(const plane& a, const plane& b);      // kind, then the first inner atom

// Builds, sorts and links all planes of the structure; sets the planes stage flag.
void populate_planes(struct_mol& mol);
void get_base_planes(const struct_mol& mol, std::vector<plane>& list);
void get_peptide_planes(const struct_mol& mol, std::vector<plane>& list);
void get_sidechain_planes(const struct_mol& mol, std::vector<plane>& list);
// Fills the missing (0) ring atoms of inner[1..n] from the base template placed
// by the residue's base frame; 0 when one cannot be replaced.
long rescue_base_ring(const char* const* names, long n, long k, const struct_mol& mol,
                      std::array<long, 16>& inner);
// Appends names[1..n] of residue k to p.inner and sets the centre; 0 (with p
// reset) on the first missing atom.
long populate_plane_idx0(const char* const* names, long n, long k, const struct_mol& mol, plane& p);

// ---------------------------------------------------------------------------
// Projected ring overlap (square Angstrom). 0 = no overlap or gated out;
// -DBL_MAX = a missing frame or atom list.

// Gated overlap of two atom lists (1-based, list[1..n]) seen along the mean
// normal of the two frames.
double do_projection_get_oarea(const frame* f1, long n1, const long* list1, const frame* f2, long n2,
                               const long* list2, const struct_mol& mol);
double get_inner_overlap_area_byPlane(const plane* p1, const plane* p2, const struct_mol& mol);
double get_outer_overlap_area_byPlane(const plane* p1, const plane* p2, const struct_mol& mol);
// The base plane of a nucleotide or the side-chain plane of an amino acid
// (null when absent); any other residue is an assertion failure.
const plane* get_nt_scp_plane(long k, const struct_mol& mol);
double get_inner_overlap_area_byResNum(long i, long j, const struct_mol& mol);
double get_outer_overlap_area_byResNum(long i, long j, const struct_mol& mol);
// Ungated overlap of the two outer polygons seen along a unit axis.
double get_oarea_by2Planes1frame(const xyz& axis, const plane* p1, const plane* p2, const struct_mol& mol);
double get_two_nts_oarea_per_zAxis(long i, long j, const xyz& axis, const struct_mol& mol);

// 1 when atom a, projected along residue k's plane normal, lies inside its ring
// widened by margin (Angstrom).
long atom_projected_in_plane_ring(long a, long k, const struct_mol& mol, double margin);
// Moves every edge of pts[1..n] (x, y) outward by |d|, in place. Returns false,
// leaving the points unchanged, when two neighbouring moved edges do not cross
// (distorted or very long edges).
bool extended_polygon(long n, std::vector<xyz>& pts, double d);
long point_in_polygon(long n, const std::vector<xyz>& pts, const xyz& p);  // parity rule on (x, y)

// ---------------------------------------------------------------------------
// Plane contacts (plane_contact.cpp) and their lists (plane_output.cpp)

inline constexpr unsigned PLANE_BASE = 0;  // plane::kind codes
inline constexpr unsigned PLANE_SIDECHAIN = 1;
inline constexpr unsigned PLANE_PEPTIDE = 2;

void init_one_planeCnt(planeCnt& c);
std::vector<planeCnt> allocate_planeCnts_array(long n);  // n < 0 is an assertion failure
void free_planeCnts(std::vector<planeCnt>& contacts);
// By 10 x kind(plane1) + kind(plane2), then res1, then res2.
bool planeCnt_compare(const planeCnt& a, const planeCnt& b, const struct_mol& mol);
// Sets hbonded, linked, the class, the stack faces and the residues' stacked flags.
void fillout_planeCnt_types(planeCnt& c, struct_mol& mol);
// Every contact of two planes in van der Waals range, sorted, with the
// residues' stacking sets and area sums; needs the H-bonds, the van der Waals
// contacts and the planes. Sets the plane-contacts stage flag.
void populate_plane_contacts(struct_mol& mol);
// The contact of planes a and b (indices into mol.planes, either order), or null.
const planeCnt* check_planeCnt_for_2planes(long a, long b, const struct_mol& mol);
// The base or side-chain planes of residues i and j pair, stack or form a T.
long residuePlanes_in_pair(long i, long j, const struct_mol& mol);
long residuePlanes_in_stack(long i, long j, const struct_mol& mol);
long residuePlanes_in_tshape(long i, long j, const struct_mol& mol);

// One-shot lists (the file is opened for writing): all stacking contacts;
// bases stacked on (settings 1, 4) or paired with (2) peptide units.
void write_stacks_list(const struct_mol& mol, const std::string& file);
void write_peptide_base_stack_pair(const struct_mol& mol, const std::string& file);
void write_peptide_base_pairing(const struct_mol& mol, const std::string& file);
void write_stacks_list(const struct_mol& mol, FILE* fp);             // nothing for null
void write_peptide_base_stack_pair(const struct_mol& mol, FILE* fp);
void write_peptide_base_pairing(const struct_mol& mol, FILE* fp);
// Appends " hbonds.<n>=..." with the moderate H-bonds of nucleotide nt with
// amino acid aa or the next one along the peptide link; returns n.
long _extract_peptide_base_hbonds(const struct_mol& mol, long nt, long aa, std::string& text);
// "%c%c%c" codes of the linked neighbours of aa around it, and their ids ("." none).
void _extract_peptide_context(const std::vector<residue>& residues, long aa, std::string& context,
                              std::string& prev, std::string& next);
// Diagnostic model files of all contacts, pairs, stacks and T-shapes ("planeCnts" ...).
void t_write_planeCts(struct_mol& mol);
void t_write_pcnt_info(long serial, const planeCnt& c, struct_mol& mol, FILE* fp);

// Diagnostic Alchemy files of a polygon and of one point.
void write_polygon_alchemy(long n, const std::vector<xyz>& pts, const char* type, const char* file);
void write_atom_alchemy(const xyz& p, const char* type, const char* file);

}  // namespace vask
