#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vantrel::test {

// Names a parameterised test after its row's `label`, so a failure reads as a case name rather
// than a byte dump. Labels must be letters, digits and underscores.
struct ByLabel {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return std::string(row.param.label);
    }
};

}  // namespace vantrel::test
