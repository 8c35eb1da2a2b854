// The fault guard: a vectored exception handler that acts only on a fault inside the view
// of the pass running on the faulting thread, and resumes that thread at the pass's
// recovery point. GCC has no __try/__except, so the recovery point is a __builtin_setjmp
// receiver in RunGuardedPass: the handler sends the thread into a small function that does
// the matching __builtin_longjmp, which abandons the pass's frames (plain code and the C
// library's moves and compares, nothing to unwind).
#include "engine/view_fault_guard.h"

#include <windows.h>

#include <cstdint>

namespace {

struct ActivePass {
    uintptr_t begin;
    uintptr_t end;
    void* recoveryPoint[5]; // __builtin_setjmp's buffer
};

// Each thread's running pass, in a TLS slot: the handler runs on the faulting thread.
DWORD passSlot = TLS_OUT_OF_INDEXES;
LONG guardState; // 0 not set up, 1 setting up, 2 ready, 3 unavailable

[[noreturn]] __attribute__((noinline)) void ResumeAtRecoveryPoint() {
    ActivePass* pass = static_cast<ActivePass*>(TlsGetValue(passSlot));
    __builtin_longjmp(pass->recoveryPoint, 1);
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR &&
        record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    if (record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const ActivePass* pass = static_cast<const ActivePass*>(TlsGetValue(passSlot));
    const uintptr_t address = record->ExceptionInformation[1];
    if (!pass || address < pass->begin || address >= pass->end)
        return EXCEPTION_CONTINUE_SEARCH;
    // Continue in ResumeAtRecoveryPoint, on the faulting thread's own stack below the
    // faulting frame, aligned as right after a call; the direction flag cleared, since the
    // fault may have hit a backward string move.
    CONTEXT* context = info->ContextRecord;
#if defined(__x86_64__)
    uintptr_t stack = (static_cast<uintptr_t>(context->Rsp) - 256) & ~static_cast<uintptr_t>(15);
    context->Rsp = stack - sizeof(void*);
    context->Rip = reinterpret_cast<uintptr_t>(&ResumeAtRecoveryPoint);
#elif defined(__i386__)
    uintptr_t stack = (static_cast<uintptr_t>(context->Esp) - 256) & ~static_cast<uintptr_t>(15);
    context->Esp = stack - sizeof(void*);
    context->Eip = reinterpret_cast<uintptr_t>(&ResumeAtRecoveryPoint);
#else
#error "the fault guard knows x86 and x86-64 only"
#endif
    context->EFlags &= ~0x400u;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Sets up the slot and the handler once per process; false when either cannot be had.
bool GuardReady() {
    LONG state = InterlockedCompareExchange(&guardState, 1, 0);
    if (state == 0) {
        passSlot = TlsAlloc();
        bool ready = passSlot != TLS_OUT_OF_INDEXES && AddVectoredExceptionHandler(1, OnFault);
        InterlockedExchange(&guardState, ready ? 2 : 3);
        return ready;
    }
    while (state == 1) {
        Sleep(0);
        state = InterlockedCompareExchange(&guardState, 1, 1);
    }
    return state == 2;
}

} // namespace

bool RunGuardedPass(const void* view, size_t size, void (*pass)(void* context), void* context) {
    if (!GuardReady()) {
        pass(context); // no guard to be had: the pass runs as it always did
        return true;
    }
    ActivePass active;
    active.begin = reinterpret_cast<uintptr_t>(view);
    active.end = active.begin + size;
    if (__builtin_setjmp(active.recoveryPoint)) {
        TlsSetValue(passSlot, nullptr);
        return false;
    }
    TlsSetValue(passSlot, &active);
    pass(context);
    TlsSetValue(passSlot, nullptr);
    return true;
}
