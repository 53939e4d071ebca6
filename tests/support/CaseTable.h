#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

// The shape the text tests share: one function checked against a small table of
// inputs and what it must give for each. A failure names its input.
namespace corvane::test {

template <class Out = std::string, class In = std::string, class Function>
void ExpectTable(Function&& function, std::initializer_list<std::pair<In, Out>> table) {
    for (const auto& [input, expected] : table) {
        EXPECT_EQ(function(input), expected) << "for " << ::testing::PrintToString(input);
    }
}

// Every value of a list gives the same answer.
template <class In, class Function, class Out>
void ExpectEach(Function&& function, std::initializer_list<In> values, const Out& expected) {
    for (const In& value : values) {
        EXPECT_EQ(function(value), expected) << "for " << ::testing::PrintToString(value);
    }
}

}  // namespace corvane::test
