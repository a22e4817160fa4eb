// Every text of the Linux command line that it does not share with the
// dialog (the shared ones are in switching/switch_texts.h), in Russian and
// English, and the language they are printed in: Russian in a Russian
// locale, English in any other, chosen once at start. UTF-8; every message
// goes through Tr.
#pragma once

#include "text.h"

// The locale's language as POSIX ranks its variables: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides; Russian when it
// starts with "ru". Null stands for an unset variable.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same, read from this process's environment.
Language LanguageOfEnvironment();

void SetCliLanguage(Language language);
Language CliLanguage();

// The text in the command line's language.
const char* Tr(const Text& text);

inline constexpr Text kTextUsage{
    "использование: modemswitch [ПАРАМЕТР]... modem-only|extra\n"
    "               modemswitch [ПАРАМЕТР]... status|list\n"
    "подробнее: modemswitch --help\n",
    "usage: modemswitch [OPTION]... modem-only|extra\n"
    "       modemswitch [OPTION]... status|list\n"
    "more: modemswitch --help\n"};

// A printf format: the port limit, the time-out per port while searching
// (ms) and per command (s), the bounds of a whole answer then (s), and
// the signals' repeat window and grace (s).
inline constexpr Text kTextHelp{
    "modemswitch: переключает режим 3G/4G USB-модема ZTE или Huawei AT-командами.\n"
    "\n"
    "использование: modemswitch [ПАРАМЕТР]... modem-only|extra\n"
    "               modemswitch [ПАРАМЕТР]... status|list\n"
    "\n"
    "  modem-only        «Только модем»: виртуальный CD-привод и картридер модема\n"
    "                    отключаются, остаётся только модем.\n"
    "  extra             «Доп. функции»: виртуальный CD-привод и картридер модема\n"
    "                    снова включаются.\n"
    "  status            прочитать режим модема, ничего не меняя.\n"
    "  list              перечислить порты, которые проверил бы поиск, по порядку,\n"
    "                    с их USB-устройствами и тем, кто их держит; портам\n"
    "                    ничего не отправляется.\n"
    "\n"
    "Параметры:\n"
    "  -p, --port=ПУТЬ   проверять только этот порт (до %zu раз, по порядку);\n"
    "                    без него: все /dev/ttyUSB* и /dev/ttyACM*, сначала порты\n"
    "                    модемов ZTE и Huawei (по данным /sys).\n"
    "  -y, --yes         не спрашивать подтверждение.\n"
    "  -q, --quiet       не выводить журнал и индикатор хода.\n"
    "  -v, --verbose     о каждом порте сразу сообщать, почему он пропущен.\n"
    "      --force       переключить HiLink-модем Huawei в modem-only, хотя\n"
    "                    после этого у него может не остаться AT-порта.\n"
    "      --json        со status и list: вывести результат одним объектом JSON.\n"
    "      --show-imei   со status: вывести и IMEI модема.\n"
    "  -h, --help        вывести эту справку и выйти.\n"
    "  -V, --version     вывести версию и выйти.\n"
    "Короткие параметры можно объединять (-yq); -- завершает параметры.\n"
    "\n"
    "Время ожидания: %u мс на ответ каждого порта при поиске, %g с на каждую\n"
    "команду переключения, от последнего полученного байта; весь ответ: не\n"
    "дольше %g с при поиске и %g с на команду.\n"
    "\n"
    "Переменные окружения:\n"
    "  MODEMSWITCH_LOCK_DIR    каталог файлов блокировки UUCP (по умолчанию\n"
    "                          /run/lock; пустое значение: без них; если его\n"
    "                          нет, это сообщается, порт занимается через flock).\n"
    "  NO_COLOR                если задана и не пуста: журнал без цвета.\n"
    "  MODEMSWITCH_SYSFS_ROOT  где sysfs (по умолчанию /sys); для тестов.\n"
    "  MODEMSWITCH_DEV_ROOT    где искать порты (по умолчанию /dev); для тестов.\n"
    "  LC_ALL, LC_MESSAGES, LANG\n"
    "                          первая заданная выбирает язык: русский, если\n"
    "                          значение начинается с ru, иначе английский.\n"
    "\n"
    "Коды выхода:\n"
    "  0      модем подтвердил переключение; status: режим прочитан;\n"
    "         list: всегда\n"
    "  1      модем не найден\n"
    "  2      модем не подтвердил переключение, или оно отклонено (см. --force);\n"
    "         status: модем не ответил на запрос режима\n"
    "  3      отменено при подтверждении, модему ничего не отправлено\n"
    "  64     неверные аргументы\n"
    "  71     закрытый stdin, stdout или stderr не удалось открыть на /dev/null\n"
    "         (ничего не тронуто)\n"
    "  74     --help, --version, status, list: не удалось записать стандартный вывод\n"
    "  128+N  прервано сигналом N (второй сигнал, не раньше чем через %g с,\n"
    "         прерывает переключение сразу; иначе оно доводится до конца, до %g с;\n"
    "         так же любой перехватываемый сигнал, завершающий программу: SIGQUIT\n"
    "         даёт 131 без файла core)\n"
    "\n"
    "Модемы Huawei получают AT^U2DIAG; новые (E3131, E3372 и др.), которые его\n"
    "отклоняют, получают AT^SETPORT: журнал показывает прежнее значение и команду,\n"
    "которая его вернёт. Такой режим действует после переподключения модема.\n"
    "\n"
    "Подробнее: man modemswitch\n",
    "modemswitch: switches a ZTE or Huawei 3G or 4G USB stick's mode by AT commands.\n"
    "\n"
    "usage: modemswitch [OPTION]... modem-only|extra\n"
    "       modemswitch [OPTION]... status|list\n"
    "\n"
    "  modem-only        \"Modem only\": the modem's virtual CD drive and card reader\n"
    "                    are turned off, only the modem stays.\n"
    "  extra             \"Extra functions\": the modem's virtual CD drive and card\n"
    "                    reader are turned on again.\n"
    "  status            read the modem's mode; change nothing.\n"
    "  list              list the ports the search would try, in its order, with\n"
    "                    their USB devices and who holds them; nothing is sent\n"
    "                    to any port.\n"
    "\n"
    "Options:\n"
    "  -p, --port=PATH   try only this port (up to %zu times, in the order given);\n"
    "                    without it: every /dev/ttyUSB* and /dev/ttyACM*, the\n"
    "                    ports of ZTE and Huawei sticks first (as /sys tells).\n"
    "  -y, --yes         do not ask for confirmation.\n"
    "  -q, --quiet       print neither the log nor the progress bar.\n"
    "  -v, --verbose     say, as each port is tried, why it was passed over.\n"
    "      --force       switch a Huawei HiLink stick to modem-only, though it\n"
    "                    may be left without an AT port.\n"
    "      --json        with status or list: print the result as one JSON object.\n"
    "      --show-imei   with status: print the modem's IMEI as well.\n"
    "  -h, --help        print this help and exit.\n"
    "  -V, --version     print the version and exit.\n"
    "Short options may be combined (-yq); -- ends the options.\n"
    "\n"
    "Time-outs: %u ms for each port's answer while searching, %g s for each\n"
    "command of a switch, from the last byte received; a whole answer takes\n"
    "at most %g s while searching and %g s for a command.\n"
    "\n"
    "Environment:\n"
    "  MODEMSWITCH_LOCK_DIR    directory of the UUCP lock files (default\n"
    "                          /run/lock; empty: none; a missing one is said,\n"
    "                          the port is still taken with flock).\n"
    "  NO_COLOR                when set and not empty: no colour in the log.\n"
    "  MODEMSWITCH_SYSFS_ROOT  where sysfs is mounted (default /sys); for tests.\n"
    "  MODEMSWITCH_DEV_ROOT    where the ports are (default /dev); for tests.\n"
    "  LC_ALL, LC_MESSAGES, LANG\n"
    "                          the first one set chooses the language: Russian\n"
    "                          when it starts with ru, English otherwise.\n"
    "\n"
    "Exit codes:\n"
    "  0      the modem confirmed the switch; status: the mode was read;\n"
    "         list: always\n"
    "  1      no modem found\n"
    "  2      the modem did not confirm the switch, or it was refused (see\n"
    "         --force); status: the modem did not answer the mode query\n"
    "  3      declined at the prompt; nothing was sent to the modem\n"
    "  64     bad usage\n"
    "  71     a closed stdin, stdout or stderr could not be opened on /dev/null\n"
    "         (nothing touched)\n"
    "  74     --help, --version, status, list: standard output could not be written\n"
    "  128+N  ended by signal N (a second signal, %g s or more later, stops a\n"
    "         switch at once; else it is finished, for at most %g s; so does every\n"
    "         catchable signal that would end the program: SIGQUIT gives 131,\n"
    "         no core)\n"
    "\n"
    "Huawei modems get AT^U2DIAG; newer ones (E3131, E3372, ...) that refuse it\n"
    "get AT^SETPORT: the log shows the value before and the command that puts it\n"
    "back. Such a mode takes effect once the modem is plugged in again.\n"
    "\n"
    "More: man modemswitch\n"};

