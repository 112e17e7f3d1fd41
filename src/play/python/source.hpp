#pragma once

// A pattern argument: a default name (str, bytes or bytearray), a
// pipmoves.SampledPattern or a pipmoves_play.Pattern, converted without
// copying anything but a bytearray's name; resolving a name is the core's
// work, in Resolved.

#include <pybind11/pybind11.h>

#include <optional>
#include <string_view>
#include <variant>

#include "bound_classes.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "support/arguments.hpp"
#include "support/name_errors.hpp"

namespace pipmoves::play::python {

struct Source {
  std::variant<std::string_view, const SampledPattern*, const PatternRef*> value;
};

// The pattern of a source: the Pattern itself, or one resolved for the call;
// an unknown name is reported whole.
class Resolved {
 public:
  explicit Resolved(const Source& source) {
    if (const auto* ref = std::get_if<const PatternRef*>(&source.value)) {
      ref_ = *ref;
    } else if (const auto* sampled = std::get_if<const SampledPattern*>(&source.value)) {
      ref_ = &own_.emplace(**sampled);
    } else {
      const std::string_view name = std::get<std::string_view>(source.value);
      ref_ = &own_.emplace(pipmoves::python::naming_in_errors(name, [&] { return PatternRef::named(name); }));
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

// A name is held as pipmoves holds one (a bytearray copied at once), so the
// caster must outlive the Source it fills.
template <>
struct type_caster<pipmoves::play::python::Source> {
  PYBIND11_TYPE_CASTER(pipmoves::play::python::Source,
                       const_name("str | bytes | ") + make_caster<pipmoves::SampledPattern>::name +
                           const_name(" | ") + make_caster<pipmoves::play::PatternRef>::name);

  bool load(handle src, bool convert) {
    if (PyUnicode_Check(src.ptr()) || PyBytes_Check(src.ptr()) || PyByteArray_Check(src.ptr())) {
      if (!name_.load(src, convert)) {
        return false;
      }
      value.value = cast_op<pipmoves::python::Name&>(name_).bytes;
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

 private:
  make_caster<pipmoves::python::Name> name_;
};

}  // namespace pybind11::detail
