/* Counts a program's buffer swaps, GLX or EGL (LD_PRELOAD), so the frame rate
   of any GL program, ours or another hack, is measured the same way. Every
   half second it rewrites $SWAPCOUNT_FILE with "<swaps> <seconds>". With
   $SWAPCOUNT_T0 (wall-clock seconds, as bash's $EPOCHREALTIME, taken just
   before exec) the first swap writes the milliseconds since then to
   $SWAPCOUNT_FIRST: time to first frame, measured alike for every program. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static void FirstSwap(void) {
    const char* t0 = getenv("SWAPCOUNT_T0");
    const char* path = getenv("SWAPCOUNT_FIRST");
    if (!t0 || !path) return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    FILE* out = fopen(path, "w");
    if (!out) return;
    fprintf(out, "%.1f\n", (now.tv_sec + now.tv_nsec / 1e9 - atof(t0)) * 1000.0);
    fclose(out);
}

static void CountSwap(void) {
    static unsigned long swaps;
    static double lastReport;
    if (++swaps == 1) FirstSwap();
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double t = now.tv_sec + now.tv_nsec / 1e9;
    if (t - lastReport < 0.5) return;
    lastReport = t;
    const char* path = getenv("SWAPCOUNT_FILE");
    FILE* out = path ? fopen(path, "w") : NULL;
    if (!out) return;
    fprintf(out, "%lu %.3f\n", swaps, t);
    fclose(out);
}

typedef void (*GlxSwap)(void*, unsigned long);
typedef unsigned (*EglSwap)(void*, void*);

void glXSwapBuffers(void* display, unsigned long drawable) {
    static GlxSwap real;
    if (!real) real = (GlxSwap)dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    CountSwap();
}

unsigned eglSwapBuffers(void* display, void* surface) {
    static EglSwap real;
    if (!real) real = (EglSwap)dlsym(RTLD_NEXT, "eglSwapBuffers");
    const unsigned ok = real(display, surface);
    CountSwap();
    return ok;
}
