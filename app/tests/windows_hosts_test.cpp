// The line the Windows hosts add after a run that found no modem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows_hosts.h"

namespace {

class LogOnlyHost final : public SwitchHost {
public:
    void ClearLog() override {}
    void AppendLog(const char* text) override { log += text; }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void FinishRun() override {}

    std::string log;
};

TEST(BusyPorts, AreNamedInOneLineInTheSearchsOrder) {
    const struct {
        std::vector<const char*> held;
        const char* line;
    } cases[] = {
        {{}, ""},
        {{"COM4"},
         "\r\nПорт COM4 занят другой программой. Закройте программу модема и снова запустите "
         "эту программу.\r\n"},
        {{"COM4", "COM7", "COM40"},
         "\r\nПорты COM4, COM7, COM40 заняты другой программой. Закройте программу модема и "
         "снова запустите эту программу.\r\n"},
    };
    for (const auto& c : cases) {
        comdev::PortNames held;
        for (const char* name : c.held) held.Add(name);
        LogOnlyHost host;
        SayBusyPorts(host, held);
        EXPECT_EQ(host.log, c.line);
    }
}

}  // namespace
