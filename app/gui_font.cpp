// Puts a font into a template copy: the system's GUI font, or a given face and size.
#include <cstdint>

#include "app/dialog_runner.h"

namespace {

// The screen's pixels per logical inch, vertically; 96 when it cannot be read.
int ScreenPixelsPerInch() {
    int pixels = 0;
    HDC dc = GetDC(nullptr);
    if (dc) {
        pixels = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
    return pixels > 0 ? pixels : 96;
}

} // namespace

int ApplyGuiFont(TemplateCopy* copy, int requestedPoints) {
    char face[LF_FACESIZE] = "System";
    int points = 10;
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (!font) font = GetStockObject(SYSTEM_FONT);
    LOGFONTA logFont = {};
    if (font && GetObjectA(font, sizeof logFont, &logFont) != 0) {
        lstrcpynA(face, logFont.lfFaceName, sizeof face);
        points = FontPointSize(logFont.lfHeight, ScreenPixelsPerInch());
    }
    if ((requestedPoints & 0xFFFF) != 0) points = requestedPoints & 0xFFFF;
    return SetTemplateFont(copy, face, static_cast<WORD>(points));
}

int SetTemplateFont(TemplateCopy* copy, const char* face, WORD points) {
    if (!copy || !copy->block || copy->size == 0 || !face) return 0;
    WCHAR wide[kTemplateFaceUnits];
    int units = MultiByteToWideChar(CP_ACP, 0, face, -1, wide, kTemplateFaceUnits);
    if (units <= 0) return 0;
    unsigned char* data = static_cast<unsigned char*>(GlobalLock(copy->block));
    if (!data) return 0;
    SIZE_T capacity = GlobalSize(copy->block);
    if (capacity > 0xFFFFFFFFu) capacity = 0xFFFFFFFFu;
    std::uint16_t units16[kTemplateFaceUnits];
    for (int i = 0; i < units; ++i) units16[i] = static_cast<std::uint16_t>(wide[i]);
    TemplateBytes bytes = {data, copy->size, static_cast<std::uint32_t>(capacity)};
    int rewritten = SetTemplateFont(&bytes, units16, static_cast<unsigned>(units), points);
    if (rewritten) copy->size = bytes.size;
    GlobalUnlock(copy->block);
    return rewritten;
}
