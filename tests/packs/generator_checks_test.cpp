#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "checks.hpp"
#include "emit.hpp"
#include "common/stated_ranges.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::packgen::StoredRow;

StoredRow good_row() {
  StoredRow row{"test_row", "A quiet test loop.", 160, 2, {}};
  for (int i = 0; i < 160; ++i) {
    const double v = pipmoves::packgen::round_to_twelve_places(0.5 * std::sin(2 * 3.141592653589793 * i / 160));
    row.table.push_back({v, pipmoves::packgen::round_to_twelve_places(v / 2), 0.0});
  }
  return row;
}

std::string joined(const std::vector<std::string>& faults) {
  std::string all;
  for (const std::string& fault : faults) all += fault + "\n";
  return all;
}

TEST(GeneratorChecks, AGoodRowPasses) { EXPECT_EQ("", joined(pipmoves::packgen::check_row(good_row()))); }

struct Breakage {
  const char* rule;
  std::function<void(StoredRow&)> brake;
  const char* want;
};

TEST(GeneratorChecks, EachBrokenRuleIsNamedWithTheRow) {
  const Breakage cases[] = {
      {"upper-case name", [](StoredRow& r) { r.name = "Test_row"; }, "row 'Test_row': name must be"},
      {"long name", [](StoredRow& r) { r.name = std::string(33, 'a'); }, "name must be 1 to 32 bytes"},
      {"empty description", [](StoredRow& r) { r.description = ""; }, "description must be 1 to 235 bytes"},
      {"long description", [](StoredRow& r) { r.description = std::string(236, 'a'); }, "not 236"},
      {"tab in description", [](StoredRow& r) { r.description = "a\tb"; }, "printable ASCII"},
      {"two trailing blanks", [](StoredRow& r) { r.description = "ab  "; }, "end in more than one"},
      {"odd period", [](StoredRow& r) { r.period = 170; }, "period must be a multiple of 32"},
      {"short period", [](StoredRow& r) { r.period = 128; r.table.resize(128); }, "not 128"},
      {"wrong dimensions", [](StoredRow& r) { r.dimensions = 3; }, "dimensions is 3 but the table moves 2"},
      {"out of range", [](StoredRow& r) { r.table[7].x = 1.5; }, "x at pip 7 = 1.5 lies outside [-1, 1]"},
      {"not finite", [](StoredRow& r) { r.table[3].y = std::nan(""); }, "y at pip 3 is not finite"},
      {"negative zero", [](StoredRow& r) { r.table[0].z = -0.0; }, "z at pip 0 is a negative zero"},
      {"too many decimals", [](StoredRow& r) { r.table[9].x = 0.1234567890123; }, "has more than twelve decimals"},
      {"seam jump", [](StoredRow& r) { r.table[0].x = 0.3; }, "seam step on x"},
  };
  for (const Breakage& c : cases) {
    StoredRow row = good_row();
    c.brake(row);
    const std::string have = joined(pipmoves::packgen::check_row(row));
    EXPECT_NE(std::string::npos, have.find(c.want)) << c.rule << "\n want " << c.want << "\n have " << have;
  }
}

TEST(GeneratorChecks, FamilyRangesAreMetToThePrintedPrecision) {
  const StoredRow row = good_row();
  const std::vector<const StoredRow*> rows{&row};
  using pipmoves::packgen::check_family;
  using pipmoves::packs::parse_stated_ranges;
  EXPECT_EQ("", joined(check_family("fam", parse_stated_ranges("x -0.5 to 0.5; y -0.25 to 0.25"), rows)));
  EXPECT_EQ("", joined(check_family("fam", parse_stated_ranges("x, y within -0.6 to 0.6"), rows)));
  const std::string wrong = joined(check_family("fam", parse_stated_ranges("x -0.5 to 0.49; y -0.25 to 0.25"), rows));
  EXPECT_NE(std::string::npos, wrong.find("family 'fam': largest x is 0.5 in row 'test_row'")) << wrong;
  const std::string still = joined(check_family("fam", parse_stated_ranges("x -0.5 to 0.5"), rows));
  EXPECT_NE(std::string::npos, still.find("row 'test_row' moves y, which the family keeps at zero")) << still;
  const std::string bound = joined(check_family("fam", parse_stated_ranges("x, y within -0.4 to 0.4"), rows));
  EXPECT_NE(std::string::npos, bound.find("reaches x = 0.5")) << bound;
}

