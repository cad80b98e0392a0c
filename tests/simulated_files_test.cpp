// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/settings/settings_path.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

// A simulated board never reads or writes this machine's settings file, profiles or boot
// guard: each command under --simulate, with the programs' own default paths, against the
// files of this machine that it must leave as they were.

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";
// This machine's settings, as the real programs would find them under the test's home.
const std::string kRealSettings = "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\n";

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Every file under `root` with its bytes, leaving out the simulated board's own directory.
std::map<std::string, std::string> files_under(const std::string& root) {
    std::map<std::string, std::string> found;
    if (!fs::exists(root)) {
        return found;
    }
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        if (it->path().filename() == "simulated") {
            it.disable_recursion_pending();
            continue;
        }
        found[it->path().string()] = it->is_regular_file() ? test::read_file(it->path()) : "";
    }
    return found;
}

// The state of a file outside the test's folders: whether it exists, and when it last changed.
std::optional<long long> changed_at(const char* path) {
    struct stat info {};
    if (::lstat(path, &info) != 0) {
        return std::nullopt;
    }
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

struct SimulatedCase {
    const char* label;
    std::vector<std::vector<std::string>> before;  // simulated commands run first
    std::vector<std::string> args;                 // --simulate is put before them
    int status;
    std::vector<std::string> made;  // files the command leaves, under the test's folder
    std::vector<std::string> gone;  // files it removes, under the test's folder
    std::string says;               // in its output or messages
};

class SimulatedBoardFiles : public ::testing::TestWithParam<SimulatedCase> {};

TEST_P(SimulatedBoardFiles, KeepsToItsOwnFiles) {
    const SimulatedCase& row = GetParam();
    CtlRunner ctl;
    ctl.platform_paths = true;
    const ScopedVariable home("HOME", ctl.dir / "home");
    const ScopedVariable config("XDG_CONFIG_HOME", ctl.dir / "config");
    const ScopedVariable state("XDG_STATE_HOME", ctl.dir / "state");
    ASSERT_EQ(platform::default_settings_path(), ctl.dir / "config/vantrel/settings.reg");
    fs::create_directories(ctl.dir / "config/vantrel/profiles");
    fs::create_directories(ctl.dir / "home");
    test::write_file(ctl.dir / "config/vantrel/settings.reg", kRealSettings);
    test::write_file(ctl.dir / "config/vantrel/profiles/p.reg", kRealSettings);
    const auto real_config = files_under(ctl.dir / "config");
    const auto real_home = files_under(ctl.dir / "home");
    const auto real_guard = changed_at("/var/lib/vantrel/boot-guard");
    const auto real_lock = changed_at("/run/vantrel.lock");

    const auto simulated = [](std::vector<std::string> args) {
        if (!args.front().starts_with("--simulate")) {
            args.insert(args.begin(), kInstant);
        }
        return args;
    };
    for (const std::vector<std::string>& args : row.before) {
        ASSERT_NE(ctl.run(simulated(args)), 2) << ctl.console.err();
    }
    for (const std::string& file : row.gone) {
        ASSERT_TRUE(test::file_exists(ctl.dir / file)) << file;
    }
    ctl.console.clear();
    EXPECT_EQ(ctl.run(simulated(row.args)), row.status) << ctl.console.err();

    for (const std::string& file : row.made) {
        EXPECT_TRUE(test::file_exists(ctl.dir / file)) << file;
    }
    for (const std::string& file : row.gone) {
        EXPECT_FALSE(test::file_exists(ctl.dir / file)) << file;
    }
    EXPECT_NE((ctl.console.out() + ctl.console.err()).find(row.says), std::string::npos)
        << ctl.console.out() << ctl.console.err();
    EXPECT_EQ(files_under(ctl.dir / "config"), real_config);
    EXPECT_EQ(files_under(ctl.dir / "home"), real_home);
    EXPECT_EQ(changed_at("/var/lib/vantrel/boot-guard"), real_guard);
    EXPECT_EQ(changed_at("/run/vantrel.lock"), real_lock);
}

const std::vector<std::string> kSave = {"save"};
const std::vector<std::string> kSaveProfile = {"save", "--profile", "p"};
const std::vector<std::string> kFailedBootLoad = {
    "--simulate=pauses=instant,fault=device-error:word-write:reg=22", "load", "--at-boot"};
constexpr const char* kSettings = "config/vantrel/simulated/settings.reg";
constexpr const char* kProfile = "config/vantrel/simulated/profiles/p.reg";
constexpr const char* kGuard = "state/vantrel/simulated/boot-guard";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, SimulatedBoardFiles, ::testing::Values(
    SimulatedCase{"Show", {}, {"show"}, 0, {}, {}, "SMBus path        : direct port I/O of the simulated board, not of this machine\n"},
    SimulatedCase{"ShowJson", {}, {"show", "--json"}, 0, {}, {}, "  \"simulated\": true\n}"},
    SimulatedCase{"Save", {}, {"save"}, 0, {kSettings}, {}, "saved the chip's settings"},
    SimulatedCase{"SaveProfile", {}, kSaveProfile, 0, {kProfile}, {}, "saved the chip's settings"},
    SimulatedCase{"Load", {kSave}, {"load"}, 0, {kSettings}, {}, "CPU external"},
    SimulatedCase{"LoadProfile", {kSaveProfile}, {"load", "--profile", "p"}, 0, {kProfile}, {}, "CPU external"},
    SimulatedCase{"LoadWithoutSettings", {}, {"load"}, 2, {}, {}, "Settings Data Crushed!"},
    SimulatedCase{"BootLoad", {kSave}, {"load", "--at-boot"}, 0, {"state/vantrel/simulated"}, {}, "CPU external"},
    SimulatedCase{"FailedBootLoad", {kSave}, kFailedBootLoad, 1, {kGuard}, {}, "Cannot Change Some Clock Settings!"},
    SimulatedCase{"GuardedBootLoad", {kSave, kFailedBootLoad}, {"load", "--at-boot"}, 3, {kGuard}, {}, "is still there"},
    SimulatedCase{"ClearGuard", {kSave, kFailedBootLoad}, {"clear-guard"}, 0, {}, {kGuard}, "removed"},
    SimulatedCase{"Profiles", {kSaveProfile}, {"profiles"}, 0, {}, {}, "p                    CPU 133.000"},
    SimulatedCase{"NoProfiles", {}, {"profiles"}, 0, {}, {}, ""},
    SimulatedCase{"DeleteProfile", {kSaveProfile}, {"delete-profile", "p"}, 0, {}, {kProfile}, "deleted the profile p"},
    SimulatedCase{"DeleteRealProfile", {}, {"delete-profile", "p"}, 2, {}, {}, "there is no profile p"},
    SimulatedCase{"Diagnose", {kSave}, {"diagnose"}, 0, {}, {}, "ok     settings      " },
    SimulatedCase{"DiagnoseJson", {kSave, kFailedBootLoad}, {"diagnose", "--json"}, 0, {kGuard}, {}, "  \"simulated\": true\n}"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
