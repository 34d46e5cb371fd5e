#include "render/icon_markup.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using Hits = std::vector<std::pair<int, int>>;  // (number, position)

Hits Find(const std::string& text) {
  Hits out;
  for (const IconHit& hit : FindIconCodes(text.c_str(), text.size())) {
    out.emplace_back(hit.number, hit.position);
  }
  return out;
}

TEST(FindIconCodes, RecognisesOnlyTwoDigitCodesFromOneToNinetyNine) {
  const std::pair<std::string, Hits> cases[] = {
      {"no codes here", {}},
      {"", {}},
      {"\\#09", {{9, 1}}},
      {"Velmar\\#09", {{9, 7}}},
      {"\\#01 \\#99", {{1, 1}, {99, 6}}},
      {"\\#00", {}},
      {"\\#5 ", {}},
      {"\\#5", {}},
      {"\\#ab", {}},
      {"\\#1a", {}},
      {"#09", {}},
      {"\\09", {}},
      {"\\ #09", {}},
      {"\\\\#09", {{9, 2}}},     // the second backslash starts the code
      {"\\#100", {{10, 1}}},     // the trailing 0 stays text
      {"\\#\\#12", {{12, 3}}},
      {"\\#0", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Find(c.first), c.second) << "\"" << c.first << "\"";
}

TEST(FindIconCodes, OrdersByNumberThenPosition) {
  EXPECT_EQ(Find("a\\#05b\\#03\\#05\\#03"), (Hits{{3, 7}, {3, 15}, {5, 2}, {5, 11}}));
  EXPECT_EQ(Find("\\#14\\#14"), (Hits{{14, 1}, {14, 5}}));
}

TEST(FindIconCodes, ScansTheWholeStoredLineAndNoFurther) {
  std::string line(115, 'x');
  line += "\\#42";  // characters 116..119 of a full stored line
  ASSERT_EQ(line.size(), 119u);
  EXPECT_EQ(Find(line), (Hits{{42, 116}}));

  // A code cut by the end of the scanned length is not a code.
  EXPECT_TRUE(FindIconCodes(line.c_str(), 118).empty());
  std::string cut(116, 'x');
  cut += "\\#4";
  EXPECT_EQ(Find(cut), Hits{});

  // The scan stops at the text's NUL even when the length goes on.
  const char stored[] = "ab\\#1\0\\#07";
  EXPECT_TRUE(FindIconCodes(stored, sizeof stored).empty());
  EXPECT_TRUE(FindIconCodes(nullptr, 10).empty());
}

}  // namespace
