#pragma once

class FishSink;

// Degrees to radians, single precision as everywhere in the fish code.
constexpr float kDegToRad = 0.017453292f;

// Heading steering requests (`ChangeHeading`).
enum class HeadingChange : int {
    RandomTurn = 0,
    Reverse = 1,
    SideTurn = 2,
    QuarterTurn = 4,
    SmallTurn = 5,
    TurnAbout = 6,
    TurnBy = 7,
};

// Pitch steering requests (`ChangePitch`).
enum class PitchChange : int {
    RandomTilt = 0,
    Mirror = 3,
    Nudge = 5,
    TiltBy = 7,
};

// Which wall the last move hit.
enum BoundEvent : int {
    NoBound = 0,
    LeftWall = 1,
    RightWall = 2,
    FrontWall = 4,
    TopWall = 5,
    BottomWall = 6,
};

// A travelling sine wave along one part of the body. The phase moves every
// third frame and wraps to 0 once it passes a full turn.
struct FishWave {
    float Phase = 0;
    int Tick = 0;
    float Wavenumber = 0;
    float Amplitude = 0;
    float Step = 0;

    // Advances the phase and fills `out[0..n)` with the wave at `size`.
    void Fill(float* out, int n, float size);
};

// One swimming fish: steering, body bend, wander, moving within its box and
// drawing its animated body through a sink.
class Fish {
public:
    static constexpr int kSegments = 24;
    static constexpr int kLongFinPoints = 10;
    static constexpr int kPairedAPoints = 17;
    static constexpr int kPairedBPoints = 20;
    static constexpr int kShortFinPoints = 8;
    static constexpr int kTailPoints = 21;

    // Draws the random start values; see the field list.
    Fish();
    virtual ~Fish() = default;

    void SetBounds(float xMin, float xMax, float top, float bottom, float zMin, float zMax);

    // Draws the fish at the sink's current matrix (the caller has translated
    // to X, Y, Z) and advances it one frame.
    void Tick(FishSink& sink);

    void ApproachSpeed(float step, float target);
    void ChangeHeading(float amount, bool toward, HeadingChange kind);
    void ChangePitch(float amount, bool toward, PitchChange kind);
    void Resize(float amount, bool grow);
    void SetExcited(bool flag) { Excited = flag; }

    // Body animation steps, public so the drawing can be checked piece by piece.
    void ComputeWaves();
    void EmitVertex(FishSink& sink, float x, float y, float z, float nx, float ny, float nz,
                    float s, float t) const;
    void SetSegmentRotation(float angleDegrees);
    void DrawPieces(FishSink& sink);

    // Steps of `Tick`, in its order.
    void Turn();
    void Wander();
    void Move();
    void KeepInBounds();
    void UpdateExtents();
    void UpdateDirectionFlags();

    // --- State ---
    float Pose[16] = {};
    float Size = 10.0f;
    bool MouthClosed = true;
    float Speed = 0.2f;
    float PitchTarget = 0;
    float HeadingTarget = 0;
    float Pitch = 0;
    bool Excited = false;
    float Heading = 0;
    int TurnTick = 0;
    bool TurnDone = false;
    bool BodyStraight = false;
    int SegmentHeadings[kSegments] = {};
    float TurnReference = 0;

    FishWave BodyWave{0, 0, 0.2617994f, 0.01f, 0.7853982f};
    FishWave LongFinWave{0, 0, 0.3926991f, 0.02f, 0.5235988f};
    FishWave PairedFinWaveA{0, 0, 0.1963495f, 0.02f, 0.5235988f};
    FishWave PairedFinWaveB{0, 0, 0.1963495f, 0.01f, 0.5235988f};
    FishWave ShortFinWave{0, 0, 0.3926991f, 0.03f, 0.5235988f};
    FishWave TailWave{0, 0, 0.3926991f, 0.02f, 0.5235988f};
    int GulpTimer = 0;
    float JawFactor = 0.006f;
    float GillFactor = 0.0002f;
    float LipOffset = 0;
    float LipStep = 0.002f;
    float LipLimit = 0.008f;

    float X = 0, Y = 0, Z = 0;

    bool GoesMinusX = false, GoesPlusX = false;
    bool GoesPlusZ = false, GoesMinusZ = false;
    bool PitchUp = false;
    bool TargetMinusX = false, TargetPlusX = false;
    bool TargetPlusZ = false, TargetMinusZ = false;

    float XMin = 0, XMax = 0, YTop = 0, YBottom = 0, ZMin = 0, ZMax = 0;
    int LastBoundEvent = NoBound;
    float LengthFactor = 0.64383f, DepthFactor = 1.0f, HeightFactor = 0.181513f;
    float BoxXMax = 0, BoxXMin = 0, BoxYMax = 0, BoxYMin = 0, BoxZMax = 0, BoxZMin = 0;
    float HitXMax = 0, HitXMin = 0, HitYMax = 0, HitYMin = 0, HitZMax = 0, HitZMin = 0;
    float Head[3] = {}, Tail[3] = {};
    bool Touching = false;
    int WanderTimer = 0;

    // --- This frame's deformation arrays (filled by ComputeWaves) ---
    float Jaw[5] = {};
    float Gill[8] = {};
    float SegmentAngles[kSegments] = {};
    float BodyWaveOffsets[kSegments] = {};
    float LongFinOffsets[kLongFinPoints] = {};
    float PairedFinOffsetsA[kPairedAPoints] = {};
    float PairedFinOffsetsB[kPairedBPoints] = {};
    float ShortFinOffsets[kShortFinPoints] = {};
    float TailOffsets[kTailPoints] = {};

private:
    // Rotation of each segment for this frame, built once per draw.
    float SegmentPoses_[kSegments][16] = {};
    void UseSegment(int segment);
};

// The standard OpenGL rotation matrix (column-major) by `radians` about the
// axis; the identity for a zero axis.
void BuildRotation(float out[16], float radians, float ax, float ay, float az);
