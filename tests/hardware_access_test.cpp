// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/access/hardware_access.h"
#include "support/fake_port_access.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

using test::FakePortAccess;
using test::TempDir;
using Ranges = std::vector<std::pair<unsigned, unsigned>>;

const UserAccount kAlice{"alice", 1000, 100, "/home/alice"};

// A sysfs tree with the hub's SMBus function, as the kernel shows it, and a lock file path.
struct Machine {
    TempDir dir;
    FakePortAccess fake;
    HardwareAccessOptions options{dir.path(), dir / "vantrel.lock"};

    Machine() {
        // Started with sudo by alice, on an ICH whose SMBus block is 0xE800-0xE80F.
        fake.environment = {{"SUDO_UID", "1000"}, {"SUDO_GID", "100"}};
        fake.accounts = {kAlice};
        std::filesystem::create_directories(function());
        resource("0x000000000000e800 0x000000000000e80f 0x0000000000040101\n");
        ids(function(), "0x8086\n", "0x2443\n");  // 82801BA SMBus function
        std::filesystem::create_directories(bridge());
        ids(bridge(), "0x8086\n", "0x2440\n");  // its bridge
    }
    std::string function() const { return dir / "bus/pci/devices/0000:00:1f.3"; }
    std::string bridge() const { return dir / "bus/pci/devices/0000:00:1f.0"; }
    static void ids(const std::string& where, const char* vendor, const char* device) {
        test::write_file(where + "/vendor", vendor);
        test::write_file(where + "/device", device);
    }
    void resource(const std::string& bar4) {
        std::string text;
        for (int i = 0; i < 4; ++i) {
            text += "0x0000000000000000 0x0000000000000000 0x0000000000000000\n";
        }
        test::write_file(function() + "/resource", text + bar4);
    }
    void bind(const std::string& driver) {
        std::filesystem::create_directories(dir / ("bus/pci/drivers/" + driver));
        std::filesystem::create_directory_symlink("../../../../bus/pci/drivers/" + driver,
                                                  function() + "/driver");
    }
};

