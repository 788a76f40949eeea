// Element table, atom-name list, atom record and atom typing: see atom.hpp.
#include "structure/atom.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <mutex>

#include "structure/residue.hpp"
#include "structure/struct_mol.hpp"
#include "support/error.hpp"
#include "support/file.hpp"
#include "support/log.hpp"
#include "support/number.hpp"
#include "support/settings.hpp"
#include "support/string.hpp"
#include "support/vector3.hpp"

namespace vask {

periodic_table element_table;

const char* const BASE_RING_ATOMS[10] = {"",     " C4 ", " N3 ", " C2 ", " N1 ",
                                         " C6 ", " C5 ", " N7 ", " C8 ", " N9 "};
const char* const BASE_ATOM_NAMES[17] = {"",     " N1 ", " C2 ", " N3 ", " C4 ", " C5 ",
                                         " C6 ", " N7 ", " C8 ", " N9 ", " N6 ", " O2 ",
                                         " O4 ", " C7 ", " N2 ", " O6 ", " N4 "};
const char* const BACKBONE_ATOM_NAMES[13] = {"",     " P  ", " OP1", " OP2", " O5'",
                                             " C5'", " C4'", " O4'", " C3'", " O3'",
                                             " C2'", " O2'", " C1'"};

namespace {

struct element_row {
  const char* symbol;
  long metal;
  double covalent_radius;  // Angstrom
  double vdw_radius;       // Angstrom
  double weight;
};

// Covalent radii from Cordero et al. (2008), van der Waals radii from Bondi
// (1964) where known (2.0 otherwise), standard atomic weights (IUPAC).
constexpr element_row builtin_elements[] = {
    {"__", 0, 1.666, 2.0, 0.0},  // 0
    {" H", 0, 0.31, 1.2, 1.008},  // 1
    {"HE", 0, 0.28, 1.4, 4.0026},  // 2
    {"LI", 1, 1.28, 1.82, 6.94},  // 3
    {"BE", 1, 0.96, 2.0, 9.0122},  // 4
    {" B", 0, 0.84, 2.0, 10.81},  // 5
    {" C", 0, 0.76, 1.7, 12.011},  // 6
    {" N", 0, 0.71, 1.55, 14.007},  // 7
    {" O", 0, 0.66, 1.52, 15.999},  // 8
    {" F", 0, 0.57, 1.47, 18.998},  // 9
    {"NE", 0, 0.58, 1.54, 20.18},  // 10
    {"NA", 1, 1.66, 2.27, 22.99},  // 11
    {"MG", 1, 1.41, 1.73, 24.305},  // 12
    {"AL", 1, 1.21, 2.0, 26.982},  // 13
    {"SI", 0, 1.11, 2.1, 28.085},  // 14
    {" P", 0, 1.07, 1.8, 30.974},  // 15
    {" S", 0, 1.05, 1.8, 32.06},  // 16
    {"CL", 0, 1.02, 1.75, 35.45},  // 17
    {"AR", 0, 1.06, 1.88, 39.948},  // 18
    {" K", 1, 2.03, 2.75, 39.098},  // 19
    {"CA", 1, 1.76, 2.0, 40.078},  // 20
    {"SC", 1, 1.7, 2.0, 44.956},  // 21
    {"TI", 1, 1.6, 2.0, 47.867},  // 22
    {" V", 1, 1.53, 2.0, 50.942},  // 23
    {"CR", 1, 1.39, 2.0, 51.996},  // 24
    {"MN", 1, 1.39, 2.0, 54.938},  // 25
    {"FE", 1, 1.32, 2.0, 55.845},  // 26
    {"CO", 1, 1.26, 2.0, 58.933},  // 27
    {"NI", 1, 1.24, 1.63, 58.693},  // 28
    {"CU", 1, 1.32, 1.4, 63.546},  // 29
    {"ZN", 1, 1.22, 1.39, 65.38},  // 30
    {"GA", 1, 1.22, 1.87, 69.723},  // 31
    {"GE", 1, 1.2, 2.0, 72.63},  // 32
    {"AS", 0, 1.19, 1.85, 74.922},  // 33
    {"SE", 0, 1.2, 1.9, 78.971},  // 34
    {"BR", 0, 1.2, 1.85, 79.904},  // 35
    {"KR", 0, 1.16, 2.02, 83.798},  // 36
    {"RB", 1, 2.2, 2.0, 85.468},  // 37
    {"SR", 1, 1.95, 2.0, 87.62},  // 38
    {" Y", 1, 1.9, 2.0, 88.906},  // 39
    {"ZR", 1, 1.75, 2.0, 91.224},  // 40
    {"NB", 1, 1.64, 2.0, 92.906},  // 41
    {"MO", 1, 1.54, 2.0, 95.95},  // 42
    {"TC", 1, 1.47, 2.0, 0.0},  // 43
    {"RU", 1, 1.46, 2.0, 101.07},  // 44
    {"RH", 1, 1.42, 2.0, 102.91},  // 45
    {"PD", 1, 1.39, 1.63, 106.42},  // 46
    {"AG", 1, 1.45, 1.72, 107.87},  // 47
    {"CD", 1, 1.44, 1.58, 112.41},  // 48
    {"IN", 1, 1.42, 1.93, 114.82},  // 49
    {"SN", 1, 1.39, 2.17, 118.71},  // 50
    {"SB", 1, 1.39, 2.0, 121.76},  // 51
    {"TE", 0, 1.38, 2.06, 127.6},  // 52
    {" I", 0, 1.39, 1.98, 126.9},  // 53
    {"XE", 0, 1.4, 2.16, 131.29},  // 54
    {"CS", 1, 2.44, 2.0, 132.91},  // 55
    {"BA", 1, 2.15, 2.0, 137.33},  // 56
    {"LA", 1, 2.07, 2.0, 138.91},  // 57
    {"CE", 1, 2.04, 2.0, 140.12},  // 58
    {"PR", 1, 2.03, 2.0, 140.91},  // 59
    {"ND", 1, 2.01, 2.0, 144.24},  // 60
    {"PM", 1, 1.99, 2.0, 0.0},  // 61
    {"SM", 1, 1.98, 2.0, 150.36},  // 62
    {"EU", 1, 1.98, 2.0, 151.96},  // 63
    {"GD", 1, 1.96, 2.0, 157.25},  // 64
    {"TB", 1, 1.94, 2.0, 158.93},  // 65
    {"DY", 1, 1.92, 2.0, 162.5},  // 66
    {"HO", 1, 1.92, 2.0, 164.93},  // 67
    {"ER", 1, 1.89, 2.0, 167.26},  // 68
    {"TM", 1, 1.9, 2.0, 168.93},  // 69
    {"YB", 1, 1.87, 2.0, 173.05},  // 70
    {"LU", 1, 1.87, 2.0, 174.97},  // 71
    {"HF", 1, 1.75, 2.0, 178.49},  // 72
    {"TA", 1, 1.7, 2.0, 180.95},  // 73
    {" W", 1, 1.62, 2.0, 183.84},  // 74
    {"RE", 1, 1.51, 2.0, 186.21},  // 75
    {"OS", 1, 1.44, 2.0, 190.23},  // 76
    {"IR", 1, 1.41, 2.0, 192.22},  // 77
    {"PT", 1, 1.36, 1.75, 195.08},  // 78
    {"AU", 1, 1.36, 1.66, 196.97},  // 79
    {"HG", 1, 1.32, 1.55, 200.59},  // 80
    {"TL", 1, 1.45, 1.96, 204.38},  // 81
    {"PB", 1, 1.46, 2.02, 207.2},  // 82
    {"BI", 1, 1.48, 2.0, 208.98},  // 83
    {"PO", 1, 1.4, 2.0, 0.0},  // 84
    {"AT", 0, 1.5, 2.0, 0.0},  // 85
    {"RN", 0, 1.5, 2.0, 0.0},  // 86
    {"FR", 1, 2.6, 2.0, 0.0},  // 87
    {"RA", 1, 2.21, 2.0, 0.0},  // 88
    {"AC", 1, 2.15, 2.0, 0.0},  // 89
    {"TH", 1, 2.06, 2.0, 232.04},  // 90
    {"PA", 1, 2.0, 2.0, 231.04},  // 91
    {" U", 1, 1.96, 1.86, 238.03},  // 92
    {"NP", 1, 1.9, 2.0, 0.0},  // 93
    {"PU", 1, 1.87, 2.0, 0.0},  // 94
    {"AM", 1, 1.8, 2.0, 0.0},  // 95
    {"CM", 1, 1.69, 2.0, 0.0},  // 96
    {"BK", 1, 1.666, 2.0, 0.0},  // 97
    {"CF", 1, 1.666, 2.0, 0.0},  // 98
    {"ES", 1, 1.666, 2.0, 0.0},  // 99
    {"FM", 1, 1.666, 2.0, 0.0},  // 100
    {"MD", 1, 1.666, 2.0, 0.0},  // 101
    {"NO", 1, 1.666, 2.0, 0.0},  // 102
    {"LR", 1, 1.666, 2.0, 0.0},  // 103
    {"RF", 1, 1.666, 2.0, 0.0},  // 104
    {"DB", 1, 1.666, 2.0, 0.0},  // 105
    {"SG", 1, 1.666, 2.0, 0.0},  // 106
    {"BH", 1, 1.666, 2.0, 0.0},  // 107
    {"HS", 1, 1.666, 2.0, 0.0},  // 108
    {"MT", 1, 1.666, 2.0, 0.0},  // 109
    {"DS", 1, 1.666, 2.0, 0.0},  // 110
    {"RG", 1, 1.666, 2.0, 0.0},  // 111
    {"CN", 1, 1.666, 2.0, 0.0},  // 112
};
static_assert(std::size(builtin_elements) == 113, "rows Z = 0 to 112");

struct pattern_row {
  const char* pattern;
  const char* element;
};

// Atom-name patterns of the PDB chemical component dictionary, by element.
constexpr pattern_row builtin_atomlist[] = {
    {"AC__", "AC"}, {"AG__", "AG"}, {"AL__", "AL"}, {"AM__", "AM"}, {"AR__", "AR"},
    {"AS__", "AS"}, {"AT__", "AT"}, {"AU__", "AU"}, {"BA__", "BA"}, {"BE__", "BE"},
    {"BH__", "BH"}, {"BI__", "BI"}, {"BK__", "BK"}, {"BR__", "BR"}, {"CA__", "CA"},
    {"CD__", "CD"}, {"CE__", "CE"}, {"CF__", "CF"}, {"CL__", "CL"}, {"CM__", "CM"},
    {"CN__", "CN"}, {"CO__", "CO"}, {"CR__", "CR"}, {"CS__", "CS"}, {"CU__", "CU"},
    {"DB__", "DB"}, {"DS__", "DS"}, {"DY__", "DY"}, {"ER__", "ER"}, {"ES__", "ES"},
    {"EU__", "EU"}, {"FE__", "FE"}, {"FM__", "FM"}, {"FR__", "FR"}, {"GA__", "GA"},
    {"GD__", "GD"}, {"GE__", "GE"}, {"HE__", "HE"}, {"HF__", "HF"}, {"HG__", "HG"},
    {"HO__", "HO"}, {"HS__", "HS"}, {"IN__", "IN"}, {"IR__", "IR"}, {"KR__", "KR"},
    {"LA__", "LA"}, {"LI__", "LI"}, {"LR__", "LR"}, {"LU__", "LU"}, {"MD__", "MD"},
    {"MG__", "MG"}, {"MN__", "MN"}, {"MO__", "MO"}, {"MT__", "MT"}, {"NA__", "NA"},
    {"NB__", "NB"}, {"ND__", "ND"}, {"NE__", "NE"}, {"NI__", "NI"}, {"NO__", "NO"},
    {"NP__", "NP"}, {"OS__", "OS"}, {"PA__", "PA"}, {"PB__", "PB"}, {"PD__", "PD"},
    {"PM__", "PM"}, {"PO__", "PO"}, {"PR__", "PR"}, {"PT__", "PT"}, {"PU__", "PU"},
    {"RA__", "RA"}, {"RB__", "RB"}, {"RE__", "RE"}, {"RF__", "RF"}, {"RG__", "RG"},
    {"RH__", "RH"}, {"RN__", "RN"}, {"RU__", "RU"}, {"SB__", "SB"}, {"SC__", "SC"},
    {"SE__", "SE"}, {"SG__", "SG"}, {"SI__", "SI"}, {"SM__", "SM"}, {"SN__", "SN"},
    {"SR__", "SR"}, {"TA__", "TA"}, {"TB__", "TB"}, {"TC__", "TC"}, {"TE__", "TE"},
    {"TH__", "TH"}, {"TI__", "TI"}, {"TL__", "TL"}, {"TM__", "TM"}, {"XE__", "XE"},
    {"YB__", "YB"}, {"ZN__", "ZN"}, {"ZR__", "ZR"}, {"C__A", " C"}, {"_CAA", " C"},
    {"_CAB", " C"}, {"_CAC", " C"}, {"_CAD", " C"}, {"_CAE", " C"}, {"_CAF", " C"},
    {"_CAG", " C"}, {"_CAH", " C"}, {"_CAI", " C"}, {"_CAJ", " C"}, {"_CAK", " C"},
    {"_CAL", " C"}, {"_CAM", " C"}, {"_CAN", " C"}, {"_CAO", " C"}, {"_CAP", " C"},
    {"_CAQ", " C"}, {"_CAR", " C"}, {"_CAS", " C"}, {"_CAT", " C"}, {"_CAU", " C"},
    {"_CAX", " C"}, {"_CAY", " C"}, {"_CAZ", " C"}, {"_CA_", " C"}, {"_CBA", " C"},
    {"_CBB", " C"}, {"_CBC", " C"}, {"_CBD", " C"}, {"_CBE", " C"}, {"_CBF", " C"},
    {"_CBG", " C"}, {"_CBH", " C"}, {"_CBI", " C"}, {"_CBX", " C"}, {"_CB_", " C"},
    {"_CCA", " C"}, {"_CCB", " C"}, {"_CCX", " C"}, {"_CC_", " C"}, {"_CDA", " C"},
    {"_CDX", " C"}, {"_CD_", " C"}, {"_CEA", " C"}, {"_CEB", " C"}, {"_CEC", " C"},
    {"_CEX", " C"}, {"_CE_", " C"}, {"_CFX", " C"}, {"_CF_", " C"}, {"_CGC", " C"},
    {"_CGX", " C"}, {"_CG_", " C"}, {"_CHA", " C"}, {"_CHB", " C"}, {"_CHC", " C"},
    {"_CHD", " C"}, {"_CHX", " C"}, {"_CH_", " C"}, {"_CIX", " C"}, {"_CI_", " C"},
    {"_CJX", " C"}, {"_CJ_", " C"}, {"_CKX", " C"}, {"_CK_", " C"}, {"_CL_", " C"},
    {"_CMA", " C"}, {"_CMB", " C"}, {"_CMC", " C"}, {"_CMD", " C"}, {"_CME", " C"},
    {"_CMP", " C"}, {"_CMT", " C"}, {"_CMX", " C"}, {"_CMZ", " C"}, {"_CM_", " C"},
    {"_CNT", " C"}, {"_CNX", " C"}, {"_CN_", " C"}, {"_COX", " C"}, {"_CO_", " C"},
    {"_CPX", " C"}, {"_CP_", " C"}, {"_CQX", " C"}, {"_CQ_", " C"}, {"_CS_", " C"},
    {"_CT_", " C"}, {"_CW_", " C"}, {"_CXD", " C"}, {"_CXE", " C"}, {"_CXF", " C"},
    {"_CXG", " C"}, {"_CXN", " C"}, {"_CXO", " C"}, {"_CXP", " C"}, {"_CXQ", " C"},
    {"_CXT", " C"}, {"_CXU", " C"}, {"_CXV", " C"}, {"_CX_", " C"}, {"_CYT", " C"},
    {"_CZ_", " C"}, {"_C_A", " C"}, {"_C_B", " C"}, {"_C_C", " C"}, {"_C_D", " C"},
    {"_C_E", " C"}, {"_C_F", " C"}, {"_C_G", " C"}, {"_C_H", " C"}, {"_C_I", " C"},
    {"_C_J", " C"}, {"_C_K", " C"}, {"_C_L", " C"}, {"_C_M", " C"}, {"_C_N", " C"},
    {"_C_O", " C"}, {"_C_P", " C"}, {"_C_Q", " C"}, {"_C_R", " C"}, {"_C_S", " C"},
    {"_C_T", " C"}, {"_C_U", " C"}, {"_C_V", " C"}, {"_C_W", " C"}, {"_C_X", " C"},
    {"_C_Y", " C"}, {"_C__", " C"}, {"DO__", " H"}, {"HAL_", " H"}, {"HAM_", " H"},
    {"HAN_", " H"}, {"HAO_", " H"}, {"HA__", " H"}, {"HB__", " H"}, {"HCN_", " H"},
    {"HCS_", " H"}, {"HC__", " H"}, {"HD__", " H"}, {"HE__", " H"}, {"HFM_", " H"},
    {"HF__", " H"}, {"HG__", " H"}, {"HH__", " H"}, {"HI__", " H"}, {"HJ__", " H"},
    {"HK__", " H"}, {"HL__", " H"}, {"HMA_", " H"}, {"HMB_", " H"}, {"HMC_", " H"},
    {"HMD_", " H"}, {"HMP_", " H"}, {"HMT_", " H"}, {"HM__", " H"}, {"HND_", " H"},
    {"HNE_", " H"}, {"HNF_", " H"}, {"HNG_", " H"}, {"HNM_", " H"}, {"HNP_", " H"},
    {"HNQ_", " H"}, {"HNS_", " H"}, {"HNT_", " H"}, {"HNW_", " H"}, {"HN_A", " H"},
    {"HN_B", " H"}, {"HN_C", " H"}, {"HN_D", " H"}, {"HN__", " H"}, {"HOA_", " H"},
    {"HOB_", " H"}, {"HOD_", " H"}, {"HOG_", " H"}, {"HOP_", " H"}, {"HOW_", " H"},
    {"HO_A", " H"}, {"HO__", " H"}, {"HX__", " H"}, {"HZ__", " H"}, {"H_A_", " H"},
    {"H_B_", " H"}, {"H_C_", " H"}, {"H_D_", " H"}, {"H_E_", " H"}, {"H_M_", " H"},
    {"H_NH", " H"}, {"H_N_", " H"}, {"H_T_", " H"}, {"H_U_", " H"}, {"H__A", " H"},
    {"H__B", " H"}, {"H__D", " H"}, {"H__N", " H"}, {"H___", " H"}, {"_DXT", " H"},
    {"_DXU", " H"}, {"_DXX", " H"}, {"_DXY", " H"}, {"_DXZ", " H"}, {"_D_A", " H"},
    {"_D_B", " H"}, {"_D_C", " H"}, {"_D__", " H"}, {"_HAA", " H"}, {"_HAB", " H"},
    {"_HAC", " H"}, {"_HAN", " H"}, {"_HAP", " H"}, {"_HA_", " H"}, {"_HBA", " H"},
    {"_HBB", " H"}, {"_HBC", " H"}, {"_HB_", " H"}, {"_HCA", " H"}, {"_HCB", " H"},
    {"_HCC", " H"}, {"_HC_", " H"}, {"_HDA", " H"}, {"_HDB", " H"}, {"_HDC", " H"},
    {"_HD_", " H"}, {"_HEA", " H"}, {"_HEB", " H"}, {"_HEC", " H"}, {"_HE_", " H"},
    {"_HFA", " H"}, {"_HFB", " H"}, {"_HFC", " H"}, {"_HF_", " H"}, {"_HGA", " H"},
    {"_HGB", " H"}, {"_HGC", " H"}, {"_HGT", " H"}, {"_HG_", " H"}, {"_HH_", " H"},
    {"_HI_", " H"}, {"_HJA", " H"}, {"_HJB", " H"}, {"_HJ_", " H"}, {"_HKA", " H"},
    {"_HKB", " H"}, {"_HK_", " H"}, {"_HLA", " H"}, {"_HLB", " H"}, {"_HL_", " H"},
    {"_HM_", " H"}, {"_HNB", " H"}, {"_HNC", " H"}, {"_HND", " H"}, {"_HNE", " H"},
    {"_HNF", " H"}, {"_HNI", " H"}, {"_HNK", " H"}, {"_HNL", " H"}, {"_HNM", " H"},
    {"_HNP", " H"}, {"_HNQ", " H"}, {"_HNR", " H"}, {"_HNT", " H"}, {"_HN_", " H"},
    {"_HOA", " H"}, {"_HOB", " H"}, {"_HOH", " H"}, {"_HOW", " H"}, {"_HO_", " H"},
    {"_HP_", " H"}, {"_HS_", " H"}, {"_HT_", " H"}, {"_HU_", " H"}, {"_HW_", " H"},
    {"_HX_", " H"}, {"_HZ_", " H"}, {"_H_A", " H"}, {"_H_B", " H"}, {"_H_C", " H"},
    {"_H_D", " H"}, {"_H_E", " H"}, {"_H_F", " H"}, {"_H_G", " H"}, {"_H_M", " H"},
    {"_H_N", " H"}, {"_H_P", " H"}, {"_H_Q", " H"}, {"_H_T", " H"}, {"_H_X", " H"},
    {"_H__", " H"}, {"__H_", " H"}, {"_B__", " B"}, {"_FC_", " F"}, {"_FD_", " F"},
    {"_FE_", " F"}, {"_FF_", " F"}, {"_F_B", " F"}, {"_F__", " F"}, {"_I__", " I"},
    {"_K__", " K"}, {"_NAA", " N"}, {"_NAB", " N"}, {"_NAC", " N"}, {"_NAG", " N"},
    {"_NAH", " N"}, {"_NAI", " N"}, {"_NAM", " N"}, {"_NAV", " N"}, {"_NAW", " N"},
    {"_NAX", " N"}, {"_NA_", " N"}, {"_NBI", " N"}, {"_NBJ", " N"}, {"_NBK", " N"},
    {"_NB_", " N"}, {"_NC_", " N"}, {"_ND_", " N"}, {"_NE_", " N"}, {"_NF_", " N"},
    {"_NG_", " N"}, {"_NH_", " N"}, {"_NI_", " N"}, {"_NJ_", " N"}, {"_NK_", " N"},
    {"_NLX", " N"}, {"_NL_", " N"}, {"_NM_", " N"}, {"_NN_", " N"}, {"_NO_", " N"},
    {"_NPA", " N"}, {"_NPB", " N"}, {"_NPC", " N"}, {"_NPD", " N"}, {"_NP_", " N"},
    {"_NQ_", " N"}, {"_NRO", " N"}, {"_NR_", " N"}, {"_NS_", " N"}, {"_NT_", " N"},
    {"_NW_", " N"}, {"_NXT", " N"}, {"_NXU", " N"}, {"_NXV", " N"}, {"_NXW", " N"},
    {"_NX_", " N"}, {"_NZ_", " N"}, {"_N_A", " N"}, {"_N_B", " N"}, {"_N_C", " N"},
    {"_N_D", " N"}, {"_N_E", " N"}, {"_N_F", " N"}, {"_N_M", " N"}, {"_N_P", " N"},
    {"_N_S", " N"}, {"_N_T", " N"}, {"_N_X", " N"}, {"_N_Y", " N"}, {"_N__", " N"},
    {"_OAA", " O"}, {"_OAB", " O"}, {"_OAD", " O"}, {"_OAI", " O"}, {"_OAJ", " O"},
    {"_OAP", " O"}, {"_OAT", " O"}, {"_OAV", " O"}, {"_OAX", " O"}, {"_OAY", " O"},
    {"_OAZ", " O"}, {"_OA_", " O"}, {"_OBC", " O"}, {"_OB_", " O"}, {"_OCC", " O"},
    {"_OCD", " O"}, {"_OC_", " O"}, {"_ODA", " O"}, {"_ODB", " O"}, {"_OD_", " O"},
    {"_OEA", " O"}, {"_OE_", " O"}, {"_OF_", " O"}, {"_OGL", " O"}, {"_OG_", " O"},
    {"_OHB", " O"}, {"_OHN", " O"}, {"_OH_", " O"}, {"_OI_", " O"}, {"_OJ_", " O"},
    {"_OL_", " O"}, {"_OM_", " O"}, {"_ON_", " O"}, {"_OO_", " O"}, {"_OPP", " O"},
    {"_OP_", " O"}, {"_ORA", " O"}, {"_OR_", " O"}, {"_OS_", " O"}, {"_OT_", " O"},
    {"_OW_", " O"}, {"_OXA", " O"}, {"_OXS", " O"}, {"_OXT", " O"}, {"_OXX", " O"},
    {"_OX_", " O"}, {"_O_A", " O"}, {"_O_B", " O"}, {"_O_C", " O"}, {"_O_D", " O"},
    {"_O_E", " O"}, {"_O_F", " O"}, {"_O_G", " O"}, {"_O_L", " O"}, {"_O_M", " O"},
    {"_O_P", " O"}, {"_O_Q", " O"}, {"_O_R", " O"}, {"_O_S", " O"}, {"_O_T", " O"},
    {"_O_V", " O"}, {"_O_X", " O"}, {"_O_Y", " O"}, {"_O__", " O"}, {"_PAU", " P"},
    {"_PAW", " P"}, {"_PA_", " P"}, {"_PB_", " P"}, {"_PC_", " P"}, {"_PG_", " P"},
    {"_P__", " P"}, {"_SAP", " S"}, {"_SBC", " S"}, {"_SC_", " S"}, {"_SD_", " S"},
    {"_SG_", " S"}, {"_SP_", " S"}, {"_S_A", " S"}, {"_S_G", " S"}, {"_S_M", " S"},
    {"_S_P", " S"}, {"_S__", " S"}, {"_U__", " U"}, {"_V__", " V"}, {"_W__", " W"},
    {"_Y__", " Y"},
};
static_assert(std::size(builtin_atomlist) == 541, "built-in atom-name list");

void fill_row(long z, const std::string& symbol, long metal, double cov, double vdw, double w) {
  element_table.symbol[z] = symbol;
  element_table.metal[z] = metal;
  element_table.covalent_radius[z] = cov;
  element_table.vdw_radius[z] = vdw;
  element_table.weight[z] = w;
}

void read_elements_file(const std::string& path) {
  scoped_file file(open_file(path, "r"));  // closed also when a line is fatal
  FILE* fp = file.get();
  long good = 0, highest = -1;
  std::string line;
  std::vector<std::string> tok;
  while (get_line(fp, line)) {
    line = upper_copy(trimmed(line));
    if (is_doc_string(line)) continue;
    if (split_str_by_strtok(line, tok, 6, " \t\r\n") < 6) continue;
    long z = cvt2long(tok[1]), metal = cvt2long(tok[3]);
    double cov = cvt2double(tok[4]), vdw = cvt2double(tok[5]), w = cvt2double(tok[6]);
    if (z == LONG_MAX || metal == LONG_MAX || tok[2].empty() || tok[2].size() > 2 ||
        cov == DBL_MAX || vdw == DBL_MAX || w == DBL_MAX)
      continue;
    if (z < 0 || z > 128) {  // the table has rows 0..128 only
      runlog_msg("[w] atomic number %ld out of range 0..128 in '%s': line ignored\n", z,
                 path.c_str());
      continue;
    }
    ++good;
    rjustify(tok[2], 2);
    fill_row(z, tok[2], metal != 0, cov, vdw, w);
    highest = std::max(highest, z);
  }
  file.close();
  element_table.count = highest;
  long g = good - 1;
  if (g > highest) fatal("%ld vs %ld: how could that be possible [%s]?\n", g, highest, "elements.dat");
  if (g < highest) {
    logitf("\t%ld malformed entries ignored in '%s'\n", highest - g, "elements.dat");
  }
}

bool is_pattern_char(char c) { return c == '_' || (c >= 'A' && c <= 'Z'); }

std::vector<name2element> sorted_builtin_atomlist() {
  std::vector<name2element> v(1);
  for (const auto& r : builtin_atomlist) v.push_back({r.pattern, r.element});
  std::stable_sort(v.begin() + 1, v.end(), [](const name2element& a, const name2element& b) {
    return name2element_full_compare(a, b) < 0;
  });
  return v;
}

void check_atomlist_repeats(const atomlist& list) {
  for (long i = 1; i < list.count; ++i) {
    const auto& a = list.entries[i];
    const auto& b = list.entries[i + 1];
    if (strcasecmp(a.pattern.c_str(), b.pattern.c_str()) != 0) continue;
    if (a.pattern == "____" || a.pattern == "HE__" || a.pattern == "HF__" ||
        a.pattern == "HG__" || a.pattern == "HO__")
      continue;
    logitf("file <atomlist.dat>: [%4.4s %2.2s] vs [%4.4s %2.2s]\n", a.pattern.c_str(),
           a.element.c_str(), b.pattern.c_str(), b.element.c_str());
  }
}

void read_atomlist_file(const std::string& path, atomlist& list) {
  scoped_file file(open_file(path, "r"));  // closed also when a line is fatal
  FILE* fp = file.get();
  list.entries.assign(1, name2element{});
  std::string line;
  std::vector<std::string> items;
  while (get_line(fp, line)) {
    line = upper_copy(trimmed(line));
    if (is_doc_string(line)) continue;
    nullify_line_comment(line);
    if (split_str_by_strtok(line, items, 2, " \t\r\n") < 2) continue;
    const std::vector<std::string> tok{items[1], items[2]};
    if (tok[0].size() != 4 || !std::all_of(tok[0].begin(), tok[0].end(), is_pattern_char)) {
      logitf("\t\tignore <%s>: must be 4-char; '_' or A-Z\n", tok[0].c_str());
      continue;
    }
    if (tok[1].size() > 2 ||
        !std::all_of(tok[1].begin(), tok[1].end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
      logitf("\t\tignore <%s>: not a valid atom symbol\n", tok[1].c_str());
      continue;
    }
    std::string sym = tok[1];
    rjustify(sym, 2);
    if (sym == " D") sym = " H";
    if (!is_valid_element_symbol(sym)) {
      prglog_msg("\t\tignore <%s>: not included in 'elements.dat'\n", sym.c_str());
      continue;
    }
    list.entries.push_back({tok[0], sym});
  }
  file.close();
  list.count = static_cast<long>(list.entries.size()) - 1;
}

long atom_name_in(const std::string& name, const char* const* table, long n) {
  for (long k = 1; k <= n; ++k)
    if (same_atom_name(name, table[k])) return k;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Element table

namespace {
// The table is a cache of the process, built on first use, also when
// structures are read on several threads at once; the driver's resets and
// frees run before any reading starts.
std::mutex table_building;
std::atomic<bool> table_built{false};
}  // namespace

void init_periodic_table() {
  table_built.store(false, std::memory_order_release);
  element_table = periodic_table{};
}

void allocate_ptable_arrays() {
  size_t n = static_cast<size_t>(element_table.count) + 1;
  element_table.symbol.assign(n, "__");
  element_table.metal.assign(n, 0);
  element_table.covalent_radius.assign(n, DEFAULT_COVALENT_RADIUS);
  element_table.vdw_radius.assign(n, DEFAULT_VDW_RADIUS);
  element_table.weight.assign(n, 0.0);
}

void set_periodic_table() {
  if (Gvars.stand_alone) {
    element_table.count = 112;
    allocate_ptable_arrays();
    for (long z = 0; z <= 112; ++z) {
      const auto& r = builtin_elements[z];
      fill_row(z, r.symbol, r.metal, r.covalent_radius, r.vdw_radius, r.weight);
    }
    return;
  }
  std::string path = get_sysfile("config", "elements.dat");
  prglog_msg("read file: '%s'\n", path.c_str());
  element_table.count = 128;
  allocate_ptable_arrays();
  read_elements_file(path);
}

void free_periodic_table() { init_periodic_table(); }

void reset_periodic_table() {
  free_periodic_table();
  set_periodic_table();
}

void ensure_periodic_table() {
  if (table_built.load(std::memory_order_acquire)) return;
  const std::lock_guard<std::mutex> hold(table_building);
  if (element_table.count < 0) set_periodic_table();
  table_built.store(true, std::memory_order_release);
}

bool is_valid_element_symbol(const std::string& symbol) {
  for (long z = 1; z <= element_table.count; ++z)
    if (element_table.symbol[z] == symbol) return 1;
  return 0;
}

long match_atomic_number_from_name(const std::string& symbol) {
  // symbols are two characters: compared as such, without a library call per row
  const bool two = symbol.size() == 2;
  for (long z = 1; z <= element_table.count; ++z) {
    const std::string& s = element_table.symbol[z];
    if (two ? s.size() == 2 && s[0] == symbol[0] && s[1] == symbol[1] : s == symbol) return z;
  }
  return 0;
}

double sum_vdw_radii_with_delta(long i, long j, const struct_mol& mol) {
  return element_table.vdw_radius[mol.atoms[i].atomic_number] +
         element_table.vdw_radius[mol.atoms[j].atomic_number] + Gvars.vdw_delta;
}

void print_periodic_table(FILE* fp) {
  if (fp == nullptr || element_table.count < 0) return;
  for (long z = 0; z <= element_table.count; ++z)
    std::fprintf(fp, "%4ld\t%2.2s\t%ld\t%g\t%g\t%g\n", z, element_table.symbol[z].c_str(),
                 element_table.metal[z], element_table.covalent_radius[z],
                 element_table.vdw_radius[z], element_table.weight[z]);
}

// ---------------------------------------------------------------------------
// Atom-name list

int name2element_full_compare(const name2element& a, const name2element& b) {
  int c = strcasecmp(a.pattern.c_str(), b.pattern.c_str());
  return c != 0 ? c : strcasecmp(a.element.c_str(), b.element.c_str());
}

std::vector<name2element> allocate_name2element_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<name2element>(static_cast<size_t>(n) + 1);
}

namespace {
const atomlist& builtin_atomlist_sorted() {
  static const atomlist list = [] {
    atomlist a;
    a.entries = sorted_builtin_atomlist();
    a.count = static_cast<long>(a.entries.size()) - 1;
    check_atomlist_repeats(a);  // the built-in list never changes: checked once
    return a;
  }();
  return list;
}
}  // namespace

const atomlist& active_atomlist(atomlist& scratch) {
  if (Gvars.stand_alone) return builtin_atomlist_sorted();
  set_atomlist(scratch);
  return scratch;
}

void set_atomlist(atomlist& list) {
  if (Gvars.stand_alone) {
    list = builtin_atomlist_sorted();
    return;
  }
  std::string path = get_sysfile("config", "atomlist.dat");
  prglog_msg("reading file: '%s'\n", path.c_str());
  read_atomlist_file(path, list);
  std::stable_sort(list.entries.begin() + 1, list.entries.end(),
                   [](const name2element& a, const name2element& b) {
                     return name2element_full_compare(a, b) < 0;
                   });
  if (data_file_reads("atomlist.dat") <= 1) check_atomlist_repeats(list);
}

void free_atomlist(atomlist& list) {
  list.entries.clear();
  list.count = 0;
}

void print_atomlist(FILE* fp, const atomlist& list) {
  if (fp == nullptr || list.count <= 0) return;
  for (long i = 1; i <= list.count; ++i)
    std::fprintf(fp, "%4.4s\t%2.2s\n", list.entries[i].pattern.c_str(),
                 list.entries[i].element.c_str());
}

std::string convert_pdb_name_to_element(const std::string& name, const atomlist& list, long& unmatched) {
  std::string pattern = name.substr(0, 4);
  for (char& c : pattern)
    if (!(c >= 'A' && c <= 'Z')) c = '_';
  auto first = list.entries.begin() + 1;
  auto last = list.entries.end();
  auto it = std::lower_bound(first, last, pattern, [](const name2element& e, const std::string& p) {
    return strcasecmp(e.pattern.c_str(), p.c_str()) < 0;
  });
  if (it == last || strcasecmp(it->pattern.c_str(), pattern.c_str()) != 0) {
    if (++unmatched <= 9) {
      logit_verbosef("\t[%s] --> [%s]: no match in file 'atomlist.dat'\n", name.c_str(),
                     pattern.c_str());
      logit_verbose("\tnow use default [check & update file 'atomlist.dat']\n");
    }
    return "__";
  }
  if (pattern == "HE__" || pattern == "HF__" || pattern == "HG__" || pattern == "HO__")
    return name == pattern.substr(0, 2) + "  " ? pattern.substr(0, 2) : " H";
  return it->element;
}

// ---------------------------------------------------------------------------
// Atom record

void init_one_atom(atom& a) { a = atom{}; }

std::vector<atom> allocate_atoms_array(long n) {
  VASK_ASSERT(n >= 0);
  return std::vector<atom>(static_cast<size_t>(n) + 1);
}

void free_atoms(std::vector<atom>& atoms) { std::vector<atom>().swap(atoms); }

double dist_atoms_square(long i, long j, const struct_mol& mol) {
  if (i == -1 || j == -1) return DBL_MAX;
  const xyz& a = mol.atoms[i].xyz;
  const xyz& b = mol.atoms[j].xyz;
  double dx = a[1] - b[1], dy = a[2] - b[2], dz = a[3] - b[3];
  return dx * dx + dy * dy + dz * dz;
}

double dist_atoms(long i, long j, const struct_mol& mol) {
  if (i == -1 || j == -1) return DBL_MAX;
  return std::sqrt(dist_atoms_square(i, j, mol));
}

double angle_3atoms(long a, long b, long c, const struct_mol& mol) {
  const xyz& pa = mol.atoms[a].xyz;
  const xyz& pb = mol.atoms[b].xyz;
  const xyz& pc = mol.atoms[c].xyz;
  xyz u{}, v{};
  for (int k = 1; k <= 3; ++k) {
    u[k] = pa[k] - pb[k];
    v[k] = pc[k] - pb[k];
  }
  return angle_xyz(u, v);
}

bool atoms_same_altloc(const atom& a, const atom& b) {
  return a.altloc == ' ' || b.altloc == ' ' || a.altloc == b.altloc;
}

bool atoms_same_model_chain_altloc(long i, long j, const struct_mol& mol) {
  if (i < 1 || i > mol.num_atoms || j < 1 || j > mol.num_atoms) return 0;
  const atom& a = mol.atoms[i];
  const atom& b = mol.atoms[j];
  if (mol.model_mode != 8 && (a.model != b.model || !same_short_text(a.chain_id, b.chain_id))) return 0;
  return atoms_same_altloc(a, b);
}

long atom2resIdx(long i, const struct_mol& mol) {
  VASK_ASSERT(i >= 1 && i <= mol.num_atoms);
  return mol.atoms[i].residue;
}

// ---------------------------------------------------------------------------
// Atom typing

namespace {

void type_nt_atoms(const residue& r, struct_mol& mol) {
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    atom& a = mol.atoms[i];
    if (a.atomic_number == 1) continue;
    bool primed = a.name.find('\'') != std::string::npos;
    if (atom_name_in(a.name, BASE_ATOM_NAMES, 16)) {
      a.base = 1;
    } else if (atom_name_in(a.name, BACKBONE_ATOM_NAMES, 12)) {
      a.backbone = 1;
      if (primed) a.sugar = 1;
    } else if (primed) {
      a.backbone = a.sugar = 1;
    } else {
      // an unlisted atom belongs to the part its nearest neighbour is in
      long nearest = -1;
      double best = DBL_MAX;
      for (long j = r.first_atom; j <= r.last_atom; ++j) {
        if (j == i) continue;
        double d2 = dist_atoms_square(i, j, mol);
        if (d2 < best) {
          best = d2;
          nearest = j;
        }
      }
      if (nearest == -1 || mol.atoms[nearest].name.find('\'') != std::string::npos ||
          mol.atoms[nearest].atomic_number == 15)
        a.backbone = 1;
      else
        a.base = 1;
    }
    a.nt_atom = 1;
    if (same_atom_name(a.name, " O2'")) a.o2prime = 1;
    if (a.base) a.in_plane = 1;
  }
}

void type_aa_atoms(const residue& r, struct_mol& mol) {
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    atom& a = mol.atoms[i];
    if (a.atomic_number == 1) continue;
    if (same_atom_name(a.name, " N  ") || same_atom_name(a.name, " CA ") ||
        same_atom_name(a.name, " C  ") || same_atom_name(a.name, " O  "))
      a.mainchain = 1;
    else
      a.sidechain = 1;
    a.aa_atom = 1;
  }
}

void type_elements(const residue& r, struct_mol& mol) {
  for (long i = r.first_atom; i <= r.last_atom; ++i) {
    atom& a = mol.atoms[i];
    long z = a.atomic_number;
    a.hydrogen = z == 1;
    a.carbon = z == 6;
    a.nitrogen = z == 7;
    a.oxygen = z == 8;
    a.phosphorus = z == 15;
    a.sulfur = z == 16;
    a.halogen = z == 9 || z == 17 || z == 35 || z == 53;
    a.n_or_o = a.nitrogen || a.oxygen;
    a.c_n_or_o = a.carbon || a.n_or_o;
    a.c_n_o_s_or_halogen = a.c_n_or_o || a.sulfur || a.halogen;
    a.metal = z >= 0 && z <= element_table.count ? element_table.metal[z] : 0;
    a.water = (a.oxygen && r.num_atoms == 1) || r.flag[rf::is_water];
  }
}

}  // namespace

void populate_atom_types(struct_mol& mol) {
  ensure_periodic_table();
  long max_base = 0;
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (r.flag[rf::is_nt])
      type_nt_atoms(r, mol);
    else if (r.flag[rf::is_aa])
      type_aa_atoms(r, mol);
    type_elements(r, mol);
  }
  for (long k = 1; k <= mol.num_residues; ++k) {
    const residue& r = mol.residues[k];
    if (!r.flag[rf::is_nt]) continue;
    long n = 0;
    for (long i = r.first_atom; i <= r.last_atom; ++i) n += mol.atoms[i].base;
    max_base = std::max(max_base, n);
  }
  mol.max_base_atoms = max_base;
  prglog_msg("\n[i] -- max no. of base atoms per nt: %ld\n", max_base);
  mol.stage.atom_types = 1;
}

