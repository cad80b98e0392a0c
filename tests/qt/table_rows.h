// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QTest>
#include <cstddef>

namespace vantrel::test {

// Table-driven Qt tests: a test's table is a constant array of rows, each with a `label`. The
// data function adds one data row per entry, named by its label; the test reads its entry back.
template <class Row, std::size_t N>
void add_rows(const Row (&rows)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i) {
        QTest::newRow(rows[i].label) << static_cast<int>(i);
    }
}

template <class Row, std::size_t N>
const Row& fetch_row(const Row (&rows)[N]) {
    QFETCH(int, row);
    return rows[static_cast<std::size_t>(row)];
}

}  // namespace vantrel::test
