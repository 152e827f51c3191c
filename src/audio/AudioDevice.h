#pragma once

// The sound device, opened once for the whole process on first use. When no
// device can be opened everything keeps working in silence; the reason is
// printed once on stderr.
bool OpenAudioDevice();

// True once OpenAudioDevice has succeeded.
bool AudioDeviceOpen();

// The mixing channel reserved for the built-in loop.
constexpr int kBuiltinSoundChannel = 0;

// Holds the process's stderr on /dev/null while it lives: sound libraries
// chat there while probing devices and files.
class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_;
};