void print_pdb_atoms(FILE* fp, const struct_mol& mol) {
  if (fp == nullptr) return;
  long n = 0;
  for (long i = 1; i <= mol.num_atoms; ++i)
    if (mol.atoms[i].status) std::fprintf(fp, "%5ld\t%s\n", ++n, mol.atoms[i].idstr.c_str());
}

std::string get_atom_pair(const atom& a1, const atom& a2) {
  return trimmed(a1.element) + ":" + trimmed(a2.element);
}

void write_hbond_property(const struct_mol& mol, const char* path) {
  FILE* fp = output_file(path);
  std::fprintf(fp, "## list of potential H-bonding atoms\n");
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    const char* role = "";
    switch (a.hbond_role) {
      case 1: role = "donor"; break;
      case 2: role = "acceptor"; break;
      case 4: role = "donor_acc"; break;
      case 8: role = "unknown"; break;
      case 16: role = "not-hbond"; break;
      default: break;
    }
    std::fprintf(fp, "%5ld%s %-16s %s\n", i, a.role_changed ? "*" : " ", a.idstr.c_str(), role);
  }
  close_file(fp);
}

void write_atom_in_plane(const struct_mol& mol, const char* path) {
  scoped_file sf(output_file(path));
  FILE* fp = sf.get();
  std::fprintf(fp, "## list of in-plane atoms\n");
  for (long i = 1; i <= mol.num_atoms; ++i) {
    const atom& a = mol.atoms[i];
    std::fprintf(fp, "%5ld\t%s", i, a.idstr.c_str());
    if (a.in_plane && a.frame_index != -1) {
      if (a.base)
        std::fprintf(fp, "\tbase\t%ld", a.frame_index);
      else if (a.sidechain)
        std::fprintf(fp, "\tsidechain\t%ld", a.frame_index);
      else if (a.peptide_plane)
        std::fprintf(fp, "\tpeptide\t%ld", a.frame_index);
      else if (a.name == " C1'")
        std::fprintf(fp, "\tC1'\t%ld", a.frame_index);
      else
        VASK_ASSERT(false);
    }
    std::fprintf(fp, "\n");
  }
  sf.close();
}

}  // namespace vask
