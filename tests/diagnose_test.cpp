// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "ctl/diagnose.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/instance_lock.h"
#include "support/fake_console.h"
#include "support/fake_port_access.h"
#include "support/param_name.h"
#include "support/sysfs_tree.h"
#include "support/temp_dir.h"

namespace vantrel::cli {
namespace {

using test::PrintTo;

constexpr unsigned kUser = 1000;
constexpr unsigned kI2cGroup = 118;
constexpr const char* kNode = "/dev/i2c-3";
constexpr unsigned long long kNodeInode = 731;

enum class Hub : unsigned char { Bound, BoundNoI2cDev, Unbound, Absent };
enum class Lock : unsigned char { Free, NodeHeld, PortsHeld };

struct Row {
    const char* label;
    Hub hub;
    unsigned euid;
    bool raw_io;
    const char* lockdown;
    bool in_group_file;   // the user is listed as a member of the node's group
    bool in_login_group;  // and this login has it
    Lock lock;
    std::map<std::string, Verdict> verdicts;
    const char* key;  // the line whose fix or value must say `says`
    const char* says;
    int status;
    // The running kernel's configuration as /boot/config-RELEASE has it; nullptr for none.
    const char* kernel_config = "CONFIG_X86=y\nCONFIG_X86_IOPL_IOPERM=y\n";
};

const Row kRows[] = {
    {"driver_bound",
     Hub::Bound,
     kUser,
     false,
     "[none] integrity",
     true,
     true,
     Lock::Free,
     {{"driver", Verdict::Ok},
      {"node_access", Verdict::Ok},
      {"ioperm", Verdict::Unused},
      {"path", Verdict::Ok}},
     "driver",
     "module i2c_i801",
     kExitOk},
    {"unbound_root",
     Hub::Unbound,
     0,
     true,
     "[none] integrity",
     false,
     false,
     Lock::Free,
     {{"ioperm", Verdict::Ok}, {"i2c_dev", Verdict::Unused}, {"path", Verdict::Ok}},
     "path",
     "direct port I/O, and it would work",
     kExitOk},
    {"unbound_user",
     Hub::Unbound,
     kUser,
     false,
     "[none] integrity",
     true,
     true,
     Lock::Free,
     {{"user", Verdict::Wrong}, {"ioperm", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "user",
     "run it as root",
     kExitRefused},
    {"node_missing",
     Hub::BoundNoI2cDev,
     kUser,
     false,
     "[none]",
     true,
     true,
     Lock::Free,
     {{"i2c_dev", Verdict::Wrong}, {"node", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "i2c_dev",
     "sudo modprobe i2c-dev",
     kExitRefused},
    {"wrong_group",
     Hub::Bound,
     kUser,
     false,
     "[none]",
     false,
     false,
     Lock::Free,
     {{"node_access", Verdict::Wrong}, {"udev_rule", Verdict::Unused}, {"path", Verdict::Wrong}},
     "node_access",
     "sudo usermod -aG i2c $USER",
     kExitRefused},
    {"new_login_needed",
     Hub::Bound,
     kUser,
     false,
     "[none]",
     true,
     false,
     Lock::Free,
     {{"node_access", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "node_access",
     "not in this login's groups: log out and in again",
     kExitRefused},
    {"lockdown",
     Hub::Unbound,
     0,
     true,
     "none [integrity] confidentiality",
     false,
     false,
     Lock::Free,
     {{"lockdown", Verdict::Wrong}, {"ioperm", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "lockdown",
     "Secure Boot",
     kExitRefused},
    {"no_ioperm",
     Hub::Unbound,
     0,
     false,
     "[none]",
     false,
     false,
     Lock::Free,
     {{"user", Verdict::Ok}, {"ioperm", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "ioperm",
     "lacks the CAP_SYS_RAWIO capability",
     kExitRefused},
    {"lock_held_on_node",
     Hub::Bound,
     kUser,
     false,
     "[none]",
     true,
     true,
     Lock::NodeHeld,
     {{"node_access", Verdict::Ok}, {"lock", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "lock",
     "held by process 4242 (vantrel) on /dev/i2c-3",
     kExitRefused},
    {"lock_held_on_ports",
     Hub::Unbound,
     0,
     true,
     "[none]",
     false,
     false,
     Lock::PortsHeld,
     {{"lock", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "lock",
     "held by process 4242",
     kExitRefused},
    // ioperm is claimed only from the kernel's configuration.
    {"kernel_without_ioperm",
     Hub::Unbound,
     0,
     true,
     "[none]",
     false,
     false,
     Lock::Free,
     {{"user", Verdict::Ok}, {"ioperm", Verdict::Wrong}, {"path", Verdict::Wrong}},
     "ioperm",
     "not available: the kernel is built without CONFIG_X86_IOPL_IOPERM (",
     kExitRefused,
     "# CONFIG_X86_IOPL_IOPERM is not set\n"},
    {"kernel_config_unreadable",
     Hub::Unbound,
     0,
     true,
     "[none]",
     false,
     false,
     Lock::Free,
     {{"ioperm", Verdict::Unknown}, {"path", Verdict::Ok}},
     "path",
     "direct port I/O, and it would work if the kernel has ioperm (see ioperm)",
     kExitOk,
     nullptr},
    {"kernel_config_silent",
     Hub::Unbound,
     0,
     true,
     "[none]",
     false,
     false,
     Lock::Free,
     {{"ioperm", Verdict::Unknown}, {"path", Verdict::Ok}},
     "ioperm",
     "does not name CONFIG_X86_IOPL_IOPERM",
     kExitOk,
     "CONFIG_X86=y\n"},
    // Without a supported hub nothing else matters: that comes first and is the fix.
    {"no_hub_as_user",
     Hub::Absent,
     kUser,
     false,
     "[none]",
     true,
     true,
     Lock::Free,
     {{"pci_function", Verdict::Wrong},
      {"user", Verdict::Unused},
      {"ioperm", Verdict::Unused},
      {"path", Verdict::Wrong}},
     "path",
     "and it would not work; fix: see pci_function",
     kExitRefused},
};

class DiagnoseTest : public ::testing::TestWithParam<Row> {};

TEST_P(DiagnoseTest, JudgesEachFactAndThePath) {
    const Row& row = GetParam();
    test::SysfsTree sysfs;
    if (row.hub != Hub::Absent) {
        sysfs.add_pci_function("1f.3", 0x8086, 0x2443, row.hub == Hub::Unbound ? "" : "i2c_i801",
                               0xE800);
    }
    if (row.hub != Hub::Unbound && row.hub != Hub::Absent) {
        sysfs.add_adapter(3, "SMBus I801 adapter at e800", "1f.3");
    }
    if (row.hub == Hub::Bound) {
        sysfs.load_i2c_dev();
    }
    sysfs.set_lockdown(row.lockdown);

    test::TempDir dir;
    test::write_file(dir / "group", std::string("root:x:0:\ni2c:x:118:") +
                                        (row.in_group_file ? "alice" : "bob") + "\n");
    const std::string lock_file = dir / "vantrel.lock";
    const std::map<std::string, platform::FileStatus> files = {
        {dir.path() + kNode, {0, kI2cGroup, 0660, 0, 5, kNodeInode}},
        {lock_file, {0, 0, 0644, 0, 25, 19}},
    };
    std::string locks = "1: POSIX  ADVISORY  WRITE 77 00:05:731 0 EOF\n";
    if (row.lock == Lock::NodeHeld) {
        locks += "2: FLOCK  ADVISORY  WRITE 4242 00:05:731 0 EOF\n";
    } else if (row.lock == Lock::PortsHeld) {
        locks += "2: FLOCK  ADVISORY  WRITE 4242 00:19:19 0 EOF\n";
    }
    std::filesystem::create_directories(dir / "proc/4242");
    test::write_file(dir / "proc/locks", locks);
    test::write_file(dir / "proc/4242/comm", "vantrel\n");

    test::FakePortAccess system;
    system.ids = {row.euid, row.euid, row.euid, row.euid, row.euid, row.euid};
    system.raw_io = row.raw_io;
    system.accounts = {{"root", 0, 0, "/root"}, {"alice", kUser, kUser, "/home/alice"}};

    platform::AccessProbe probe;
    probe.sysfs_root = sysfs.root();
    probe.dev_root = dir.path();
    probe.proc_root = dir / "proc";
    probe.group_file = dir / "group";
    probe.udev_rule_dirs = {dir / "rules.d"};
    probe.lock_path = lock_file;
    probe.status = [&](const std::string& path) -> std::optional<platform::FileStatus> {
        const auto found = files.find(path);
        if (found == files.end() || (row.hub == Hub::BoundNoI2cDev && path != lock_file)) {
            return std::nullopt;
        }
        return found->second;
    };
    probe.login_groups = [&] {
        return row.in_login_group ? std::vector<unsigned>{kUser, kI2cGroup}
                                  : std::vector<unsigned>{row.euid};
    };
    probe.privileges = system.privileges();
    probe.boot_dir = dir / "boot";
    probe.kernel_release = "6.1.0-test";
    if (row.kernel_config != nullptr) {
        std::filesystem::create_directories(probe.boot_dir);
        test::write_file(probe.boot_dir + "/config-6.1.0-test", row.kernel_config);
    }

    CtlCommand command;
    command.command = Command::Diagnose;
    command.state_dir = dir / "state";
    test::FakeConsole console;
    EXPECT_EQ(run_diagnose(command, probe, dir / "settings.reg", console), row.status);

    const platform::AccessFacts facts = platform::gather_access_facts(probe);
    const DiagnoseReport report = build_diagnose_report(facts, command.bus, {}, {});
    for (const auto& [key, verdict] : row.verdicts) {
        bool found = false;
        for (const DiagnoseLine& line : report.lines) {
            if (line.key == key) {
                found = true;
                EXPECT_EQ(line.verdict, verdict) << key << ": " << line.value;
                EXPECT_EQ(line.fix.empty(), verdict != Verdict::Wrong) << key << ": " << line.fix;
            }
        }
        EXPECT_TRUE(found) << key;
    }
    bool said = false;
    for (const DiagnoseLine& line : report.lines) {
        said = said || (line.key == std::string(row.key) &&
                        (line.value + "; fix: " + line.fix).find(row.says) != std::string::npos);
    }
    EXPECT_EQ(report.lines.front().key,
              std::string(row.hub == Hub::Absent ? "pci_function" : "architecture"));
    EXPECT_TRUE(said) << row.says << "\n" << diagnose_text(report);
    EXPECT_EQ(report.lines.back().key, std::string("path"));
    EXPECT_NE(console.out().find(row.says), std::string::npos) << console.out();
}

INSTANTIATE_TEST_SUITE_P(Situations, DiagnoseTest, ::testing::ValuesIn(kRows), test::ByLabel());

// The kernel's own /proc/locks and stat(2), against an flock this test holds, as the port path's
// lock file is held.
TEST(DiagnoseLockHolder, FoundInTheKernelsListOfLocks) {
    test::TempDir dir;
    const std::string lock_file = dir / "vantrel.lock";
    test::write_file(lock_file, "");
    platform::AccessProbe probe = platform::real_access_probe();
    probe.sysfs_root = dir / "sys";
    probe.lock_path = lock_file;
    EXPECT_FALSE(platform::gather_access_facts(probe).port_lock_holder);

    platform::InstanceLock lock;
    bool held_elsewhere = false;
    std::string message;
    ASSERT_TRUE(lock.acquire(lock_file, held_elsewhere, message)) << message;
    const platform::AccessFacts facts = platform::gather_access_facts(probe);
    ASSERT_TRUE(facts.port_lock_holder);
    EXPECT_EQ(facts.port_lock_holder->pid, static_cast<long>(::getpid()));
    EXPECT_FALSE(facts.port_lock_holder->command.empty());
}

}  // namespace
}  // namespace vantrel::cli