TEST(GeneratorChecks, StatedRangesParseAsPrinted) {
  const auto ranges = pipmoves::packs::parse_stated_ranges("x, y -0.82 to 0.82; z within -0.5159 to 0.4637");
  ASSERT_TRUE(ranges[0] && ranges[1] && ranges[2]);
  EXPECT_EQ(-0.82, ranges[1]->low.value);
  EXPECT_EQ(2, ranges[1]->high.decimals);
  EXPECT_TRUE(ranges[2]->within);
  EXPECT_EQ(4, ranges[2]->low.decimals);
  EXPECT_THROW(pipmoves::packs::parse_stated_ranges("w 0 to 1"), std::invalid_argument);
  EXPECT_THROW(pipmoves::packs::parse_stated_ranges("x 1 to 0"), std::invalid_argument);
  EXPECT_THROW(pipmoves::packs::parse_stated_ranges("x 0 until 1"), std::invalid_argument);
}

TEST(GeneratorChecks, WholeNumbersMustBeMetExactly) {
  const pipmoves::packs::PrintedValue one{1.0, 0, "1"};
  EXPECT_TRUE(pipmoves::packs::shows_as(1.0, one));
  EXPECT_FALSE(pipmoves::packs::shows_as(0.9999, one));
  const pipmoves::packs::PrintedValue six{0.798418, 6, "0.798418"};
  EXPECT_TRUE(pipmoves::packs::shows_as(0.7984184, six));
  EXPECT_FALSE(pipmoves::packs::shows_as(0.7984174, six));
}

TEST(GeneratorChecks, NamesMustBeUniqueAcrossProceduralAndStoredPatterns) {
  StoredRow a = good_row();
  StoredRow b = good_row();
  StoredRow c = good_row();
  c.name = "bounce";
  const std::string faults = joined(pipmoves::packgen::check_unique_names({&a, &b, &c}, {"bounce"}));
  EXPECT_NE(std::string::npos, faults.find("row 'test_row': name is not unique")) << faults;
  EXPECT_NE(std::string::npos, faults.find("row 'bounce': name is not unique")) << faults;
}

TEST(GeneratorChecks, RoundingTurnsNegativeZeroIntoZero) {
  EXPECT_FALSE(std::signbit(pipmoves::packgen::round_to_twelve_places(-1e-14)));
  EXPECT_EQ(0.123456789012, pipmoves::packgen::round_to_twelve_places(0.1234567890123));
}

TEST(GeneratorChecks, NameIndexOrdersBytewiseWithPrefixesFirst) {
  pipmoves::packgen::StoredPack pack{"p", {}};
  for (const char* name : {"ab_c", "ab", "a9", "abc", "a_"}) {
    pack.rows.push_back({name, "d", 160, 1, {}});
  }
  const auto index = pipmoves::packgen::sorted_name_index({pack});
  std::vector<std::string> order;
  for (auto i : index) order.push_back(pack.rows[i].name);
  EXPECT_EQ((std::vector<std::string>{"a9", "a_", "ab", "ab_c", "abc"}), order);
}

// Two rows of one move on different grooves, far apart in table order.
std::vector<StoredRow> two_grooves() {
  StoredRow a = good_row();
  a.name = "beat_a_bounce";
  StoredRow b = good_row();
  b.name = "beat_b_bounce";
  for (Offset3& o : b.table) {
    o.x = pipmoves::packgen::round_to_twelve_places(o.x * 0.5);
  }
  StoredRow between = good_row();
  between.name = "beat_a_step";
  return {a, between, b};
}

TEST(GeneratorChecks, SelectionRangesHoldOverTheNamedRowsOnly) {
  const std::vector<StoredRow> rows = two_grooves();
  const std::vector<std::string> names = {"beat_a_bounce", "beat_b_bounce"};
  EXPECT_EQ("", joined(pipmoves::packgen::check_selection("bounce", "x -0.5 to 0.5; y -0.25 to 0.25", names, rows)));
  // The quieter row alone does not reach the stated ends.
  EXPECT_NE("", joined(pipmoves::packgen::check_selection("bounce", "x -0.5 to 0.5; y -0.25 to 0.25",
                                                          {"beat_b_bounce"}, rows)));
}

TEST(GeneratorChecks, SelectionRefusesUnknownRowsAndBadRanges) {
  const std::vector<StoredRow> rows = two_grooves();
  EXPECT_NE(std::string::npos,
            joined(pipmoves::packgen::check_selection("bounce", "x -0.5 to 0.5; y -0.25 to 0.25",
                                                      {"beat_a_bounce", "beat_c_bounce"}, rows))
                .find("selection 'bounce' names row 'beat_c_bounce', which its pack does not hold"));
  EXPECT_NE(std::string::npos,
            joined(pipmoves::packgen::check_selection("bounce", "x -0.5 from 0.5", {"beat_a_bounce"}, rows))
                .find("selection 'bounce': stated range"));
  EXPECT_NE(std::string::npos,
            joined(pipmoves::packgen::check_selection("bounce", "x -0.5 to 0.5", {"beat_a_bounce"}, rows))
                .find("moves y, which the family keeps at zero"));
}

}  // namespace
