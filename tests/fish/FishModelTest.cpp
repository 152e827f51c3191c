#include <gtest/gtest.h>

#include <cmath>

#include "fish/FishModel.h"

namespace {

template <class Table>
void ExpectFinite(const Table& t, const char* name) {
    for (int i = 0; i < Table::Count; ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_TRUE(std::isfinite(t.Position[i][c]) && std::isfinite(t.Normal[i][c]) &&
                        std::isfinite(t.Tex[i][c % 2]))
                << name << " " << i;
}

TEST(FishModel, EveryTableIsFinite) {
    const FishModel& m = TheFishModel();
    ExpectFinite(m.Body, "body");
    ExpectFinite(m.Gill, "gill");
    ExpectFinite(m.Jaw, "jaw");
    ExpectFinite(m.LongFin, "long fin");
    ExpectFinite(m.ShortFin, "short fin");
    ExpectFinite(m.Tail, "tail");
    ExpectFinite(m.Flap, "flap");
    ExpectFinite(m.PairedA, "pelvic");
    ExpectFinite(m.PairedB, "pectoral");
}

}  // namespace
