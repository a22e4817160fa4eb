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
    "использование: modemswitch [ПАРАМЕТР]... modem-only|extra\n"
    "               modemswitch [ПАРАМЕТР]... status\n"
    "\n"
    "  modem-only   «Только модем»: виртуальный CD-привод и картридер модема\n"
    "               отключаются, остаётся только модем.\n"
    "  extra        «Доп. функции»: виртуальный CD-привод и картридер модема\n"
    "               снова включаются.\n"
    "  status       показать порт, модем и его текущий режим, ничего не меняя.\n"
    "\n"
    "  --port ПУТЬ  проверять только этот порт (можно несколько раз, по порядку);\n"
    "               без него: все /dev/ttyUSB*, затем все /dev/ttyACM*.\n"
    "  --yes        не спрашивать подтверждение.\n"
    "  --quiet      не выводить журнал и индикатор хода.\n"
    "  --force      переключить в modem-only и модем Huawei с прошивкой HiLink.\n"
    "  --json       status: один объект JSON (ключи в README).\n"
    "  --show-imei  status: показать и IMEI модема.\n"
    "\n"
    "Коды выхода: 0 режим переключён (status: режим прочитан), 1 модем не найден,\n"
    "2 модем не подтвердил переключение или модем HiLink оставлен как был (status:\n"
    "модем не ответил на запрос режима), 3 отменено пользователем, 64 неверные\n"
    "аргументы.\n",
    "modemswitch: switches a ZTE or Huawei 3G USB modem's mode by AT commands.\n"
    "\n"
    "usage: modemswitch [OPTION]... modem-only|extra\n"
    "       modemswitch [OPTION]... status\n"
    "\n"
    "  modem-only   \"Modem only\": the modem's virtual CD drive and card reader\n"
    "               are turned off, only the modem stays.\n"
    "  extra        \"Extra functions\": the modem's virtual CD drive and card\n"
    "               reader are turned on again.\n"
    "  status       show the port, the modem and its current mode; changes nothing.\n"
    "\n"
    "  --port PATH  try only this port (may be given several times, in order);\n"
    "               without it: every /dev/ttyUSB*, then every /dev/ttyACM*.\n"
    "  --yes        do not ask for confirmation.\n"
    "  --quiet      print neither the log nor the progress bar.\n"
    "  --force      switch a Huawei modem with HiLink firmware to modem-only too.\n"
    "  --json       status: one JSON object (keys in the README).\n"
    "  --show-imei  status: show the modem's IMEI as well.\n"
    "\n"
    "Exit codes: 0 mode switched (status: mode read), 1 no modem found, 2 the modem\n"
    "did not confirm the switch, or a HiLink stick was left as it was (status: the\n"
    "modem did not answer the mode query), 3 cancelled by the user, 64 bad usage.\n"};

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

// modemswitch status: one "label: value" line each; the modem's own
// identification lines (Manufacturer, Model, ...) are printed as it sent them.
inline constexpr Text kTextStatusPort{"Порт: ", "Port: "};
inline constexpr Text kTextStatusVendor{"Модем: ", "Modem: "};
inline constexpr Text kTextStatusMode{"Режим: ", "Mode: "};
// Followed by the query.
inline constexpr Text kTextStatusNoReport{"модем не ответил на запрос режима ",
                                          "the modem did not answer the mode query "};

// A reported mode in words.
inline constexpr Text kTextModeModemOnly{"«Только модем»", "\"Modem only\""};
inline constexpr Text kTextModeExtraFunctions{"«Доп. функции»", "\"Extra functions\""};
inline constexpr Text kTextModeUnknown{"неизвестный", "unknown"};

// After a confirmed switch, what the modem now reports: the words and the
// modem's value follow the first text, one of the two endings closes the line.
inline constexpr Text kTextReadBack{"Модем сообщает режим: ", "The modem reports the mode: "};
inline constexpr Text kTextReadBackAgrees{".\n", ".\n"};
inline constexpr Text kTextReadBackDiffers{
    ", а не заданный; новый режим может появиться только после переподключения модема "
    "(тогда его покажет modemswitch status).\n",
    ", not the one just set; the new mode may show only after the modem is re-plugged "
    "(then modemswitch status tells).\n"};
inline constexpr Text kTextReadBackUnsupported{"Модем не может сообщить свой режим.\n",
                                               "The modem cannot report its mode.\n"};

// modem-only refused on Huawei HiLink firmware; the modem's value follows.
inline constexpr Text kTextHiLinkRefused{
    "ОШИБКА: модем Huawei с прошивкой HiLink сообщает ",
    "ERROR: the Huawei modem has HiLink firmware and reports "};
inline constexpr Text kTextHiLinkWhy{
    ". На таких модемах AT^U2DIAG=0 оставлял модем без AT-порта. Режим не переключён; "
    "чтобы переключить всё же, добавьте --force.\n",
    ". On such modems AT^U2DIAG=0 has left the modem with no AT port. The mode was not "
    "switched; to switch it anyway, add --force.\n"};
