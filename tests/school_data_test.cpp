// The records the instanced school hands over: each fish's matrix as its
// orbit and pose make it, its colour, and no record for a fish that an
// earlier one hides exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/fish.h"
#include "scene/school_data.h"

namespace {

// A fish turned DEGREES about the tank's axis, its pose's matrix a plain
// move to (x, y, z).
Fish fishAt(float degrees, float x, float y, float z, int colourType) {
    Fish fish;
    fish.orbitAngle = degrees;
    fish.colourType = colourType;
    fish.model = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}};
    return fish;
}

TEST(SchoolRecords, EachFishThatShowsGetsItsMatrixAndColourInTableOrder) {
    setFishCount(5);
    fishes[0] = fishAt(90.0f, 2.0f, 3.0f, 4.0f, 5);
    fishes[1] = fishAt(90.0f, 2.0f, 3.0f, 4.0f, 1);  // hidden by the first
    fishes[2] = fishAt(90.0f, std::nextafter(2.0f, 3.0f), 3.0f, 4.0f, 2);
    // On the axis the turn leaves the place alone: the same place, another
    // heading, so the whole matrix must tell them apart.
    fishes[3] = fishAt(0.0f, 0.0f, 7.0f, 0.0f, 3);
    fishes[4] = fishAt(30.0f, 0.0f, 7.0f, 0.0f, 4);
    std::vector<float> records;
    ASSERT_EQ(fillSchoolRecords(records), 4);
    ASSERT_EQ(records.size(), 4u * kSchoolRecordFloats);

    // A quarter turn about +Y takes x to -z and z to x, as glRotatef does.
    const float* first = &records[0];
    const float expected[13] = {0, 0, 1, 4, 0, 1, 0, 3, -1, 0, 0, -2, 5};
    for (int i = 0; i < 13; ++i) {
        EXPECT_NEAR(first[i], expected[i], 1e-6f) << "value " << i;
    }
    int colours[4];
    for (int r = 0; r < 4; ++r) {
        colours[r] = static_cast<int>(records[r * kSchoolRecordFloats + 12]);
    }
    EXPECT_EQ(colours[0], 5) << "the first of two alike is the one drawn";
    EXPECT_EQ(colours[1], 2);
    EXPECT_EQ(colours[2], 3);
    EXPECT_EQ(colours[3], 4);
    const float* turned = &records[3 * kSchoolRecordFloats];
    EXPECT_NEAR(turned[0], std::cos(30.0f * static_cast<float>(M_PI) / 180.0f), 1e-6f);
    EXPECT_NEAR(turned[2], 0.5f, 1e-6f);

    // A school of 30000 in one place and pace is one record; the table
    // grows and shrinks with the count.
    setFishCount(kMaxFish);
    for (Fish& fish : fishes) {
        fish = fishAt(12.5f, 7.8f, 1.5f, -1.8f, 0);
    }
    EXPECT_EQ(fillSchoolRecords(records), 1);
    fishes[kMaxFish - 1].orbitAngle = 12.75f;
    EXPECT_EQ(fillSchoolRecords(records), 2);
    setFishCount(kFirstSchool);
}

} // namespace
