// SPDX-License-Identifier: GPL-2.0-or-later
// The dialogs as a user meets them on the simulated board: the caution notice, the main
// dialog on each hub and divider, the slider and the check box, "Run Settings", "Save
// Settings", "Load Settings" and a failed initialisation.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/win32/harness.h"

namespace vantrel::driver {

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
            check_exit(s + "the close box ends the program", close_program(run, main), 0);
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
            check_exit(s + "Escape ends the main dialog and the program", run.exit_code(), 0);
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
// ---------------------------------------------------------------------------------------------
// The main dialog on each hub and divider

namespace {

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

}  // namespace

void main_dialog_per_board() {
    bool layout_checked = false;
    for (const BoardRow& row : kBoards) {
        const std::string s = std::string("main dialog, ") + row.label + ": ";
        const DialogRun run(s, row.options);
        const HWND main = run.main();
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
        const DialogRun run(s, row.options);
        const HWND main = run.main();
        if (main == nullptr) {
            continue;
        }
        press_key(main, IDC_FREQ_SLIDER, row.key);
        settle(main);
        check_int(s + "position", send(main, IDC_FREQ_SLIDER, TBM_GETPOS), row.position);
        check_text(s + "the frequency box follows", item_text(main, IDC_FREQ_EDIT), row.edit);
        close_program(run, main);
    }

    const std::string s = "spread-spectrum box: ";
    const DialogRun run(s, "");
    const HWND main = run.main();
    if (main == nullptr) {
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
        const DialogRun run(s, row.options);
        const HWND main = run.main();
        if (main == nullptr) {
            continue;
        }
        type(main, IDC_FREQ_EDIT, row.typed);
        click(main, IDC_RUN_SETTINGS);
        const Box box = run.wait_box(row.message != nullptr ? 120000 : 500);
        if (row.message == nullptr) {
            check_true(s + "no message box", box.hwnd == nullptr);
        } else {
            check_box(s + "message", box, row.message);
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

// kSavedBoard is the board of the second row of kBoards.

void save_settings() {
    const std::string s = "Save Settings: ";
    forget_everything();
    const DialogRun run(s, kSavedBoard);
    const HWND main = run.main();
    if (main == nullptr) {
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
        const DialogRun run(s, kSavedBoard);
        const HWND main = run.main();
        if (main == nullptr) {
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
            check_box(s + "message", box, row.message);
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
        check_box(s + "message", box, row.message);
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
        check_exit(s + "the program ends normally", close_program(run, main), 0);
    }
}

}  // namespace vantrel::driver
