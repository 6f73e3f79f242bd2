// Resource ids of quillon.exe. Read by windres as well as by the C++ code, so only
// #define lines here; the control ids are those of core/dialog_controls.h.
#pragma once

#define IDD_MAIN_JAPANESE 103
#define IDD_MAIN_ENGLISH 104
#define IDI_QUILLON 107
#define IDB_BANNER 130
#define IDD_RESULTS_JAPANESE 131
#define IDD_RESULTS_ENGLISH 132

// Results dialog controls.
#define IDC_RESULTS_SUMMARY 1031
#define IDC_RESULTS_DETAILS 1032
#define IDC_RESULTS_LABEL 1033
