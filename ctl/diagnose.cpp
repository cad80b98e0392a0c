// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/diagnose.h"

#include <algorithm>
#include <cstdio>

#include "bus/smbus_controller.h"
#include "platform/linux/bus_choice.h"

namespace vantrel::cli {

namespace {

using platform::AccessFacts;
using platform::BusPath;

// Which path needs a fact to be right; a fact that is always needed is wrong on any path.
constexpr unsigned kKernel = 1;
constexpr unsigned kPorts = 2;
constexpr unsigned kAlways = 4;

constexpr const char* kUdevFix =
    "give the node to group \"i2c\" with the rule that comes with Vantrel (\"sudo cp "
    "dist/60-vantrel-i2c.rules /etc/udev/rules.d/ && sudo udevadm trigger\"), join that group "
    "with \"sudo usermod -aG i2c $USER\" and log in again";
constexpr const char* kRootFix =
    "run it as root, e.g. with sudo (it gives up root as soon as it holds the ports)";

unsigned path_bit(BusPath path) {
    return path == BusPath::Kernel ? kKernel : path == BusPath::Ports ? kPorts : 0;
}

class Builder {
  public:
    // `hub`: whether a supported hub is there at all. Without one no path can work, so only
    // what every path needs stands in the way.
    Builder(BusPath path, bool hub) : chosen_(path_bit(path)), hub_(hub) {}

    void add(const char* key, std::string value, bool good, unsigned needed_by, std::string fix) {
        DiagnoseLine line{key, std::move(value), Verdict::Ok, {}};
        if (!good) {
            const bool needed = (needed_by & kAlways) != 0 ||
                                (hub_ && ((needed_by & chosen_) != 0 || chosen_ == 0));
            line.verdict = needed ? Verdict::Wrong : Verdict::Unused;
            line.fix = needed ? std::move(fix) : std::string();
        }
        lines_.push_back(std::move(line));
    }
    void add_unknown(const char* key, std::string value) {
        lines_.push_back({key, std::move(value), Verdict::Unknown, {}});
    }
    std::vector<DiagnoseLine> take() { return std::move(lines_); }

