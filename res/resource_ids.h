// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Resource identifiers shared by the dialog logic and both front ends. The names follow the
// resource-script convention; the standard button IDs get k-names because the Win32 headers
// define IDOK and IDCANCEL as macros.

namespace vantrel {

// Dialog templates.
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_CAUTION = 137;

// Icons.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDI_CAUTION = 139;

// Controls of IDD_MAIN.
inline constexpr int IDC_GENERATOR = 1005;
inline constexpr int IDC_CPU_SPEED = 1006;
inline constexpr int IDC_SM_TYPE = 1007;
inline constexpr int IDC_CPU_EXT_FREQ = 1008;
inline constexpr int IDC_PCI_FREQ = 1009;
inline constexpr int IDC_FREQ_SLIDER = 1010;
inline constexpr int IDC_RUN_SETTINGS = 1011;
inline constexpr int IDC_FREQ_EDIT = 1012;
inline constexpr int IDC_SDRAM_FREQ = 1013;
inline constexpr int IDC_3V66_FREQ = 1014;
inline constexpr int IDC_DELAY_CPU = 1015;
inline constexpr int IDC_SAVE_SETTINGS = 1018;
inline constexpr int IDC_LOAD_SETTINGS = 1019;
inline constexpr int IDC_SPREAD_ENABLE = 1021;
inline constexpr int IDC_DELAY_PCI = 1022;
inline constexpr int IDC_DELAY_SDRAM = 1023;
inline constexpr int IDC_DELAY_3V66 = 1024;
inline constexpr int IDC_SPREAD_DEPTH = 1025;
inline constexpr int IDC_SPREAD_MODEL = 1026;

// Controls of IDD_CAUTION.
inline constexpr int IDC_DONT_SHOW = 1016;

// The dialog manager's standard buttons, and the ID of a control that has none.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdStatic = -1;

// The framework's standard help command, the one entry of the application's command map.
inline constexpr int kIdHelp = 0xE146;

}  // namespace vantrel
