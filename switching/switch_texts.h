// Every text a switch run writes to the message log, the question asked
// before a run and the words a log highlights. Windows-1251 bytes in the
// Windows program (the build sets the execution character set), UTF-8 on Linux.
#pragma once

inline constexpr char kTextSearching[] = "Поиск модема.\r\n";
inline constexpr char kTextFoundZte[] = "\r\nНайден модем ZTE.\r\n";
inline constexpr char kTextFoundHuawei[] = "\r\nНайден модем Huawei.\r\n";
inline constexpr char kTextNoModem[] = "\r\nОШИБКА: не удалось обнаружить модем.\r\n";
inline constexpr char kTextHeaderModemOnly[] = "Переключение в режим \"Только модем\":\r\n\r\n";
inline constexpr char kTextHeaderExtraFunctions[] =
    "Переключение в режим \"Доп. функции\":\r\n\r\n";
inline constexpr char kTextDone[] =
    "\r\n\r\nРежим изменен.\r\n\r\n"
    "Внимание! Если вы планируете в дальнейшем переключать режимы модема "
    "не удаляйте ПО модема с компьютера. В случае если ПО было удалено, "
    "вы можете вернуть модем в исходное состояние с помощью утилиты "
    "обновления встроенного ПО модема, которую можно скачать с сайта "
    "вашего оператора сотовой связи.\r\n";

// Closing texts of a run that found the modem but could not switch it: the
// port did not open again, or the modem did not confirm every command.
inline constexpr char kTextPortNotOpened[] = "\r\nОШИБКА: не удалось открыть порт модема.\r\n";
inline constexpr char kTextNotConfirmed[] =
    "\r\n\r\nОШИБКА: модем не подтвердил переключение режима.\r\n";

// The question before a run, the same in the dialog and on a command line.
inline constexpr char kTextConfirmModemOnly[] = "Переключение в режим \"Только модем\".";
inline constexpr char kTextConfirmExtraFunctions[] = "Переключение в режим \"Доп. функции\".";

// What a log shows highlighted: the first error word (dark red), else the
// first warning word (blue, bold).
inline constexpr char kErrorWord[] = "ОШИБКА:";
inline constexpr char kWarningWord[] = "Внимание!";
