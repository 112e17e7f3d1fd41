#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/sampled_recording.hpp"
#include "throws_matcher.hpp"

namespace {

using pipmoves::SampledRecording;
using pipmoves::testing::SameDouble;
using pipmoves::testing::ThrowsExactly;
using Rows = std::vector<std::vector<double>>;
using RowViews = std::vector<std::span<const double>>;
using Names = std::vector<std::string>;

constexpr const char* kBadIdentifier = "Invalid identifier";
constexpr const char* kBadTiming = "A finite positive BPM and beat origin are required";
constexpr const char* kBadSize = "Empty recording or recording resource limit exceeded";
constexpr const char* kDuplicateAxis = "Duplicate axis";
constexpr const char* kRagged = "Ragged recording";
constexpr const char* kBadSample = "Invalid sample";
constexpr const char* kOutside = "Pip outside non-looping recording";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMinPip = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxPip = std::numeric_limits<std::int32_t>::max();

// Everything valid; each case breaks one or two fields.
struct Args {
  std::string name = "take";
  Names axes = {"x", "y"};
  Rows rows = {{0.5, -0.5}, {1.0, 0.0}};
  double bpm = 120.0;
  double beat_zero_seconds = 0.0;
  std::int32_t start_pip = 0;

  SampledRecording build() const {
    const RowViews views(rows.begin(), rows.end());
    return SampledRecording(name, axes, views, bpm, beat_zero_seconds, start_pip);
  }
};

struct FaultCase {
  const char* what;
  Args args;
  const char* want;
};

void expect_refused(const FaultCase& c) {
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { c.args.build(); }, c.want)) << c.what;
}

Args with_name(std::string name) {
  Args a;
  a.name = std::move(name);
  return a;
}

TEST(SampledRecording, NameFollowsIdentifierRule) {
  const struct {
    std::string name;
    bool valid;
  } cases[] = {
      {"t", true},       {"take_2", true},   {std::string(128, 't'), true}, {"", false},
      {std::string(129, 't'), false},        {"Take", false},   {"2take", false},
      {"_take", false},  {"take-2", false},  {"take 2", false}, {"t\xc3\xa9", false},
  };
  for (const auto& c : cases) {
    if (c.valid) {
      EXPECT_EQ(c.name, with_name(c.name).build().name()) << c.name.size() << " bytes";
    } else {
      expect_refused({c.name.c_str(), with_name(c.name), kBadIdentifier});
    }
  }
}

TEST(SampledRecording, TimingMustBeFiniteAndPositive) {
  const struct {
    double bpm;
    double beat_zero_seconds;
    bool valid;
  } cases[] = {
      {120.0, 0.0, true},
      {1e-300, 0.0, true},
      {std::numeric_limits<double>::max(), 0.0, true},
      {120.0, -5.0, true},
      {120.0, -0.0, true},
      {120.0, std::numeric_limits<double>::max(), true},
      {0.0, 0.0, false},
      {-0.0, 0.0, false},
      {-120.0, 0.0, false},
      {kNaN, 0.0, false},
      {kInf, 0.0, false},
      {-kInf, 0.0, false},
      {1e-307, 0.0, false},
      {std::numeric_limits<double>::denorm_min(), 0.0, false},
      {std::numeric_limits<double>::min(), 0.0, false},
      {120.0, kNaN, false},
      {120.0, kInf, false},
      {120.0, -kInf, false},
  };
  for (const auto& c : cases) {
    Args a;
    a.bpm = c.bpm;
    a.beat_zero_seconds = c.beat_zero_seconds;
    if (c.valid) {
      const SampledRecording r = a.build();
      EXPECT_TRUE(SameDouble(c.bpm, r.bpm()));
      EXPECT_TRUE(SameDouble(c.beat_zero_seconds, r.beat_zero_seconds()));
    } else {
      EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { a.build(); }, kBadTiming))
          << "bpm " << c.bpm << " beat_zero_seconds " << c.beat_zero_seconds;
    }
  }
}

TEST(SampledRecording, SlowestTempoIsWhereABeatStillHasALength) {
  // 60 / bpm overflows just below 60 / DBL_MAX.
  double slowest = 60.0 / std::numeric_limits<double>::max();
  while (!std::isfinite(60.0 / slowest)) {
    slowest = std::nextafter(slowest, 1.0);
  }
  const double too_slow = std::nextafter(slowest, 0.0);
  ASSERT_TRUE(std::isinf(60.0 / too_slow));
  Args a;
  a.bpm = slowest;
  EXPECT_TRUE(SameDouble(slowest, a.build().bpm()));
  a.bpm = too_slow;
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { a.build(); }, kBadTiming)) << "bpm " << too_slow;
}

