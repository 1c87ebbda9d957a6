#pragma once

#include <windows.h>

#include <cstdint>

// Length in bytes of the x86 instruction at code, for the small set of instructions that function
// prologues start with; 0 for anything else, and for relative branches, which cannot be moved.
int PrologueInstructionLength(const uint8_t* code);

// Number of whole prologue instructions at code that cover at least minimum bytes; 0 when an
// instruction in that range is unknown or cannot be moved.
int CoveringPrologueLength(const uint8_t* code, int minimum);

// One patched function. The entry of target gets a five-byte relative jump to replacement; the
// instructions it covers are copied to a trampoline, followed by a jump back, so the replacement
// calls the original without ever unpatching it. Patching and restoring are single atomic stores.
// Trampolines stay allocated until the process ends: a thread may still be inside one.
struct InlineHook {
    void* target = nullptr;
    void* replacement = nullptr;
    uint8_t savedBytes[5] = {};
    int32_t jumpOffset = 0;

    // The original function, callable: the copied entry instructions, then a jump back.
    void* trampoline = nullptr;
    int copiedLength = 0;

    // Prepares the trampoline for target (set beforehand). False leaves the function unwatched.
    bool Prepare();
    // Writes the jump over the entry; false if nothing could be written.
    bool InstallHook();
    // Writes the saved entry bytes back; harmless when they are already there.
    bool Restore();
    bool IsInstalled() const;
};
