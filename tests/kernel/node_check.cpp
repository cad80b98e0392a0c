// SPDX-License-Identifier: GPL-2.0-or-later
// Makes the same requests on a real kernel's i2c-dev node and on the simulated node, and says
// for each whether the two answers agree and the kernel's is the one recorded in the table.
//
//   vantrel_kernel_node_check functions   the mask to load i2c-stub with (functionality=)
//   vantrel_kernel_node_check stub N      /dev/i2c-N is i2c-stub's, with a chip at 0x69
//   vantrel_kernel_node_check absent N    /dev/i2c-N is the ICH driver's, nothing at 0x69

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/kernel/i2c_dev_system.h"
#include "sim/linux/sim_i2c_dev.h"
#include "support/i2c_node_steps.h"

namespace {

using vantrel::test::Agreement;
using vantrel::test::NodeAnswer;
using vantrel::test::NodeStep;

int usage() {
    std::fprintf(stderr, "usage: vantrel_kernel_node_check functions | stub N | absent N\n");
    return 2;
}

// One line per step; false when a step fails.
bool report(const char* table, const NodeStep& step, const NodeAnswer& kernel,
            const NodeAnswer& simulated) {
    bool agrees = true;
    switch (step.agreement) {
        case Agreement::Same:
            agrees = simulated == kernel;
            break;
        case Agreement::BothFail:
            agrees = simulated.error != 0 && kernel.error != 0;
            break;
        case Agreement::KernelOnly:
            break;
    }
    const bool recorded = kernel == step.kernel;
    const bool ok = agrees && recorded;
    std::printf("%s node %s: %s: kernel %s", ok ? "ok  " : "FAIL", table, step.label,
                vantrel::test::describe(kernel).c_str());
    if (!agrees) {
        std::printf(", simulated %s", vantrel::test::describe(simulated).c_str());
    }
    if (!recorded) {
        std::printf(", recorded %s", vantrel::test::describe(step.kernel).c_str());
    }
    std::printf("\n");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "functions") {
        std::printf("0x%lx\n", vantrel::sim::SimulatedI2cDev::kIchFunctions);
        return 0;
    }
    if (argc != 3) {
        return usage();
    }
    const std::string table = argv[1];
    const int adapter = std::atoi(argv[2]);
    std::vector<NodeStep> steps;
    if (table == "stub") {
        steps = vantrel::test::stub_node_steps();
    } else if (table == "absent") {
        steps = vantrel::test::absent_device_steps();
    } else {
        return usage();
    }
    const std::string node = "/dev/i2c-" + std::to_string(adapter);

    vantrel::platform::RealI2cDevSystem real;
    const std::vector<NodeAnswer> kernel = vantrel::test::run_node_steps(real, adapter, steps);

    vantrel::sim::SimulatedI2cDev simulated_node(node);
    vantrel::test::StubLikeDevice device;
    if (table == "stub") {
        simulated_node.attach(0x69 << 1, device);
    }
    const std::vector<NodeAnswer> simulated =
        vantrel::test::run_node_steps(simulated_node, adapter, steps);

    bool all = true;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        all = report(table.c_str(), steps[i], kernel[i], simulated[i]) && all;
    }
    return all ? 0 : 1;
}
