#include "audio/BuiltinSound.h"

bool MusicSilenceRequest = true;
bool MusicRestartPending = true;

// The music player arrives separately; until then nothing plays, and nothing
// ever clears MusicSilenceRequest.
void StartBuiltinSound() {}
void StopBuiltinSound() {}

void BuiltinSoundHandshake() {
    if (MusicSilenceRequest) {
        MusicRestartPending = true;
        StopBuiltinSound();
    } else if (MusicRestartPending) {
        StartBuiltinSound();
        MusicRestartPending = false;
    }
}
