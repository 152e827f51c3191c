#pragma once

// The looping built-in sound and its hand-shake with the user's music.
//
// MusicSilenceRequest is set while the user's own music is on; the frame loop
// stops the built-in sound then, and restarts it once when the request clears.
extern bool MusicSilenceRequest;
extern bool MusicRestartPending;

// Seams for the music player: start the looping built-in sound / stop it.
void StartBuiltinSound();
void StopBuiltinSound();

// The tick's hand-shake, run after every frame.
void BuiltinSoundHandshake();
