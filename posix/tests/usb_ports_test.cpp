// What sysfs tells of USB sticks, read from fake trees built from the
// fixtures in tests/support/sysfs: the port order, each port's USB identity,
// sticks with no serial port, and links that lead out of the tree.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fake_sysfs.h"
#include "port_paths.h"
#include "usb_ports.h"

namespace fs = std::filesystem;

namespace {

// The makers the program knows, as its vendor table gives them.
const comdev::ModemUsbIds kKnown{{"12d1", "19d2"}, "12d1"};

// A fake sysfs tree from fixtures, and a fake /dev listing the given ttys.
class FakeTree {
public:
    explicit FakeTree(const std::vector<std::string>& fixtures) {
        char dir[] = "/tmp/usb-ports-test.XXXXXX";
        root_ = mkdtemp(dir) != nullptr ? dir : "";
        std::string error;
        for (const std::string& fixture : fixtures) {
            const std::string text = ReadFixture(std::string(SYSFS_FIXTURES) + "/" + fixture);
            EXPECT_FALSE(text.empty()) << fixture;
            EXPECT_TRUE(BuildFakeSysfs(text, Sysfs(), &error)) << fixture << ": " << error;
        }
        fs::create_directories(Dev());
    }
    ~FakeTree() { fs::remove_all(root_); }

    std::string Sysfs() const { return root_ + "/sys"; }
    std::string Dev() const { return root_ + "/dev"; }
    std::string Root() const { return root_; }

    std::vector<std::string> DevicePaths(const std::vector<std::string>& ttys) const {
        std::vector<std::string> paths;
        for (const std::string& tty : ttys) {
            std::ofstream(Dev() + "/" + tty);
            paths.push_back(Dev() + "/" + tty);
        }
        return paths;
    }

private:
    std::string root_;
};

struct OrderCase {
    const char* name;
    const char* fixture;
    std::vector<std::string> ttys;      // what /dev holds
    std::vector<std::string> expected;  // the order to try them in
    const char* identified;             // a tty, and what sysfs says of it:
    const char* vendorAndProduct;
    const char* productName;
    int interfaceNumber;
};

class PortOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(PortOrder, ModemPortsComeFirstAndEachIsNamed) {
    const OrderCase& c = GetParam();
    FakeTree tree({c.fixture});
    const std::vector<std::string> devices = tree.DevicePaths(c.ttys);
    const std::vector<std::string> scanned = comdev::ScanPortPaths(tree.Dev());
    EXPECT_EQ(scanned, devices) << "today's order, before sysfs";

    std::vector<std::string> names;
    const std::vector<comdev::PortCandidate> ordered =
        comdev::OrderedByRank(comdev::ReadCandidates(scanned, tree.Sysfs()), kKnown);
    for (const comdev::PortCandidate& candidate : ordered) {
        names.push_back(fs::path(candidate.path).filename());
    }
    EXPECT_EQ(names, c.expected);

