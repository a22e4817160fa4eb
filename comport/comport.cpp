#include "comport.h"

#include <cstring>

#include "com_device.h"
#include "matching.h"

namespace {

constexpr uint32_t kOpenTimeoutMs = 1000;
constexpr uint32_t kRecordedDefaultBaud = 2400;  // recorded only, never applied

uint32_t Resolve(uint32_t requested, uint32_t current) {
    return requested == kComKeepTimeout ? current : requested;
}

bool Differs(uint32_t requested, uint32_t current) {
    return requested != kComKeepTimeout && requested != current;
}

// Applies the requested time-outs only when one of them changes, so a run of
// transactions with the same values never touches the device.
bool ApplyRequestedTimeouts(ComPort* port, uint32_t readMs, uint32_t writeMs) {
    if (!Differs(readMs, port->readTimeout) && !Differs(writeMs, port->writeTimeout)) {
        return true;
    }
    return ComSetTimeouts(port, readMs, writeMs) != 0;
}

bool WriteWhole(ComPort* port, const char* command) {
    if (command == nullptr || *command == '\0') return true;
    const uint32_t length = static_cast<uint32_t>(std::strlen(command));
    uint32_t written = 0;
    return comdev::Write(port->handle, command, length, &written) && written == length;
}

// One byte per read: the answer must end exactly at its terminator, leaving
// whatever follows for the next transaction.
auto OneByteReader(ComPort* port) {
    return [port](char* byte) {
        uint32_t got = 0;
        return comdev::Read(port->handle, byte, 1, &got) && got == 1;
    };
}

// The watcher that ends the answer, with every byte also shown to the
// refusal's.
template <class Watcher>
struct RefusingWatcher {
    Watcher& ending;
    RefusalWatcher& refusal;
    int Feed(char byte) {
        refusal.Feed(byte);
        return ending.Feed(byte);
    }
};

// Applying the time-outs and writing the command: the steps both
// transactions take before they read (their AnswerBuffer has already
// cleared the answer).
int BeginTransaction(ComPort* port, const char* command, uint32_t readMs, uint32_t writeMs) {
    if (!ApplyRequestedTimeouts(port, readMs, writeMs)) return kComTimeoutsRefused;
    if (!WriteWhole(port, command)) return kComWriteFailed;
    return kComOk;
}

// The watched read of an answer that ending ends: the command written,
// watch's refusal looked for on every byte and its time bound kept. Returns
// what CollectAnswer returns.
template <class Watcher>
int CollectWatched(ComPort* port, const char* command, AnswerBuffer& buffer, uint32_t answerSize,
                   Watcher& ending, uint32_t readMs, uint32_t writeMs, ComAnswerWatch* watch) {
    RefusalWatcher refusal(watch->refusalMarker);
    watch->refused = false;
    const uint32_t totalMs = watch->totalMs;
    const uint32_t start = totalMs != 0 ? comdev::TickMs() : 0;
    const int begun = BeginTransaction(port, command, readMs, writeMs);
    if (begun != kComOk) return begun;
    RefusingWatcher<Watcher> watcher{ending, refusal};
    const auto inTime = [totalMs, start] {
        return totalMs == 0 || comdev::TickMs() - start < totalMs;
    };
    const int result =
        CollectAnswer(OneByteReader(port), watcher, buffer, RunawayLimit(answerSize), inTime);
    watch->refused = refusal.Refused();
    return result;
}

}  // namespace

ComVerdict ComVerdictOf(int result) {
    for (const FinalResult& final : kFinalResultTable) {
        if (result > 0 && static_cast<uint32_t>(result) == final.bit) return final.verdict;
    }
    return ComVerdict::Failed;
}

int ComOpenNamed(const char* name, ComPort* port, comdev::OpenFailure* failure,
                 comdev::StopToken* stop) {
    if (port == nullptr) return 0;
    port->readTimeout = kOpenTimeoutMs;
    port->writeTimeout = kOpenTimeoutMs;
    port->baud = kRecordedDefaultBaud;
    comdev::OpenFailure unused;
    port->handle = comdev::Open(name, stop, failure != nullptr ? failure : &unused);
    if (port->handle == comdev::kClosedDevice) return 0;
    // A device that refuses time-outs would leave the record out of step
    // with it, so such a port counts as not opened.
    if (!ComSetTimeouts(port, kOpenTimeoutMs, kOpenTimeoutMs)) {
        ComClose(port);
        return 0;
    }
    return 1;
}

