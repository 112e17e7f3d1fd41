// Evaluates every authored pack, rounds and checks each table, verifies every
// table against its golden digest and writes the generated sources of the pack
// tables, and beside them where each row comes from (pack_layout.json and
// layout/pack_layout.hpp) for the tools and the tests. Any broken rule or
// moved table fails the build with the row's name; nothing is written then.
//
// usage: pipmoves_packgen --root DIR --out DIR --data DIR --digests FILE
//                         [--rewrite-digests] --packs NAME...
//
// --data and --digests are paths inside the source tree, which starts at
// --root; --out is relative to the working folder. The sources and the
// manifest are headed by this command without --root, so the heading reads
// the same on every machine. --rewrite-digests writes the manifest from the
// tables instead of verifying them.

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "../authoring/grooves/groove_pack.hpp"
#include "../authoring/pack.hpp"
#include "pipmoves/procedural.hpp"
#include "checks.hpp"
#include "emit.hpp"
#include "golden_digests.hpp"
#include "layout.hpp"

namespace {

using namespace pipmoves;

struct Arguments {
  std::filesystem::path root;
  std::filesystem::path out_dir;
  std::filesystem::path data_dir;
  std::filesystem::path digests;
  bool rewrite_digests = false;
  std::vector<std::string> packs;
  std::string command;
};

Arguments parse(int argc, char** argv) {
  Arguments args;
  args.command = "pipmoves_packgen";
  std::string_view option;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (option != "--root" && word != "--root") {
      args.command += " " + std::string(word);
    }
    if (word == "--rewrite-digests") {
      args.rewrite_digests = true;
      option = {};
    } else if (word.starts_with("--")) {
      option = word;
    } else if (option == "--root") {
      args.root = word;
      option = {};
    } else if (option == "--digests") {
      args.digests = word;
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
  if (args.root.empty() || args.out_dir.empty() || args.data_dir.empty() || args.digests.empty() ||
      args.packs.empty()) {
    throw std::invalid_argument(
        "usage: pipmoves_packgen --root DIR --out DIR --data DIR --digests FILE [--rewrite-digests] --packs NAME...");
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

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Verifies every table against the manifest, or rewrites the manifest when
// asked to; either way says which rows moved.
bool golden_digests_hold(const Arguments& args, const std::vector<const packgen::StoredRow*>& rows) {
  const std::filesystem::path manifest = args.root / args.digests;
  const std::vector<std::string> digests = packgen::row_digests(rows);
  std::vector<packgen::GoldenDigest> golden;
  try {
    golden = packgen::parse_golden_digests(read_file(manifest));
  } catch (const std::exception& error) {
    if (!args.rewrite_digests) {
      throw;
    }
    std::cout << "pipmoves_packgen: " << error.what() << "; writing the manifest afresh\n";
  }
  std::vector<std::string> moved = packgen::compare_with_golden(golden, rows, digests, {});
  if (!moved.empty()) {
    // Only now is it worth reading the tables the last build wrote.
    moved = packgen::compare_with_golden(golden, rows, digests, packgen::read_emitted_tables(args.out_dir, args.packs));
  }
  const std::string shown = args.digests.generic_string();
  if (args.rewrite_digests) {
    for (const std::string& change : moved) {
      std::cout << "pipmoves_packgen: " << change << "\n";
    }
    packgen::write_if_changed(manifest, packgen::golden_digests_text(rows, digests, args.command));
    std::cout << "pipmoves_packgen: rewrote the golden digests in " << shown << " (" << moved.size()
              << " difference(s)); commit them with the change that moved the rows\n";
    return true;
  }
  if (moved.empty()) {
    return true;
  }
  for (const std::string& fault : moved) {
    std::cerr << "pipmoves_packgen: " << fault << "\n";
  }
  std::cerr << "pipmoves_packgen: " << moved.size() << " difference(s) from the golden digests in " << shown
            << "; no pack table written. If the change is meant, configure with -DPIPMOVES_REWRITE_DIGESTS=ON,"
               " build, and commit the manifest with it\n";
  return false;
}

void check_ranges(const std::string& label, const std::string& ranges, const std::vector<const packgen::StoredRow*>& rows,
                  std::vector<std::string>& faults) {
  try {
    for (std::string& fault : packgen::check_family(label, packs::parse_stated_ranges(ranges), rows)) {
      faults.push_back(std::move(fault));
    }
  } catch (const std::invalid_argument& error) {
    faults.push_back("family '" + label + "': " + error.what());
  }
}

std::vector<packgen::LayoutPack> layout_of(const std::vector<authoring::Pack>& authored) {
  std::vector<packgen::LayoutPack> layout;
  for (const authoring::Pack& pack : authored) {
    packgen::LayoutPack& out = layout.emplace_back(packgen::LayoutPack{pack.name, {}, {}});
    for (const authoring::Family& family : pack.families) {
      packgen::LayoutFamily& f = out.families.emplace_back(packgen::LayoutFamily{family.label, family.ranges, {}});
      for (const authoring::Row& row : family.rows) {
        f.rows.push_back({row.name, row.ranges});
      }
    }
    for (const authoring::Selection& selection : pack.selections) {
      out.selections.push_back({selection.label, selection.ranges, selection.names});
    }
  }
  return layout;
}

int run(const Arguments& args) {
  const auto started = std::chrono::steady_clock::now();
  const authoring::Sources sources{args.root / args.data_dir};
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
      for (const authoring::Row& authored_row : family.rows) {
        const packgen::StoredRow& row = stored[p].rows[next++];
        rows.push_back(&row);
        all_rows.push_back(&row);
        for (std::string& fault : packgen::check_row(row)) {
          faults.push_back(std::move(fault));
        }
        if (!authored_row.ranges.empty()) {
          check_ranges(row.name, authored_row.ranges, {&row}, faults);
        }
      }
      if (!family.ranges.empty()) {
        check_ranges(family.label, family.ranges, rows, faults);
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
  const auto checked = std::chrono::steady_clock::now();
  if (!golden_digests_hold(args, all_rows)) {
    return 1;
  }
  const auto verified = std::chrono::steady_clock::now();
  packgen::emit_all(args.out_dir, stored, args.command);
  // The gains the groove rows were scaled by, for playing other grooves alike.
  packgen::write_if_changed(args.out_dir / "groove_gains.cpp",
                            authoring::grooves::recorded_scales_source("Generated by: " + args.command));
  const std::vector<packgen::LayoutPack> layout = layout_of(authored);
  packgen::write_if_changed(args.out_dir / "pack_layout.json", packgen::layout_json(layout, args.command));
  packgen::write_if_changed(args.out_dir / "layout" / "pack_layout.hpp", packgen::layout_header(layout, args.command));
  const auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
  const auto written = std::chrono::steady_clock::now();
  std::printf(
      "pipmoves_packgen: %zu rows, %zu samples in %zu packs in %.2f s: evaluated and checked %.2f s, digests %.2f s, "
      "written %.2f s\n",
      all_rows.size(), samples, stored.size(), seconds(started, written), seconds(started, checked),
      seconds(checked, verified), seconds(verified, written));
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
