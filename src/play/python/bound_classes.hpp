#pragma once

// Every class this module binds, and the pipmoves classes it takes, refused
// unbuilt wherever one is converted (see support/instances.hpp). Each binding
// file sees this before it converts any of them.

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/beat_tracker.hpp"
#include "pipmoves/play/channel_layout.hpp"
#include "pipmoves/play/clock.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/following_clock.hpp"
#include "pipmoves/play/groove.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/rows.hpp"
#include "support/instances.hpp"
#include "support/pipmoves_classes.hpp"

PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Rows<pipmoves::Offset3>);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Rows<pipmoves::play::PanTilt>);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Rows<pipmoves::play::DmxPanTilt>);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Rows<pipmoves::play::DmxUniverse>);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::PatternRef);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::CrossFade);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Clock);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::FixtureMap);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::GrooveScore);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::ChannelSlot);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::ChannelLayout);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::PatchedFixture);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::Patch);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::PatchPlayer);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::BeatTracker);
PIPMOVES_REFUSE_UNBUILT(pipmoves::play::FollowingClock);