    const auto identified = std::find_if(ordered.begin(), ordered.end(), [&](const auto& p) {
        return fs::path(p.path).filename() == c.identified;
    });
    ASSERT_NE(identified, ordered.end());
    ASSERT_TRUE(identified->usb);
    const comdev::UsbIdentity& usb = identified->identity;
    EXPECT_EQ(usb.vendor + ":" + usb.product, c.vendorAndProduct);
    EXPECT_EQ(usb.productName, c.productName);
    EXPECT_EQ(usb.interfaceNumber, c.interfaceNumber);
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    RealLayouts, PortOrder,
    testing::Values(
        // PC UI first, the modem next, the diagnostics port last.
        OrderCase{"HuaweiE173", "huawei-e173.txt", {"ttyUSB0", "ttyUSB1", "ttyUSB2"},
                  {"ttyUSB2", "ttyUSB0", "ttyUSB1"}, "ttyUSB2", "12d1:1436", "HUAWEI Mobile", 4},
        // Unmarked ports of one stick keep their order.
        OrderCase{"HuaweiE1550", "huawei-e1550.txt", {"ttyUSB0", "ttyUSB1", "ttyUSB2"},
                  {"ttyUSB0", "ttyUSB1", "ttyUSB2"}, "ttyUSB2", "12d1:1001", "HUAWEI Mobile", 2},
        // The stick's ports before a serial cable and an ACM port sysfs does not know.
        OrderCase{"ZteAfterACable", "zte-mf627.txt", {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyACM0"},
                  {"ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyUSB0", "ttyACM0"}, "ttyUSB3", "19d2:0031",
                  "ZTE CDMA Technologies MSM", 3}),
    [](const testing::TestParamInfo<OrderCase>& info) { return info.param.name; });
// clang-format on

comdev::UsbIdentity Identity(const char* vendor, int protocol, const char* interfaceName) {
    comdev::UsbIdentity usb;
    usb.vendor = vendor;
    usb.interfaceProtocol = protocol;
    usb.interfaceName = interfaceName;
    return usb;
}

TEST(PortRank, HuaweiMarksItsAtPortByProtocolOrName) {
    using comdev::PortRank;
    const struct {
        comdev::UsbIdentity usb;
        PortRank rank;
    } cases[] = {
        {Identity("12d1", 0x02, ""), PortRank::MarkedAtPort},
        {Identity("12d1", 0xff, "HUAWEI Mobile Connect - PC UI Interface"), PortRank::MarkedAtPort},
        {Identity("12d1", 0x01, ""), PortRank::ModemVendorPort},
        {Identity("12d1", 0xff, "HUAWEI Mobile Connect - Application Interface"),
         PortRank::MarkedDiagnostics},
        {Identity("19d2", 0x02, ""), PortRank::ModemVendorPort},
        {Identity("0403", 0x02, "PC UI"), PortRank::OtherPort},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(comdev::RankOf(&c.usb, kKnown), c.rank) << c.usb.vendor << " " << c.usb.interfaceName;
    }
    EXPECT_EQ(comdev::RankOf(nullptr, kKnown), PortRank::OtherPort);
}

struct StickCase {
    const char* name;
    const char* fixture;
    std::vector<std::string> expected;  // "vendor:product kind driver" per stick
};

class SticksWithoutPort : public testing::TestWithParam<StickCase> {};

TEST_P(SticksWithoutPort, AreToldApartByTheirDrivers) {
    const StickCase& c = GetParam();
    FakeTree tree({c.fixture});
    std::vector<std::string> seen;
    for (const comdev::StickWithoutPort& stick : comdev::SticksWithoutPort(tree.Sysfs(), kKnown)) {
        const bool storage = stick.kind == comdev::StickWithoutPort::Kind::StorageOnly;
        seen.push_back(stick.vendor + ":" + stick.product + (storage ? " storage" : " network ") +
                       stick.driver);
    }
    EXPECT_EQ(seen, c.expected);
}

// clang-format off: one case to a row
INSTANTIATE_TEST_SUITE_P(
    RealLayouts, SticksWithoutPort,
    testing::Values(
        StickCase{"CdMode", "cd-mode.txt", {"12d1:1446 storage", "19d2:2000 storage"}},
        StickCase{"HiLink", "hilink.txt",  {"12d1:14db network cdc_ether"}},
        StickCase{"InModemMode", "huawei-e173.txt", {}}),
    [](const testing::TestParamInfo<StickCase>& info) { return info.param.name; });
// clang-format on

// A tty whose device link leads out of the tree is not read there.
TEST(UsbIdentity, ALinkOutOfTheTreeIsNotFollowed) {
    FakeTree tree({"huawei-e173.txt"});
    const fs::path outside = fs::path(tree.Root()) / "outside";
    std::string error;
    ASSERT_TRUE(BuildFakeSysfs("device 9-9 12d1 1001 Elsewhere\n"
                               "interface 02 ff ff 02 option ttyUSB9\n",
                               outside.string(), &error))
        << error;
    fs::create_directories(tree.Sysfs() + "/class/tty/ttyUSB8");
    fs::create_directory_symlink(outside / "class/tty/ttyUSB9/device",
                                 tree.Sysfs() + "/class/tty/ttyUSB8/device");
    comdev::UsbIdentity usb;
    EXPECT_TRUE(comdev::UsbIdentityOf(outside.string(), "ttyUSB9", &usb)) << "readable in its own tree";
    EXPECT_FALSE(comdev::UsbIdentityOf(tree.Sysfs(), "ttyUSB8", &usb));
    EXPECT_FALSE(comdev::UsbIdentityOf(tree.Sysfs(), "../ttyUSB2", &usb));
}

}  // namespace
