#include "platform/errors/ErrorDescription.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

struct Entry {
    DWORD code;
    const wchar_t* english;
    const wchar_t* russian;
};

// One line per code of WinError.h; add a line when a code is added there.
constexpr Entry kEntries[] = {
    // System errors.
    {0, L"The operation completed successfully.", L"Операция успешно завершена."},
    {1, L"Incorrect function.", L"Неверная функция."},
    {2, L"The system cannot find the file specified.", L"Не удается найти указанный файл."},
    {3, L"The system cannot find the path specified.", L"Системе не удается найти указанный путь."},
    {4, L"The system cannot open the file.", L"Системе не удается открыть файл."},
    {5, L"Access is denied.", L"Отказано в доступе."},
    {6, L"The handle is invalid.", L"Неверный дескриптор."},
    {8, L"Not enough memory resources are available to process this command.",
     L"Недостаточно памяти для обработки команды."},
    {13, L"The data is invalid.", L"Недопустимые данные."},
    {14, L"Not enough memory resources are available to complete this operation.",
     L"Недостаточно памяти для завершения операции."},
    {19, L"The media is write protected.", L"Носитель защищен от записи."},
    {21, L"The device is not ready.", L"Устройство не готово."},
    {29, L"The system cannot write to the specified device.",
     L"Системе не удается произвести запись на указанное устройство."},
    {30, L"The system cannot read from the specified device.",
     L"Системе не удается произвести чтение с указанного устройства."},
    {32, L"The process cannot access the file because it is being used by another process.",
     L"Процесс не может получить доступ к файлу, так как этот файл занят другим процессом."},
    {33,
     L"The process cannot access the file because another process has locked a portion of the "
     L"file.",
     L"Процесс не может получить доступ к файлу, так как часть этого файла заблокирована другим "
     L"процессом."},
    {38, L"Reached the end of the file.", L"Достигнут конец файла."},
    {39, L"The disk is full.", L"Диск заполнен."},
    {50, L"The request is not supported.", L"Запрос не поддерживается."},
    {80, L"The file exists.", L"Файл существует."},
    {86, L"The specified password is not correct.", L"Указан неверный пароль."},
    {87, L"The parameter is incorrect.", L"Параметр задан неверно."},
    {109, L"The pipe has been ended.", L"Канал был закрыт."},
    {112, L"There is not enough space on the disk.", L"Недостаточно места на диске."},
    {120, L"This function is not supported on this system.",
     L"Эта функция не поддерживается в данной системе."},
    {122, L"The data area passed to a system call is too small.",
     L"Область данных, переданная системному вызову, слишком мала."},
    {123, L"The filename, directory name, or volume label syntax is incorrect.",
     L"Синтаксическая ошибка в имени файла, имени папки или метке тома."},
    {145, L"The directory is not empty.", L"Папка не пуста."},
    {161, L"The specified path is invalid.", L"Указан недопустимый путь."},
    {170, L"The requested resource is in use.", L"Требуемый ресурс занят."},
    {183, L"Cannot create a file when that file already exists.",
     L"Невозможно создать файл, так как он уже существует."},
    {206, L"The filename or extension is too long.",
     L"Имя файла или его расширение имеет слишком большую длину."},
    {234, L"More data is available.", L"Имеются дополнительные данные."},
    {258, L"The wait operation timed out.", L"Время ожидания операции истекло."},
    {259, L"No more data is available.", L"Больше данных нет."},
    {288, L"Attempt to release mutex not owned by caller.",
     L"Попытка освободить мьютекс, не принадлежащий вызывающему."},
    {1004, L"Invalid flags.", L"Недопустимые флаги."},
    {1009, L"The configuration registry database is corrupt.",
     L"База данных реестра конфигурации повреждена."},
    {1010, L"The configuration registry key is invalid.",
     L"Недопустимый раздел реестра конфигурации."},
    {1011, L"The configuration registry key could not be opened.",
     L"Не удается открыть раздел реестра конфигурации."},
    {1012, L"The configuration registry key could not be read.",
     L"Не удается прочитать раздел реестра конфигурации."},
    {1013, L"The configuration registry key could not be written.",
     L"Не удается записать раздел реестра конфигурации."},
    {1018, L"Illegal operation attempted on a registry key that has been marked for deletion.",
     L"Попытка недопустимой операции над разделом реестра, отмеченным для удаления."},
    {1168, L"Element not found.", L"Элемент не найден."},
    {1223, L"The operation was canceled by the user.", L"Операция отменена пользователем."},
    {1323,
     L"Unable to update the password. The value provided as the current password is incorrect.",
     L"Не удается обновить пароль. Значение, указанное в качестве текущего пароля, неверно."},
    {1359, L"An internal error occurred.", L"Внутренняя ошибка."},
    {1812, L"The specified image file did not contain a resource section.",
     L"Указанный файл образа не содержит секции ресурсов."},
    {1813, L"The specified resource type cannot be found in the image file.",
     L"Указанный тип ресурса в файле образа отсутствует."},
    {1814, L"The specified resource name cannot be found in the image file.",
     L"Указанное имя ресурса в файле образа отсутствует."},
    {1815, L"The specified resource language ID cannot be found in the image file.",
     L"Указанный язык ресурса в файле образа отсутствует."},

    // Cryptographic service errors.
    {0x80090001, L"Bad UID.", L"Неправильный UID."},
    {0x80090002, L"Bad Hash.", L"Неправильный хеш."},
    {0x80090003, L"Bad Key.", L"Неправильный ключ."},
    {0x80090004, L"Bad Length.", L"Неправильная длина."},
    {0x80090005, L"Bad Data.", L"Неправильные данные."},
    {0x80090006, L"Invalid Signature.", L"Неверная подпись."},
    {0x80090007, L"Bad Version of provider.", L"Неправильная версия поставщика."},
    {0x80090008, L"Invalid algorithm specified.", L"Указан неправильный алгоритм."},
    {0x80090009, L"Invalid flags specified.", L"Указаны неправильные флаги."},
    {0x8009000A, L"Invalid type specified.", L"Указан неправильный тип."},
    {0x8009000B, L"Key not valid for use in specified state.",
     L"Ключ не может быть использован в указанном состоянии."},
    {0x8009000C, L"Hash not valid for use in specified state.",
     L"Хеш не может быть использован в указанном состоянии."},
    {0x8009000D, L"Key does not exist.", L"Ключ не существует."},
    {0x8009000E, L"Insufficient memory available for the operation.",
     L"Недостаточно памяти для выполнения операции."},
    {0x8009000F, L"Object already exists.", L"Объект уже существует."},
    {0x80090010, L"Access denied.", L"Отказано в доступе."},
    {0x80090011, L"Object was not found.", L"Объект не найден."},
    {0x80090013, L"Invalid provider specified.", L"Указан неправильный поставщик."},
    {0x80090014, L"Invalid provider type specified.", L"Указан неправильный тип поставщика."},
    {0x80090015, L"Provider's public key is invalid.", L"Открытый ключ поставщика недействителен."},
    {0x80090016, L"Keyset does not exist.", L"Набор ключей не существует."},
    {0x80090017, L"Provider type not defined.", L"Тип поставщика не определен."},
    {0x80090019, L"The keyset is not defined.", L"Набор ключей не определен."},
    {0x8009001A, L"Keyset as registered is invalid.",
     L"Зарегистрированный набор ключей недействителен."},
    {0x8009001B, L"Provider type does not match registered value.",
     L"Тип поставщика не соответствует зарегистрированному значению."},
    {0x8009001F, L"The keyset parameter is invalid.", L"Неправильный параметр набора ключей."},
    {0x80090020, L"An internal error occurred.", L"Внутренняя ошибка."},
    {0x80090021, L"A base error occurred.", L"Произошла базовая ошибка."},
    {0x80090022, L"Provider could not perform the action since the context was acquired as silent.",
     L"Поставщик не может выполнить действие, так как контекст был получен в режиме без вывода "
     L"сообщений."},
    {0x80090023,
     L"The security token does not have storage space available for an additional container.",
     L"На маркере безопасности нет места для дополнительного контейнера."},
    {0x80090027, L"The parameter is incorrect.", L"Параметр задан неверно."},
    {0x80090029, L"The requested operation is not supported.",
     L"Запрошенная операция не поддерживается."},

    // Certificate and message errors.
    {0x80091001, L"An error occurred while performing an operation on a cryptographic message.",
     L"Ошибка при выполнении операции с криптографическим сообщением."},
    {0x80091002, L"Unknown cryptographic algorithm.", L"Неизвестный криптографический алгоритм."},
    {0x80091003, L"The object identifier is poorly formatted.",
     L"Неправильный формат идентификатора объекта."},
    {0x80092002, L"An error occurred during encode or decode operation.",
     L"Ошибка при кодировании или декодировании."},
    {0x80092003, L"An error occurred while reading or writing to a file.",
     L"Ошибка при чтении или записи файла."},
    {0x80092004, L"Cannot find object or property.", L"Не удается найти объект или свойство."},
    {0x80092005, L"The object or property already exists.", L"Объект или свойство уже существует."},
    {0x80092006, L"No provider was specified for the store or object.",
     L"Для хранилища или объекта не указан поставщик."},
    {0x80092007, L"The specified certificate is self signed.",
     L"Указанный сертификат является самозаверяющим."},
    {0x80092008, L"The previous certificate or CRL context was deleted.",
     L"Предыдущий контекст сертификата или списка отзыва был удален."},
    {0x80092009, L"Cannot find the requested object.", L"Не удается найти запрошенный объект."},
    {0x8009200B, L"The certificate does not have a property that references a private key.",
     L"У сертификата нет свойства, ссылающегося на закрытый ключ."},
    {0x8009200D,
     L"Not a cryptographic message or the cryptographic message is not formatted correctly.",
     L"Это не криптографическое сообщение, или оно имеет неправильный формат."},
    {0x8009200E,
     L"The signed cryptographic message does not have a signer for the specified signer index.",
     L"В подписанном криптографическом сообщении нет подписавшего с указанным индексом."},
    {0x8009200F, L"Final closure is pending until additional frees or closes.",
     L"Окончательное закрытие отложено до дополнительных освобождений или закрытий."},
    {0x80093100, L"ASN1 internal encode or decode error.",
     L"Внутренняя ошибка кодирования или декодирования ASN1."},
    {0x80093102, L"ASN1 unexpected end of data.", L"ASN1: неожиданный конец данных."},
    {0x80093104, L"ASN1 corrupted data.", L"ASN1: данные повреждены."},
    {0x8009310B, L"ASN1 bad tag value met.", L"ASN1: обнаружено неверное значение тега."},

    // Smart-card resource manager errors.
    {0x80100002, L"The action was cancelled.", L"Действие было отменено."},
    {0x80100003, L"The supplied handle was invalid.", L"Указан неверный дескриптор."},
    {0x80100004, L"One or more of the supplied parameters could not be properly interpreted.",
     L"Не удалось правильно интерпретировать один или несколько из указанных параметров."},
    {0x80100006, L"Not enough memory available to complete this command.",
     L"Недостаточно памяти для выполнения команды."},
    {0x80100008, L"The data buffer to receive returned data is too small for the returned data.",
     L"Буфер для получения данных слишком мал для возвращаемых данных."},
    {0x80100009, L"The specified reader name is not recognized.",
     L"Указанное имя считывателя не распознано."},
    {0x8010000A, L"The user-specified timeout value has expired.",
     L"Заданное время ожидания истекло."},
    {0x8010000B, L"The smart card cannot be accessed because of other connections outstanding.",
     L"Нет доступа к смарт-карте из-за других открытых подключений."},
    {0x8010000C,
     L"The operation requires a smart card, but no smart card is currently in the device.",
     L"Для операции требуется смарт-карта, но в устройстве ее нет."},
    {0x8010000D, L"The specified smart card name is not recognized.",
     L"Указанное имя смарт-карты не распознано."},
    {0x80100010, L"The reader or smart card is not ready to accept commands.",
     L"Считыватель или смарт-карта не готовы принимать команды."},
    {0x80100017, L"The specified reader is not currently available for use.",
     L"Указанный считыватель сейчас недоступен."},
    {0x8010001D, L"The smart card resource manager is not running.",
     L"Диспетчер ресурсов смарт-карт не запущен."},
    {0x80100024, L"The identified file does not exist in the smart card.",
     L"Указанный файл отсутствует на смарт-карте."},
    {0x80100027, L"Access is denied to this file.", L"Доступ к этому файлу запрещен."},
    {0x8010002E, L"Cannot find a smart card reader.", L"Не удается найти считыватель смарт-карт."},
    {0x80100066, L"The smart card is not responding to a reset.",
     L"Смарт-карта не отвечает на сброс."},
    {0x80100067,
     L"Power has been removed from the smart card, so that further communication is not "
     L"possible.",
     L"Питание смарт-карты отключено, дальнейший обмен данными невозможен."},
    {0x80100068, L"The smart card has been reset, so any shared state information is invalid.",
     L"Смарт-карта была сброшена, поэтому информация об общем состоянии недействительна."},
    {0x80100069, L"The smart card has been removed, so that further communication is not possible.",
     L"Смарт-карта извлечена, дальнейший обмен данными невозможен."},
    {0x8010006B, L"The card cannot be accessed because the wrong PIN was presented.",
     L"Нет доступа к карте: предъявлен неверный PIN-код."},
    {0x8010006C,
     L"The card cannot be accessed because the maximum number of PIN entry attempts has been "
     L"reached.",
     L"Нет доступа к карте: достигнуто максимальное число попыток ввода PIN-кода."},
    {0x8010006F, L"No PIN was presented to the smart card.",
     L"PIN-код не был предъявлен смарт-карте."},
};

const Entry* Find(DWORD code) {
    auto it = std::find_if(std::begin(kEntries), std::end(kEntries),
                           [code](const Entry& e) { return e.code == code; });
    return it == std::end(kEntries) ? nullptr : &*it;
}

bool IsRussian(WORD languageId) {
    constexpr WORD kPrimaryRussian = 0x19;
    return (languageId & 0x3FF) == kPrimaryRussian;
}

}  // namespace

std::wstring SystemErrorDescription(DWORD code, WORD languageId) {
    const bool russian = IsRussian(languageId);
    if (const Entry* e = Find(code)) {
        return russian ? e->russian : e->english;
    }
    wchar_t buf[64];
    std::swprintf(buf, std::size(buf),
                  russian ? L"Неизвестная ошибка 0x%08X." : L"Unknown error 0x%08X.",
                  static_cast<unsigned>(code));
    return buf;
}

bool HasSystemErrorDescription(DWORD code) {
    return Find(code) != nullptr;
}
