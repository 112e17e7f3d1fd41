#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <string_view>
#include <typeinfo>

namespace pipmoves::testing {

// Succeeds only if call() throws exactly Exception (not a type derived from
// it) with exactly the message want.
template <typename Exception, typename Call>
::testing::AssertionResult ThrowsExactly(Call&& call, std::string_view want) {
  try {
    call();
  } catch (const std::exception& error) {
    const bool same_type = typeid(error) == typeid(Exception);
    if (same_type && want == error.what()) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "\n want " << typeid(Exception).name() << " \"" << want << "\""
           << "\n have " << typeid(error).name() << " \"" << error.what() << "\"";
  }
  return ::testing::AssertionFailure() << "\n want " << typeid(Exception).name() << " \"" << want << "\""
                                       << "\n have no exception";
}

}  // namespace pipmoves::testing