TEST(SampledRecording, EmptyTablesAreRefused) {
  Args no_axes;
  no_axes.axes = {};
  no_axes.rows = {{}, {}};
  Args no_rows;
  no_rows.rows = {};
  Args neither;
  neither.axes = {};
  neither.rows = {};
  for (const FaultCase& c : {FaultCase{"no axes", no_axes, kBadSize}, FaultCase{"no rows", no_rows, kBadSize},
                             FaultCase{"neither", neither, kBadSize}}) {
    expect_refused(c);
  }
}

// The largest table for this axis count, then one row more. All rows view
// the same storage, so the big input costs no allocation per row.
void expect_row_limit(std::size_t axis_count, std::size_t max_rows) {
  Names axes;
  for (std::size_t i = 0; i < axis_count; ++i) {
    axes.push_back("a" + std::to_string(i));
  }
  const std::vector<double> low(axis_count, -1.0);
  const std::vector<double> high(axis_count, 1.0);
  RowViews rows(max_rows, low);
  rows.back() = high;
  const auto build = [&] { return SampledRecording("take", axes, rows, 120.0, 0.0, 0); };
  {
    const SampledRecording r = build();
    EXPECT_EQ(max_rows, r.sample_count()) << axis_count << " axes";
    EXPECT_EQ(low, r.sample(0)) << axis_count << " axes";
    EXPECT_EQ(high, r.sample(static_cast<int>(max_rows - 1))) << axis_count << " axes";
  }
  rows.push_back(low);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(build, kBadSize)) << axis_count << " axes, one row more";
}

TEST(SampledRecording, OneAxisHoldsAtMost8388608Rows) { expect_row_limit(1, 8388608); }

TEST(SampledRecording, ThreeAxesHoldAtMost2796202Rows) { expect_row_limit(3, 2796202); }

TEST(SampledRecording, AxisCountAloneCanPassTheValueLimit) {
  // The size check looks at counts only, so empty axis names will do.
  const std::vector<double> empty;
  const RowViews one_row(1, empty);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [&] { SampledRecording("take", Names(8388609), one_row, 120.0, 0.0, 0); }, kBadSize));
}

TEST(SampledRecording, SpanEndsAtTheLastPip) {
  const struct {
    std::int32_t start_pip;
    std::size_t rows;
    bool valid;
  } cases[] = {
      {-1000, 3, true},
      {kMinPip, 1, true},
      {kMaxPip - 1, 1, true},
      {kMaxPip - 3, 3, true},
      {kMaxPip - 4096, 4096, true},
      {kMaxPip, 1, false},
      {kMaxPip - 2, 3, false},
      {kMaxPip - 4095, 4096, false},
  };
  for (const auto& c : cases) {
    Args a;
    a.axes = {"x"};
    a.rows.assign(c.rows, {0.0});
    a.start_pip = c.start_pip;
    if (c.valid) {
      const SampledRecording r = a.build();
      EXPECT_EQ(c.start_pip, r.start_pip());
      EXPECT_EQ(c.rows, r.sample_count());
    } else {
      expect_refused({"span past the last pip", a, kBadSize});
    }
  }
}

TEST(SampledRecording, AxisNamesFollowIdentifierRule) {
  const struct {
    Names axes;
    const char* want;
  } cases[] = {
      {{"x", "Y"}, kBadIdentifier},       {{"1x", "y"}, kBadIdentifier},  {{"x", "y-z"}, kBadIdentifier},
      {{""}, kBadIdentifier},             {{std::string(129, 'x')}, kBadIdentifier},
      {{"x", "y", "x"}, kDuplicateAxis},  {{"x", "x"}, kDuplicateAxis},
      {{"x", "Bad", "x"}, kBadIdentifier},  // the invalid name comes before the repeat
      {{"x", "x", "Bad"}, kDuplicateAxis},
  };
  for (const auto& c : cases) {
    Args a;
    a.axes = c.axes;
    a.rows = {std::vector<double>(c.axes.size(), 0.0)};
    expect_refused({c.want, a, c.want});
  }
}

TEST(SampledRecording, AcceptsLongDistinctAxisNames) {
  Args a;
  a.axes = {std::string(128, 'a'), std::string(127, 'a'), "a_1", "a1"};
  a.rows = {{0.0, 0.0, 0.0, 0.0}};
  EXPECT_EQ(a.axes, a.build().dimensions());
}

