#pragma once

// The looping built-in sound and its hand-shake with the user's music.

// Unpacks the built-in recording, holds it in memory (its files are deleted
// at once) and loops it on its own channel at the YINLIANG level `yinliang`.
void StartBuiltInSound(int yinliang);
// Stops the loop if it plays.
void StopBuiltInSound();

// The tick's hand-shake, run after every frame: while `silenceRequested` (the
// user's own music is on) the built-in sound stops; once the request clears it
// restarts, once, at `yinliang`.
void BuiltinSoundHandshake(bool silenceRequested, int yinliang);

// Mixer volume (0..128) for a YINLIANG value: the level is 65535 minus the
// value, the same on both channels.
int BuiltinSoundMixVolume(int yinliang);

// How often the loop was started and asked to stop, and whether it sounds now.
struct BuiltinSoundCounters {
    int starts = 0;
    int stopRequests = 0;
};
const BuiltinSoundCounters& BuiltinSoundCounts();
bool BuiltinSoundPlaying();