// The question a switch asks once it has found the stick, before it sends
// anything that changes it: the maker and model, the port with its USB id,
// the mode the stick reports now (where it does), the mode asked for.
inline constexpr Text kTextAskSwitch{"Переключить %s на %s%s%s в режим %s? [д/Н] ",
                                     "Switch the %s on %s%s%s to %s? [y/N] "};
inline constexpr Text kTextModeNow{", сейчас ", ", now "};
// A stick that reports the mode asked for is not asked about.
inline constexpr Text kTextAlreadyThere{"%s на %s уже в режиме %s; ничего не отправлено.\n",
                                        "The %s on %s is in the mode %s already; nothing was "
                                        "sent.\n"};

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
inline constexpr Text kTextNoMode{"не указана команда: modem-only, extra, status или list",
                                  "no command given: modem-only, extra, status or list"};
inline constexpr Text kTextTooManyPorts{"портов не больше ", "at most this many ports: "};
inline constexpr Text kTextPortPathsTooLong{"пути --port слишком длинные",
                                            "the --port paths are too long"};
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
inline constexpr Text kTextModeHiLink{"прошивка HiLink, переключение в «Только модем» отклоняется",
                                      "HiLink firmware, a switch to \"Modem only\" is refused"};

// After a confirmed switch, what the modem now reports: the words and the
// modem's value follow the first text; a full stop, or the second text when
// the mode is not the one just set, closes the line.
inline constexpr Text kTextReadBack{"Модем сообщает режим: ", "The modem reports the mode: "};
inline constexpr Text kTextReadBackDiffers{
    ", а не заданный; новый режим может появиться только после переподключения модема "
    "(тогда его покажет modemswitch status).\n",
    ", not the one just set; the new mode may show only after the modem is re-plugged "
    "(then modemswitch status tells).\n"};
