#pragma once

// A pattern argument: a default name (str, bytes or bytearray), a
// pipmoves.SampledPattern or a pipmoves_play.Pattern, converted without
// copying anything; resolving a name is the core's work, in Resolved.

#include <pybind11/pybind11.h>

#include <optional>
#include <string_view>
#include <variant>

#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/sampled_pattern.hpp"

namespace pipmoves::play::python {

struct Source {
  std::variant<std::string_view, const SampledPattern*, const PatternRef*> value;
};

// The pattern of a source: the Pattern itself, or one resolved for the call.
class Resolved {
 public:
  explicit Resolved(const Source& source) {
    if (const auto* ref = std::get_if<const PatternRef*>(&source.value)) {
      ref_ = *ref;
    } else if (const auto* sampled = std::get_if<const SampledPattern*>(&source.value)) {
      ref_ = &own_.emplace(**sampled);
    } else {
      ref_ = &own_.emplace(PatternRef::named(std::get<std::string_view>(source.value)));
    }
  }
  Resolved(const Resolved&) = delete;
  Resolved& operator=(const Resolved&) = delete;

  const PatternRef& operator*() const noexcept { return *ref_; }

 private:
  std::optional<PatternRef> own_;
  const PatternRef* ref_ = nullptr;
};

}  // namespace pipmoves::play::python

namespace pybind11::detail {

template <>
struct type_caster<pipmoves::play::python::Source> {
  PYBIND11_TYPE_CASTER(pipmoves::play::python::Source,
                       const_name("str | bytes | ") + make_caster<pipmoves::SampledPattern>::name +
                           const_name(" | ") + make_caster<pipmoves::play::PatternRef>::name);

  bool load(handle src, bool convert) {
    if (PyUnicode_Check(src.ptr()) || PyBytes_Check(src.ptr()) || PyByteArray_Check(src.ptr())) {
      make_caster<std::string_view> name;
      if (!name.load(src, convert)) {
        return false;
      }
      value.value = cast_op<std::string_view>(name);
      return true;
    }
    make_caster<pipmoves::play::PatternRef> pattern;
    if (pattern.load(src, false)) {
      value.value = &cast_op<const pipmoves::play::PatternRef&>(pattern);
      return true;
    }
    make_caster<pipmoves::SampledPattern> sampled;
    if (sampled.load(src, false)) {
      value.value = &cast_op<const pipmoves::SampledPattern&>(sampled);
      return true;
    }
    return false;
  }
};

}  // namespace pybind11::detail
