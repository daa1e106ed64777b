// Runs every line of layouts.txt: the whole file -ExpandROM leaves must be the original with the
// line's changes laid over it, or unchanged with the line's refusal; -Info must say so first.
#include <fstream>
#include <sstream>

#include "romspan_runner.h"

namespace {

struct Change {
  uint32_t to = 0, length = 1, count = 1, to_step = 0, from_step = 0;
  int64_t from = -1;  // -1: zeros; -2 - VV: the byte VV
};

struct Row {
  int line = 0;
  RomSpec rom = {};
  std::vector<std::pair<uint32_t, Bytes>> pokes = {};
  std::string size = "", verdict = "";
  uint32_t length = 0;
  std::vector<Change> changes = {};
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << "layouts.txt:" << row.line << " " << row.size;
}

uint32_t Hex(const std::string& text) {
  return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

Bytes HexBytes(const std::string& text) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(Hex(text.substr(i, 2)));
  return bytes;
}

std::vector<Row> ReadRows() {
  std::ifstream file(LAYOUTS);
  std::vector<Row> rows;
  int number = 0;
  for (std::string line; std::getline(file, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '|');)
      fields.push_back(field.substr(field.find_first_not_of(' ')));
    Row row{.line = number, .size = fields[1].substr(0, fields[1].find(' ')), .verdict = fields[2]};
    row.verdict.erase(row.verdict.find_last_not_of(' ') + 1);
    std::istringstream source(fields[0]);
    std::string word;
    source >> word >> std::hex >> row.rom.data_length;
    row.rom.header = word == "hi"     ? HeaderAt::kHiRom
                     : word == "both" ? HeaderAt::kBoth
                     : word == "none" ? HeaderAt::kNeither
                                      : HeaderAt::kLoRom;
    if (word == "hi") row.rom.map_mode = 0x21;
    while (source >> word) {
      const std::string value = word.substr(word.find('=') + 1);
      if (word.starts_with("map=")) row.rom.map_mode = Hex(value);
      if (word.starts_with("chip=")) row.rom.chipset = Hex(value);
      if (word.starts_with("@")) row.pokes.push_back({Hex(word.substr(1)), HexBytes(value)});
      if (word.starts_with("title=")) {
        row.rom.title = value;
        for (char& c : row.rom.title) c = c == '_' ? ' ' : c;
      }
    }
    if (fields.size() > 3) row.length = Hex(fields[3]);
    std::istringstream changes(fields.size() > 4 ? fields[4] : "");
    while (changes >> word) {
      Change change{.to = Hex(word)};
      if (const size_t colon = word.find(':'); colon != std::string::npos) {
        change.from = -2 - int64_t{Hex(word.substr(colon + 1))};
      } else {
        std::replace(word.begin(), word.end(), ',', ' ');
        std::replace(word.begin(), word.end(), '*', ' ');
        std::istringstream span(word.substr(word.find('<') + 1));
        std::string from;
        span >> from >> std::hex >> change.length >> change.count >> change.to_step >>
            change.from_step;
        change.from = from == "z" ? -1 : Hex(from);
      }
      row.changes.push_back(change);
    }
    rows.push_back(row);
  }
  return rows;
}

class Layout : public RomspanTest, public testing::WithParamInterface<Row> {};

TEST_P(Layout, ExpandsAsStated) {
  const Row& row = GetParam();
  // A length with bit 0x200 set carries a copier header by itself.
  for (const bool copier : {false, true}) {
    if (copier && (row.rom.data_length & 0x200) != 0) continue;
    SCOPED_TRACE(copier ? "with a copier header" : "without a copier header");
    RomSpec spec = row.rom;
    spec.copier_header = copier;
    Bytes image = MakeRomImage(spec);
    const uint32_t base = image.size() & 0x200;
    for (const auto& [at, bytes] : row.pokes)
      std::copy(bytes.begin(), bytes.end(), image.begin() + base + at);
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image));
    const Outcome info = Romspan({"-Info", "rom.smc"});
    EXPECT_NE(info.output.find("\nTarget " + row.size + ": " + row.verdict + "\n"),
              std::string::npos)
        << info.output;

    Bytes want = image;
    std::vector<std::string> lines = {kDone};
    if (row.verdict == "no effect") lines = {kNoEffect};
    if (row.verdict.starts_with("refused (")) {
      lines = {"Expansion Canceled! : " + row.verdict.substr(9, row.verdict.size() - 10), kFailed};
    }
    if (row.verdict == "expands") {
      const Bytes old(image.begin() + base, image.end());
      want.resize(base + row.length, 0);
      for (const Change& c : row.changes) {
        for (uint32_t n = 0; n < c.count; ++n) {
          for (uint32_t i = 0; i < c.length; ++i) {
            const int64_t from = c.from + n * c.from_step + i;
            const uint8_t byte = c.from <= -2                                ? -2 - c.from
                                 : c.from >= 0 && from < int64_t(old.size()) ? old[from]
                                                                             : 0;
            want.at(base + c.to + n * c.to_step + i) = byte;
          }
        }
      }
    }
    EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", row.size}),
              JobOutput(Shown("rom.smc"), row.size, lines, lines.size() == 1 ? 0 : 1));
    const Bytes got = ReadWholeFile(At("rom.smc"));
    size_t first = 0;
    while (first < got.size() && first < want.size() && got[first] == want[first]) ++first;
    EXPECT_TRUE(got == want) << std::hex << "length 0x" << got.size() << " (want 0x" << want.size()
                             << "), first difference at 0x" << first;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Layout, testing::ValuesIn(ReadRows()),
                         [](const auto& info) { return "line" + std::to_string(info.param.line); });

}  // namespace