inline constexpr Text kTextReadBackUnsupported{"Модем не может сообщить свой режим.\n",
                                               "The modem cannot report its mode.\n"};

// What a stop signal meant for the modem, on stderr.
inline constexpr Text kTextFinishingSwitch{
    "modemswitch: получен сигнал; переключение доводится до конца, чтобы модем не остался "
    "переключённым наполовину (повторный сигнал прервёт его сразу).\n",
    "modemswitch: signal received; finishing the switch so that the modem is not left "
    "half-switched (a second signal stops at once).\n"};
inline constexpr Text kTextStoppedBeforeSwitch{
    "modemswitch: прервано сигналом; модему не отправлено ни одной команды переключения.\n",
    "modemswitch: stopped by a signal; no switch command was sent to the modem.\n"};
inline constexpr Text kTextMayBeHalfSwitched{
    "modemswitch: переключение прервано повторным сигналом: модем мог остаться переключённым "
    "наполовину. Запустите modemswitch ещё раз.\n",
    "modemswitch: the switch was stopped by a second signal: the modem may be half-switched. "
    "Run modemswitch again.\n"};

// A printf format: the grace a first signal gives the switch (s).
inline constexpr Text kTextSwitchOverran{
    "modemswitch: модем не закончил переключение за %g с после сигнала, и оно прервано: модем "
    "мог остаться переключённым наполовину. Запустите modemswitch ещё раз.\n",
    "modemswitch: the modem did not finish the switch within %g s of the signal, so it was "
    "stopped: the modem may be half-switched. Run modemswitch again.\n"};
