#pragma once

namespace pipmoves::packs {

// The double nearest the value written with twelve digits after the point,
// with negative zero turned into zero: the precision every stored sample has,
// and every groove move played at run time.
double round_to_twelve_places(double value);

}  // namespace pipmoves::packs
