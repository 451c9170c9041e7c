// vkcert-cli pfx FILE [--password-stdin]: a look into a PFX file before it is
// imported: one line per certificate, in the order of the file's certificate
// bags, with its SHA-1 thumbprint, whether the file holds its private key and
// the subject's simple name.
#include <openssl/crypto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CertText.h"
#include "Command.h"
#include "Messages.h"
#include "PasswordInput.h"
#include "platform/cert/CertApi.h"
#include "platform/cert/pkcs12/PfxReader.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

namespace vkcli {
namespace {

const char* PfxSummary() {
    return Text("list the certificates of a PFX (PKCS #12) file and which of them have their key",
                "перечислить сертификаты файла PFX (PKCS #12) и указать, у каких есть ключ");
}

const char* PfxHelp() {
    return Text(
        "Usage: vkcert-cli pfx FILE [--password-stdin]\n"
        "\n"
        "Shows what a PFX (PKCS #12) file holds before it is imported. Prints one line\n"
        "per certificate, in the order of the certificate bags in the file:\n"
        "\n"
        "  THUMBPRINT<TAB>KEY<TAB>SUBJECT\n"
        "\n"
        "  THUMBPRINT  the certificate's SHA-1 hash, lower-case hexadecimal bytes\n"
        "              separated by single spaces\n"
        "  KEY         \"key\" when the file holds the certificate's private key (matched\n"
        "              by the public key), \"-\" otherwise\n"
        "  SUBJECT     the subject's name in simple form (the values only)\n"
        "\n"
        "Output is UTF-8. The password is never taken from the command line:\n"
        "  --password-stdin  read it from the first line of standard input (a CR or LF\n"
        "                    ending the line is not part of it; an empty line is the\n"
        "                    empty password)\n"
        "  otherwise it is asked on the terminal without echo; with no terminal the\n"
        "  command fails.\n"
        "An empty password is tried both as the empty string and as no password.\n"
        "\n"
        "Exit status:\n"
        "  0  the certificates were listed\n"
        "  1  any other failure (unreadable file, no terminal for the password, bad usage)\n"
        "  2  wrong password (also for a file without integrity protection whose\n"
        "     contents do not decrypt)\n"
        "  3  the file is not a PKCS #12 file or is damaged\n"
        "Errors are reported in one line on standard error.\n",
        "Использование: vkcert-cli pfx ФАЙЛ [--password-stdin]\n"
        "\n"
        "Показывает содержимое файла PFX (PKCS #12) перед импортом. Выводит по строке\n"
        "на каждый сертификат в порядке их размещения в файле:\n"
        "\n"
        "  ОТПЕЧАТОК<TAB>КЛЮЧ<TAB>СУБЪЕКТ\n"
        "\n"
        "  ОТПЕЧАТОК  хеш SHA-1 сертификата, байты строчными шестнадцатеричными цифрами\n"
        "             через один пробел\n"
        "  КЛЮЧ       \"key\", если в файле есть закрытый ключ сертификата (сопоставляется\n"
        "             по открытому ключу), иначе \"-\"\n"
        "  СУБЪЕКТ    имя субъекта в простой форме (только значения)\n"
        "\n"
        "Вывод в кодировке UTF-8. Пароль никогда не берётся из командной строки:\n"
        "  --password-stdin  прочитать его из первой строки стандартного ввода (CR или LF\n"
        "                    в конце строки в пароль не входят; пустая строка - пустой\n"
        "                    пароль)\n"
        "  иначе он запрашивается на терминале без отображения; без терминала команда\n"
        "  завершается с ошибкой.\n"
        "Пустой пароль проверяется и как пустая строка, и как отсутствие пароля.\n"
        "\n"
        "Код завершения:\n"
        "  0  сертификаты выведены\n"
        "  1  иная ошибка (файл не читается, нет терминала для пароля, неверный вызов)\n"
        "  2  неверный пароль (в том числе для файла без контроля целостности, содержимое\n"
        "     которого не расшифровывается)\n"
        "  3  файл не является файлом PKCS #12 или повреждён\n"
        "Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

// The wide password, wiped when it goes.
struct WidePassword {
    std::wstring text;
    ~WidePassword() { OPENSSL_cleanse(text.data(), text.size() * sizeof(wchar_t)); }
};

int RunPfx(std::span<char*> args) {
    const char* file = nullptr;
    bool fromStdin = false;
    for (char* arg : args) {
        const std::string text = arg;
        if (text == "--help" || text == "-h") {
            std::fputs(PfxHelp(), stdout);
            return kExitOk;
        }
        if (text == "--password-stdin") {
            fromStdin = true;
        } else if (text.size() > 1 && text[0] == '-') {
            PrintError(std::string(Text("unknown option: ", "неизвестный параметр: ")) + text +
                       Text(" (see vkcert-cli pfx --help)", " (см. vkcert-cli pfx --help)"));
            return kExitFailure;
        } else if (file != nullptr) {
            PrintError(Text("only one FILE may be given (see vkcert-cli pfx --help)",
                            "можно указать только один ФАЙЛ (см. vkcert-cli pfx --help)"));
            return kExitFailure;
        } else {
            file = arg;
        }
    }
    if (file == nullptr) {
        PrintError(Text("no FILE given (see vkcert-cli pfx --help)",
                        "не указан ФАЙЛ (см. vkcert-cli pfx --help)"));
        return kExitFailure;
    }
    std::vector<BYTE> contents;
    const DWORD readError = vk::pkcs12::ReadPfxFileBytes(file, contents);
    if (readError != ERROR_SUCCESS && readError != CRYPT_E_BAD_ENCODE) {
        PrintError(std::string(Text("cannot read ", "не удаётся прочитать ")) + file);
        return kExitFailure;
    }
    if (readError != ERROR_SUCCESS || !vk::pkcs12::IsPfx(contents.data(), contents.size())) {
        PrintError(std::string(file) + Text(": not a PKCS #12 file, or damaged",
                                            ": не файл PKCS #12 или файл повреждён"));
        return kExitBadFile;
    }
    auto narrow = fromStdin ? ReadPasswordFromStdin()
                            : ReadPasswordFromTerminal(Text("Password: ", "Пароль: "));
    if (!narrow) {
        PrintError(fromStdin ? Text("cannot read the password from standard input",
                                    "не удаётся прочитать пароль из стандартного ввода")
                             : Text("no terminal to ask for the password; use --password-stdin",
                                    "нет терминала для запроса пароля; используйте "
                                    "--password-stdin"));
        return kExitFailure;
    }
    WidePassword password{Utf8ToWide(std::string_view(narrow->data(), narrow->size()))};
    narrow.reset();
    vk::pkcs12::PfxContents pfx;
    const DWORD error =
        vk::pkcs12::ReadPfx(contents.data(), contents.size(), password.text.c_str(), pfx);
    if (error == ERROR_INVALID_PASSWORD) {
        PrintError(std::string(Text("wrong password for ", "неверный пароль для ")) + file);
        return kExitWrongPassword;
    }
    if (error == CRYPT_E_BAD_ENCODE) {
        PrintError(std::string(file) + Text(": not a PKCS #12 file, or damaged",
                                            ": не файл PKCS #12 или файл повреждён"));
        return kExitBadFile;
    }
    if (error != ERROR_SUCCESS) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error));
        PrintError(std::string(Text("cannot read ", "не удаётся прочитать ")) + file + " (" + code +
                   ")");
        return kExitFailure;
    }
    std::string out;
    for (const auto& entry : pfx.certificates) {
        out += Thumbprint(entry.der);
        out += '\t';
        out += entry.keyIndex >= 0 ? "key" : "-";
        out += '\t';
        out += SimpleSubject(entry.der);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kPfxCommand{"pfx", PfxSummary, PfxHelp, RunPfx};

}  // namespace vkcli
