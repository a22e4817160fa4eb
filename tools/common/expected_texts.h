// What a user of the program sees, as the driver (in the running program) and
// pecheck (in its file) expect to find it: window captions, control ids,
// message box texts and the log lines of a run. The checking tools keep their
// own copy on purpose, so that a wrong text in the program shows up as a
// failed check instead of being shared by both sides. The Windows build
// compiles the file to Windows-1251, the bytes the program's windows hold;
// natively it stays UTF-8.
#pragma once

#include <cstdint>

namespace expected {

inline constexpr char kDialogCaption[] = "Tarvix, Версия 1.0 от 7 апреля 2011 года";

// Control ids of the main dialog.
inline constexpr int kProgress = 1000;
inline constexpr int kModemOnly = 1001;
inline constexpr int kExtra = 1002;
inline constexpr int kLog = 1003;
inline constexpr int kExit = 2;  // IDCANCEL

inline constexpr char kModemOnlyLabel[] = "Только модем";
inline constexpr char kExtraLabel[] = "Доп. функции";
inline constexpr char kExitLabel[] = "Выход";

// Message boxes.
inline constexpr char kConfirmCaption[] = "Продолжить?";
inline constexpr char kConfirmModemOnly[] = "Переключение в режим \"Только модем\".";
inline constexpr char kConfirmExtra[] = "Переключение в режим \"Доп. функции\".";
inline constexpr char kWaitCaption[] = "Внимание!";
inline constexpr char kWaitText[] = "Дождитесь завершения процесса!";

// Log contents.
inline constexpr char kHelpText[] =
    "В режиме \"Только модем\" все дополнительные функции (включая виртуальный диск "
    "с ПО модема, кард-ридер и т.п.) будут отключены. Этот режим рекомендуется для "
    "работы с интернет-центрами Orvik серии Lumarest.\r\n\r\nВ режиме \"Доп. функции\" "
    "дополнительные функции виртуального диска с ПО модема, Кард-ридера будут включены.";
inline constexpr char kSearching[] = "Поиск модема.\r\n";
inline constexpr char kFoundZte[] = "\r\nНайден модем ZTE.\r\n";
inline constexpr char kFoundHuawei[] = "\r\nНайден модем Huawei.\r\n";
inline constexpr char kNoModem[] = "\r\nОШИБКА: не удалось обнаружить модем.\r\n";
// After kNoModem, the ports another program holds: one, or several ascending.
inline constexpr char kHeldCom4[] =
    "\r\nПорт COM4 занят другой программой. Закройте программу модема и снова запустите "
    "эту программу.\r\n";
inline constexpr char kHeldCom4AndCom40[] =
    "\r\nПорты COM4, COM40 заняты другой программой. Закройте программу модема и снова "
    "запустите эту программу.\r\n";
inline constexpr char kModemOnlyHeader[] = "Переключение в режим \"Только модем\":\r\n\r\n";
inline constexpr char kExtraHeader[] = "Переключение в режим \"Доп. функции\":\r\n\r\n";
inline constexpr char kCompletion[] =
    "\r\n\r\nРежим изменен.\r\n\r\nВнимание! Если вы планируете в дальнейшем "
    "переключать режимы модема не удаляйте ПО модема с компьютера. В случае если ПО "
    "было удалено, вы можете вернуть модем в исходное состояние с помощью утилиты "
    "обновления встроенного ПО модема, которую можно скачать с сайта вашего "
    "оператора сотовой связи.\r\n";
// After kCompletion, on a Huawei stick switched by AT^SETPORT.
inline constexpr char kReplug[] =
    "Новый режим начнет действовать, когда вы отключите модем от компьютера и подключите его "
    "снова.\r\n";
inline constexpr char kNotConfirmed[] =
    "\r\n\r\nОШИБКА: модем не подтвердил переключение режима.\r\n";

// The log's highlighting: the first error word dark red, else the warning word.
inline constexpr char kErrorWord[] = "ОШИБКА:";
inline constexpr char kWarningWord[] = "Внимание!";
inline constexpr std::uint32_t kErrorWordColor = 0x0000A0;  // RGB(160, 0, 0): red in the low byte
inline constexpr std::uint32_t kNormalTextColor = 0x000000;  // black

}  // namespace expected
