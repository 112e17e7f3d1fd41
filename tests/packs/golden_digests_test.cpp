#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "checks.hpp"
#include "emit.hpp"
#include "golden_digests.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::packgen::EarlierTables;
using pipmoves::packgen::GoldenDigest;
using pipmoves::packgen::StoredRow;

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

TEST(GoldenDigests, TableTextIsTwelvePlacesPerValueAndOneLinePerPip) {
  const std::vector<Offset3> table{{0.5, -0.25, 0.0}, {0.000000000001, 1.0, -1.0}};
  EXPECT_EQ("0.500000000000 -0.250000000000 0.000000000000\n0.000000000001 1.000000000000 -1.000000000000\n",
            pipmoves::packgen::table_text(table));
  // The same bytes through an independent SHA-256 (Python's hashlib).
  EXPECT_EQ("0819341d22a4bfe960e1b737dba3998d10a09028dc3565fae3e8fe99b38e1118", pipmoves::packgen::table_digest(table));
}

std::vector<StoredRow> three_rows() {
  std::vector<StoredRow> rows;
  for (const char* name : {"row_a", "row_b", "row_c"}) {
    StoredRow row{name, "A test row.", 160, 2, {}};
    for (int i = 0; i < 160; ++i) {
      row.table.push_back({0.001 * i, name[4] == 'b' ? -0.002 * i : 0.0, 0.0});
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<const StoredRow*> pointers(const std::vector<StoredRow>& rows) {
  std::vector<const StoredRow*> out;
  for (const StoredRow& row : rows) out.push_back(&row);
  return out;
}

std::vector<GoldenDigest> manifest_of(const std::vector<StoredRow>& rows) {
  const auto p = pointers(rows);
  return pipmoves::packgen::parse_golden_digests(
      pipmoves::packgen::golden_digests_text(p, pipmoves::packgen::row_digests(p), "pipmoves_packgen --test"));
}

std::string compared(const std::vector<GoldenDigest>& golden, const std::vector<StoredRow>& rows,
                     const EarlierTables& earlier = {}) {
  const auto p = pointers(rows);
  return joined(pipmoves::packgen::compare_with_golden(golden, p, pipmoves::packgen::row_digests(p), earlier));
}

TEST(GoldenDigests, TheManifestReadsBackAndIsHeadedByItsCommand) {
  const std::vector<StoredRow> rows = three_rows();
  const auto p = pointers(rows);
  const std::string text =
      pipmoves::packgen::golden_digests_text(p, pipmoves::packgen::row_digests(p), "pipmoves_packgen --test");
  EXPECT_TRUE(text.starts_with("# Golden digests")) << text;
  EXPECT_NE(std::string::npos, text.find("\n# Written by: pipmoves_packgen --test\n")) << text;
  const std::vector<GoldenDigest> golden = pipmoves::packgen::parse_golden_digests(text);
  ASSERT_EQ(3u, golden.size());
  EXPECT_EQ("row_b", golden[1].name);
  EXPECT_EQ(160, golden[1].period);
  EXPECT_EQ(pipmoves::packgen::table_digest(rows[1].table), golden[1].digest);
  EXPECT_EQ("", compared(golden, rows));
}

TEST(GoldenDigests, AMalformedLineIsRefusedWithItsNumber) {
  const std::string digest(64, 'a');
  const struct {
    std::string text;
    const char* want;
  } cases[] = {
      {"# head\nrow_a 160\n", "line 2: not 'NAME PERIOD DIGEST'"},
      {"row_a 0160 " + digest + "\n", "line 1: period '0160'"},
      {"row_a 70000 " + digest + "\n", "line 1: period '70000'"},
      {"row_a 160 " + std::string(64, 'A') + "\n", "line 1: digest is not 64 lower-case hex digits"},
      {"row_a 160 " + digest + "\nrow_a 160 " + digest + "\n", "line 2: row 'row_a' is listed twice"},
      {"row_a 160 " + digest + "\n\nrow_b 160 " + digest + "\n", "line 2: not 'NAME PERIOD DIGEST'"},
  };
  for (const auto& c : cases) {
    try {
      pipmoves::packgen::parse_golden_digests(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string::npos, std::string(error.what()).find(c.want)) << "want " << c.want << "\nhave " << error.what();
    }
  }
}

struct Drift {
  const char* what;
  std::function<void(std::vector<StoredRow>&, std::vector<GoldenDigest>&, EarlierTables&)> make;
  const char* want;
};

// Each way the tables and the manifest can part gives one message naming the
// row, as precise as the tables at hand allow.
TEST(GoldenDigests, EachDifferenceNamesItsRow) {
  const Drift cases[] = {
      {"a value moved, the last build's table at hand",
       [](auto& rows, auto&, auto& earlier) {
         earlier["row_b"] = rows[1].table;
         rows[1].table[7].y += 0.000000000001;
       },
       "row 'row_b': table differs from its golden digest, first at pip 7: y is -0.013999999999, was -0.014000000000\n"},
      {"a value moved, no earlier table",
       [](auto& rows, auto&, auto&) { rows[2].table[0].x = 0.5; },
       "row 'row_c': table digest "},
      {"the manifest line was edited",
       [](auto& rows, auto& golden, auto& earlier) {
         earlier["row_a"] = rows[0].table;
         golden[0].digest[5] = golden[0].digest[5] == '0' ? '1' : '0';
       },
       "yet the table is the one the last build wrote: was the manifest line edited?\n"},
      {"the period changed",
       [](auto& rows, auto&, auto&) { rows[0].period = 192; },
       "row 'row_a': period is 192, its golden digest was taken at 160\n"},
      {"a new row",
       [](auto& rows, auto&, auto&) {
         rows.push_back(rows[0]);
         rows.back().name = "row_new";
       },
       "row 'row_new' has no golden digest\n"},
      {"a row gone", [](auto& rows, auto&, auto&) { rows.pop_back(); },
       "row 'row_c' has a golden digest but is no longer generated\n"},
      {"two rows swapped", [](auto& rows, auto&, auto&) { std::swap(rows[0], rows[2]); },
       "row 'row_c' stands at row 0 but its golden digest at row 2\n"},
  };
  for (const Drift& c : cases) {
    std::vector<StoredRow> rows = three_rows();
    std::vector<GoldenDigest> golden = manifest_of(rows);
    EarlierTables earlier;
    c.make(rows, golden, earlier);
    const std::string have = compared(golden, rows, earlier);
    EXPECT_NE(std::string::npos, have.find(c.want)) << c.what << "\n want " << c.want << "\n have " << have;
    EXPECT_EQ(1, std::count(have.begin(), have.end(), '\n')) << c.what << "\n have " << have;
  }
}

// The earlier tables come back from the sources a run wrote, bit for bit.
TEST(GoldenDigests, EmittedTablesReadBackExactly) {
  std::vector<StoredRow> rows = three_rows();
  rows[0].table[3] = {-0.123456789012, 1.0, -1.0};
  const std::filesystem::path out = std::filesystem::path(testing::TempDir()) / "golden_digests_emit";
  std::filesystem::remove_all(out);
  pipmoves::packgen::emit_all(out, {{"first", {rows[0], rows[1]}}, {"second", {rows[2]}}}, "test");
  const EarlierTables earlier = pipmoves::packgen::read_emitted_tables(out, {"first", "second", "absent"});
  ASSERT_EQ(3u, earlier.size());
  for (const StoredRow& row : rows) {
    ASSERT_TRUE(earlier.contains(row.name)) << row.name;
    EXPECT_EQ(pipmoves::packgen::table_text(row.table), pipmoves::packgen::table_text(earlier.at(row.name))) << row.name;
  }
  std::filesystem::remove_all(out);
}

}  // namespace
