// ComSetLine over the scripted device with the whole Win32 DCB: the line
// members are set, every other member stays as the device reported it.
#include <gtest/gtest.h>

#include "comport.h"
#include "scripted_device.h"

namespace {

// Kept: C13 (docs/compatibility.md)
TEST(ComSetLineTest, ChangesOnlyTheLineMembers) {
    ScriptedDevice::Reset();
    ComPort port;
    ASSERT_EQ(ComOpen(4, &port), 1);
    auto& dev = ScriptedDevice::Current();
    DCB before = {};
    before.fParity = 1;
    before.XonChar = 0x11;
    before.fOutX = 1;
    before.fRtsControl = RTS_CONTROL_HANDSHAKE;
    before.fDtrControl = DTR_CONTROL_ENABLE;
    before.fOutxCtsFlow = 1;
    before.Parity = EVENPARITY;
    before.StopBits = TWOSTOPBITS;
    dev.stateToReport = before;

    ASSERT_EQ(ComSetLine(&port, 115200), 1);
    const DCB& dcb = dev.lastState;
    EXPECT_EQ(dev.dcbLengthAsked, 28u) << "GetCommState must be told the size of a DCB";
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fDsrSensitivity, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    // Members outside the line settings stay as the device reported them.
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(port.baud, 115200u);
    ComClose(&port);
}

}  // namespace
