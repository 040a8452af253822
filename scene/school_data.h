#pragma once
// What the instanced school hands the driver each frame: one record per fish
// that shows, its matrix's three rows and its colour type. No GL here.
#include <vector>

// Floats in one fish's record: rows 0 to 2 of its matrix (the rotation
// about the tank's axis by its orbit angle, then its pose's matrix; the
// bottom row is always 0 0 0 1), then its colour type.
constexpr int kSchoolRecordFloats = 13;

// Fills DATA with the records of the fish in use, in table order, leaving
// out each fish whose matrix is, to the bit, that of an earlier one: the two
// make the same fragments at the same depths, so the first drawn passes
// every depth test the later one then fails, and the later never shows.
// Returns the number of records. Reads each fish's orbit angle and its last
// step's model matrix.
int fillSchoolRecords(std::vector<float>& data);
