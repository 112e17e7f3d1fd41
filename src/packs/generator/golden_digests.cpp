#include "golden_digests.hpp"

#include <charconv>
#include <cstdio>
#include <set>
#include <stdexcept>

#include "common/sha256.hpp"
#include "common/split.hpp"

namespace pipmoves::packgen {
namespace {

constexpr const char* kAxisNames[] = {"x", "y", "z"};

// The same text as printf("%.12f"), both being correctly rounded, at a
// fraction of its cost.
void append_twelve_places(std::string& out, double v) {
  char buffer[48];
  const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 12);
  out.append(buffer, end.ptr);
}

std::string twelve_places(double v) {
  std::string out;
  append_twelve_places(out, v);
  return out;
}

double component(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

bool lower_hex_digest(std::string_view text) {
  return text.size() == 64 &&
         text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

int parse_period(std::string_view text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string_view::npos ||
      text[0] == '0') {
    return 0;
  }
  return std::stoi(std::string(text));
}

// Why a row's digest moved, as precisely as the tables at hand tell.
std::string digest_fault(const StoredRow& row, const std::string& digest, const GoldenDigest& golden,
                         const EarlierTables& earlier) {
  const std::string head = "row '" + row.name + "': ";
  const auto found = earlier.find(row.name);
  if (found != earlier.end() && found->second.size() == row.table.size()) {
    const std::vector<Offset3>& before = found->second;
    const std::string before_digest = table_digest(before);
    if (before_digest == golden.digest) {
      for (std::size_t i = 0; i < before.size(); ++i) {
        for (int axis = 0; axis < 3; ++axis) {
          const double was = component(before[i], axis);
          const double now = component(row.table[i], axis);
          if (twelve_places(was) != twelve_places(now)) {
            return head + "table differs from its golden digest, first at pip " + std::to_string(i) + ": " +
                   kAxisNames[axis] + " is " + twelve_places(now) + ", was " + twelve_places(was);
          }
        }
      }
    }
    if (before_digest == digest) {
      return head + "table digest " + digest + " differs from its golden digest " + golden.digest +
             ", yet the table is the one the last build wrote: was the manifest line edited?";
    }
  }
  return head + "table digest " + digest + " differs from its golden digest " + golden.digest +
         " (no verified earlier table here to show the first differing pip)";
}

}  // namespace

std::string table_text(const std::vector<Offset3>& table) {
  std::string text;
  text.reserve(table.size() * 48);
  for (const Offset3& o : table) {
    append_twelve_places(text, o.x);
    text += ' ';
    append_twelve_places(text, o.y);
    text += ' ';
    append_twelve_places(text, o.z);
    text += '\n';
  }
  return text;
}

std::string table_digest(const std::vector<Offset3>& table) { return packs::to_hex(packs::sha256(table_text(table))); }

std::vector<std::string> row_digests(const std::vector<const StoredRow*>& rows) {
  std::vector<std::string> digests;
  digests.reserve(rows.size());
  for (const StoredRow* row : rows) {
    digests.push_back(table_digest(row->table));
  }
  return digests;
}

std::vector<GoldenDigest> parse_golden_digests(std::string_view text) {
  std::vector<GoldenDigest> golden;
  std::set<std::string_view> names;
  const std::vector<std::string_view> lines = packs::split(text, "\n");
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = lines[n];
    if (line.starts_with('#') || (line.empty() && n + 1 == lines.size())) {
      continue;
    }
    const std::string where = "golden digests line " + std::to_string(n + 1) + ": ";
    const std::vector<std::string_view> fields = packs::split(line, " ");
    if (fields.size() != 3) {
      throw std::invalid_argument(where + "not 'NAME PERIOD DIGEST'");
    }
    const int period = parse_period(fields[1]);
    if (period == 0 || period > 65535) {
      throw std::invalid_argument(where + "period '" + std::string(fields[1]) + "' is not a whole number from 1 to 65535");
    }
    if (!lower_hex_digest(fields[2])) {
      throw std::invalid_argument(where + "digest is not 64 lower-case hex digits");
    }
    if (!names.insert(fields[0]).second) {
      throw std::invalid_argument(where + "row '" + std::string(fields[0]) + "' is listed twice");
    }
    golden.push_back({std::string(fields[0]), period, std::string(fields[2])});
  }
  return golden;
}

std::string golden_digests_text(const std::vector<const StoredRow*>& rows, const std::vector<std::string>& digests,
                                const std::string& command) {
  std::string text =
      "# Golden digests of the stored pattern tables; every build verifies its tables against them.\n"
      "# Written by: " + command + "\n"
      "# which a build configured with -DPIPMOVES_REWRITE_DIGESTS=ON runs; commit this file with the change\n"
      "# that moved the rows.\n"
      "# One line per stored row, in pack-table order: NAME PERIOD SHA256, the SHA-256 of the row's table\n"
      "# as text: for each pip from 0 to PERIOD - 1, its x, y and z printed as by printf(\"%.12f\"),\n"
      "# separated by single blanks, with a newline after z.\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    text += rows[r]->name + " " + std::to_string(rows[r]->period) + " " + digests[r] + "\n";
  }
  return text;
}

std::vector<std::string> compare_with_golden(const std::vector<GoldenDigest>& golden,
                                             const std::vector<const StoredRow*>& rows,
                                             const std::vector<std::string>& digests, const EarlierTables& earlier) {
  std::vector<std::string> faults;
  std::map<std::string_view, std::size_t> line_of;
  for (std::size_t g = 0; g < golden.size(); ++g) {
    line_of[golden[g].name] = g;
  }
  std::set<std::string_view> generated;
  bool same_names = golden.size() == rows.size();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const StoredRow& row = *rows[r];
    generated.insert(row.name);
    const auto found = line_of.find(row.name);
    if (found == line_of.end()) {
      faults.push_back("row '" + row.name + "' has no golden digest");
      same_names = false;
      continue;
    }
    const GoldenDigest& line = golden[found->second];
    if (line.period != row.period) {
      faults.push_back("row '" + row.name + "': period is " + std::to_string(row.period) +
                       ", its golden digest was taken at " + std::to_string(line.period));
    } else if (line.digest != digests[r]) {
      faults.push_back(digest_fault(row, digests[r], line, earlier));
    }
  }
  for (const GoldenDigest& line : golden) {
    if (!generated.contains(line.name)) {
      faults.push_back("row '" + line.name + "' has a golden digest but is no longer generated");
      same_names = false;
    }
  }
  if (same_names) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (golden[r].name != rows[r]->name) {
        faults.push_back("row '" + rows[r]->name + "' stands at row " + std::to_string(r) +
                         " but its golden digest at row " + std::to_string(line_of[rows[r]->name]));
        break;
      }
    }
  }
  return faults;
}

}  // namespace pipmoves::packgen
