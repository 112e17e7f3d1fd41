#include "family_scale.hpp"

namespace pipmoves::authoring {

Table apply_scale(const SplitTable& row, const FamilyScale& scale) {
  Table out(row.kept.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      component(out[i], axis) = scale_map::scaled_value(component(row.kept[i], axis), component(row.scaled[i], axis),
                                                        scale[static_cast<std::size_t>(axis)]);
    }
  }
  return out;
}

}  // namespace pipmoves::authoring
