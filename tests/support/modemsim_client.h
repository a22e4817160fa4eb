// Client of the modem simulator's control channel, for tests under Wine and
// native ones: sets the COM port layout and reads back what the simulated
// modems saw. Connects to 127.0.0.1 on the port in MODEMSIM_CONTROL.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class ModemSim {
public:
    static ModemSim& Instance();

    // False when MODEMSIM_CONTROL is unset or the simulator cannot be reached.
    bool Available() const;
    // Replaces the whole layout, e.g. "COM3=zte COM4=huawei,echo=0".
    bool Layout(const std::string& configs);
    // Raw bytes the modem on COMn received since the layout; "" on error.
    std::string Received(int com);
    // Times a client opened COMn since the layout; -1 on error.
    int Opens(int com);
    // Client handles open on COMn right now; -1 on error.
    int Held(int com);
    // "zcdrun=8", "u2diag=257", "setport=FF;12,10,16", "none"; "" on error.
    std::string State(int com);
    // The simulator's last "error ..." reply or the connection failure.
    std::string LastError() const;

    ModemSim(const ModemSim&) = delete;
    ModemSim& operator=(const ModemSim&) = delete;

private:
    ModemSim();
    ~ModemSim();

    // A numeric answer to "<request> COMn"; -1 on error.
    int CountOf(const char* request, int com);
    // Sends one request line; on "ok" stores the text after it in *payload.
    bool Request(const std::string& line, std::string* payload);
    bool ReadLine(std::string* line);
    void Disconnect(const std::string& why);

    mutable std::mutex mutex_;
    std::intptr_t socket_;  // a modemsim::Socket (control_socket.h)
    bool socketsStarted_ = false;
    std::string pending_;  // bytes received after the last reply line
    std::string lastError_;
};