TEST(SampledRecording, RowsValidatedOneByOneInFull) {
  const struct {
    const char* what;
    Rows rows;
    const char* want;
  } cases[] = {
      {"bad value before a short row", {{0.5, 2.0}, {0.1}}, kBadSample},
      {"short row before a bad value", {{0.5}, {0.1, 2.0}}, kRagged},
      {"long row", {{0.5, 0.5}, {0.1, 0.2, 0.3}}, kRagged},
      {"empty row", {{}}, kRagged},
      {"NaN", {{0.0, kNaN}}, kBadSample},
      {"infinity", {{kInf, 0.0}}, kBadSample},
      {"minus infinity", {{0.0, 0.0}, {-kInf, 0.0}}, kBadSample},
      {"above one", {{std::nextafter(1.0, 2.0), 0.0}}, kBadSample},
      {"below minus one", {{0.0, std::nextafter(-1.0, -2.0)}}, kBadSample},
  };
  for (const auto& c : cases) {
    Args a;
    a.rows = c.rows;
    expect_refused({c.what, a, c.want});
  }
}

TEST(SampledRecording, ChecksRunInOrder) {
  Args name_and_bpm = with_name("Bad");
  name_and_bpm.bpm = kNaN;
  Args bpm_and_size;
  bpm_and_size.bpm = 0.0;
  bpm_and_size.rows = {};
  Args size_and_axis;
  size_and_axis.axes = {"Bad", "y"};
  size_and_axis.rows = {};
  Args axis_and_row;
  axis_and_row.axes = {"x", "x"};
  axis_and_row.rows = {{kNaN}};
  Args name_last_of_all = with_name("");
  name_last_of_all.bpm = -1.0;
  name_last_of_all.axes = {"x", "x"};
  name_last_of_all.rows = {};
  const FaultCase cases[] = {
      {"name before timing", name_and_bpm, kBadIdentifier},
      {"timing before size", bpm_and_size, kBadTiming},
      {"size before axis names", size_and_axis, kBadSize},
      {"axis names before rows", axis_and_row, kDuplicateAxis},
      {"name before everything", name_last_of_all, kBadIdentifier},
  };
  for (const FaultCase& c : cases) {
    expect_refused(c);
  }
}

// Claims whatever counts and lengths a case gives, holds 0.5 everywhere but
// where told, and logs every read: "a0" an axis name, "l1" a row length,
// "v1.0" a value.
class LoggedTable final : public SampledRecording::Table {
 public:
  LoggedTable(std::size_t axes, std::vector<std::size_t> lengths, double odd_value = 0.5)
      : axes_(axes), lengths_(std::move(lengths)), odd_value_(odd_value) {}
  std::size_t axis_count() const override { return axes_; }
  std::string axis(std::size_t index) const override { return note("a", index), "a" + std::to_string(index); }
  std::size_t row_count() const override { return lengths_.size(); }
  std::size_t row_length(std::size_t row) const override { return note("l", row), lengths_[row]; }
  double value(std::size_t row, std::size_t index) const override {
    note("v", row, index);
    return row == 0 && index == 1 ? odd_value_ : 0.5;
  }
  const std::string& log() const { return log_; }

 private:
  void note(const char* what, std::size_t i, std::size_t j = SIZE_MAX) const {
    log_ += what + std::to_string(i) + (j == SIZE_MAX ? "" : "." + std::to_string(j)) + " ";
  }
  std::size_t axes_;
  std::vector<std::size_t> lengths_;
  double odd_value_;
  mutable std::string log_;
};

TEST(SampledRecording, ReadsATableOnlyAsFarAsItsChecksReach) {
  const std::size_t huge = std::size_t{1} << 40;
  const struct {
    const char* what;
    LoggedTable table;
    const char* want;
    const char* reads;
  } cases[] = {
      {"too many axes", LoggedTable(huge, {2}), kBadSize, ""},
      {"too many rows", LoggedTable(2, std::vector<std::size_t>(SampledRecording::kMaxValues, 2)), kBadSize, ""},
      {"ragged first row", LoggedTable(2, {huge, 2}), kRagged, "a0 a1 l0 "},
      {"bad value before a ragged row", LoggedTable(2, {2, huge}, 2.0), kBadSample, "a0 a1 l0 v0.0 v0.1 "},
      {"whole table", LoggedTable(2, {2, 2}), nullptr, "a0 a1 l0 v0.0 v0.1 l1 v1.0 v1.1 "},
  };
  for (const auto& c : cases) {
    const auto build = [&] { SampledRecording("take", c.table, 120.0, 0.0, 0); };
    if (c.want == nullptr) {
      EXPECT_NO_THROW(build()) << c.what;
    } else {
      EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(build, c.want)) << c.what;
    }
    EXPECT_EQ(c.reads, c.table.log()) << c.what;
  }
}

