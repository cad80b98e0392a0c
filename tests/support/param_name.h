// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <ostream>
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

// Prints a row as its label in the message of a failing case. A test file makes it visible
// beside its rows with `using test::PrintTo;`.
template <class Row>
requires requires(const Row& row) {
    row.label;
}
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.label;
}

}  // namespace vantrel::test
