// Runs the program's dialogs modally from their templates; on double-byte systems from a
// copy of the template rewritten with the system's GUI font.
#pragma once

#include <windows.h>

#include "app/dialog_template.h"

// The writable copy of one template, owned by the run that made it.
struct TemplateCopy {
    HGLOBAL block; // GPTR block, or none
    DWORD size;    // bytes of the template inside the block; 0 when there is none
};

// Runs dialog resource id; -1 when the resource is missing or its template runs past the
// resource's size.
INT_PTR RunDialogResource(HINSTANCE instance, WORD id, HWND owner, DLGPROC proc);

// Runs the dialog of tmpl; -1 when tmpl is null.
INT_PTR RunDialogTemplate(const DLGTEMPLATE* tmpl, HINSTANCE instance, HWND owner, DLGPROC proc);

// Rewrites the copy with the GUI font ("System" 10 when it cannot be read); a non-zero
// requestedPoints replaces the font's own size. Returns 1 when rewritten.
int ApplyGuiFont(TemplateCopy* copy, int requestedPoints);

// Rewrites the copy with face (ANSI code page) at points. Returns 1 when rewritten; 0 when
// there is no copy, or the face does not convert, and then nothing is touched.
int SetTemplateFont(TemplateCopy* copy, const char* face, WORD points);