TEST(SampledRecording, UnitBoundsAccepted) {
  Args a;
  a.rows = {{1.0, -1.0}, {-0.0, std::numeric_limits<double>::denorm_min()}};
  const SampledRecording r = a.build();
  for (int pip = 0; pip < 2; ++pip) {
    const std::vector<double> row = r.sample(pip);
    ASSERT_EQ(2u, row.size());
    for (std::size_t axis = 0; axis < 2; ++axis) {
      EXPECT_TRUE(SameDouble(a.rows[static_cast<std::size_t>(pip)][axis], row[axis])) << "pip " << pip;
    }
  }
}

TEST(SampledRecording, AccessorsReportWhatWasGiven) {
  Args a;
  a.name = "session_7";
  a.axes = {"pan", "tilt", "zoom"};
  a.rows = {{0.1, 0.2, 0.3}, {0.4, 0.5, 0.6}, {0.7, 0.8, 0.9}};
  a.bpm = 97.5;
  a.beat_zero_seconds = -2.25;
  a.start_pip = -1000;
  const SampledRecording r = a.build();
  EXPECT_EQ("session_7", r.name());
  EXPECT_EQ(a.axes, r.dimensions());
  EXPECT_TRUE(SameDouble(97.5, r.bpm()));
  EXPECT_TRUE(SameDouble(-2.25, r.beat_zero_seconds()));
  EXPECT_EQ(-1000, r.start_pip());
  EXPECT_EQ(3u, r.sample_count());
}

TEST(SampledRecording, SampleCoversExactlyItsSpan) {
  Args a;
  a.axes = {"x", "y", "z"};
  a.rows = {{0.1, 0.2, 0.3}, {-0.4, -0.5, -0.6}, {0.7, -0.8, 0.9}};
  a.start_pip = 10;
  const SampledRecording r = a.build();
  const struct {
    int pip;
    int row;
  } cases[] = {{10, 0}, {11, 1}, {12, 2}, {9, -1}, {13, -1}, {kMinPip, -1}, {kMaxPip, -1}, {0, -1}};
  for (const auto& c : cases) {
    if (c.row >= 0) {
      EXPECT_EQ(a.rows[static_cast<std::size_t>(c.row)], r.sample(c.pip)) << "pip " << c.pip;
    } else {
      EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)r.sample(c.pip); }, kOutside)) << "pip " << c.pip;
    }
  }
}

TEST(SampledRecording, SampleAtBothEndsOfThePipRange) {
  Args low;
  low.axes = {"x"};
  low.rows = {{0.25}, {0.5}};
  low.start_pip = kMinPip;
  const SampledRecording first = low.build();
  EXPECT_EQ(std::vector<double>{0.25}, first.sample(kMinPip));
  EXPECT_EQ(std::vector<double>{0.5}, first.sample(kMinPip + 1));
  EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)first.sample(kMinPip + 2); }, kOutside));
  EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)first.sample(kMaxPip); }, kOutside));

  Args high = low;
  high.start_pip = kMaxPip - 2;
  const SampledRecording last = high.build();
  EXPECT_EQ(std::vector<double>{0.5}, last.sample(kMaxPip - 1));
  EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)last.sample(kMaxPip); }, kOutside));
  EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)last.sample(kMinPip); }, kOutside));
}

TEST(SampledRecording, SampleReturnsAFreshRowEachTime) {
  const SampledRecording r = Args{}.build();
  std::vector<double> row = r.sample(0);
  row[0] = 0.0;
  EXPECT_EQ((std::vector<double>{0.5, -0.5}), r.sample(0));
}

TEST(SampledRecording, CopiesTheCallersRows) {
  Args a;
  const SampledRecording r = a.build();
  a.rows[0][0] = -1.0;
  EXPECT_EQ((std::vector<double>{0.5, -0.5}), r.sample(0));
}

// Moving leaves the source without axes or rows; it must still answer, not
// divide by its zero axes.
TEST(SampledRecording, MovedFromHasNoRowsAndNoPipInside) {
  Args a;
  a.start_pip = -3;
  SampledRecording source = a.build();
  const SampledRecording target = std::move(source);
  EXPECT_EQ(2u, target.sample_count());
  EXPECT_EQ((std::vector<double>{1.0, 0.0}), target.sample(-2));
  EXPECT_EQ(0u, source.sample_count());  // NOLINT(bugprone-use-after-move)
  for (const int pip : {-3, -2, 0, kMinPip, kMaxPip}) {
    EXPECT_TRUE(ThrowsExactly<std::out_of_range>([&] { (void)source.sample(pip); }, kOutside)) << "pip " << pip;
  }
}

}  // namespace
