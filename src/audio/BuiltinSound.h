#pragma once

// The looping built-in sound and its hand-shake with the user's music.
//
// MusicSilenceRequest is set while the user's own music is on; the frame loop
// stops the built-in sound then, and restarts it once when the request clears.
extern bool MusicSilenceRequest;
extern bool MusicRestartPending;

// Unpacks the built-in recording, holds it in memory (its files are deleted
// at once) and loops it on its own channel at the YINLIANG level `yinliang`.
void StartBuiltInSound(int yinliang);
// Stops the loop if it plays.
void StopBuiltInSound();

// The tick's hand-shake, run after every frame; a restart plays at `yinliang`.
void BuiltinSoundHandshake(int yinliang);

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