inline constexpr Text kTextStoppedAfterSwitch{
    "modemswitch: прервано сигналом; модем подтвердил переключение, его режим не перечитан.\n",
    "modemswitch: stopped by a signal; the modem confirmed the switch, its mode was not read "
    "back.\n"};
inline constexpr Text kTextStatusStopped{
    "modemswitch: прервано сигналом до того, как модем сообщил режим; ничего не изменено.\n",
    "modemswitch: stopped by a signal before the modem reported its mode; nothing was "
    "changed.\n"};

// Where a write failed: "modemswitch: standard output: <the system's reason>".
// The log's closing text after a switch on Linux, in place of the Windows
// program's (which speaks of the modem's software on the computer): how to
// put the stick back with this program.
inline constexpr Text kTextDoneModemOnly{
    "\r\n\r\nРежим изменен.\r\n\r\n"
    "Вернуть модему режим «Доп. функции» можно этой же программой: modemswitch extra.\r\n",
    "\r\n\r\nThe mode has been changed.\r\n\r\n"
    "This program puts the stick back into \"Extra functions\": modemswitch extra.\r\n"};
inline constexpr Text kTextDoneExtraFunctions{
    "\r\n\r\nРежим изменен.\r\n\r\n"
    "Вернуть модему режим «Только модем» можно этой же программой: modemswitch modem-only.\r\n",
    "\r\n\r\nThe mode has been changed.\r\n\r\n"
    "This program puts the stick back into \"Modem only\": modemswitch modem-only.\r\n"};
inline constexpr Text kTextNoLockDirectory{
    "modemswitch: каталог файлов блокировки %s отсутствует или не каталог: порты заняты без "
    "файлов блокировки (flock и монопольный режим остаются).\n",
    "modemswitch: the lock directory %s is missing or not a directory: the ports are taken "
    "without lock files (still with flock and exclusive mode).\n"};
inline constexpr Text kTextStandardOutput{"стандартный вывод", "standard output"};

// How the search went, port by port: "PATH: why" for each port passed over,
// after a run that found no modem (with --verbose, as each is tried).
inline constexpr Text kTextPortAbsent{"нет такого устройства.", "no such device."};
inline constexpr Text kTextPortNotPermitted{
    "нет прав на его открытие. Добавьте себя в группу dialout: "
    "sudo usermod -aG dialout $USER, затем войдите в систему заново.",
    "permission denied. Add yourself to the group dialout: "
    "sudo usermod -aG dialout $USER, then log in again."};
inline constexpr Text kTextPortHeldByProcess{"занят: его держит процесс ",
                                             "busy: held by process "};
inline constexpr Text kTextPortHeldByModemManager{"занят: его держит ModemManager (процесс ",
                                                  "busy: held by ModemManager (process "};
inline constexpr Text kTextStopModemManager{
    "). Остановите его на время переключения: sudo systemctl stop ModemManager, "
    "или отпустите только этот модем: mmcli -m N --inhibit (N: номер модема в mmcli -L).",
    "). Stop it for the switch: sudo systemctl stop ModemManager, or release this "
    "modem only: mmcli -m N --inhibit (N: the modem's number in mmcli -L)."};
inline constexpr Text kTextPortHeldByUnknown{"занят другой программой.",
                                             "busy: another program holds it."};
inline constexpr Text kTextPortLockInTheWay{"мешает файл блокировки ",
                                            "a lock file is in the way: "};
// What that lock file is, in brackets after its path.
inline constexpr Text kTextLockNamesNoRunningProcess{" (он не называет работающий процесс)",
                                                     " (it names no running process)"};
inline constexpr Text kTextLockNoOwnerYet{" (в нём ещё нет PID, и ему лишь несколько секунд)",
                                          " (it names no process yet and is only seconds old)"};
