#include "fake_sysfs.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Where a PC's first USB controller puts its devices.
constexpr char kBusDir[] = "devices/pci0000:00/0000:00:14.0/usb1";

void WriteAttribute(const fs::path& dir, const std::string& name, const std::string& value) {
    std::ofstream(dir / name) << value << "\n";
}

// A relative link at `at` to the absolute `target`, as sysfs makes them.
void Link(const fs::path& target, const fs::path& at) {
    fs::create_directories(at.parent_path());
    fs::create_directory_symlink(fs::relative(target, at.parent_path()), at);
}

std::string RestOfLine(std::istringstream& line) {
    std::string rest;
    std::getline(line >> std::ws, rest);
    return rest;
}

// The tty's class entry and its device link: ttyUSB leads to the usb-serial
// port inside the interface, ttyACM to the interface itself.
void AddTty(const fs::path& root, const fs::path& interfaceDir, const std::string& tty) {
    const bool serialPort = tty.rfind("ttyUSB", 0) == 0;
    const fs::path deviceOfTty = serialPort ? interfaceDir / tty : interfaceDir;
    const fs::path classDir = deviceOfTty / "tty" / tty;
    fs::create_directories(classDir);
    WriteAttribute(classDir, "dev", "188:0");
    Link(deviceOfTty, classDir / "device");
    Link(classDir, root / "class/tty" / tty);
}

struct Builder {
    fs::path root;
    fs::path device;  // of the last device line
    std::string deviceName;

    bool Device(std::istringstream& line, std::string* error) {
        std::string vendor, product;
        if (!(line >> deviceName >> vendor >> product)) {
            *error = "device needs a name, a vendor and a product";
            return false;
        }
        device = root / kBusDir / deviceName;
        fs::create_directories(device);
        WriteAttribute(device, "idVendor", vendor);
        WriteAttribute(device, "idProduct", product);
        const std::string name = RestOfLine(line);
        if (!name.empty()) WriteAttribute(device, "product", name);
        Link(device, root / "bus/usb/devices" / deviceName);
        return true;
    }

    bool Interface(std::istringstream& line, std::string* error) {
        std::string number, cls, subclass, protocol, driver, tty;
        if (device.empty() || !(line >> number >> cls >> subclass >> protocol >> driver >> tty)) {
            *error = "interface needs a device above it and six fields";
            return false;
        }
        const std::string name = deviceName + ":1." + std::to_string(std::stoi(number, nullptr, 16));
        const fs::path interfaceDir = device / name;
        fs::create_directories(interfaceDir);
        WriteAttribute(interfaceDir, "bInterfaceNumber", number);
        WriteAttribute(interfaceDir, "bInterfaceClass", cls);
        WriteAttribute(interfaceDir, "bInterfaceSubClass", subclass);
        WriteAttribute(interfaceDir, "bInterfaceProtocol", protocol);
        const std::string label = RestOfLine(line);
        if (!label.empty()) WriteAttribute(interfaceDir, "interface", label);
        const fs::path driverDir = root / "bus/usb/drivers" / driver;
        fs::create_directories(driverDir);
        Link(driverDir, interfaceDir / "driver");
        Link(interfaceDir, root / "bus/usb/devices" / name);
        if (tty != "-") AddTty(root, interfaceDir, tty);
        return true;
    }
};

}  // namespace

bool BuildFakeSysfs(const std::string& description, const std::string& root, std::string* error) {
    Builder builder{root, {}, {}};
    std::istringstream lines(description);
    std::string text;
    std::error_code failure;
    fs::create_directories(root, failure);
    try {
        while (std::getline(lines, text)) {
            std::istringstream line(text);
            std::string word;
            if (!(line >> word) || word[0] == '#') continue;
            const bool built = word == "device"      ? builder.Device(line, error)
                               : word == "interface" ? builder.Interface(line, error)
                                                     : (*error = "unknown line: " + text, false);
            if (!built) return false;
        }
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
    return true;
}

std::string ReadFixture(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
