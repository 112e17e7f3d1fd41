#pragma once

// Everything a host needs to play patterns as a show.
#include "pipmoves/play/beat_tracker.hpp"
#include "pipmoves/play/channel_layout.hpp"
#include "pipmoves/play/clock.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/following_clock.hpp"
#include "pipmoves/play/groove.hpp"
#include "pipmoves/play/ofl_fixture.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/pip_step.hpp"
#include "pipmoves/play/render.hpp"
#include "pipmoves/play/rows.hpp"
#include "pipmoves/play/show.hpp"
#include "pipmoves/play/spread.hpp"
