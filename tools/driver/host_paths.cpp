#include "host_paths.h"

#include <windows.h>

std::wstring WindowsPath(const std::string& path) {
    // Wine's kernel32 exports this mapping; Windows has no such export.
    using ToDosName = LPWSTR(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<ToDosName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos && !path.empty() && path[0] == '/') {
        if (LPWSTR dos = toDos(path.c_str())) {
            std::wstring result(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return result;
        }
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    return wide;
}
