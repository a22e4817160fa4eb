#include "exchange.h"

ExchangeResult ExchangeCommand(ComPort* port, const char* command, const char* refusalMarker,
                               const AnswerTimes& times, char (&answer)[kAnswerBufferSize]) {
    ComPurgeRx(port);
    ExchangeResult exchange{0, false, 0};
    ComAnswerWatch watch{refusalMarker, times.totalMs, false};
    exchange.result =
        ComTransactAnyWatched(port, command, answer, kAnswerSizeGiven, &exchange.count,
                              kComFinalResults, times.readMs, times.readMs, &watch);
    exchange.markRefuse = watch.refused;
    return exchange;
}
