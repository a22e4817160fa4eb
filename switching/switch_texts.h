// Every text a switch run writes to the message log, the question asked
// before a run and the words a log highlights, in Russian and English. The
// Windows program shows the Russian ones as Windows-1251 bytes (the build
// sets the execution character set); on Linux both are UTF-8.
#pragma once

#include "text.h"

inline constexpr Text kTextSearching{"Поиск модема.\r\n", "Searching for the modem.\r\n"};
inline constexpr Text kTextFoundZte{"\r\nНайден модем ZTE.\r\n", "\r\nFound a ZTE modem.\r\n"};
inline constexpr Text kTextFoundHuawei{"\r\nНайден модем Huawei.\r\n",
                                       "\r\nFound a Huawei modem.\r\n"};
inline constexpr Text kTextNoModem{"\r\nОШИБКА: не удалось обнаружить модем.\r\n",
                                   "\r\nERROR: no modem found.\r\n"};
// After the error of a run that found no modem, the ports another program
// holds, ascending: "\r\nПорт COM4 занят другой программой. Закройте ..." for
// one, "\r\nПорты COM4, COM7 заняты другой программой. Закройте ..." for several.
inline constexpr Text kTextBusyPortOne{"\r\nПорт ", "\r\nPort "};
inline constexpr Text kTextBusyPortsMany{"\r\nПорты ", "\r\nPorts "};
inline constexpr Text kTextBusyOneHeld{" занят другой программой.",
                                       " is held by another program."};
inline constexpr Text kTextBusyManyHeld{" заняты другой программой.",
                                        " are held by another program."};
inline constexpr Text kTextCloseModemProgram{
    " Закройте программу модема и снова запустите эту программу.\r\n",
    " Close the modem's program and run this program again.\r\n"};
inline constexpr char kComPortName[] = "COM";
inline constexpr char kPortListSeparator[] = ", ";

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

// The question before a run, the same in the dialog and on a command line.
inline constexpr Text kTextConfirmModemOnly{"Переключение в режим \"Только модем\".",
                                            "Switching to the mode \"Modem only\"."};
inline constexpr Text kTextConfirmExtraFunctions{"Переключение в режим \"Доп. функции\".",
                                                 "Switching to the mode \"Extra functions\"."};

// What a log shows highlighted: the first error word (dark red), else the
// first warning word (blue, bold).
inline constexpr Text kErrorWord{"ОШИБКА:", "ERROR:"};
inline constexpr Text kWarningWord{"Внимание!", "Attention!"};
