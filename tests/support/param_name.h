#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace vantrel::test {

// A row of a parameterised test that carries its own case name.
template <class Row>
concept LabelledRow = requires(const Row& row) {
    std::string_view(row.label);
};

// Names a parameterised test after its row's `label`, so a failure reads as a case name rather
// than a byte dump. Labels must be letters, digits and underscores.
struct ByLabel {
    template <LabelledRow Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return std::string(row.param.label);
    }
};

// Prints a labelled row as its label, for the test listing and failure messages. A test file
// brings it in with `using test::PrintTo;` next to its rows, where argument lookup finds it.
template <LabelledRow Row>
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.label;
}

}  // namespace vantrel::test
