// Evaluates every authored pack, rounds and checks each table, and writes the
// generated sources of the pack tables. Any broken rule fails the build with
// the row's name; nothing is written then.
//
// usage: pipmoves_packgen --out DIR --data DIR --packs NAME...

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "../authoring/pack.hpp"
#include "pipmoves/procedural.hpp"
#include "checks.hpp"
#include "emit.hpp"

namespace {

using namespace pipmoves;

struct Arguments {
  std::filesystem::path out_dir;
  std::filesystem::path data_dir;
  std::vector<std::string> packs;
  std::string command;
};

Arguments parse(int argc, char** argv) {
  Arguments args;
  args.command = "pipmoves_packgen";
  std::string_view option;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    args.command += " " + std::string(word);
    if (word.starts_with("--")) {
      option = word;
    } else if (option == "--out") {
      args.out_dir = word;
    } else if (option == "--data") {
      args.data_dir = word;
    } else if (option == "--packs") {
      args.packs.emplace_back(word);
    } else {
      throw std::invalid_argument("unexpected argument '" + std::string(word) + "'");
    }
  }
  if (args.out_dir.empty() || args.data_dir.empty() || args.packs.empty()) {
    throw std::invalid_argument("usage: pipmoves_packgen --out DIR --data DIR --packs NAME...");
  }
  return args;
}

authoring::Table evaluate(const authoring::Row& row, const authoring::Sources& sources) {
  authoring::Table table = row.rule(authoring::RowContext{row.period, sources});
  for (Offset3& o : table) {
    o = {packgen::round_to_twelve_places(o.x), packgen::round_to_twelve_places(o.y),
         packgen::round_to_twelve_places(o.z)};
  }
  return table;
}

int run(const Arguments& args) {
  const auto started = std::chrono::steady_clock::now();
  const authoring::Sources sources{args.data_dir};
  std::vector<authoring::Pack> authored = authoring::all_packs();
  std::vector<std::string> faults;

  std::vector<std::string> authored_names;
  for (const authoring::Pack& pack : authored) {
    authored_names.push_back(pack.name);
  }
  if (authored_names != args.packs) {
    faults.push_back("the build lists other packs than the authoring sources define");
  }

  std::vector<packgen::StoredPack> stored;
  std::size_t samples = 0;
  for (const authoring::Pack& pack : authored) {
    packgen::StoredPack& out = stored.emplace_back(packgen::StoredPack{pack.name, {}});
    for (const authoring::Family& family : pack.families) {
      for (const authoring::Row& row : family.rows) {
        out.rows.push_back({row.name, row.description, row.period, row.dimensions, evaluate(row, sources)});
        samples += out.rows.back().table.size();
      }
    }
  }

  std::vector<const packgen::StoredRow*> all_rows;
  for (std::size_t p = 0; p < authored.size(); ++p) {
    std::size_t next = 0;
    for (const authoring::Family& family : authored[p].families) {
      std::vector<const packgen::StoredRow*> rows;
      for (std::size_t r = 0; r < family.rows.size(); ++r) {
        const packgen::StoredRow& row = stored[p].rows[next++];
        rows.push_back(&row);
        all_rows.push_back(&row);
        for (std::string& fault : packgen::check_row(row)) {
          faults.push_back(std::move(fault));
        }
      }
      try {
        for (std::string& fault : packgen::check_family(family.label, packgen::parse_stated_ranges(family.ranges), rows)) {
          faults.push_back(std::move(fault));
        }
      } catch (const std::invalid_argument& error) {
        faults.push_back("family '" + family.label + "': " + error.what());
      }
    }
  }
  for (std::size_t p = 0; p < authored.size(); ++p) {
    for (const authoring::Selection& selection : authored[p].selections) {
      for (std::string& fault :
           packgen::check_selection(selection.label, selection.ranges, selection.names, stored[p].rows)) {
        faults.push_back(std::move(fault));
      }
    }
  }
  std::vector<std::string_view> procedural;
  for (const DefaultPattern& entry : procedural_patterns()) {
    procedural.push_back(entry.name);
  }
  for (std::string& fault : packgen::check_unique_names(all_rows, procedural)) {
    faults.push_back(std::move(fault));
  }

  if (!faults.empty()) {
    for (const std::string& fault : faults) {
      std::cerr << "pipmoves_packgen: " << fault << "\n";
    }
    std::cerr << "pipmoves_packgen: " << faults.size() << " broken rule(s); no pack table written\n";
    return 1;
  }
  packgen::emit_all(args.out_dir, stored, args.command);
  const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("pipmoves_packgen: %zu rows, %zu samples in %zu packs, checked and written in %.2f s\n",
              all_rows.size(), samples, stored.size(), elapsed);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(parse(argc, argv));
  } catch (const std::exception& error) {
    std::cerr << "pipmoves_packgen: " << error.what() << "\n";
    return 1;
  }
}