int ComOpen(int number, ComPort* port) {
    return ComOpenNamed(comdev::ComName(number).text, port, nullptr);
}

void ComClose(ComPort* port) {
    if (port == nullptr || port->handle == comdev::kClosedDevice) return;
    comdev::Close(port->handle);
    port->handle = comdev::kClosedDevice;
}

int ComSetLine(ComPort* port, uint32_t baud) {
    if (!comdev::SetLine(port->handle, comdev::LineSettings{baud})) return 0;
    port->baud = baud;
    return 1;
}

int ComSetTimeouts(ComPort* port, uint32_t readMs, uint32_t writeMs) {
    const uint32_t read = Resolve(readMs, port->readTimeout);
    const uint32_t write = Resolve(writeMs, port->writeTimeout);
    if (!comdev::SetTimeouts(port->handle, read, write)) return 0;
    port->readTimeout = read;
    port->writeTimeout = write;
    return 1;
}

int ComPurgeRx(ComPort* port) { return comdev::PurgeInput(port->handle) ? 1 : 0; }

int ComTransact(ComPort* port, const char* command, const char* terminator, char* answer,
                uint32_t answerSize, int* count, uint32_t readMs, uint32_t writeMs) {
    ComAnswerWatch unbounded{nullptr, 0, false};
    return ComTransactWatched(port, command, terminator, answer, answerSize, count, readMs, writeMs,
                              &unbounded);
}

int ComTransactWatched(ComPort* port, const char* command, const char* terminator, char* answer,
                       uint32_t answerSize, int* count, uint32_t readMs, uint32_t writeMs,
                       ComAnswerWatch* watch) {
    AnswerBuffer buffer(answer, answerSize, count);
    TerminatorWatcher terminatorWatcher(terminator, std::strlen(terminator));
    const int result = CollectWatched(port, command, buffer, answerSize, terminatorWatcher, readMs,
                                      writeMs, watch);
    return result > 0 ? kComOk : result;
}

int ComTransactAnyWatched(ComPort* port, const char* command, char* answer, uint32_t answerSize,
                          int* count, uint32_t mask, uint32_t readMs, uint32_t writeMs,
                          ComAnswerWatch* watch) {
    AnswerBuffer buffer(answer, answerSize, count);
    FinalResultWatcher finals(mask);
    return CollectWatched(port, command, buffer, answerSize, finals, readMs, writeMs, watch);
}

int ComTransactAny(ComPort* port, const char* command, char* answer, uint32_t answerSize,
                   int* count, uint32_t mask, uint32_t readMs, uint32_t writeMs) {
    AnswerBuffer buffer(answer, answerSize, count);
    ResponseWatcher watcher(mask);
    const int begun = BeginTransaction(port, command, readMs, writeMs);
    if (begun != kComOk) return begun;
    return CollectAnswer(OneByteReader(port), watcher, buffer, RunawayLimit(answerSize));
}

int ComWrite(ComPort* port, const void* data, uint32_t length, uint32_t writeMs) {
    if (Differs(writeMs, port->writeTimeout) && !ComSetTimeouts(port, kComKeepTimeout, writeMs)) {
        return kComTimeoutsRefused;
    }
    uint32_t written = 0;
    if (!comdev::Write(port->handle, data, length, &written) || written == 0) {
        return kComWriteFailed;
    }
    return static_cast<int>(written);
}

int ComRead(ComPort* port, void* buffer, uint32_t length, uint32_t readMs) {
    if (Differs(readMs, port->readTimeout) && !ComSetTimeouts(port, readMs, kComKeepTimeout)) {
        return kComTimeoutsRefused;
    }
    uint32_t read = 0;
    if (!comdev::Read(port->handle, buffer, length, &read) || read == 0) {
        return kComReadFailed;
    }
    return static_cast<int>(read);
}
