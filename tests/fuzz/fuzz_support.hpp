#pragma once

// Shared pieces of the user-types fuzz target: decoding bytes into arguments,
// rules restated independently of the library, and outcome checks that abort
// with a readable report so libFuzzer keeps the input.

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>

namespace pipmoves::fuzz {

[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

inline void require(bool ok, const std::string& what) {
  if (!ok) {
    fail(what);
  }
}

// How a call ended: normally (empty type), or with one of the exceptions the
// library may throw. Anything else escapes and is reported by libFuzzer.
struct Outcome {
  std::string type;
  std::string message;
};

template <typename Call>
Outcome outcome_of(Call&& call) {
  try {
    call();
    return {};
  } catch (const std::exception& error) {
    const std::type_info& type = typeid(error);
    if (type == typeid(std::invalid_argument)) {
      return {"invalid_argument", error.what()};
    }
    if (type == typeid(std::out_of_range)) {
      return {"out_of_range", error.what()};
    }
    if (type == typeid(std::logic_error)) {
      return {"logic_error", error.what()};
    }
    fail(std::string("unexpected exception ") + type.name() + ": " + error.what());
  }
}

inline void expect(const Outcome& have, const Outcome& want, const std::string& context) {
  if (have.type != want.type || have.message != want.message) {
    fail(context + "\n want " + (want.type.empty() ? "success" : want.type + " \"" + want.message + "\"") +
         "\n have " + (have.type.empty() ? "success" : have.type + " \"" + have.message + "\""));
  }
}

inline Outcome invalid(std::string message) { return {"invalid_argument", std::move(message)}; }

inline bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// ---- the rules, restated ----------------------------------------------------

inline bool is_name(std::string_view s) {
  if (s.empty() || s.size() > 128 || !(s[0] >= 'a' && s[0] <= 'z')) {
    return false;
  }
  for (const char c : s) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) {
      return false;
    }
  }
  return true;
}

inline bool in_unit_range(double v) { return std::isfinite(v) && std::fabs(v) <= 1.0; }

inline std::int64_t floor_mod(std::int64_t pip, std::int64_t period) {
  const std::int64_t r = pip % period;
  return r < 0 ? r + period : r;
}

// ---- decoding ---------------------------------------------------------------

// Mostly edge values, sometimes any bit pattern.
inline double consume_value(FuzzedDataProvider& in) {
  static const double kEdges[] = {
      0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 0.1, -0.75,
      std::nextafter(1.0, 2.0), std::nextafter(-1.0, -2.0), std::nextafter(1.0, 0.0),
      std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(), std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      2.0, 120.0, 1e-300, 1e-307, 60.0 / std::numeric_limits<double>::max(),
      std::nextafter(60.0 / std::numeric_limits<double>::max(), 0.0),
  };
  const auto pick = in.ConsumeIntegral<std::uint8_t>();
  if (pick < 224) {
    return kEdges[pick % std::size(kEdges)];
  }
  return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
}

// Only values a pattern or recording accepts.
inline double consume_unit_value(FuzzedDataProvider& in) {
  const double v = consume_value(in);
  return in_unit_range(v) ? v : 0.25;
}

// Names from a small alphabet, so that repeats are common; sometimes a byte
// that breaks the rule, sometimes a length at or past the limit.
inline std::string consume_name(FuzzedDataProvider& in) {
  static constexpr std::string_view kGood = "abcxyz019_";
  static constexpr std::string_view kBad("AZ-. `{/:@[\xff\xc3\0", 14);
  switch (in.ConsumeIntegral<std::uint8_t>() % 16) {
    case 15:
      return std::string();
    case 14:
      return std::string(128, 'n');
    case 13:
      return std::string(129, 'n');
    default:
      break;
  }
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, 4);
  std::string name;
  for (std::size_t i = 0; i < length; ++i) {
    const auto pick = in.ConsumeIntegral<std::uint8_t>();
    name += pick < 240 ? kGood[pick % kGood.size()] : kBad[pick % kBad.size()];
  }
  return name;
}

inline std::int32_t consume_pip(FuzzedDataProvider& in) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  switch (in.ConsumeIntegral<std::uint8_t>() % 4) {
    case 0:
      return kMax - in.ConsumeIntegralInRange<std::int32_t>(0, 70000);
    case 1:
      return kMin + in.ConsumeIntegralInRange<std::int32_t>(0, 70000);
    case 2:
      return in.ConsumeIntegralInRange<std::int32_t>(-300, 300);
    default:
      return in.ConsumeIntegral<std::int32_t>();
  }
}

}  // namespace pipmoves::fuzz
