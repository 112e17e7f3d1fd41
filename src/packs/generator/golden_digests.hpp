#pragma once

// Golden digests pin every stored table: a checked-in manifest holds one line
// per row (name, period, SHA-256 of the table as text), and every build proves
// that the tables it emits are still those. A libm that rounds one value
// differently, a compiler or a refactor that moves a value is caught here.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "checks.hpp"

namespace pipmoves::packgen {

// The bytes a row's digest is taken over: for each pip from 0 to period - 1,
// x, y and z printed as by printf("%.12f"), separated by single blanks, and
// a newline after z. Each stored value is the double nearest a twelve-place
// decimal, so this text gives back every bit of the table.
std::string table_text(const std::vector<Offset3>& table);

// Lower-case hex SHA-256 of table_text(table).
std::string table_digest(const std::vector<Offset3>& table);

struct GoldenDigest {
  std::string name;
  int period = 0;
  std::string digest;
};

// Lines starting with '#' are the header; every other line is
// "NAME PERIOD DIGEST". Throws std::invalid_argument naming the bad line.
std::vector<GoldenDigest> parse_golden_digests(std::string_view text);

// table_digest of each row, in the rows' order.
std::vector<std::string> row_digests(const std::vector<const StoredRow*>& rows);

// The manifest for these rows and their digests, in table order, headed by
// the command that wrote it.
std::string golden_digests_text(const std::vector<const StoredRow*>& rows, const std::vector<std::string>& digests,
                                const std::string& command);

// Tables as a verified build last wrote them, by row name: they show where a
// changed row first differs.
using EarlierTables = std::map<std::string, std::vector<Offset3>, std::less<>>;

// One message per row whose period or digest differs from its manifest line,
// per row the manifest lacks or holds in excess, and one if the order
// differs. None when the manifest describes exactly these rows.
std::vector<std::string> compare_with_golden(const std::vector<GoldenDigest>& golden,
                                             const std::vector<const StoredRow*>& rows,
                                             const std::vector<std::string>& digests, const EarlierTables& earlier);

}  // namespace pipmoves::packgen