// Everything a refusal must leave behind: no port reachable, nothing granted, the lock free,
// and the layer still refusing to make an access.
void expect_nothing_granted(Machine& m, LinuxPortIo& io) {
    EXPECT_FALSE(m.fake.any_port_reachable());
    EXPECT_TRUE(io.granted_ranges().empty());
    if (test::file_exists(m.options.lock_path)) {
        InstanceLock again;
        bool elsewhere = false;
        std::string message;
        EXPECT_TRUE(again.acquire(m.options.lock_path, elsewhere, message)) << message;
    }
    EXPECT_EQ(io.read_dword(0xCFC), 0xFFFFFFFFu);
    EXPECT_EQ(io.denied_accesses(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Refusals: each names its cause and the fix, grants nothing, and still gives up root.

struct RefusalCase {
    const char* label;
    void (*arrange)(Machine& m);
    std::vector<const char*> said;
    const char* never_said = nullptr;
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, NamesTheCauseAndLeavesNoPortReachable) {
    Machine m;
    GetParam().arrange(m);
    LinuxPortIo io(m.fake.system());
    std::string error;
    std::string note;
    const HardwareAccess access =
        prepare_hardware_access(m.options, io, m.fake.privileges(), error, note);

    EXPECT_EQ(access.status, HardwareAccessStatus::Refused);
    EXPECT_FALSE(access.lock.held());
    for (const char* part : GetParam().said) {
        EXPECT_NE(error.find(part), std::string::npos) << "no \"" << part << "\" in: " << error;
    }
    if (GetParam().never_said != nullptr) {
        EXPECT_EQ(error.find(GetParam().never_said), std::string::npos) << error;
    }
    EXPECT_TRUE(note.empty()) << note;
    expect_nothing_granted(m, io);
    EXPECT_EQ(m.fake.ids.euid, 1000u) << "the window would run as root";
}

INSTANTIATE_TEST_SUITE_P(
    Causes, Refusal,
    ::testing::Values(
        RefusalCase{"KernelWithoutIoperm",
                    [](Machine& m) { m.fake.probe_errno = ENOSYS; },
                    {"does not provide ioperm", "CONFIG_X86_IOPL_IOPERM"}},
        RefusalCase{"LockdownIntegrity",
                    [](Machine& m) { m.fake.lockdown = "none [integrity] confidentiality\n"; },
                    {"lockdown", "Secure Boot"}},
        RefusalCase{"LockdownConfidentiality",
                    [](Machine& m) { m.fake.lockdown = "none integrity [confidentiality]\n"; },
                    {"lockdown", "Secure Boot"}},
        RefusalCase{
            "KernelDriverBound",
            [](Machine& m) { m.bind("i801_smbus"); },
            {"i801_smbus", "race", "echo 0000:00:1f.3 > /sys/bus/pci/drivers/i801_smbus/unbind"}},
        RefusalCase{"OtherDriverBound",
                    [](Machine& m) { m.bind("vfio-pci"); },
                    {"vfio-pci driver", "/sys/bus/pci/drivers/vfio-pci/unbind"}},
        // ICH9 with the kernel's driver bound: the hub is the cause, and unbinding would not help.
        RefusalCase{"UnsupportedHubWithDriver",
                    [](Machine& m) {
                        Machine::ids(m.function(), "0x8086\n", "0x2930\n");
                        m.bind("i801_smbus");
                    },
                    {"0000:00:1f.3 (8086:2930) is not that of a hub Vantrel supports", "82801BA"},
                    "unbind"},
        // A PC without an Intel hub: the cause, and no controller named where there is none.
        RefusalCase{"NoHubOfOurs",
                    [](Machine& m) {
                        std::filesystem::remove_all(m.function());
                        std::filesystem::remove_all(m.bridge());
                        const std::string host = m.dir / "bus/pci/devices/0000:00:00.0";
                        std::filesystem::create_directories(host);
                        Machine::ids(host, "0x8086\n", "0x1237\n");  // i440FX
                    },
                    {"no hub Vantrel supports", "82801BA"},
                    "1f"},
        RefusalCase{"NotRoot",
                    [](Machine& m) {
                        m.fake.raw_io = false;
                        m.fake.ids = {1000, 1000, 1000, 100, 100, 100};
                        m.fake.environment.clear();
                    },
                    {"0x0CF8-0x0CFF", "run the program as root"}},
        RefusalCase{"RootWithoutRawIo",
                    [](Machine& m) { m.fake.raw_io = false; },
                    {"CAP_SYS_RAWIO", "on the host"}},
        RefusalCase{"LockFileUnusable",
                    [](Machine& m) { m.options.lock_path = m.dir / "missing/vantrel.lock"; },
                    {"Cannot open the lock file", "missing/vantrel.lock"}},
        RefusalCase{"PciConfigGrantRefused",
                    [](Machine& m) { m.fake.grant_errno = EIO; },
                    {"0x0CF8-0x0CFF", "Input/output error"}},
        RefusalCase{"SmbusGrantRefusedAfterPciConfig",
                    [](Machine& m) {
                        m.fake.refused_first = 0xE800;
                        m.fake.refused_errno = EINVAL;
                    },
                    {"0xE800-0xE80F", "Invalid argument"}}),
    test::ByLabel());

// ---------------------------------------------------------------------------------------------
// Ready: PCI configuration and the block the kernel assigned, then root is given up.

struct GrantCase {
    const char* label;
    const char* bar4;  // nullptr: the function is hidden; "no list": no PCI devices listed
    Ranges granted;
    const char* note;  // "" for none
};

class Grants : public ::testing::TestWithParam<GrantCase> {};

TEST_P(Grants, ReachOnlyTheBlockTheKernelAssigned) {
    Machine m;
    if (GetParam().bar4 == nullptr) {
        std::filesystem::remove_all(m.function());
    } else if (std::string(GetParam().bar4) == "no list") {
        std::filesystem::remove_all(m.dir / "bus/pci/devices");
    } else {
        m.resource(GetParam().bar4);
    }
    LinuxPortIo io(m.fake.system());
    std::string error;
    std::string note;
    const HardwareAccess access =
        prepare_hardware_access(m.options, io, m.fake.privileges(), error, note);

    ASSERT_EQ(access.status, HardwareAccessStatus::Ready) << error;
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(io.granted_ranges(), GetParam().granted);
    EXPECT_NE(note.find(GetParam().note), std::string::npos) << note;
    EXPECT_EQ(note.empty(), std::string(GetParam().note).empty()) << note;
    // Every grant comes before root is given up; ioperm needs root.
    const auto& calls = m.fake.calls;
    std::size_t last_grant = 0;
    std::size_t drop = calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].find(" on") != std::string::npos) {
            last_grant = i;
        }
        if (calls[i].rfind("setresuid", 0) == 0 && drop == calls.size()) {
            drop = i;
        }
    }
    EXPECT_LT(last_grant, drop);
    EXPECT_EQ(m.fake.ids.euid, 1000u);
    // The lock is held while the result lives.
    InstanceLock second;
    bool elsewhere = false;
    std::string refused;
    EXPECT_FALSE(second.acquire(m.options.lock_path, elsewhere, refused));
    EXPECT_TRUE(elsewhere);
    EXPECT_NE(refused.find("process " + std::to_string(::getpid())), std::string::npos) << refused;
}

