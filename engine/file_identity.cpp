// File identities from open handles. The 128-bit id (FILE_ID_INFO) is preferred: the 64-bit
// index is not unique on every file system. Its call is looked up at run time, so the
// program still starts on systems that lack it and falls back to the 64-bit index there.
#include "engine/file_identity.h"

#include <new>

namespace {

typedef BOOL(WINAPI* GetInformationByHandleEx)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

GetInformationByHandleEx LookUpGetInformationByHandleEx() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<GetInformationByHandleEx>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetFileInformationByHandleEx")));
}

bool ReadIdInfo(HANDLE handle, FileIdentity* identity) {
    static const GetInformationByHandleEx query = LookUpGetInformationByHandleEx();
    FILE_ID_INFO info;
    if (!query || !query(handle, FileIdInfo, &info, sizeof info))
        return false;
    uint64_t high = 0;
    uint64_t low = 0;
    for (int i = 0; i < 8; ++i) {
        low |= static_cast<uint64_t>(info.FileId.Identifier[i]) << (8 * i);
        high |= static_cast<uint64_t>(info.FileId.Identifier[8 + i]) << (8 * i);
    }
    *identity = FileIdentity{info.VolumeSerialNumber, high, low};
    return true;
}

} // namespace

bool operator<(const FileIdentity& a, const FileIdentity& b) {
    if (a.volume != b.volume)
        return a.volume < b.volume;
    if (a.idHigh != b.idHigh)
        return a.idHigh < b.idHigh;
    return a.idLow < b.idLow;
}

bool GetFileIdentity(HANDLE handle, FileIdentity* identity) {
    if (!ReadIdInfo(handle, identity)) {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(handle, &info))
            return false;
        *identity = FileIdentity{info.dwVolumeSerialNumber, 0,
                                 (static_cast<uint64_t>(info.nFileIndexHigh) << 32) |
                                     info.nFileIndexLow};
    }
    return identity->idHigh != 0 || identity->idLow != 0;
}

bool RememberIdentity(FileIdentitySet* set, const FileIdentity& identity) {
    try {
        return set->insert(identity).second;
    } catch (const std::bad_alloc&) {
        return true;
    }
}
