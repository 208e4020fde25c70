#pragma once
// Names for the cases of a parameterised test, taken from the case's own `name` field: test
// names that read well and stay the same from run to run. Give the case type a PrintTo too:
// ctest shows the printed case beside the name, and a case gtest cannot print shows as a dump
// of its bytes there.

#include <gtest/gtest.h>

#include <string>

namespace vernalo::test {

// The fourth argument of INSTANTIATE_TEST_SUITE_P for cases with a `name` field.
inline constexpr auto CaseName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace vernalo::test