const Ranges kPciOnly = {{0xCF8, 0xD00}};

INSTANTIATE_TEST_SUITE_P(
    Blocks, Grants,
    ::testing::Values(
        GrantCase{"SixteenPorts",
                  "0x000000000000e800 0x000000000000e80f 0x0000000000040101\n",
                  {{0xCF8, 0xD00}, {0xE800, 0xE810}},
                  ""},
        GrantCase{"ThirtyTwoPorts",
                  "0x0000000000000400 0x000000000000041f 0x0000000000040101\n",
                  {{0xCF8, 0xD00}, {0x400, 0x420}},
                  ""},
        GrantCase{"FunctionHidden", nullptr, kPciOnly, "assigned no I/O block"},
        // No PCI list to go by (a container): port discovery decides, and no controller is named.
        GrantCase{"NoPciList", "no list", kPciOnly, ""},
        GrantCase{"MemoryRange", "0x00000000fe000000 0x00000000fe00000f 0x0000000000040200\n",
                  kPciOnly, "assigned no I/O block"},
        GrantCase{"Unassigned", "0x0000000000000000 0x000000000000000f 0x0000000000040101\n",
                  kPciOnly, "assigned no I/O block"},
        GrantCase{"ImplausiblyLarge", "0x000000000000e800 0x000000000000efff 0x0000000000040101\n",
                  kPciOnly, "assigned no I/O block"},
        GrantCase{"Garbled", "0xe800 to 0xe80f\n", kPciOnly, "assigned no I/O block"}),
    test::ByLabel());

// ---------------------------------------------------------------------------------------------
// A second instance.

TEST(SecondInstance, SaysSoTouchesNothingAndGivesUpRoot) {
    Machine m;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        InstanceLock lock;
        bool elsewhere = false;
        std::string message;
        const char ok = lock.acquire(m.options.lock_path, elsewhere, message) ? 1 : 0;
        (void)!::write(ready[1], &ok, 1);
        while (true) {
            ::pause();
        }
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);

    LinuxPortIo io(m.fake.system());
    std::string message;
    std::string note;
    const HardwareAccess access =
        prepare_hardware_access(m.options, io, m.fake.privileges(), message, note);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(access.status, HardwareAccessStatus::AlreadyRunning);
    EXPECT_NE(message.find("process " + std::to_string(holder)), std::string::npos) << message;
    EXPECT_NE(message.find("only one"), std::string::npos) << message;
    EXPECT_TRUE(m.fake.calls_starting("ioperm 0x0CF8+8 on").empty());
    EXPECT_FALSE(m.fake.any_port_reachable());
    EXPECT_EQ(m.fake.ids.euid, 1000u);
}

// ---------------------------------------------------------------------------------------------
// Giving up root.

struct DropCase {
    const char* label;
    ProcessIds ids;
    std::map<std::string, std::string> environment;
    void (*arrange)(FakePortAccess& fake);
    HardwareAccessStatus status;
    std::vector<std::string> calls;  // the identity calls, in order
    unsigned euid_after;
};

class PrivilegeDrop : public ::testing::TestWithParam<DropCase> {};

// The row's user, environment and accounts on a fresh machine.
void arrange_users(Machine& m, const DropCase& row) {
    m.fake.ids = row.ids;
    m.fake.environment = row.environment;
    m.fake.accounts = {kAlice, {"bob", 1001, 101, "/home/bob"}};
    if (row.arrange != nullptr) {
        row.arrange(m.fake);
    }
}

// The identity calls made, in order, and the effective user they left.
void expect_identity_steps(const Machine& m, const DropCase& row) {
    std::vector<std::string> identity;
    for (const auto& call : m.fake.calls) {
        if (call.rfind("set", 0) == 0 || call.rfind("capset", 0) == 0) {
            identity.push_back(call);
        }
    }
    EXPECT_EQ(identity, row.calls);
    EXPECT_EQ(m.fake.ids.euid, row.euid_after);
}

TEST_P(PrivilegeDrop, BecomesTheInvokingUserForGood) {
    Machine m;
    arrange_users(m, GetParam());
    LinuxPortIo io(m.fake.system());
    std::string message;
    std::string note;
    const HardwareAccess access =
        prepare_hardware_access(m.options, io, m.fake.privileges(), message, note);

    EXPECT_EQ(access.status, GetParam().status) << message;
    expect_identity_steps(m, GetParam());
    if (GetParam().status == HardwareAccessStatus::CannotDropRoot) {
        EXPECT_NE(message.find("Cannot give up"), std::string::npos) << message;
        expect_nothing_granted(m, io);
    }
}

