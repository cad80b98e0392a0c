// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "sim/linux/sim_i2c_dev.h"
#include "support/i2c_node_steps.h"
#include "support/param_name.h"

namespace vantrel::test {
namespace {

// The simulated node answers the requests of the kernel boot's table as the recorded kernel
// answered them (scripts/test-kernel.sh makes them on the real kernel).
struct NodeTable {
    const char* label;
    std::vector<NodeStep> (*steps)();
    bool stub_attached;
};

class SimulatedNodeAsKernel : public ::testing::TestWithParam<NodeTable> {};

TEST_P(SimulatedNodeAsKernel, AnswersWhatTheKernelAnswered) {
    const auto& table = GetParam();
    const std::vector<NodeStep> steps = table.steps();
    sim::SimulatedI2cDev node("/dev/i2c-4");
    StubLikeDevice device;
    if (table.stub_attached) {
        node.attach(0x69 << 1, device);
    }
    const std::vector<NodeAnswer> answers = run_node_steps(node, 4, steps);
    ASSERT_EQ(answers.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].label);
        switch (steps[i].agreement) {
            case Agreement::Same:
                EXPECT_EQ(describe(answers[i]), describe(steps[i].kernel));
                break;
            case Agreement::BothFail:
                EXPECT_NE(answers[i].error, 0);
                EXPECT_NE(steps[i].kernel.error, 0);
                break;
            case Agreement::KernelOnly:
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, SimulatedNodeAsKernel,
                         ::testing::Values(NodeTable{"StubChip", stub_node_steps, true},
                                           NodeTable{"NoDevice", absent_device_steps, false}),
                         ByLabel());

}  // namespace
}  // namespace vantrel::test
