/* Counts the shaders Mesa's llvmpipe compiles (LD_PRELOAD): every distinct
   GL state a program draws with becomes a fragment or vertex shader variant
   compiled by LLVM, and each stays resident. Each compile is one JIT engine
   built by LLVM; the count is printed to stderr at swaps 1, 10, 100 and 300,
   and written to $JITCOUNT_FILE as "<compiles> <swaps>" at every swap. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

static unsigned long compiles, swaps;

/* llvm::EngineBuilder::create(llvm::TargetMachine*) */
void* _ZN4llvm13EngineBuilder6createEPNS_13TargetMachineE(void* self, void* tm) {
    typedef void* (*Create)(void*, void*);
    static Create real;
    if (!real) {
        /* The driver loads LLVM privately, out of RTLD_NEXT's sight. */
        void* llvm = dlopen("libLLVM-15.so.1", RTLD_LAZY | RTLD_NOLOAD);
        if (!llvm) llvm = RTLD_NEXT;
        real = (Create)dlsym(llvm, "_ZN4llvm13EngineBuilder6createEPNS_13TargetMachineE");
    }
    ++compiles;
    return real(self, tm);
}

static void CountSwap(void) {
    ++swaps;
    if (swaps == 1 || swaps == 10 || swaps == 100 || swaps == 300)
        fprintf(stderr, "jitcount: %lu shader compiles by swap %lu\n", compiles, swaps);
    const char* path = getenv("JITCOUNT_FILE");
    FILE* out = path ? fopen(path, "w") : NULL;
    if (!out) return;
    fprintf(out, "%lu %lu\n", compiles, swaps);
    fclose(out);
}

void glXSwapBuffers(void* display, unsigned long drawable) {
    typedef void (*Swap)(void*, unsigned long);
    static Swap real;
    if (!real) real = (Swap)dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    CountSwap();
}

unsigned eglSwapBuffers(void* display, void* surface) {
    typedef unsigned (*Swap)(void*, void*);
    static Swap real;
    if (!real) real = (Swap)dlsym(RTLD_NEXT, "eglSwapBuffers");
    const unsigned ok = real(display, surface);
    CountSwap();
    return ok;
}
