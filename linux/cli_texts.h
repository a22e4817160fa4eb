// Every text of the Linux command line that it does not share with the
// dialog (the shared ones are in switching/switch_texts.h). UTF-8.
#pragma once

inline constexpr char kTextUsage[] =
    "использование: modemswitch [ПАРАМЕТР]... modem-only|extra\n"
    "               modemswitch [ПАРАМЕТР]... status\n"
    "подробнее: modemswitch --help\n";

inline constexpr char kTextHelp[] =
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
    "переключение, 3 отменено пользователем, 64 неверные аргументы.\n";

inline constexpr char kTextConfirmQuestion[] = " Продолжить? [д/Н] ";

inline constexpr char kTextModemManager[] =
    "Внимание! Запущен ModemManager: он может занимать порты модема.\n"
    "Остановите его на время переключения: sudo systemctl stop ModemManager\n"
    "(и запустите потом снова: sudo systemctl start ModemManager).\n";

// Why a command line was refused.
inline constexpr char kTextPortNeedsPath[] = "после --port нужен путь к устройству";
inline constexpr char kTextUnknownOption[] = "неизвестный параметр ";
inline constexpr char kTextOneMode[] = "команда указывается один раз";
inline constexpr char kTextUnknownMode[] = "неизвестная команда ";
inline constexpr char kTextNoMode[] = "не указана команда: modem-only, extra или status";
inline constexpr char kTextTooManyPorts[] = "портов не больше ";  // and the limit
inline constexpr char kTextOnlyWithStatus[] = "только с командой status: ";  // and the option
inline constexpr char kTextNotWithStatus[] = "не применяется с командой status: ";
