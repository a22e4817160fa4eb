// Every text of the Linux command line that it does not share with the
// dialog (the shared ones are in switching/switch_texts.h), in Russian and
// English. UTF-8; printed through Tr() in the locale's language.
#pragma once

#include "text.h"

inline constexpr Text kTextUsage{
    "использование: modemswitch [ПАРАМЕТР]... modem-only|extra\n"
    "               modemswitch [ПАРАМЕТР]... status\n"
    "подробнее: modemswitch --help\n",
    "usage: modemswitch [OPTION]... modem-only|extra\n"
    "       modemswitch [OPTION]... status\n"
    "more: modemswitch --help\n"};

inline constexpr Text kTextHelp{
    "modemswitch: переключает режим 3G USB-модема ZTE или Huawei AT-командами.\n"
    "\n"
    "использование: modemswitch modem-only|extra [--port ПУТЬ]... [--yes] [--quiet]\n"
    "\n"
    "  modem-only   «Только модем»: виртуальный CD-привод и картридер модема\n"
    "               отключаются, остаётся только модем.\n"
    "  extra        «Доп. функции»: виртуальный CD-привод и картридер модема\n"
    "               снова включаются.\n"
    "\n"
    "  --port ПУТЬ  проверять только этот порт (можно несколько раз, по порядку);\n"
    "               без него: все /dev/ttyUSB*, затем все /dev/ttyACM*.\n"
    "  --yes        не спрашивать подтверждение.\n"
    "  --quiet      не выводить журнал и индикатор хода.\n"
    "\n"
    "Коды выхода: 0 режим переключён, 1 модем не найден, 2 модем не подтвердил\n"
    "переключение, 3 отменено пользователем, 64 неверные аргументы.\n",
    "modemswitch: switches a ZTE or Huawei 3G USB modem's mode by AT commands.\n"
    "\n"
    "usage: modemswitch modem-only|extra [--port PATH]... [--yes] [--quiet]\n"
    "\n"
    "  modem-only   \"Modem only\": the modem's virtual CD drive and card reader\n"
    "               are turned off, only the modem stays.\n"
    "  extra        \"Extra functions\": the modem's virtual CD drive and card\n"
    "               reader are turned on again.\n"
    "\n"
    "  --port PATH  try only this port (may be given several times, in order);\n"
    "               without it: every /dev/ttyUSB*, then every /dev/ttyACM*.\n"
    "  --yes        do not ask for confirmation.\n"
    "  --quiet      print neither the log nor the progress bar.\n"
    "\n"
    "Exit codes: 0 mode switched, 1 no modem found, 2 the modem did not confirm\n"
    "the switch, 3 cancelled by the user, 64 bad usage.\n"};

inline constexpr Text kTextConfirmQuestion{" Продолжить? [д/Н] ", " Continue? [y/N] "};

inline constexpr Text kTextModemManager{
    "Внимание! Запущен ModemManager: он может занимать порты модема.\n"
    "Остановите его на время переключения: sudo systemctl stop ModemManager\n"
    "(и запустите потом снова: sudo systemctl start ModemManager).\n",
    "Attention! ModemManager is running: it may hold the modem's ports.\n"
    "Stop it for the switch: sudo systemctl stop ModemManager\n"
    "(and start it again afterwards: sudo systemctl start ModemManager).\n"};

// Why a command line was refused.
inline constexpr Text kTextPortNeedsPath{"после --port нужен путь к устройству",
                                         "--port needs a device path"};
inline constexpr Text kTextUnknownOption{"неизвестный параметр ", "unknown option "};
inline constexpr Text kTextOneMode{"команда указывается один раз", "give only one command"};
inline constexpr Text kTextUnknownMode{"неизвестная команда ", "unknown command "};
inline constexpr Text kTextNoMode{"не указана команда: modem-only, extra или status",
                                  "no command given: modem-only, extra or status"};
inline constexpr Text kTextTooManyPorts{"портов не больше ", "at most this many ports: "};
// Followed by the option.
inline constexpr Text kTextOnlyWithStatus{"только с командой status: ", "only with status: "};
inline constexpr Text kTextNotWithStatus{"не применяется с командой status: ", "not with status: "};
