#include "command_lists.h"

namespace {

// Each literal's own terminating zero is the empty string that closes the list.
const char kHuaweiModemOnly[] = "AT^U2DIAG=0\r\n\0";
const char kHuaweiExtraFunctions[] = "AT^U2DIAG=257\r\n\0";
const char kZteModemOnly[] = "AT+ZCDRUN=8\r\n\0AT+ZCDRUN=E\r\n\0";
const char kZteExtraFunctions[] = "AT+ZCDRUN=9\r\n\0AT+ZCDRUN=F\r\n\0";

constexpr int kListsPerVendor = 2;

}  // namespace

const char* const kCommandLists[kCommandListCount] = {
    kHuaweiModemOnly,
    kHuaweiExtraFunctions,
    kZteModemOnly,
    kZteExtraFunctions,
};

const char* CommandListFor(ModemVendor vendor, ModemMode mode) {
    const int pair = static_cast<int>(vendor) * kListsPerVendor;
    return kCommandLists[pair + (mode == ModemMode::ModemOnly ? 0 : 1)];
}
