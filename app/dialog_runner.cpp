// Runs the program's dialogs modally: from the resource's own bytes, or on double-byte
// systems from a copy rewritten with the GUI font, freed when the dialog has ended.
#include "app/dialog_runner.h"

#include <cstring>

#include "app/dialog_runner_calls.h"

DialogRunnerCalls RunnerCalls = {GlobalAlloc, GlobalFree, DialogBoxIndirectParamA};

INT_PTR RunDialogResource(HINSTANCE instance, WORD id, HWND owner, DLGPROC proc) {
    const DLGTEMPLATE* tmpl = nullptr;
    HGLOBAL loaded = nullptr;
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (found) loaded = LoadResource(instance, found);
    if (loaded) tmpl = static_cast<const DLGTEMPLATE*>(LockResource(loaded));
    // A template that runs past its resource is not shown at all, as if it were missing:
    // both the copy and the dialog manager would read beyond the resource's bytes.
    if (tmpl && GetTemplateSizeWithin(tmpl, SizeofResource(instance, found)) == 0) tmpl = nullptr;
    INT_PTR result = RunDialogTemplate(tmpl, instance, owner, proc);
    if (loaded) FreeResource(loaded);
    return result;
}

INT_PTR RunDialogTemplate(const DLGTEMPLATE* tmpl, HINSTANCE instance, HWND owner, DLGPROC proc) {
    if (!tmpl) return -1;
    TemplateCopy copy = {nullptr, 0};
    const DLGTEMPLATE* shown = tmpl;
    void* copyBytes = nullptr;
    if (GetSystemMetrics(SM_DBCSENABLED) != 0) {
        DWORD size = GetTemplateSize(tmpl);
        // Room for the largest growth of any template, so the rewrite always fits.
        copy.block = RunnerCalls.globalAlloc(GPTR, static_cast<SIZE_T>(size) + kTemplateCopyRoom);
        if (copy.block) copyBytes = GlobalLock(copy.block);
        if (copyBytes) {
            std::memcpy(copyBytes, tmpl, size);
            copy.size = size;
            ApplyGuiFont(&copy, 0);
            shown = static_cast<const DLGTEMPLATE*>(copyBytes);
        }
    }
    INT_PTR result = RunnerCalls.dialogBoxIndirectParam(instance, shown, owner, proc, 0);
    if (copy.block) {
        if (copyBytes) GlobalUnlock(copy.block);
        RunnerCalls.globalFree(copy.block);
    }
    return result;
}
