// Every text a switch run writes to the message log except the vendors'
// "found" lines (in their rows, vendors.h), the question asked
// before a run and the words a log highlights, in Russian and English. The
// Windows program shows the Russian ones as Windows-1251 bytes (the build
// sets the execution character set); on Linux both are UTF-8.
#pragma once

#include "text.h"

inline constexpr Text kTextSearching{"Поиск модема.\r\n", "Searching for the modem.\r\n"};
inline constexpr Text kTextNoModem{"\r\nОШИБКА: не удалось обнаружить модем.\r\n",
                                   "\r\nERROR: no modem found.\r\n"};

inline constexpr Text kTextHeaderModemOnly{"Переключение в режим \"Только модем\":\r\n\r\n",
                                           "Switching to the mode \"Modem only\":\r\n\r\n"};
inline constexpr Text kTextHeaderExtraFunctions{
    "Переключение в режим \"Доп. функции\":\r\n\r\n",
    "Switching to the mode \"Extra functions\":\r\n\r\n"};
inline constexpr Text kTextDone{
    "\r\n\r\nРежим изменен.\r\n\r\n"
    "Внимание! Если вы планируете в дальнейшем переключать режимы модема "
    "не удаляйте ПО модема с компьютера. В случае если ПО было удалено, "
    "вы можете вернуть модем в исходное состояние с помощью утилиты "
    "обновления встроенного ПО модема, которую можно скачать с сайта "
    "вашего оператора сотовой связи.\r\n",
    "\r\n\r\nThe mode has been changed.\r\n\r\n"
    "Attention! If you plan to switch the modem's mode again later, do not "
    "remove the modem's software from the computer. If it has been removed, "
    "you can bring the modem back to its original state with the modem's "
    "firmware update utility, which your mobile operator offers for "
    "download.\r\n"};

// Closing texts of a run that found the modem but could not switch it: the
// port did not open again, or the modem did not confirm every command.
inline constexpr Text kTextPortNotOpened{"\r\nОШИБКА: не удалось открыть порт модема.\r\n",
                                         "\r\nERROR: the modem's port did not open again.\r\n"};
inline constexpr Text kTextNotConfirmed{
    "\r\n\r\nОШИБКА: модем не подтвердил переключение режима.\r\n",
    "\r\n\r\nERROR: the modem did not confirm the mode switch.\r\n"};

// Huawei firmware that keeps its USB composition in AT^SETPORT: the value
// before the change and the command that puts it back, "...: A1,A2;12,10,16,A1,A2.
// ...: AT^SETPORT="A1,A2;12,10,16,A1,A2"".
inline constexpr Text kTextValueBefore{"\r\nСостав портов модема до изменения: ",
                                       "\r\nThe modem's port set before the change: "};
inline constexpr Text kTextRestoreWith{". Вернуть его можно командой ",
                                       ". It can be put back with the command "};
inline constexpr char kRestoreLineEnd[] = ".\r\n";
// After the completion text: such a value takes effect once the stick is
// plugged in again.
inline constexpr Text kTextReplugModem{
    "Новый режим начнет действовать, когда вы отключите модем от компьютера и подключите "
    "его снова.\r\n",
    "The new mode takes effect once you unplug the modem from the computer and plug it in "
    "again.\r\n"};
// Closing texts when nothing is sent: the modem has the mode already, or
// the new value cannot be made safely.
inline constexpr Text kTextAlreadyInMode{
    "\r\n\r\nМодем уже в этом режиме, команда не отправлена.\r\n",
    "\r\n\r\nThe modem is in this mode already; no command was sent.\r\n"};
inline constexpr Text kTextSetportUnreadable{
    "\r\n\r\nОШИБКА: ответ модема на AT^SETPORT? не удалось прочитать, команда не "
    "отправлена.\r\n",
    "\r\n\r\nERROR: the modem's answer to AT^SETPORT? could not be read; no command was "
    "sent.\r\n"};
inline constexpr Text kTextSetportEmpty{
    "\r\n\r\nОШИБКА: у модема не осталось бы ни одного порта, команда не отправлена.\r\n",
    "\r\n\r\nERROR: the modem would be left with no port at all; no command was sent.\r\n"};
inline constexpr Text kTextSetportNoPcUi{
    "\r\n\r\nОШИБКА: у модема не было бы порта PC UI (код 2 или 12), через который он "
    "принимает AT-команды, и к нему больше нельзя было бы обратиться; команда не "
    "отправлена.\r\n",
    "\r\n\r\nERROR: the modem would be left without its PC UI port (code 2 or 12), which "
    "takes AT commands, and could not be reached again; no command was sent.\r\n"};

// The question before a run, the same in the dialog and on a command line.
inline constexpr Text kTextConfirmModemOnly{"Переключение в режим \"Только модем\".",
                                            "Switching to the mode \"Modem only\"."};
inline constexpr Text kTextConfirmExtraFunctions{"Переключение в режим \"Доп. функции\".",
                                                 "Switching to the mode \"Extra functions\"."};

// What a log shows highlighted: the first error word (dark red), else the
// first warning word (blue, bold).
inline constexpr Text kErrorWord{"ОШИБКА:", "ERROR:"};
inline constexpr Text kWarningWord{"Внимание!", "Attention!"};
