// One pseudo-terminal as a COM port's far end: the master we serve, the
// slave path a client opens, and a watch that reports the client's opens and
// closes of the slave (the master alone cannot tell them without spinning:
// it reports hang-up continuously while no slave is open).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace modemsim {

enum class SlaveEvent { Opened, Closed };

class PtyDevice {
public:
    // A pty with its slave in raw mode and no handle on it left open.
    static std::unique_ptr<PtyDevice> Create(std::string* error);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    int MasterFd() const { return master_; }
    int WatchFd() const { return watch_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Opens and closes of the slave since the last call, in order. The kernel
    // merges identical events queued back to back: two closes (or two opens)
    // with no call in between arrive as one.
    std::vector<SlaveEvent> TakeSlaveEvents();
    // Whether any client has the slave open now, from the master's hang-up
    // state, which holds for as long as no slave descriptor is open.
    bool SlaveOpen() const;

    struct ReadResult {
        std::string bytes;
        bool slaveGone = false;  // EIO: no slave open any more
    };
    // Everything readable now, without blocking.
    ReadResult ReadAvailable();

    // Bytes accepted now (0 when the pty is full); a dead slave swallows them.
    std::size_t Write(const std::string& bytes);

private:
    PtyDevice(int master, int watch, std::string slavePath)
        : master_(master), watch_(watch), slavePath_(std::move(slavePath)) {}

    int master_;
    int watch_;
    std::string slavePath_;
};

}  // namespace modemsim
