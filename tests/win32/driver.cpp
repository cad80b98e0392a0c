// Drives vantrel.exe as a user would, under Wine: starts it with /simulate options, finds its
// windows by title, reads and sets its controls by ID with window messages, presses buttons,
// reads and answers its message boxes, and reads what it left in the registry and in its
// version resource. Prints one line per check and a closing "N passed, N failed" line; exits
// non-zero when a check failed.
//
//   driver.exe PATH\vantrel.exe [GROUP...]    (GROUP: version, caution, boards, slider, run,
//                                             save, load, init, startup, refused, dump;
//                                             default all)
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "res/resource_ids.h"

namespace {

using namespace vantrel;

// ---------------------------------------------------------------------------------------------
// Reporting

int g_passed = 0;
int g_failed = 0;

void report(bool ok, const std::string& what, const std::string& detail = {}) {
    if (ok) {
        ++g_passed;
        std::printf("ok   %s\n", what.c_str());
    } else {
        ++g_failed;
        std::printf("FAIL %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
    std::fflush(stdout);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void check_text(const std::string& what, const std::string& got, const std::string& expected) {
    report(got == expected, what, "expected " + quoted(expected) + ", got " + quoted(got));
}

void check_int(const std::string& what, long long got, long long expected) {
    report(got == expected, what,
           "expected " + std::to_string(expected) + ", got " + std::to_string(got));
}

void check_true(const std::string& what, bool got) {
    report(got, what, "it is not so");
}

// ---------------------------------------------------------------------------------------------
// Fixed facts of the program under test, written out here rather than taken from its sources.

constexpr char kMainTitle[] = "Vantrel for VXC812-07 Clock Generator";
constexpr char kErrorCaption[] = "Error";
constexpr char kDialogClass[] = "#32770";
constexpr char kKeyPath[] = "Software\\Korvane\\25";
constexpr int kMessageBoxTextId = 0xFFFF;

// The 13 controls a failed initialisation disables, and those it leaves enabled.
constexpr int kSettingControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,      IDC_FREQ_EDIT,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,   IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_LOAD_SETTINGS,
    IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};
constexpr int kStillEnabled[] = {IDC_SPREAD_ENABLE, IDC_CPU_SPEED,  IDC_CPU_EXT_FREQ,
                                 IDC_PCI_FREQ,      IDC_SDRAM_FREQ, IDC_3V66_FREQ};
constexpr int kFrequencyFields[] = {IDC_CPU_SPEED, IDC_CPU_EXT_FREQ, IDC_PCI_FREQ, IDC_SDRAM_FREQ,
                                    IDC_3V66_FREQ};

// Every simulated run takes the bus's pauses at full speed.
std::string simulate(const std::string& options) {
    return "/simulate:pauses=instant" + (options.empty() ? std::string() : "," + options);
}

// ---------------------------------------------------------------------------------------------
// Windows of another process

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string caption_of(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// A control's text as the control itself answers WM_GETTEXT (GetWindowText of another
// process's control would give its window caption instead).
std::string control_text(HWND control) {
    char text[512] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string item_text(HWND dialog, int id) {
    return control_text(GetDlgItem(dialog, id));
}

// A list item's text. The wide message, because Wine passes only the first character of the
// ANSI one between processes.
std::string list_item(HWND list, int index) {
    wchar_t text[64] = {};
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    std::string narrow;
    for (const wchar_t* p = text; *p != 0; ++p) {
        narrow += static_cast<char>(*p);
    }
    return narrow;
}

LRESULT send(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(GetDlgItem(dialog, id), message, wparam, lparam);
}

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

LONG style_of(HWND hwnd) {
    return GetWindowLongA(hwnd, GWL_STYLE);
}

bool has_style(HWND hwnd, LONG bits) {
    return (style_of(hwnd) & bits) == bits;
}

// Waits until the window's thread has handled everything sent before: it answers a message
// only from its message loop, that is when a handler has returned or a modal box is waiting.
void settle(HWND hwnd) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
}

// ---------------------------------------------------------------------------------------------
// One run of vantrel.exe

std::string g_program;

struct WindowQuery {
    DWORD pid;
    std::function<bool(HWND)> matches;
    HWND found;
};

BOOL CALLBACK match_window(HWND hwnd, LPARAM data) {
    auto* query = reinterpret_cast<WindowQuery*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == query->pid && IsWindowVisible(hwnd) && class_of(hwnd) == kDialogClass &&
        query->matches(hwnd)) {
        query->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK find_icon(HWND child, LPARAM data) {
    if (class_of(child) == "Static" && (style_of(child) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

// Whether a window shows an icon in a static icon control of its own.
bool has_icon(HWND window) {
    bool found = false;
    EnumChildWindows(window, find_icon, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool is_caution(HWND hwnd) {
    return GetDlgItem(hwnd, IDC_DONT_SHOW) != nullptr;
}

bool is_main(HWND hwnd) {
    return caption_of(hwnd) == kMainTitle && GetDlgItem(hwnd, IDC_RUN_SETTINGS) != nullptr;
}

// A message box has its text in a static with ID 0xFFFF. So do the labels of the program's own
// dialogs (a template's -1 is 0xFFFF), so those are told apart by their other controls.
bool is_message_box(HWND hwnd) {
    return GetDlgItem(hwnd, kMessageBoxTextId) != nullptr && !is_caution(hwnd) &&
           GetDlgItem(hwnd, IDC_RUN_SETTINGS) == nullptr;
}

// A message box as the user sees it.
struct Box {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    bool icon = false;
};

class Run {
  public:
    explicit Run(const std::string& arguments) {
        std::string command = "\"" + g_program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != FALSE;
        if (started_) {
            WaitForInputIdle(process_.hProcess, 10000);
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    ~Run() {
        if (!started_) {
            return;
        }
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool started() const { return started_; }

    HWND find(const std::function<bool(HWND)>& matches) const {
        WindowQuery query{process_.dwProcessId, matches, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&query));
        return query.found;
    }

    // The first window that matches, or nothing when the program ends or time runs out first.
    HWND wait_for(const std::function<bool(HWND)>& matches, DWORD timeout_ms = 120000) const {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeout_ms) {
            if (HWND hwnd = find(matches)) {
                return hwnd;
            }
            if (exited()) {
                return find(matches);
            }
            Sleep(20);
        }
        return nullptr;
    }

    HWND wait_main() const { return wait_for(is_main); }
    HWND wait_caution() const { return wait_for(is_caution); }

    // The next message box, or an empty Box when none comes within the time.
    Box wait_box(DWORD timeout_ms = 120000) const {
        Box box;
        box.hwnd = wait_for(is_message_box, timeout_ms);
        if (box.hwnd != nullptr) {
            box.caption = caption_of(box.hwnd);
            box.text = item_text(box.hwnd, kMessageBoxTextId);
            box.icon = has_icon(box.hwnd);
        }
        return box;
    }

    Box box_now() const { return wait_box(0); }

    bool exited() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

    // The exit code, or -1 when the program is still running after the time.
    long exit_code(DWORD timeout_ms = 120000) const {
        if (WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

  private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// ---------------------------------------------------------------------------------------------
// What the user does

// A click of a button or check box, as the mouse makes it; then waits for its handler, or for
// the message box it opened. The click is sent without waiting, so that a handler that opens a
// box does not hold the driver up; the WM_NULL sent after it is handled after it, by the
// dialog's loop or by the box's.
void click(HWND dialog, int id) {
    SendNotifyMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    settle(dialog);
}

// Replaces the text of an edit box by typing: select all, delete, then the characters.
void type(HWND dialog, int id, const std::string& text) {
    const HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 1);
    for (const char c : text) {
        SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    }
}

// A key pressed and released on a control that handles its own keys (the slider).
void press_key(HWND dialog, int id, UINT key) {
    const HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// A key the dialog manager handles (Escape): it only sees keys that come through the message
// queue, so the key is posted to the control with the focus.
void post_key(HWND control, UINT key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// Waits until a check box shows the state, or the time is up.
bool wait_check(HWND dialog, int id, LRESULT state) {
    for (int i = 0; i < 3000; ++i) {
        if (SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == state) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

// Answers a message box with its OK button; then waits for what the program does next.
void answer(const Box& box, HWND then_settle = nullptr) {
    PostMessageA(GetDlgItem(box.hwnd, kIdOk), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(box.hwnd); ++i) {
        Sleep(10);
    }
    if (then_settle != nullptr) {
        settle(then_settle);
    }
}

// Closes the main dialog with its close box and waits for the program to end.
long close_program(Run& run, HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    return run.exit_code();
}

// ---------------------------------------------------------------------------------------------
// The registry, as the program leaves it

HKEY open_key() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

void forget_everything() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
}

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    DWORD size = 0;
    DWORD dword = 0;
};

StoredValue read_value(const char* name) {
    StoredValue value;
    HKEY key = open_key();
    BYTE data[16] = {};
    DWORD size = sizeof data;
    if (key != nullptr &&
        RegQueryValueExA(key, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.size = size;
        std::memcpy(&value.dword, data, sizeof value.dword);
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return value;
}

// A REG_SZ value without its terminating NUL; "(none)" when it is missing or of another type.
std::string read_string(const char* name) {
    std::string text = "(none)";
    HKEY key = open_key();
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (key != nullptr &&
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        text = data;
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return text;
}

void write_value(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = open_key();
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void write_dword(const char* name, DWORD value) {
    write_value(name, REG_DWORD, &value, sizeof value);
}

void delete_value(const char* name) {
    HKEY key = open_key();
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// ---------------------------------------------------------------------------------------------
// Dialog units, measured with a dialog of our own in the template's font: MapDialogRect does
// not work on another process's dialog.

INT_PTR CALLBACK probe_proc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

RECT dialog_units_to_pixels(int width, int height) {
    alignas(4) WORD words[64] = {};
    std::size_t n = 0;
    auto dword = [&](DWORD value) {
        words[n++] = LOWORD(value);
        words[n++] = HIWORD(value);
    };
    dword(WS_POPUP | DS_SETFONT);
    dword(0);
    words[n++] = 0;  // no controls
    words[n++] = 0;
    words[n++] = 0;
    words[n++] = 10;
    words[n++] = 10;
    words[n++] = 0;  // menu
    words[n++] = 0;  // class
    words[n++] = 0;  // title
    words[n++] = 9;
    for (const char c : std::string("Arial")) {
        words[n++] = static_cast<WORD>(c);
    }
    words[n++] = 0;
    const HWND probe = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                  reinterpret_cast<const DLGTEMPLATE*>(words),
                                                  nullptr, probe_proc, 0);
    RECT rect = {0, 0, width, height};
    MapDialogRect(probe, &rect);
    DestroyWindow(probe);
    return rect;
}

std::string size_text(const RECT& rect) {
    return std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

// ---------------------------------------------------------------------------------------------
// Start-up and the caution notice

void caution_notice() {
    const std::string s = "start-up: ";
    forget_everything();
    {
        Run run(simulate(""));
        const HWND notice = run.wait_caution();
        check_true(s + "the notice opens on the first run", notice != nullptr);
        if (notice == nullptr) {
            return;
        }
        check_true(s + "the notice comes before the main dialog", run.find(is_main) == nullptr);
        RECT client{};
        GetClientRect(notice, &client);
        check_text(s + "the notice's size is its template's", size_text(client),
                   size_text(dialog_units_to_pixels(187, 104)));
        RECT window{};
        GetWindowRect(notice, &window);
        check_int(s + "the notice is centred across the screen", window.left,
                  (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2);
        check_int(s + "the notice is centred down the screen", window.top,
                  (GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2);
        check_text(s + "the notice's check box", item_text(notice, IDC_DONT_SHOW),
                   "Don't show this message next time.");
        check_true(s + "the notice shows its caution icon", has_icon(notice));

        // A click posted after the key is handled after it: once the box shows the tick, the
        // notice has had the key.
        post_key(GetDlgItem(notice, kIdOk), VK_ESCAPE);
        PostMessageA(GetDlgItem(notice, IDC_DONT_SHOW), BM_CLICK, 0, 0);
        check_true(s + "the key has been handled", wait_check(notice, IDC_DONT_SHOW, BST_CHECKED));
        check_true(s + "Escape leaves the notice open",
                   IsWindow(notice) && IsWindowVisible(notice));
        check_true(s + "Escape does not open the main dialog", run.find(is_main) == nullptr);
        click(notice, IDC_DONT_SHOW);
        check_int(s + "a second click clears the box again",
                  send(notice, IDC_DONT_SHOW, BM_GETCHECK), BST_UNCHECKED);

        click(notice, kIdOk);
        const HWND main = run.wait_main();
        check_true(s + "OK opens the main dialog", main != nullptr);
        const StoredValue caution = read_value("Caution");
        check_true(s + "OK with the box clear stores Caution as a REG_DWORD",
                   caution.present && caution.type == REG_DWORD && caution.size == 4);
        check_int(s + "OK with the box clear stores Caution = 1", caution.dword, 1);
        if (main != nullptr) {
            check_int(s + "the close box ends the program", close_program(run, main), 0);
        }
    }
    {
        Run run(simulate(""));
        const HWND notice = run.wait_caution();
        check_true(s + "the notice opens again while Caution = 1", notice != nullptr);
        if (notice == nullptr) {
            return;
        }
        click(notice, IDC_DONT_SHOW);
        check_int(s + "clicking the check box ticks it", send(notice, IDC_DONT_SHOW, BM_GETCHECK),
                  BST_CHECKED);
        PostMessageA(notice, WM_CLOSE, 0, 0);
        const HWND main = run.wait_main();
        check_true(s + "WM_CLOSE acts as OK and opens the main dialog", main != nullptr);
        check_int(s + "WM_CLOSE with the box ticked stores Caution = 0",
                  read_value("Caution").dword, 0);
        if (main != nullptr) {
            post_key(GetDlgItem(main, IDC_RUN_SETTINGS), VK_ESCAPE);
            check_int(s + "Escape ends the main dialog and the program", run.exit_code(), 0);
        }
    }
    {
        Run run(simulate(""));
        const HWND main = run.wait_main();
        check_true(s + "with Caution = 0 the main dialog opens", main != nullptr);
        check_true(s + "with Caution = 0 no notice is shown", run.find(is_caution) == nullptr);
        if (main != nullptr) {
            close_program(run, main);
        }
    }
    {
        write_dword("Caution", 5);
        Run run(simulate(""));
        const HWND notice = run.wait_caution();
        check_true(s + "Caution = 5 shows the notice", notice != nullptr);
        if (notice != nullptr) {
            click(notice, kIdOk);
            const HWND main = run.wait_main();
            check_int(s + "Caution = 5 is replaced by the answer", read_value("Caution").dword, 1);
            if (main != nullptr) {
                close_program(run, main);
            }
        }
    }
}

// Switches the caution notice off for the next start.
void no_notice() {
    write_dword("Caution", 0);
}

// ---------------------------------------------------------------------------------------------
// The main dialog on each hub and divider

struct BoardRow {
    const char* label;
    const char* options;
    const char* sm_type;
    const char* cpu_ext;
    const char* pci;
    const char* sdram;
    const char* v3v66;
    double core_mhz;  // the simulated processor's clock: the CPU speed field shows it truncated
    int slider_min;
    int slider_max;
    int slider_pos;
    int delays[4];  // CPU, PCI, SDRAM, 3V66
    int depth;
    int model;
    bool spread;
};

const BoardRow kBoards[] = {
    {"82801AA, dividers 3/3",
     "hub=aa,multiplier=7",
     "82801AA",
     " 133.0",
     "  33.3",
     " 133.0",
     "  66.5",
     931.0,
     100,
     250,
     133,
     {0, 0, 0, 0},
     0,
     0,
     false},
    {"82801AB, dividers 4/3",
     "hub=ab,dividers=4/3,n=176,depth=3,spread=on,model=5,"
     "delay-cpu=150ps,delay-pci=300ps,delay-sdram=450ps,delay-3v66=150ps,multiplier=7",
     "82801AB",
     " 132.8",
     "  44.3",
     " 177.0",
     "  88.5",
     929.25,
     75,
     180,
     132,
     {1, 2, 3, 1},
     3,
     5,
     true},
    {"82801BA, dividers 6/4, M 13",
     "hub=ba,dividers=6/4,n=99,m=13,model=7,delay-3v66=450ps,"
     "multiplier=8",
     "82801BA",
     " 114.3",
     "  57.1",
     " 171.4",
     " 114.3",
     914.2857,
     50,
     120,
     114,
     {0, 0, 0, 3},
     0,
     7,
     false},
};

// The CPU speed field shows the measured whole MHz; the measurement may come out one above the
// truncated clock, never below.
void check_cpu_speed(const std::string& s, HWND main, double core_mhz) {
    const std::string text = item_text(main, IDC_CPU_SPEED);
    const int whole = static_cast<int>(core_mhz);
    char low[16];
    char high[16];
    std::snprintf(low, sizeof low, "%4d.0", whole);
    std::snprintf(high, sizeof high, "%4d.0", whole + 1);
    report(text == low || text == high, s + "CPU speed field",
           "expected " + quoted(low) + " or " + quoted(high) + ", got " + quoted(text));
}

void main_dialog_layout(HWND main, const std::string& s) {
    RECT client{};
    GetClientRect(main, &client);
    check_text(s + "the dialog's size is its template's", size_text(client),
               size_text(dialog_units_to_pixels(221, 238)));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT window{};
    GetWindowRect(main, &window);
    check_int(s + "the dialog is centred in the work area", window.left - work.left,
              ((work.right - work.left) - (window.right - window.left)) / 2);
    check_true(s + "caption, system menu and minimise box",
               has_style(main, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    check_true(s + "no maximise box", (style_of(main) & WS_MAXIMIZEBOX) == 0);
    check_true(s + "a taskbar button of its own",
               (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0);
    check_true(s + "Run Settings is the default button",
               (style_of(GetDlgItem(main, IDC_RUN_SETTINGS)) & 0x0F) == BS_DEFPUSHBUTTON);
    check_true(s + "the frequency box takes digits only",
               has_style(GetDlgItem(main, IDC_FREQ_EDIT), ES_NUMBER));
    for (const int id : kFrequencyFields) {
        check_true(s + "frequency field " + std::to_string(id) + " is read-only",
                   has_style(GetDlgItem(main, id), ES_READONLY));
    }
    check_true(s + "the slider has automatic ticks",
               has_style(GetDlgItem(main, IDC_FREQ_SLIDER), TBS_AUTOTICKS));
    // Wine answers WM_GETICON from another process with 0, so the window's own icon is left to
    // the unit tests; the icon control beside the version line shows the same resource.
    check_true(s + "the dialog shows its icon beside the version line", has_icon(main));

    struct ListRow {
        int id;
        std::vector<std::string> items;
    };
    const std::vector<std::string> delays = {"None", "150ps", "300ps", "450ps"};
    const ListRow lists[] = {
        {IDC_DELAY_CPU, delays},
        {IDC_DELAY_PCI, delays},
        {IDC_DELAY_SDRAM, delays},
        {IDC_DELAY_3V66, delays},
        {IDC_SPREAD_DEPTH, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {IDC_SPREAD_MODEL, {"0", "1", "2", "3", "4", "5", "6", "7"}},
    };
    for (const ListRow& list : lists) {
        const HWND combo = GetDlgItem(main, list.id);
        const std::string name = s + "list " + std::to_string(list.id);
        check_true(name + " is a drop-down list", (style_of(combo) & 0x3) == CBS_DROPDOWNLIST &&
                                                      (style_of(combo) & CBS_SORT) == 0);
        check_int(name + " item count", SendMessageA(combo, CB_GETCOUNT, 0, 0),
                  static_cast<long long>(list.items.size()));
        std::string got;
        std::string expected;
        for (std::size_t i = 0; i < list.items.size(); ++i) {
            got += list_item(combo, static_cast<int>(i)) + "|";
            expected += list.items[i] + "|";
        }
        check_text(name + " items in order", got, expected);
    }
}

void main_dialog_per_board() {
    bool layout_checked = false;
    for (const BoardRow& row : kBoards) {
        const std::string s = std::string("main dialog, ") + row.label + ": ";
        no_notice();
        Run run(simulate(row.options));
        const HWND main = run.wait_main();
        check_true(s + "opens", main != nullptr);
        if (main == nullptr) {
            continue;
        }
        if (!layout_checked) {
            main_dialog_layout(main, "main dialog: ");
            layout_checked = true;
        }
        check_text(s + "clock generator", item_text(main, IDC_GENERATOR), "VXC 812-07 ");
        check_text(s + "SM type", item_text(main, IDC_SM_TYPE), row.sm_type);
        check_text(s + "CPU Ext. Freq.", item_text(main, IDC_CPU_EXT_FREQ), row.cpu_ext);
        check_text(s + "PCI Freq.", item_text(main, IDC_PCI_FREQ), row.pci);
        check_text(s + "SDRAM Freq.", item_text(main, IDC_SDRAM_FREQ), row.sdram);
        check_text(s + "3V66 Freq.", item_text(main, IDC_3V66_FREQ), row.v3v66);
        check_cpu_speed(s, main, row.core_mhz);
        check_text(s + "the frequency box starts empty", item_text(main, IDC_FREQ_EDIT), "");
        check_int(s + "slider minimum", send(main, IDC_FREQ_SLIDER, TBM_GETRANGEMIN),
                  row.slider_min);
        check_int(s + "slider maximum", send(main, IDC_FREQ_SLIDER, TBM_GETRANGEMAX),
                  row.slider_max);
        check_int(s + "slider position", send(main, IDC_FREQ_SLIDER, TBM_GETPOS), row.slider_pos);
        // With automatic ticks the first tick after the minimum shows the tick frequency.
        check_int(
            s + "a tick every 5 MHz",
            send(main, IDC_FREQ_SLIDER, TBM_GETTIC, 1) - send(main, IDC_FREQ_SLIDER, TBM_GETTIC, 0),
            5);
        check_int(s + "first tick", send(main, IDC_FREQ_SLIDER, TBM_GETTIC, 0), row.slider_min + 5);
        const int delay_ids[] = {IDC_DELAY_CPU, IDC_DELAY_PCI, IDC_DELAY_SDRAM, IDC_DELAY_3V66};
        for (int i = 0; i < 4; ++i) {
            check_int(s + "group delay " + std::to_string(delay_ids[i]),
                      send(main, delay_ids[i], CB_GETCURSEL), row.delays[i]);
        }
        check_int(s + "spread depth", send(main, IDC_SPREAD_DEPTH, CB_GETCURSEL), row.depth);
        check_int(s + "spread model", send(main, IDC_SPREAD_MODEL, CB_GETCURSEL), row.model);
        check_int(s + "spread-spectrum box", send(main, IDC_SPREAD_ENABLE, BM_GETCHECK),
                  row.spread ? BST_CHECKED : BST_UNCHECKED);
        check_true(s + "depth list enabled as the box says",
                   enabled(main, IDC_SPREAD_DEPTH) == row.spread);
        check_true(s + "model list enabled as the box says",
                   enabled(main, IDC_SPREAD_MODEL) == row.spread);
        for (const int id : kSettingControls) {
            if (id != IDC_SPREAD_DEPTH && id != IDC_SPREAD_MODEL) {
                check_true(s + "control " + std::to_string(id) + " enabled", enabled(main, id));
            }
        }
        check_true(s + "no message box", run.box_now().hwnd == nullptr);
        close_program(run, main);
    }
}

// ---------------------------------------------------------------------------------------------
// The slider, the check box and "Run Settings"

void slider_and_check_box() {
    struct Row {
        const char* label;
        const char* options;
        UINT key;
        const char* edit;
        int position;
    };
    const Row rows[] = {
        {"divider 4, Home", "dividers=4/3", VK_HOME, " 75 ", 75},
        {"divider 4, End", "dividers=4/3", VK_END, "180 ", 180},
        {"divider 3, End", "", VK_END, "250 ", 250},
        {"divider 3, Home", "", VK_HOME, "100 ", 100},
        {"divider 6, Home", "dividers=6/3", VK_HOME, " 50 ", 50},
        {"divider 3, one step right", "", VK_RIGHT, "134 ", 134},
    };
    for (const Row& row : rows) {
        const std::string s = std::string("slider, ") + row.label + ": ";
        no_notice();
        Run run(simulate(row.options));
        const HWND main = run.wait_main();
        if (main == nullptr) {
            report(false, s + "opens");
            continue;
        }
        press_key(main, IDC_FREQ_SLIDER, row.key);
        settle(main);
        check_int(s + "position", send(main, IDC_FREQ_SLIDER, TBM_GETPOS), row.position);
        check_text(s + "the frequency box follows", item_text(main, IDC_FREQ_EDIT), row.edit);
        close_program(run, main);
    }

    const std::string s = "spread-spectrum box: ";
    no_notice();
    Run run(simulate(""));
    const HWND main = run.wait_main();
    if (main == nullptr) {
        report(false, s + "opens");
        return;
    }
    click(main, IDC_SPREAD_ENABLE);
    check_true(s + "ticking it enables the depth list", enabled(main, IDC_SPREAD_DEPTH));
    check_true(s + "ticking it enables the model list", enabled(main, IDC_SPREAD_MODEL));
    click(main, IDC_SPREAD_ENABLE);
    check_true(s + "clearing it disables the depth list", !enabled(main, IDC_SPREAD_DEPTH));
    check_true(s + "clearing it disables the model list", !enabled(main, IDC_SPREAD_MODEL));
    close_program(run, main);
}

void run_settings() {
    struct Row {
        const char* label;
        const char* options;
        const char* typed;
        const char* message;  // nullptr: no message box
        const char* cpu_ext;
        int position;
        const char* edit_after;
    };
    const Row rows[] = {
        {"a typed clock", "", "150", nullptr, " 150.0", 150, "150"},
        {"four digits are refused, not cut to three", "", "1205", "Invalid Frequency", " 133.0",
         133, ""},
        {"an empty box keeps the clock", "", "", nullptr, " 133.0", 133, ""},
        {"the range minimum is accepted", "", "100", nullptr, " 100.0", 100, "100"},
        {"below the range", "", "99", "Invalid Frequency", " 133.0", 133, ""},
        {"above the range", "", "251", "Invalid Frequency", " 133.0", 133, ""},
        {"zero", "", "0", "Invalid Frequency", " 133.0", 133, ""},
        {"divider 4 takes the nearest step", "dividers=4/3", "133", nullptr, " 132.8", 132, "133"},
        {"a failing REG21 read", "fault=device-error:word-read:reg=21:nth=2", "150",
         "Cannot Change Clock Settings!", " 133.0", 133, "150"},
        {"a failing REG22 write", "fault=device-error:word-write:reg=22", "150",
         "Cannot Change Some Clock Settings!", " 133.0", 133, "150"},
    };
    for (const Row& row : rows) {
        const std::string s = std::string("Run Settings, ") + row.label + ": ";
        no_notice();
        Run run(simulate(row.options));
        const HWND main = run.wait_main();
        if (main == nullptr) {
            report(false, s + "opens");
            continue;
        }
        type(main, IDC_FREQ_EDIT, row.typed);
        click(main, IDC_RUN_SETTINGS);
        const Box box = run.wait_box(row.message != nullptr ? 120000 : 500);
        if (row.message == nullptr) {
            check_true(s + "no message box", box.hwnd == nullptr);
        } else {
            check_text(s + "message", box.text, row.message);
            check_text(s + "message caption", box.caption, kErrorCaption);
            check_true(s + "the message has no icon", box.hwnd != nullptr && !box.icon);
            if (box.hwnd != nullptr) {
                answer(box, main);
            }
        }
        check_text(s + "CPU Ext. Freq.", item_text(main, IDC_CPU_EXT_FREQ), row.cpu_ext);
        check_int(s + "slider position", send(main, IDC_FREQ_SLIDER, TBM_GETPOS), row.position);
        check_text(s + "frequency box", item_text(main, IDC_FREQ_EDIT), row.edit_after);
        close_program(run, main);
    }
}

// ---------------------------------------------------------------------------------------------
// "Save Settings" and "Load Settings"

const char* const kSettingNames[] = {"REG00", "REG11", "REG12", "REG13", "REG1F", "REG21", "REG22"};

// The board of the second row of kBoards, whose registers are all different from their
// power-up defaults.
constexpr char kSavedBoard[] =
    "hub=ab,dividers=4/3,n=176,depth=3,spread=on,model=5,delay-cpu=150ps,delay-pci=300ps,"
    "delay-sdram=450ps,delay-3v66=150ps";

void save_settings() {
    const std::string s = "Save Settings: ";
    forget_everything();
    no_notice();
    Run run(simulate(kSavedBoard));
    const HWND main = run.wait_main();
    if (main == nullptr) {
        report(false, s + "opens");
        return;
    }
    click(main, IDC_SAVE_SETTINGS);
    check_true(s + "no message box", run.wait_box(500).hwnd == nullptr);
    // The chip's bytes, reserved bits as the chip powers up with them (REG00 0x41, REG1F 0x10,
    // REG21 0x40, REG22 0x28): REG00 bit 1 spread on; REG11 N 176; REG12 N - depth 3; REG13
    // M 31; REG1F the straps for CPU /4 and SDRAM /3; REG21 delays 1, 2, 3; REG22 3V66 delay 1
    // and model 5.
    const DWORD expected[] = {0x41 | 0x02, 176, 173, 31, 0x10 | 0x48, 0x40 | 0x1B, 0x28 | 0x45};
    for (int i = 0; i < 7; ++i) {
        const StoredValue value = read_value(kSettingNames[i]);
        check_true(s + kSettingNames[i] + " is a 4-byte REG_DWORD",
                   value.present && value.type == REG_DWORD && value.size == 4);
        check_int(s + kSettingNames[i], value.dword, expected[i]);
    }
    close_program(run, main);
}

void load_settings() {
    struct Row {
        const char* label;
        std::function<void()> change;
        const char* message;
        const char* edit;
        const char* cpu_ext;
        int depth;
        int model;
        bool spread;
    };
    const DWORD eight_bytes[2] = {31, 0};
    const Row rows[] = {
        {"the saved set", [] {}, nullptr, "133 ", " 132.8", 3, 5, true},
        {"another N and depth",
         [] {
             write_dword("REG11", 132);
             write_dword("REG12", 122);
             write_dword("REG00", 0);
             write_dword("REG22", 0x42);
         },
         nullptr, "100 ", "  99.8", 10, 2, false},
        {"a missing value", [] { delete_value("REG13"); }, "Settings Data Crushed!", "", " 132.8",
         0, 0, false},
        {"an 8-byte value",
         [&eight_bytes] { write_value("REG13", REG_BINARY, eight_bytes, sizeof eight_bytes); },
         "Settings Data Crushed!", "", " 132.8", 0, 0, false},
        {"REG13 = 0", [] { write_dword("REG13", 0); }, "Cannot Apply These Settings!", "", " 132.8",
         0, 0, false},
        {"a depth of 11", [] { write_dword("REG12", 165); }, "Cannot Apply These Settings!", "",
         " 132.8", 0, 0, false},
        {"other divider straps", [] { write_dword("REG1F", 0x88); }, "Cannot Apply These Settings!",
         "", " 132.8", 0, 0, false},
    };
    for (const Row& row : rows) {
        const std::string s = std::string("Load Settings, ") + row.label + ": ";
        // Saved from the board itself, then changed as the row says.
        forget_everything();
        no_notice();
        Run run(simulate(kSavedBoard));
        const HWND main = run.wait_main();
        if (main == nullptr) {
            report(false, s + "opens");
            continue;
        }
        click(main, IDC_SAVE_SETTINGS);
        row.change();
        // The controls start from what the chip has, so a failed load visibly leaves them.
        SendMessageA(GetDlgItem(main, IDC_SPREAD_DEPTH), CB_SETCURSEL, 0, 0);
        SendMessageA(GetDlgItem(main, IDC_SPREAD_MODEL), CB_SETCURSEL, 0, 0);
        SendMessageA(GetDlgItem(main, IDC_SPREAD_ENABLE), BM_SETCHECK, BST_UNCHECKED, 0);
        click(main, IDC_LOAD_SETTINGS);
        const Box box = run.wait_box(row.message != nullptr ? 120000 : 500);
        if (row.message == nullptr) {
            check_true(s + "no message box", box.hwnd == nullptr);
        } else {
            check_text(s + "message", box.text, row.message);
            check_true(s + "caption Error, no icon",
                       box.caption == kErrorCaption && box.hwnd != nullptr && !box.icon);
            if (box.hwnd != nullptr) {
                answer(box, main);
            }
        }
        check_text(s + "frequency box", item_text(main, IDC_FREQ_EDIT), row.edit);
        check_text(s + "CPU Ext. Freq.", item_text(main, IDC_CPU_EXT_FREQ), row.cpu_ext);
        check_int(s + "spread depth", send(main, IDC_SPREAD_DEPTH, CB_GETCURSEL), row.depth);
        check_int(s + "spread model", send(main, IDC_SPREAD_MODEL, CB_GETCURSEL), row.model);
        check_int(s + "spread-spectrum box", send(main, IDC_SPREAD_ENABLE, BM_GETCHECK),
                  row.spread ? BST_CHECKED : BST_UNCHECKED);
        close_program(run, main);
    }
}

// ---------------------------------------------------------------------------------------------
// Failed initialisation

void failed_initialisation() {
    struct Row {
        const char* label;
        const char* options;
        const char* message;
        const char* sm_type;
    };
    const Row rows[] = {
        {"no hub", "hub=none", "Cannot Get SM Base Address!", ""},
        {"another chipset", "hub=0x71138086", "Cannot Get SM Base Address!", ""},
        {"no answer from the chip", "fault=device-error:block-read",
         "Cannot Find VXC812-07 Clock Generator!", "82801BA"},
    };
    for (const Row& row : rows) {
        const std::string s = std::string("initialisation, ") + row.label + ": ";
        no_notice();
        Run run(simulate(row.options));
        const Box box = run.wait_box();
        check_text(s + "message", box.text, row.message);
        check_text(s + "caption", box.caption, kErrorCaption);
        check_true(s + "the message has the stop icon", box.icon);
        check_true(s + "the message comes before the dialog is shown",
                   run.find(is_main) == nullptr);
        if (box.hwnd == nullptr) {
            continue;
        }
        answer(box);
        const HWND main = run.wait_main();
        check_true(s + "the dialog opens", main != nullptr);
        if (main == nullptr) {
            continue;
        }
        for (const int id : kSettingControls) {
            check_true(s + "control " + std::to_string(id) + " disabled", !enabled(main, id));
        }
        for (const int id : kStillEnabled) {
            check_true(s + "control " + std::to_string(id) + " still enabled", enabled(main, id));
        }
        check_text(s + "SM type", item_text(main, IDC_SM_TYPE), row.sm_type);
        check_text(s + "clock generator", item_text(main, IDC_GENERATOR), "");
        check_text(s + "CPU speed field", item_text(main, IDC_CPU_SPEED), "");
        click(main, IDC_SPREAD_ENABLE);
        check_true(s + "the spread-spectrum box still enables the lists",
                   enabled(main, IDC_SPREAD_DEPTH) && enabled(main, IDC_SPREAD_MODEL));
        click(main, IDC_SPREAD_ENABLE);
        check_true(s + "and disables them again",
                   !enabled(main, IDC_SPREAD_DEPTH) && !enabled(main, IDC_SPREAD_MODEL));
        check_int(s + "the program ends normally", close_program(run, main), 0);
    }
}

// ---------------------------------------------------------------------------------------------
// /load, its guard and /clearguard

void load_at_start() {
    const std::string s = "/load: ";
    forget_everything();
    {
        no_notice();
        Run save(simulate(kSavedBoard));
        const HWND main = save.wait_main();
        if (main == nullptr) {
            report(false, s + "saving first");
            return;
        }
        click(main, IDC_SAVE_SETTINGS);
        close_program(save, main);
    }
    {
        // Without a Caution value the dialog would show the notice and wait for the user.
        delete_value("Caution");
        Run run(simulate(kSavedBoard) + " /load");
        check_int(s + "applies the saved set without any window and ends with 0", run.exit_code(),
                  0);
        check_true(s + "the guard is gone after success", !read_value("LoadGuard").present);
        check_true(s + "the notice's answer is not asked for", !read_value("Caution").present);
    }
    {
        Run run(simulate(std::string(kSavedBoard) + ",fault=device-error:word-read:reg=21:nth=2") +
                " /load");
        const Box failure = run.wait_box();
        check_text(s + "a failing apply shows its message", failure.text,
                   "Cannot Change Clock Settings!");
        check_true(s + "the guard is set while the apply runs", read_value("LoadGuard").present);
        answer(failure);
        const Box stays = run.wait_box();
        check_true(s + "then says the guard stays",
                   stays.text.find("/clearguard") != std::string::npos);
        answer(stays);
        check_int(s + "a failed apply ends with 1", run.exit_code(), 1);
        check_true(s + "the guard stays after a failure", read_value("LoadGuard").present);
        check_text(s + "with the message that stopped the apply", read_string("LoadGuardCause"),
                   "Cannot Change Clock Settings!");
    }
    {
        Run run(simulate(kSavedBoard) + " /load");
        const Box refused = run.wait_box();
        check_true(s + "with the guard present it refuses and says why",
                   refused.text.find("did not finish") != std::string::npos);
        answer(refused);
        check_int(s + "a refusal ends with 1", run.exit_code(), 1);
    }
    {
        Run run("/clearguard");
        const Box cleared = run.wait_box();
        check_true(s + "/clearguard says the next start applies again",
                   cleared.text.find("applied again") != std::string::npos);
        answer(cleared);
        check_int(s + "/clearguard ends with 0", run.exit_code(), 0);
        check_true(s + "/clearguard removes the guard", !read_value("LoadGuard").present);
        check_text(s + "and its cause", read_string("LoadGuardCause"), "(none)");
    }
    {
        Run run(simulate(kSavedBoard) + " /load");
        check_int(s + "after /clearguard the saved set is applied again", run.exit_code(), 0);
    }
    {
        delete_value("REG11");
        Run run(simulate(kSavedBoard) + " /load");
        const Box crushed = run.wait_box();
        check_text(s + "a missing value shows the load's message", crushed.text,
                   "Settings Data Crushed!");
        answer(crushed);
        answer(run.wait_box());
        check_int(s + "and ends with 1", run.exit_code(), 1);
    }
    {
        Run run("/bogus");
        const Box usage = run.wait_box();
        check_true(s + "an unknown argument is named",
                   usage.text.find("/bogus") != std::string::npos);
        answer(usage);
        check_int(s + "and ends with 2", run.exit_code(), 2);
    }
    forget_everything();
}

// ---------------------------------------------------------------------------------------------
// Systems where a program may not touch the ports: the hardware is refused, not crashed on

// A copy of the program to which Wine reports Windows XP; everything else sees Windows 98.
std::string make_nt_copy() {
    const std::string copy =
        g_program.substr(0, g_program.find_last_of("\\/") + 1) + "vantrel-nt.exe";
    if (!CopyFileA(g_program.c_str(), copy.c_str(), FALSE)) {
        return {};
    }
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\vantrel-nt.exe", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    RegCloseKey(key);
    return copy;
}

void refused_hardware() {
    struct Row {
        const char* label;
        std::string program;
    };
    const std::string nt_copy = make_nt_copy();
    check_true("refused ports: a copy that Wine tells it is Windows XP", !nt_copy.empty());
    const Row rows[] = {
        // Found by the platform: GetVersionExA says NT.
        {"Windows XP", nt_copy},
        // Found by the probe: Wine reports Windows 98 but keeps the ports from the program.
        {"Windows 98 under Wine", g_program},
    };
    const std::string saved = g_program;
    for (const Row& row : rows) {
        if (row.program.empty()) {
            continue;
        }
        const std::string s = std::string("refused ports, ") + row.label + ": ";
        g_program = row.program;
        forget_everything();
        no_notice();
        {
            Run run("");
            const Box refusal = run.wait_box();
            check_true(s + "the hardware is refused with a message",
                       refusal.text.find("I/O ports") != std::string::npos);
            check_true(s + "the refusal has the stop icon", refusal.icon);
            answer(refusal);
            const Box no_controller = run.wait_box();
            check_text(s + "the dialog then finds no controller", no_controller.text,
                       "Cannot Get SM Base Address!");
            answer(no_controller);
            const HWND main = run.wait_main();
            check_true(s + "and opens with its setting controls disabled",
                       main != nullptr && !enabled(main, IDC_RUN_SETTINGS) &&
                           !enabled(main, IDC_FREQ_SLIDER));
            if (main != nullptr) {
                check_int(s + "the program ends normally", close_program(run, main), 0);
            }
        }
        {
            Run run("/load");
            const Box refusal = run.wait_box();
            check_true(s + "/load is refused with the same message",
                       refusal.text.find("I/O ports") != std::string::npos);
            answer(refusal);
            check_int(s + "/load ends with 1", run.exit_code(), 1);
            check_true(s + "/load leaves no guard", !read_value("LoadGuard").present);
        }
    }
    g_program = saved;
    if (!nt_copy.empty()) {
        DeleteFileA(nt_copy.c_str());
    }
}

// ---------------------------------------------------------------------------------------------
// /simulate:dump=FILE, read by the program's own file reader

void simulated_dump() {
    const std::string s = "/simulate:dump: ";
    const std::string dir = g_program.substr(0, g_program.find_last_of("\\/") + 1);
    const std::string path = dir + "board-dump.txt";
    // A board with CPU divider 4 and SDRAM divider 3 (REG1F 0x48), N 149 and M 31, depth 2,
    // spread on, group delays CPU 2, PCI 1, SDRAM 0, 3V66 3 and spread model 5.
    const std::string dump =
        "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\r\n"
        "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00    ................\r\n"
        "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48    ?????..........H\r\n"
        "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX    .???XXXXXXXXXXXX\r\n";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool saved =
        file != INVALID_HANDLE_VALUE &&
        WriteFile(file, dump.data(), static_cast<DWORD>(dump.size()), &written, nullptr) &&
        written == dump.size();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    check_true(s + "the dump file is written", saved);
    {
        no_notice();
        Run run(simulate("dump=" + path));
        const HWND main = run.wait_main();
        check_true(s + "the dialog opens on the dumped board", main != nullptr);
        if (main != nullptr) {
            check_text(s + "CPU Ext. Freq.", item_text(main, IDC_CPU_EXT_FREQ), " 112.5");
            check_text(s + "PCI Freq.", item_text(main, IDC_PCI_FREQ), "  37.5");
            check_text(s + "SDRAM Freq.", item_text(main, IDC_SDRAM_FREQ), " 150.0");
            check_text(s + "3V66 Freq.", item_text(main, IDC_3V66_FREQ), "  75.0");
            check_int(s + "slider maximum of divider 4",
                      send(main, IDC_FREQ_SLIDER, TBM_GETRANGEMAX), 180);
            check_int(s + "spread depth", send(main, IDC_SPREAD_DEPTH, CB_GETCURSEL), 2);
            check_int(s + "spread model", send(main, IDC_SPREAD_MODEL, CB_GETCURSEL), 5);
            check_int(s + "CPU group delay", send(main, IDC_DELAY_CPU, CB_GETCURSEL), 2);
            check_int(s + "3V66 group delay", send(main, IDC_DELAY_3V66, CB_GETCURSEL), 3);
            check_int(s + "spread-spectrum box", send(main, IDC_SPREAD_ENABLE, BM_GETCHECK),
                      BST_CHECKED);
            close_program(run, main);
        }
    }
    DeleteFileA(path.c_str());
    {
        Run run(simulate("dump=" + path));
        const Box missing = run.wait_box();
        check_true(s + "a missing file is named", missing.text.find(path) != std::string::npos);
        answer(missing);
        check_int(s + "and the program ends with 2", run.exit_code(), 2);
    }
}

// ---------------------------------------------------------------------------------------------
// The version resource

std::string version_string(const std::vector<char>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return "(missing)";
    }
    return static_cast<const char*>(value);
}

void version_resource() {
    const std::string s = "version resource: ";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(g_program.c_str(), &handle);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(g_program.c_str(), 0, size, block.data())) {
        report(false, s + "present");
        return;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
    check_true(s + "fixed part present", fixed != nullptr);
    if (fixed != nullptr) {
        check_int(s + "file version 2.0", fixed->dwFileVersionMS, 0x00020000);
        check_int(s + "file version .0.1", fixed->dwFileVersionLS, 0x00000001);
        check_int(s + "product version 2.0", fixed->dwProductVersionMS, 0x00020000);
        check_int(s + "product version .0.1", fixed->dwProductVersionLS, 0x00000001);
        check_int(s + "a 32-bit Windows program", fixed->dwFileOS, VOS__WINDOWS32);
        check_int(s + "an application", fixed->dwFileType, VFT_APP);
    }
    DWORD* translation = nullptr;
    VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    check_true(s + "US English, code page 1200", translation != nullptr &&
                                                     LOWORD(*translation) == 0x0409 &&
                                                     HIWORD(*translation) == 1200);
    check_text(s + "FileVersion", version_string(block, "FileVersion"), "2.01");
    check_text(s + "ProductVersion", version_string(block, "ProductVersion"), "2.01");
    check_text(s + "FileDescription", version_string(block, "FileDescription"), kMainTitle);
    for (const char* name : {"CompanyName", "LegalCopyright", "LegalTrademarks"}) {
        const std::string value = version_string(block, name);
        check_true(s + name + " names the maker",
                   value != "(missing)" && value.find("Korvane") != std::string::npos);
    }
    const HMODULE image = LoadLibraryExA(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check_true(s + "icon IDR_MAINFRAME (128)",
               image != nullptr &&
                   FindResourceA(image, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON) != nullptr);
    check_true(s + "icon IDI_CAUTION (139)",
               image != nullptr &&
                   FindResourceA(image, MAKEINTRESOURCEA(IDI_CAUTION), RT_GROUP_ICON) != nullptr);
    if (image != nullptr) {
        FreeLibrary(image);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: driver.exe PATH\\vantrel.exe [GROUP...]\n");
        return 2;
    }
    g_program = argv[1];
    struct Group {
        const char* name;
        void (*run)();
    };
    const Group groups[] = {
        {"version", version_resource},
        {"caution", caution_notice},
        {"boards", main_dialog_per_board},
        {"slider", slider_and_check_box},
        {"run", run_settings},
        {"save", save_settings},
        {"load", load_settings},
        {"init", failed_initialisation},
        {"startup", load_at_start},
        {"refused", refused_hardware},
        {"dump", simulated_dump},
    };
    // Every group by default; a list of names runs only those.
    for (const Group& group : groups) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) {
            wanted = wanted || std::string(argv[i]) == group.name;
        }
        if (wanted) {
            group.run();
        }
    }
    forget_everything();
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
