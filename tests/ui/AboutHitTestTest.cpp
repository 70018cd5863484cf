// Where a click on the About window lands when its labels overlap, as the
// credit does once it wraps to a third line over the soft key "Back".
#include <gtest/gtest.h>

#include "ui/frmInfo.h"

namespace {

TEST(AboutWindowHitTest, AClickBelongsToTheTopmostLabelUnderTheMouse) {
    // Stacked from the bottom up: title, credit wrapped down over the soft
    // key bar, then the two soft keys on top.
    const RECT labels[] = {{55, 61, 130, 74}, {56, 160, 137, 213}, {46, 188, 78, 204}, {116, 188, 148, 204}};
    struct Case {
        POINT point;
        int label;
    };
    const Case cases[] = {
        {{60, 195}, 2},   // in the credit and "Back": "Back" takes it
        {{120, 195}, 3},  // in the credit and "Mehr"
        {{90, 170}, 1},   // the credit alone
        {{60, 65}, 0},    // the title
        {{10, 10}, -1},   // nothing
        {{78, 195}, 1},   // just right of "Back": the right edge is outside a rectangle
    };
    for (const Case& c : cases)
        EXPECT_EQ(kestrane::TopmostLabelAt(labels, c.point), c.label) << c.point.x << "," << c.point.y;
    EXPECT_EQ(kestrane::TopmostLabelAt({}, POINT{1, 1}), -1);
}

}  // namespace
