// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What the driver's scenarios share: its checks and their report, the facts of the program
// under test, one run of vantrel.exe, what the user does to its windows, and the registry as
// the program leaves it.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "res/resource_ids.h"

namespace vantrel::driver {

// ---------------------------------------------------------------------------------------------
// Reporting: one line per check, counted for the closing "N passed, N failed" line.

void report(bool ok, const std::string& what, const std::string& detail = {});
int passed_count();
int failed_count();
std::string quoted(const std::string& text);

void check_text(const std::string& what, const std::string& got, const std::string& expected);
void check_int(const std::string& what, long long got, long long expected);
void check_true(const std::string& what, bool got);

// ---------------------------------------------------------------------------------------------
// Fixed facts of the program under test, written out here rather than taken from its sources.

inline constexpr char kMainTitle[] = "Vantrel for VXC812-07 Clock Generator";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kDialogClass[] = "#32770";
inline constexpr char kKeyPath[] = "Software\\Korvane\\25";
inline constexpr int kMessageBoxTextId = 0xFFFF;

// The 13 controls a failed initialisation disables, and those it leaves enabled.
inline constexpr int kSettingControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,      IDC_FREQ_EDIT,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,   IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_LOAD_SETTINGS,
    IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};
inline constexpr int kStillEnabled[] = {IDC_SPREAD_ENABLE, IDC_CPU_SPEED,  IDC_CPU_EXT_FREQ,
                                        IDC_PCI_FREQ,      IDC_SDRAM_FREQ, IDC_3V66_FREQ};
inline constexpr int kFrequencyFields[] = {IDC_CPU_SPEED, IDC_CPU_EXT_FREQ, IDC_PCI_FREQ,
                                           IDC_SDRAM_FREQ, IDC_3V66_FREQ};

// A board whose registers all differ from their power-up defaults.
inline constexpr char kSavedBoard[] =
    "hub=ab,dividers=4/3,n=176,depth=3,spread=on,model=5,delay-cpu=150ps,delay-pci=300ps,"
    "delay-sdram=450ps,delay-3v66=150ps";

// How long a check waits for a window or for the program to end.
inline constexpr DWORD kWaitMs = 120000;

// The /simulate switch for these options; every simulated run takes the bus's pauses at full
// speed.
std::string simulate(const std::string& options);

// The program under test; the scenarios may point it at a copy.
extern std::string g_program;

// ---------------------------------------------------------------------------------------------
// Windows of another process

std::string class_of(HWND hwnd);
std::string caption_of(HWND hwnd);
// A control's text as the control itself answers WM_GETTEXT (GetWindowText of another
// process's control would give its window caption instead).
std::string control_text(HWND control);
std::string item_text(HWND dialog, int id);
// A list item's text.
std::string list_item(HWND list, int index);
LRESULT send(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
bool enabled(HWND dialog, int id);
LONG style_of(HWND hwnd);
bool has_style(HWND hwnd, LONG bits);
// Waits until the window's thread has handled everything sent before.
void settle(HWND hwnd);
// Whether a window shows an icon in a static icon control of its own.
bool has_icon(HWND window);
bool is_caution(HWND hwnd);
bool is_main(HWND hwnd);
bool is_message_box(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// One run of vantrel.exe

// A message box as the user sees it; no window when none came within `waited_ms`.
struct Box {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    bool icon = false;
    DWORD waited_ms = 0;
};

// How a run ended, or that it had not within `waited_ms`.
struct Ending {
    bool ended = false;
    long code = 0;
    DWORD waited_ms = 0;
};

class Run {
  public:
    explicit Run(const std::string& arguments);
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    ~Run();

    bool started() const { return started_; }
    HWND find(const std::function<bool(HWND)>& matches) const;
    // The first window that matches, or nothing when the program ends or time runs out first.
    HWND wait_for(const std::function<bool(HWND)>& matches, DWORD timeout_ms = kWaitMs) const;
    HWND wait_main() const { return wait_for(is_main); }
    HWND wait_caution() const { return wait_for(is_caution); }
    // The next message box, or one without a window when none comes within the time.
    Box wait_box(DWORD timeout_ms = kWaitMs) const;
    Box box_now() const { return wait_box(0); }
    bool exited() const;
    Ending exit_code(DWORD timeout_ms = kWaitMs) const;

  private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// vantrel.exe on the simulated board with these options and the caution notice switched off,
// and its main dialog; when the dialog does not open, that is reported as the check
// "<label>opens" and main() is null.
class DialogRun : public Run {
  public:
    DialogRun(const std::string& label, const std::string& options);
    HWND main() const { return main_; }

  private:
    HWND main_ = nullptr;
};

// Checks of what a run showed and how it ended. A message that never came, or a run still
// going, fails the check with how long it was waited for.
void check_box(const std::string& what, const Box& box, const std::string& expected);
void check_box_says(const std::string& what, const Box& box, const std::string& part);
void check_exit(const std::string& what, const Ending& ending, long expected);

// ---------------------------------------------------------------------------------------------
// What the user does

// A click of a button or check box; then waits for its handler, or for the box it opened.
void click(HWND dialog, int id);
// Replaces the text of an edit box by typing.
void type(HWND dialog, int id, const std::string& text);
// A key pressed and released on a control that handles its own keys (the slider).
void press_key(HWND dialog, int id, UINT key);
// A key the dialog manager handles (Escape), through the message queue.
void post_key(HWND control, UINT key);
// Waits until a check box shows the state, or the time is up.
bool wait_check(HWND dialog, int id, LRESULT state);
// Answers a message box with its OK button; then waits for what the program does next.
void answer(const Box& box, HWND then_settle = nullptr);
// Closes the main dialog with its close box and waits for the program to end.
Ending close_program(const Run& run, HWND main);

// ---------------------------------------------------------------------------------------------
// The registry, as the program leaves it

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    DWORD size = 0;
    DWORD dword = 0;
};

void forget_everything();
StoredValue read_value(const char* name);
// A REG_SZ value without its terminating NUL; "(none)" when it is missing or of another type.
std::string read_string(const char* name);
void write_value(const char* name, DWORD type, const void* data, DWORD size);
void write_dword(const char* name, DWORD value);
void delete_value(const char* name);
// Switches the caution notice off for the next start.
void no_notice();

// ---------------------------------------------------------------------------------------------
// Dialog units, measured with a dialog of our own in the template's font: MapDialogRect does
// not work on another process's dialog.

RECT dialog_units_to_pixels(int width, int height);
std::string size_text(const RECT& rect);

// ---------------------------------------------------------------------------------------------
// The scenario groups

void version_resource();
void caution_notice();
void main_dialog_per_board();
void slider_and_check_box();
void run_settings();
void save_settings();
void load_settings();
void failed_initialisation();
void load_at_start();
void refused_hardware();
void one_instance();
void simulated_dump();
void main_dialog_picture();

}  // namespace vantrel::driver
