// vkcert-cli cert FILE: the rows the certificate view shows for a certificate
// file (DER, or Base64 between armour lines), one row a line.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "Command.h"
#include "Messages.h"
#include "RowText.h"
#include "program/app/UiLanguage.h"
#include "program/ops/CertFileReader.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"

namespace vkcli {
namespace {

using SVKCERT::SFileFormats::kCertificateFileSizeLimit;

const char* CertSummary() {
    return Text("show the rows of the certificate view for a certificate file",
                "показать строки окна сертификата для файла сертификата");
}

const char* CertHelp() {
    return Text(
        "Usage: vkcert-cli cert FILE\n"
        "\n"
        "Reads a certificate file as the certificate import does (DER, or Base64\n"
        "between \"-----BEGIN CERTIFICATE-----\" and \"-----END CERTIFICATE-----\")\n"
        "and prints the rows the certificate view shows, in the view's order, one\n"
        "row a line:\n"
        "\n"
        "  CAPTION<TAB>VALUE<TAB>DETAIL\n"
        "\n"
        "Inside a value or detail a backslash is written \\\\, a tab \\t, a carriage\n"
        "return \\r, a line feed \\n and any other control character \\xNN (its\n"
        "code in hex). Captions are English. Dates are local time (TZ=UTC gives UTC)\n"
        "in the long date and time of the interface language (English\n"
        "\"Sunday, December 6, 2026   5:43:36 PM\", Russian\n"
        "\"6 декабря 2026 г.   17:43:36\", other languages as English); the interface\n"
        "language is read, never written. Output is UTF-8. Files of 65535 bytes or\n"
        "more are refused, as the import refuses them.\n"
        "\n"
        "Exit status: 0 the rows were printed; 1 the file cannot be read or is not\n"
        "a certificate (one line on standard error).\n",
        "Использование: vkcert-cli cert ФАЙЛ\n"
        "\n"
        "Читает файл сертификата так же, как импорт сертификата (DER или Base64\n"
        "между \"-----BEGIN CERTIFICATE-----\" и \"-----END CERTIFICATE-----\"), и\n"
        "выводит строки окна сертификата в его порядке, по одной на строку:\n"
        "\n"
        "  ЗАГОЛОВОК<TAB>ЗНАЧЕНИЕ<TAB>ПОДРОБНОСТИ\n"
        "\n"
        "Внутри значения и подробностей обратная косая черта записывается как \\\\,\n"
        "табуляция \\t, возврат каретки \\r, перевод строки \\n, любой другой\n"
        "управляющий символ \\xNN (его код в шестнадцатеричном виде). Заголовки на\n"
        "английском. Даты в местном времени (TZ=UTC даёт UTC) в длинном формате даты\n"
        "и времени языка интерфейса (английский \"Sunday, December 6, 2026   5:43:36 PM\",\n"
        "русский \"6 декабря 2026 г.   17:43:36\", другие языки в английском виде);\n"
        "язык интерфейса только читается.\n"
        "Вывод в UTF-8. Файлы размером 65535 байт и более не принимаются, как и при\n"
        "импорте.\n"
        "\n"
        "Код завершения: 0 строки выведены; 1 файл не читается или не является\n"
        "сертификатом (одна строка в стандартный поток ошибок).\n");
}

enum class ReadResult { Ok, Unreadable, TooLarge };

ReadResult ReadSmallFile(const std::string& path, std::vector<BYTE>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ReadResult::Unreadable;
    }
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        out.insert(out.end(), buffer, buffer + in.gcount());
        if (out.size() >= kCertificateFileSizeLimit) {
            return ReadResult::TooLarge;
        }
    }
    return in.bad() ? ReadResult::Unreadable : ReadResult::Ok;
}

int RunCert(std::span<char*> args) {
    const char* file = nullptr;
    for (char* arg : args) {
        const std::string text = arg;
        if (text == "--help" || text == "-h") {
            std::fputs(CertHelp(), stdout);
            return kExitOk;
        }
        if (text.size() > 1 && text[0] == '-') {
            PrintError(std::string(Text("unknown option: ", "неизвестный параметр: ")) + text +
                       Text(" (see vkcert-cli cert --help)", " (см. vkcert-cli cert --help)"));
            return kExitFailure;
        }
        if (file != nullptr) {
            PrintError(Text("only one FILE may be given (see vkcert-cli cert --help)",
                            "можно указать только один ФАЙЛ (см. vkcert-cli cert --help)"));
            return kExitFailure;
        }
        file = arg;
    }
    if (file == nullptr) {
        PrintError(Text("no FILE given (see vkcert-cli cert --help)",
                        "не указан ФАЙЛ (см. vkcert-cli cert --help)"));
        return kExitFailure;
    }
    std::vector<BYTE> contents;
    switch (ReadSmallFile(file, contents)) {
        case ReadResult::Unreadable:
            PrintError(std::string(Text("cannot read ", "не удаётся прочитать ")) + file);
            return kExitFailure;
        case ReadResult::TooLarge:
            PrintError(std::string(file) + Text(": not a certificate file (65535 bytes or more)",
                                                ": не файл сертификата (65535 байт или более)"));
            return kExitFailure;
        case ReadResult::Ok:
            break;
    }
    LoadUiLanguage();
    std::string out;
    try {
        const auto der = SVKCERT::SFileFormats::ReadCertificateFile(contents);
        SSertListItemInfo::BuildCertificateRows(der, [&out](auto row) {
            out += EscapedRowText(row->GetName()) + '\t' + EscapedRowText(row->GetValue()) + '\t' +
                   EscapedRowText(row->GetDetail()) + '\n';
        });
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        PrintError(std::string(file) + Text(": not a certificate", ": не сертификат"));
        return kExitFailure;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kCertCommand{"cert", CertSummary, CertHelp, RunCert};

}  // namespace vkcli