  private:
    unsigned chosen_;
    bool hub_;
    std::vector<DiagnoseLine> lines_;
};

bool locked_down(const AccessFacts& facts) {
    return facts.lockdown == "integrity" || facts.lockdown == "confidentiality";
}

bool kernel_lacks_ioperm(const AccessFacts& facts) {
    return facts.ioperm_config.state == platform::KernelOption::Missing;
}

bool ports_work(const AccessFacts& facts) {
    return facts.kind != ChipsetKind::None && facts.has_port_io && !locked_down(facts) &&
           facts.raw_io && !kernel_lacks_ioperm(facts) && !facts.port_lock_holder;
}

bool kernel_works(const AccessFacts& facts) {
    return facts.kind != ChipsetKind::None && facts.node_status && facts.node_openable &&
           !facts.node_lock_holder;
}

std::string who(const AccessFacts& facts) {
    if (facts.ids.euid != 0) {
        return facts.user + " (uid " + std::to_string(facts.ids.euid) + "), not root";
    }
    return facts.sudo_user.empty() ? std::string("root")
                                   : "root, through sudo for " + facts.sudo_user;
}

std::string ioperm_fix(const AccessFacts& facts) {
    if (kernel_lacks_ioperm(facts)) {
        return "use the kernel path, or a kernel built with CONFIG_X86_IOPL_IOPERM";
    }
    if (!facts.has_port_io) {
        return "direct port access exists only on x86 processors; use the kernel path";
    }
    if (locked_down(facts)) {
        return "see lockdown";
    }
    if (facts.ids.euid == 0) {
        return "the process lacks the CAP_SYS_RAWIO capability (a container or a restricted "
               "service); run it as root on the host system";
    }
    return kRootFix;
}

std::string pci_value(const AccessFacts& facts) {
    if (!facts.pci_present) {
        return std::string("no PCI function at ") + platform::kSmbusPciFunction;
    }
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", facts.vendor, facts.device);
    return std::string(platform::kSmbusPciFunction) + " is " + ids +
           (facts.kind == ChipsetKind::None ? ", not a supported hub"
                                            : std::string(", the SMBus function of the Intel ") +
                                                  chipset_display_name(facts.kind));
}

std::string driver_value(const AccessFacts& facts) {
    if (facts.driver.empty()) {
        return "no driver is bound";
    }
    return "\"" + facts.driver + "\" is bound" +
           (facts.module.empty() ? " (built into the kernel)" : " (module " + facts.module + ")");
}

// ioperm(2) is never called here, so it is "available" only when the kernel's configuration
// shows it was built in; without that configuration it is unknown.
void add_ioperm_line(Builder& out, const AccessFacts& facts) {
    const platform::KernelOptionFact& config = facts.ioperm_config;
    if (kernel_lacks_ioperm(facts)) {
        out.add("ioperm",
                "not available: the kernel is built without CONFIG_X86_IOPL_IOPERM (" +
                    config.source + ")",
                false, kPorts, ioperm_fix(facts));
        return;
    }
    if (!facts.has_port_io || locked_down(facts) || !facts.raw_io) {
        out.add("ioperm", "not available to this process", false, kPorts, ioperm_fix(facts));
        return;
    }
    if (config.state == platform::KernelOption::Built) {
        out.add("ioperm",
                "available: CAP_SYS_RAWIO is held, the kernel is not locked down and " +
                    config.source + " has CONFIG_X86_IOPL_IOPERM",
                true, kPorts, {});
        return;
    }
    out.add_unknown(
        "ioperm",
        "unknown: CAP_SYS_RAWIO is held and the kernel is not locked down, but " +
            (config.source.empty() ? std::string("the kernel's configuration cannot be read "
                                                 "(/proc/config.gz, /boot/config-RELEASE)")
                                   : config.source + " does not name CONFIG_X86_IOPL_IOPERM"));
}

void add_node_lines(Builder& out, const AccessFacts& facts) {
    const bool loaded = facts.sysfs.i2c_dev_loaded;
    out.add("i2c_dev", loaded ? "the i2c-dev module is loaded" : "the i2c-dev module is not loaded",
            loaded, kKernel,
            "\"sudo modprobe i2c-dev\" (to load it at every boot: \"echo i2c-dev | sudo tee "
            "/etc/modules-load.d/i2c-dev.conf\")");

    std::string node = facts.node;
    std::string node_fix;
    if (!facts.sysfs.adapter) {
        node = "the hub has no kernel I2C adapter, so no /dev/i2c-N";
        node_fix =
            "load the kernel's SMBus driver and its device interface with \"sudo modprobe "
            "i2c-i801 i2c-dev\"";
    } else if (!facts.node_status) {
        node += " does not exist";
        node_fix = loaded ? "create it with \"sudo mknod -m 0660 " + facts.node + " c 89 " +
                                std::to_string(facts.sysfs.adapter->number) + "\" or restart udev"
                          : "load i2c-dev (see i2c_dev)";
    } else {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", facts.node_status->mode);
        node += ", owner " + facts.node_owner + ", group " + facts.node_group + ", mode " + mode;
    }
    out.add("node", node, facts.node_status.has_value(), kKernel, node_fix);

    std::string access_fix = kUdevFix;
    if (facts.group_needs_login) {
        access_fix = facts.login_user + " is in group \"" + facts.node_group +
                     "\" in /etc/group but not in this login's groups: log out and in again (or "
                     "run \"newgrp " +
                     facts.node_group + "\")";
    } else if (facts.node_status && facts.node_group != "root") {
        access_fix = "join the group that owns it, \"" + facts.node_group +
                     "\", with \"sudo "
                     "usermod -aG " +
                     facts.node_group + " $USER\" and log in again";
    }
    out.add("node_access",
            !facts.node_status ? std::string("no node to open")
            : facts.node_openable
                ? "this process may open " + facts.node + " for reading and writing"
                : "this process may not open " + facts.node,
            facts.node_openable, facts.node_status ? kKernel : 0, access_fix);

    out.add("udev_rule",
            facts.udev_rule.empty()
                ? std::string("no Vantrel rule in /usr/lib/udev/rules.d or /etc/udev/rules.d")
                : facts.udev_rule + " is installed",
            !facts.udev_rule.empty(),
            // Only a node that root alone may open is one the rule would change.
            !facts.node_openable && facts.node_group == "root" ? kKernel : 0, kUdevFix);
}

void add_lock_line(Builder& out, const AccessFacts& facts) {
    const std::string& lock_path = facts.lock_path;
    const auto held = [](const platform::LockHolder& holder, const std::string& what) {
        return "held by process " + std::to_string(holder.pid) +
               (holder.command.empty() ? "" : " (" + holder.command + ")") + " on " + what;
    };
    std::string value =
        "no Vantrel program holds " + lock_path + (facts.node.empty() ? "" : " or " + facts.node);
    unsigned needed_by = 0;
    std::string fix;
    if (facts.node_lock_holder) {
        value = held(*facts.node_lock_holder, facts.node);
        needed_by |= kKernel;
        fix = "close that program first";
    }
    if (facts.port_lock_holder) {
        value = held(*facts.port_lock_holder, lock_path);
        needed_by |= kPorts;
        fix = "close that program first";
    }
    out.add("lock", value, needed_by == 0, needed_by, fix);
}

std::string first_line_of(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// `ctl` is the command line that works on these files: vantrelctl, with --simulate for a
// simulated board's.
void add_file_lines(Builder& out, const GuardFact& guard, const SettingsFact& settings,
                    const std::string& ctl) {
    out.add("boot_guard",
            guard.present ? guard.path + " is there: " + first_line_of(guard.content)
                          : "no boot guard at " + guard.path,
            !guard.present, kAlways,
            "load --at-boot is skipped until it is gone; once the saved settings are right, run "
            "\"" +
                ctl + " clear-guard\"");
    std::string stored =
        settings.path.empty() ? std::string("no home directory to keep it in") : settings.path;
    if (!settings.exists) {
        stored += " is not there yet (\"" + ctl + " save\" writes it)";
    } else if (!settings.problem.empty()) {
        stored += ": " + settings.problem;
    } else if (settings.values.empty()) {
        stored += " holds no saved clock settings yet (\"" + ctl + " save\" writes them)";
    } else {
        stored += ":";
        for (const std::string& value : settings.values) {
            stored += " " + value;
        }
    }
    out.add("settings", stored, settings.problem.empty(), kAlways,
            "correct or remove the file; \"" + ctl + " save\" writes a new one");
}

}  // namespace

DiagnoseReport build_simulated_diagnose_report(const GuardFact& guard,
                                               const SettingsFact& settings) {
    Builder out(BusPath::None, true);
    out.add("board",
            "the simulated board, which needs no access to this machine's hardware and keeps "
            "its own settings and boot guard",
            true, kAlways, {});
    add_file_lines(out, guard, settings, "vantrelctl --simulate");
    DiagnoseReport report;
    report.lines = out.take();
    report.works = true;
    report.simulated = true;
    report.lines.push_back(
        {"path",
         "vantrel and vantrelctl would take the simulated board, and it would work",
         Verdict::Ok,
         {}});
    return report;
}

DiagnoseReport build_diagnose_report(const AccessFacts& facts, platform::BusRequest request,
                                     const GuardFact& guard, const SettingsFact& settings) {
    const platform::BusChoice plan = platform::plan_bus(request, facts.sysfs);
    const bool hub = facts.kind != ChipsetKind::None;
    Builder out(plan.path, hub);
    out.add("architecture",
            facts.architecture +
                (facts.has_port_io ? ", with x86 I/O ports" : ", without x86 I/O ports"),
            facts.has_port_io, kPorts,
            "direct port access needs an x86 processor; use the kernel path");
    out.add("user", who(facts), facts.ids.euid == 0, kPorts, kRootFix);
    out.add("lockdown",
            facts.lockdown.empty() ? std::string("not shown (no /sys/kernel/security/lockdown)")
                                   : facts.lockdown,
            !locked_down(facts), kPorts,
            "lockdown forbids direct port access even to root (Secure Boot usually switches it "
            "on): switch Secure Boot off in the firmware setup, or boot a kernel without "
            "lockdown, or use the kernel path");
    add_ioperm_line(out, facts);
    out.add("pci_function", pci_value(facts), hub, kAlways,
            "Vantrel drives only the SMBus function of an Intel 82801AA, 82801AB or 82801BA");
    const bool bound = !facts.driver.empty();
    const bool driver_fits =
        plan.path != BusPath::None || !(bound || request == platform::BusRequest::Kernel);
    out.add("driver", driver_value(facts), driver_fits, kKernel | kPorts, plan.refusal);
    add_node_lines(out, facts);
    add_lock_line(out, facts);

    add_file_lines(out, guard, settings, "vantrelctl");

    DiagnoseReport report;
    report.works = plan.path == BusPath::Kernel  ? kernel_works(facts)
                   : plan.path == BusPath::Ports ? ports_work(facts)
                                                 : false;
    const std::string name = plan.path == BusPath::Kernel  ? "the kernel path (" + facts.node + ")"
                             : plan.path == BusPath::Ports ? std::string("direct port I/O")
                                                           : std::string("no path");
    // Without a hub the plan's refusal is beside the point: the hub is.
    std::string fix = hub ? plan.refusal : std::string();
    report.lines = out.take();
    if (!hub) {
        // The one fact that decides it comes first.
        const auto pci = std::find_if(
            report.lines.begin(), report.lines.end(),
            [](const DiagnoseLine& line) { return line.key == std::string("pci_function"); });
        std::rotate(report.lines.begin(), pci, pci + 1);
    }
    for (const DiagnoseLine& line : report.lines) {
        if (fix.empty() && line.verdict == Verdict::Wrong &&
            line.key != std::string("boot_guard") && line.key != std::string("settings")) {
            fix = "see " + std::string(line.key);
        }
    }
    const bool unconfirmed = report.works && plan.path == BusPath::Ports &&
                             facts.ioperm_config.state != platform::KernelOption::Built;
    report.lines.push_back({"path",
                            "vantrel and vantrelctl would take " + name +
                                (unconfirmed    ? ", and it would work if the kernel has ioperm "
                                                  "(see ioperm)"
                                 : report.works ? ", and it would work"
                                                : ", and it would not work"),
                            report.works ? Verdict::Ok : Verdict::Wrong,
                            report.works ? std::string() : fix});
    return report;
}

}  // namespace vantrel::cli
