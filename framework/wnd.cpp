// Out-of-line parts of the window wrappers.
#include "wnd.h"

BOOL AfxInitRichEdit() {
    // Kept loaded for the life of the process: controls of its class may
    // exist until the very end.
    static const HMODULE library = ::LoadLibraryA("riched32.dll");
    return library != nullptr;
}