inline constexpr Text kTextLockStaleNotRemoved{
    " (его процесс завершился, но удалить файл не удалось)",
    " (its process has ended, but it could not be removed)"};
inline constexpr Text kTextLockSymlink{" (это символическая ссылка)", " (it is a symbolic link)"};
inline constexpr Text kTextLockFifo{" (это FIFO)", " (it is a FIFO)"};
inline constexpr Text kTextLockDevice{" (это файл устройства)", " (it is a device file)"};
inline constexpr Text kTextLockDirectory{" (это каталог)", " (it is a directory)"};
inline constexpr Text kTextLockSocket{" (это сокет)", " (it is a socket)"};
inline constexpr Text kTextLockTooLarge{" (он больше любого файла блокировки)",
                                        " (it is larger than any lock file)"};
inline constexpr Text kTextLockUnreadable{" (прочитать его не удалось)", " (it could not be read)"};
inline constexpr Text kTextLockContended{" (он всё время переходил из рук в руки)",
                                         " (it kept changing hands)"};
inline constexpr Text kTextLockInTheWayAdvice{"; если порт никто не использует, удалите его.",
                                              "; if no program uses the port, remove it."};
inline constexpr Text kTextPortDoesNotOpen{"не открывается: ", "does not open: "};
inline constexpr Text kTextPortNoAnswer{"нет ответа за ", "no answer within "};
inline constexpr Text kTextMilliseconds{" мс.", " ms."};
inline constexpr Text kTextPortNotAModem{"ответил, но это не модем ZTE или Huawei: ",
                                         "answered, but not as a ZTE or Huawei modem: "};

// The port a modem was found on, with its USB device when /sys tells it:
// "The modem's port: /dev/ttyUSB2 (12d1:1001 HUAWEI Mobile, interface 2)."
inline constexpr Text kTextModemPort{"Порт модема: ", "The modem's port: "};
inline constexpr Text kTextUsbInterface{", интерфейс ", ", interface "};

// modemswitch list: a numbered line per port, "1. PATH: USB DEVICE; HOLDER".
inline constexpr Text kTextListHeader{
    "Порты в том порядке, в каком их проверяет поиск (им ничего не отправлено):\n",
    "The ports in the order the search tries them (nothing was sent to any):\n"};
inline constexpr Text kTextNotUsbPort{"не USB-порт", "not a USB port"};
inline constexpr Text kTextUsbDriver{", драйвер ", ", driver "};
inline constexpr Text kTextPortFree{"свободен.", "free."};
inline constexpr Text kTextOnlyWithStatusOrList{"только с командами status и list: ",
                                                "only with status or list: "};
inline constexpr Text kTextNotWithList{"не применяется с командой list: ", "not with list: "};

// A search with no port to try.
inline constexpr Text kTextNoSerialPorts{
    "Последовательных портов нет: в /dev нет ни ttyUSB*, ни ttyACM*. Подключён ли модем?\n",
    "There are no serial ports: /dev has no ttyUSB* or ttyACM*. Is the stick plugged in?\n"};

// A ZTE or Huawei stick /sys shows without any serial port.
inline constexpr Text kTextUsbDevice{"USB-устройство ", "USB device "};
inline constexpr Text kTextStickInCdMode{
    ": модем в режиме CD-привода (только usb-storage), последовательного порта у него нет. "
    "Сначала его должен переключить в режим модема usb_modeswitch или правила udev "
    "вашего дистрибутива; затем modemswitch modem-only может закрепить этот режим.",
    ": the stick is in its CD-drive mode (usb-storage only) and has no serial port. "
    "usb_modeswitch or your distribution's udev rules must switch it to modem mode "
    "first; then modemswitch modem-only can make that permanent."};
inline constexpr Text kTextStickNetworkOnly{": модем HiLink или только сетевой (",
                                            ": a HiLink or network-only stick ("};
inline constexpr Text kTextStickHasNoAtPort{
    "), AT-порта у него нет: пользуйтесь его веб-интерфейсом.",
    "), it has no AT port: use its web interface."};
