#include "render/label_focus.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int64_t kView = 736;

// Labels on 1 March 2025 (two, the second of three lines), on the 4th and
// on the 20th of an almanac of 31 days.
class LabelFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AlmanacState state;
    state.startDay = 1, state.startMonth = 3, state.startYear = 2025, state.dayCount = 30;
    auto label = [&](int16_t day, int lines) {
      for (int k = 0; k < lines; ++k) {
        LabelRecord r;
        r.day = day, r.month = 3, r.year = 2025;
        r.isLastLine = k + 1 == lines;
        records_.push_back(r);
      }
    };
    label(1, 1);
    label(1, 3);
    label(4, 1);
    label(20, 2);
    layout_ = LayOutAlmanac(state, records_);
  }
  // The view with day `day`'s band at its top, as the arrows put it.
  int64_t AtDay(size_t day) const { return -(layout_.days[day].top - 1); }
  const LabelBlock& Block(const LabelPlace& p) const { return layout_.days[p.day].blocks[p.block]; }

  std::vector<LabelRecord> records_;
  AlmanacLayout layout_;
};

bool Same(const LabelPlace& a, const LabelPlace& b) { return a.day == b.day && a.block == b.block; }

TEST_F(LabelFocusTest, TabAndShiftTabGoThroughTheLabelsInLayoutOrder) {
  const LabelPlace first{0, 0, 0}, second{0, 1, 0}, third{3, 0, 0}, last{19, 0, 0};
  struct Case {
    const LabelPlace* from;
    bool forward;
    int64_t offset;
    bool found;
    LabelPlace to;
  };
  const Case cases[] = {
      // None selected: the first or last label in view, or the next beyond it.
      {nullptr, true, 0, true, first},
      {nullptr, false, 0, true, third},         // the 20th is below the view
      {nullptr, true, AtDay(2), true, third},   // the 1st's labels are above it
      {nullptr, false, AtDay(25), true, last},  // everything is above: the last one
      {nullptr, true, AtDay(25), false, {}},
      // From a label: the next or the previous, whatever the view shows.
      {&first, true, 0, true, second},
      {&second, true, 0, true, third},
      {&third, true, AtDay(25), true, last},
      {&third, false, 0, true, second},
      {&second, false, 0, true, first},
      {&first, false, 0, false, {}},
      {&last, true, 0, false, {}},
  };
  for (const Case& c : cases) {
    LabelPlace to{99, 99, 0};
    const bool found = NextLabel(layout_, c.from, c.forward, c.offset, kView, to);
    EXPECT_EQ(found, c.found) << (c.from ? int(c.from->day) : -1) << " " << c.forward;
    if (c.found) {
      EXPECT_TRUE(Same(to, c.to)) << "got " << to.day << "/" << to.block;
    } else {
      EXPECT_EQ(to.day, 99u) << "left alone";
    }
  }
}

TEST_F(LabelFocusTest, TheViewMovesOnlyAsFarAsItTakesToShowTheBlock) {
  const LabelPlace second{0, 1, 0}, last{19, 0, 0};
  EXPECT_TRUE(BlockInView(layout_, second, 0, kView));
  EXPECT_FALSE(BlockInView(layout_, last, 0, kView));
  EXPECT_FALSE(BlockInView(layout_, second, -(Block(second).top + Block(second).height()), kView));
  EXPECT_TRUE(
      BlockInView(layout_, second, -(Block(second).top + Block(second).height()) + 1, kView));

  EXPECT_EQ(OffsetShowing(layout_, second, 0, kView), 0) << "in view: no move";
  // Below: its bottom one row above the view's bottom.
  const int64_t down = OffsetShowing(layout_, last, 0, kView);
  EXPECT_EQ(Block(last).top + Block(last).height() + down, kView - 1);
  // Above: its top one row below the view's top.
  EXPECT_EQ(OffsetShowing(layout_, second, AtDay(10), kView), -(Block(second).top - 1));
  // Taller than the view: its top.
  EXPECT_EQ(OffsetShowing(layout_, last, 0, 20), -(Block(last).top - 1));
}

}  // namespace
