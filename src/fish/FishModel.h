#pragma once

// The constant geometry of a fish at size 1, one side only, built once from
// the outline in FishShape.h. Each piece is `Rows` rows of `Points` vertices,
// laid out row by row, with a normal and a skin coordinate per vertex.
//
// Where the pieces sample the 256 x 128 skin:
//   body, gill cover, jaw, lip flap, back fin, belly fin, tail
//       -> the side-view band (t 0.25..1): s = x + 0.5, t from model z, so a
//          point of the skin shows where that point of the side view is;
//   both pairs of side fins
//       -> the fin swatch (t 0..0.25): s along the chord, t along the span
//          (root at the top of the swatch, tip at the bottom).

template <int R, int P>
struct FishPieceTable {
    static constexpr int Rows = R;
    static constexpr int Points = P;
    static constexpr int Count = R * P;
    float Position[Count][3];
    float Normal[Count][3];
    float Tex[Count][2];
};

struct FishModel {
    FishPieceTable<6, 24> Body;     // rows dorsal to ventral, columns snout to peduncle
    FishPieceTable<4, 8> Gill;      // columns from the free rear edge forward to the hinge
    FishPieceTable<4, 5> Jaw;       // columns from the chin back to the hinge
    FishPieceTable<2, 10> LongFin;  // back fin over body columns 11..20; row 1 the edge
    FishPieceTable<2, 17> PairedA;  // pelvic fin on the belly; row 1 the edge
    FishPieceTable<2, 20> PairedB;  // pectoral fin behind the gill cover; row 1 the edge
    FishPieceTable<2, 8> ShortFin;  // belly fin under body columns 13..20; row 1 the edge
    FishPieceTable<2, 21> Tail;     // row 0 on the peduncle, row 1 the forked edge
    FishPieceTable<3, 7> Flap;      // lip rings at the snout, front ring first
};

// Built on first use, never changed.
const FishModel& TheFishModel();

// Model x of body column j (0 at the snout .. 23 at the peduncle).
float BodyColumnX(int column);
