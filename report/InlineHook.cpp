#include "report/InlineHook.h"

#include <cstring>

namespace {

constexpr uint8_t kJumpOpcode = 0xE9;
constexpr int kJumpSize = 5;
// The copied instructions plus the jump back; the decoder never copies more than a few bytes.
constexpr int kTrampolineSize = 32;
constexpr int kMaxCopied = kTrampolineSize - kJumpSize;

// Bytes taken by a ModRM operand (the ModRM byte, a SIB byte and a displacement), 32-bit addressing.
int ModRmLength(const uint8_t* modrm) {
    const int mod = modrm[0] >> 6;
    const int rm = modrm[0] & 7;
    if (mod == 3)
        return 1;
    int length = 1;
    if (rm == 4)
        ++length; // SIB
    if (mod == 0) {
        if (rm == 5)
            length += 4; // disp32 without base
        else if (rm == 4 && (modrm[1] & 7) == 5)
            length += 4; // SIB without base
    } else if (mod == 1) {
        length += 1;
    } else {
        length += 4;
    }
    return length;
}

// A block of executable memory for trampolines, never freed.
uint8_t* AllocateTrampoline() {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static uint8_t* page = nullptr;
    static size_t used = 0;
    EnterCriticalSection(lock);
    uint8_t* result = nullptr;
    if (!page || used + kTrampolineSize > 4096) {
        page = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
        used = 0;
    }
    if (page) {
        result = page + used;
        used += kTrampolineSize;
    }
    LeaveCriticalSection(lock);
    return result;
}

// Replaces the first five bytes at target with bytes, carrying the three after them unchanged, in
// one locked 8-byte compare-exchange, so no thread ever sees a half-written entry.
bool AtomicWriteEntry(void* target, const uint8_t bytes[kJumpSize]) {
    DWORD oldProtect = 0;
    if (!VirtualProtect(target, 8, PAGE_EXECUTE_READWRITE, &oldProtect))
        return false;
    volatile LONGLONG* entry = static_cast<volatile LONGLONG*>(target);
    for (;;) {
        LONGLONG current = *entry;
        LONGLONG desired = current;
        std::memcpy(&desired, bytes, kJumpSize);
        if (InterlockedCompareExchange64(entry, desired, current) == current)
            break;
    }
    DWORD ignored = 0;
    VirtualProtect(target, 8, oldProtect, &ignored);
    FlushInstructionCache(GetCurrentProcess(), target, kJumpSize);
    return true;
}

void WriteJump(uint8_t* at, const void* destination) {
    at[0] = kJumpOpcode;
    int32_t offset = static_cast<int32_t>(reinterpret_cast<intptr_t>(destination) -
                                          reinterpret_cast<intptr_t>(at) - kJumpSize);
    std::memcpy(at + 1, &offset, sizeof(offset));
}

} // namespace

int PrologueInstructionLength(const uint8_t* code) {
    const uint8_t op = code[0];
    if (op >= 0x50 && op <= 0x5F) // push / pop register
        return 1;
    switch (op) {
    case 0x90: // nop
        return 1;
    case 0x6A: // push imm8
        return 2;
    case 0x68: // push imm32
        return 5;
    case 0xB8: case 0xB9: case 0xBA: case 0xBB: case 0xBD: case 0xBE: case 0xBF: // mov reg, imm32
        return 5;
    // Register and memory moves and arithmetic with a ModRM operand and no immediate.
    case 0x01: case 0x03: case 0x09: case 0x0B: case 0x21: case 0x23: case 0x29: case 0x2B:
    case 0x31: case 0x33: case 0x39: case 0x3B: case 0x85: case 0x89: case 0x8B:
        return 1 + ModRmLength(code + 1);
    case 0x8D: // lea: a memory operand only
        if ((code[1] >> 6) == 3)
            return 0;
        return 1 + ModRmLength(code + 1);
    case 0x83: // arithmetic with imm8
        return 1 + ModRmLength(code + 1) + 1;
    case 0x81: // arithmetic with imm32
        return 1 + ModRmLength(code + 1) + 4;
    case 0xC7: // mov r/m32, imm32
        if (((code[1] >> 3) & 7) != 0)
            return 0;
        return 1 + ModRmLength(code + 1) + 4;
    case 0xFF: // push r/m32 only: calls and jumps through memory end the prologue
        if (((code[1] >> 3) & 7) != 6)
            return 0;
        return 1 + ModRmLength(code + 1);
    case 0x64: // fs: prefix, as in "mov eax, fs:[0]"
        if (code[1] == 0xA1)
            return 6;
        return 0;
    default:
        return 0;
    }
}

int CoveringPrologueLength(const uint8_t* code, int minimum) {
    int length = 0;
    while (length < minimum) {
        int step = PrologueInstructionLength(code + length);
        if (step == 0 || length + step > kMaxCopied)
            return 0;
        length += step;
    }
    return length;
}

bool InlineHook::Prepare() {
    if (!target || !replacement)
        return false;
    if (trampoline)
        return true;
    const auto* entry = static_cast<const uint8_t*>(target);
    int length = CoveringPrologueLength(entry, kJumpSize);
    if (length == 0)
        return false;
    uint8_t* block = AllocateTrampoline();
    if (!block)
        return false;
    std::memcpy(block, entry, length);
    WriteJump(block + length, entry + length);
    FlushInstructionCache(GetCurrentProcess(), block, kTrampolineSize);
    std::memcpy(savedBytes, entry, kJumpSize);
    jumpOffset = static_cast<int32_t>(reinterpret_cast<intptr_t>(replacement) -
                                      reinterpret_cast<intptr_t>(target) - kJumpSize);
    copiedLength = length;
    trampoline = block;
    return true;
}

bool InlineHook::InstallHook() {
    if (!target || !trampoline || jumpOffset == 0)
        return false;
    uint8_t jump[kJumpSize];
    jump[0] = kJumpOpcode;
    std::memcpy(jump + 1, &jumpOffset, sizeof(jumpOffset));
    return AtomicWriteEntry(target, jump);
}

bool InlineHook::Restore() {
    if (!target || !trampoline)
        return false;
    return AtomicWriteEntry(target, savedBytes);
}

bool InlineHook::IsInstalled() const {
    if (!target || !trampoline)
        return false;
    const auto* entry = static_cast<const uint8_t*>(target);
    int32_t offset = 0;
    std::memcpy(&offset, entry + 1, sizeof(offset));
    return entry[0] == kJumpOpcode && offset == jumpOffset;
}