// A program that needs no ports (the kernel's node is open) gives up root the same way.
TEST_P(PrivilegeDrop, WithoutPortsBecomesTheInvokingUserTheSameWay) {
    Machine m;
    arrange_users(m, GetParam());
    std::string message;
    std::string note;
    const HardwareAccessStatus status = give_up_root(m.fake.privileges(), message, note);

    const bool refused = GetParam().status == HardwareAccessStatus::CannotDropRoot;
    EXPECT_EQ(status, refused ? HardwareAccessStatus::CannotDropRoot : HardwareAccessStatus::Ready)
        << message;
    EXPECT_EQ(message.empty(), !refused) << message;
    expect_identity_steps(m, GetParam());
    EXPECT_TRUE(m.fake.calls_starting("ioperm").empty());
}

const ProcessIds kRoot{0, 0, 0, 0, 0, 0};
const std::vector<std::string> kAliceSteps = {
    "setgroups alice 100",     "setresgid 100",     "setresuid 1000",      "setresuid 0",
    "setenv HOME=/home/alice", "setenv USER=alice", "setenv LOGNAME=alice"};

INSTANTIATE_TEST_SUITE_P(
    Users, PrivilegeDrop,
    ::testing::Values(
        DropCase{"Sudo",
                 kRoot,
                 {{"SUDO_UID", "1000"}, {"SUDO_GID", "100"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 kAliceSteps,
                 1000},
        DropCase{"SudoGroupOtherThanTheAccounts",
                 kRoot,
                 {{"SUDO_UID", "1000"}, {"SUDO_GID", "27"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 {"setgroups alice 27", "setresgid 27", "setresuid 1000", "setresuid 0",
                  "setenv HOME=/home/alice", "setenv USER=alice", "setenv LOGNAME=alice"},
                 1000},
        DropCase{"SudoWithoutGid",
                 kRoot,
                 {{"SUDO_UID", "1000"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 kAliceSteps,
                 1000},
        DropCase{"Pkexec",
                 kRoot,
                 {{"PKEXEC_UID", "1000"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 kAliceSteps,
                 1000},
        DropCase{"Doas",
                 kRoot,
                 {{"DOAS_USER", "alice"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 kAliceSteps,
                 1000},
        DropCase{"SudoUserWithoutAccount",
                 kRoot,
                 {{"SUDO_UID", "2000"}, {"SUDO_GID", "2000"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 {"setgroups - 2000", "setresgid 2000", "setresuid 2000", "setresuid 0"},
                 2000},
        // The environment of a set-user-ID program is the caller's to choose: not trusted.
        DropCase{"SetUserIdProgram",
                 {1001, 0, 0, 101, 101, 101},
                 {{"SUDO_UID", "0"}},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 {"setgroups bob 101", "setresgid 101", "setresuid 1001", "setresuid 0",
                  "setenv HOME=/home/bob", "setenv USER=bob", "setenv LOGNAME=bob"},
                 1001},
        DropCase{"RootLogin", kRoot, {}, nullptr, HardwareAccessStatus::Ready, {}, 0},
        DropCase{"CapabilityWithoutRoot",
                 {1000, 1000, 1000, 100, 100, 100},
                 {},
                 nullptr,
                 HardwareAccessStatus::Ready,
                 {"capset none"},
                 1000},
        DropCase{"MalformedSudoUid",
                 kRoot,
                 {{"SUDO_UID", "1000; rm"}},
                 nullptr,
                 HardwareAccessStatus::CannotDropRoot,
                 {},
                 0},
        DropCase{"UnknownPkexecUser",
                 kRoot,
                 {{"PKEXEC_UID", "4242"}},
                 nullptr,
                 HardwareAccessStatus::CannotDropRoot,
                 {},
                 0},
        DropCase{"GroupsRefused",
                 kRoot,
                 {{"SUDO_UID", "1000"}, {"SUDO_GID", "100"}},
                 [](FakePortAccess& f) { f.groups_errno = EPERM; },
                 HardwareAccessStatus::CannotDropRoot,
                 {"setgroups alice 100"},
                 0},
        DropCase{"RootCanBeRegained",
                 kRoot,
                 {{"SUDO_UID", "1000"}, {"SUDO_GID", "100"}},
                 [](FakePortAccess& f) { f.regain_allowed = true; },
                 HardwareAccessStatus::CannotDropRoot,
                 {"setgroups alice 100", "setresgid 100", "setresuid 1000", "setresuid 0"},
                 0},
        DropCase{"CapabilityThatStays",
                 {1000, 1000, 1000, 100, 100, 100},
                 {},
                 [](FakePortAccess& f) { f.capabilities_stick = true; },
                 HardwareAccessStatus::CannotDropRoot,
                 {"capset none"},
                 1000}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
