#include "scene/school_data.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/fish.h"

namespace {

// The sine and cosine of an orbit angle. Fish of one pace share their angle
// to the bit, so a handful of recent angles answers nearly every fish.
void turnBy(float degrees, float* s, float* c) {
    struct Turn {
        uint32_t key;  // the angle's bits plus one; 0 while empty
        float s, c;
    };
    static Turn recent[16];
    uint32_t bits;
    std::memcpy(&bits, &degrees, sizeof bits);
    // Plus one leaves 0 for empty: the only bits it turns into 0 are a NaN's.
    uint32_t key = bits + 1u;
    Turn& turn = recent[(bits ^ (bits >> 7) ^ (bits >> 17)) & 15u];
    if (turn.key != key) {
        turn.key = key;
        sincosf(degrees * static_cast<float>(M_PI / 180.0), &turn.s, &turn.c);
    }
    *s = turn.s;
    *c = turn.c;
}

// One fish's data: the rotation about the tank's axis by its orbit angle,
// then its pose's matrix, as rows; the matrix has no projective part, so
// three rows say all of it.
void writeRecord(const Fish& fish, float* out) {
    float s, c;
    turnBy(fish.orbitAngle, &s, &c);
    const float* m = fish.model.m;  // column-major: m[4 * column + row]
    for (int column = 0; column < 4; ++column) {
        float x = m[4 * column], y = m[4 * column + 1], z = m[4 * column + 2];
        out[column] = c * x + s * z;
        out[4 + column] = y;
        out[8 + column] = c * z - s * x;
    }
    out[12] = static_cast<float>(fish.colourType);
}

// Where the matrix rows at ROWS (twelve floats) go in SLOTS: by
// where the fish is, which alone nearly always tells two fish apart; the
// whole matrix is compared on a match.
size_t slotOf(const float* rows, size_t slots) {
    uint32_t x, y, z;
    std::memcpy(&x, &rows[3], sizeof x);
    std::memcpy(&y, &rows[7], sizeof y);
    std::memcpy(&z, &rows[11], sizeof z);
    uint64_t hash = (x * 0x9e3779b97f4a7c15ull) ^ (y * 0xc2b2ae3d27d4eb4full) ^ (z * 0x165667b19e3779f9ull);
    return static_cast<size_t>(hash ^ (hash >> 29)) & (slots - 1);
}

// Open addressing over the records written this frame, by their matrix: 0
// for an empty slot, else the record's number plus one.
std::vector<uint32_t> recordSlots;

// Keeps record number SHOWN, just written, unless an earlier one has the same
// matrix; true when it is kept.
bool keepUnlessShown(const std::vector<float>& records, uint32_t shown) {
    const float* rows = &records[static_cast<size_t>(shown) * kSchoolRecordFloats];
    size_t mask = recordSlots.size() - 1;
    for (size_t slot = slotOf(rows, recordSlots.size());; slot = (slot + 1) & mask) {
        uint32_t held = recordSlots[slot];
        if (held == 0) {
            recordSlots[slot] = shown + 1;
            return true;
        }
        if (std::memcmp(&records[static_cast<size_t>(held - 1) * kSchoolRecordFloats], rows, 12 * sizeof(float)) == 0) {
            return false;
        }
    }
}

} // namespace

int fillSchoolRecords(std::vector<float>& records) {
    size_t slots = 64;
    while (slots < 2 * static_cast<size_t>(fishCount)) {
        slots *= 2;
    }
    recordSlots.assign(slots, 0);
    records.resize(static_cast<size_t>(fishCount) * kSchoolRecordFloats);
    uint32_t shown = 0;
    for (const Fish& fish : fishesInUse()) {
        writeRecord(fish, &records[static_cast<size_t>(shown) * kSchoolRecordFloats]);
        shown += keepUnlessShown(records, shown);
    }
    // A large school has many fish hidden so: where a fish starts and its
    // pace take some 1,750 values in all.
    records.resize(static_cast<size_t>(shown) * kSchoolRecordFloats);
    return static_cast<int>(shown);
}
