// vkcert-cli login READER [--pin-stdin], logout READER, access READER: the window's Login and
// Logout and its access pane, for scripts. Login and logout are the window's own provider calls
// and post its login broadcast on the session bus, so open windows show the change.
#include <cstdio>
#include <string>

#include "Command.h"
#include "Messages.h"
#include "PasswordInput.h"
#include "SessionBroadcast.h"
#include "desktop/WindowMessage.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/token/TokenStore.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/token/ErrorText.h"
#include "program/token/LoginState.h"
#include "program/token/TokenLoginCalls.h"
#include "res/resource.h"

namespace vkcli {
namespace {

const char* LoginSummary() {
    return Text("log the user of the token in a reader in", "войти пользователем токена");
}
const char* LogoutSummary() {
    return Text("log the user of the token in a reader out", "выйти из токена");
}
const char* AccessSummary() {
    return Text("print the access rights to the token in a reader: User or Guest",
                "вывести права доступа к токену: Пользователь или Гость");
}

const char* LoginHelp() {
    return Text(
        "Usage: vkcert-cli login READER [--pin-stdin]\n"
        "       vkcert-cli logout READER\n"
        "       vkcert-cli access READER\n"
        "\n"
        "login hands the user PIN to the token in READER, as the browser's Login does;\n"
        "the login holds for every program of the user until logout or until the token\n"
        "leaves the reader. logout ends it. Open browser windows are told of both.\n"
        "access prints the access rights the browser's status bar shows: the word for\n"
        "User while the user is logged in, for Guest otherwise (an empty reader too).\n"
        "\n"
        "The PIN is never taken from the command line:\n"
        "  --pin-stdin  read it from the first line of standard input\n"
        "  otherwise it is asked on the terminal without echo.\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  any other failure (no such reader, no token in it for login, bad usage)\n"
        "  2  wrong PIN; the message tells the tries left\n"
        "  7  the PIN is locked; no try was spent\n"
        "Errors are reported in one line on standard error.\n",
        "Использование: vkcert-cli login СЧИТЫВАТЕЛЬ [--pin-stdin]\n"
        "               vkcert-cli logout СЧИТЫВАТЕЛЬ\n"
        "               vkcert-cli access СЧИТЫВАТЕЛЬ\n"
        "\n"
        "login передаёт PIN-код пользователя токену в СЧИТЫВАТЕЛЕ, как команда «Вход»\n"
        "браузера; вход действует для всех программ пользователя до выхода или до\n"
        "извлечения токена. logout завершает вход. Открытые окна браузера узнают об этом.\n"
        "access выводит права доступа, как строка состояния браузера: Пользователь\n"
        "после входа, иначе Гость (и для пустого считывателя).\n"
        "\n"
        "PIN-код никогда не берётся из командной строки:\n"
        "  --pin-stdin  прочитать его из первой строки стандартного ввода\n"
        "  иначе он запрашивается на терминале без отображения.\n"
        "\n"
        "Код завершения:\n"
        "  0  выполнено\n"
        "  1  иная ошибка (нет считывателя, нет токена для входа, неверный вызов)\n"
        "  2  неверный PIN-код; сообщение называет оставшиеся попытки\n"
        "  7  PIN-код заблокирован; попытка не истрачена\n"
        "Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

// The reader named by the arguments, and whether --pin-stdin was given; nothing after printing
// help or an error (the exit code in `exit`).
struct Arguments {
    const char* reader = nullptr;
    bool pinStdin = false;
};

bool ParseArguments(std::span<char*> args, const char* command, bool pinOption, Arguments& out,
                    int& exit) {
    const std::string see = std::string(" (see vkcert-cli ") + command + " --help)";
    for (char* arg : args) {
        const std::string text = arg;
        if (text == "--help" || text == "-h") {
            std::fputs(LoginHelp(), stdout);
            exit = kExitOk;
            return false;
        }
        if (pinOption && text == "--pin-stdin") {
            out.pinStdin = true;
        } else if ((text.size() > 1 && text[0] == '-') || out.reader != nullptr) {
            PrintError(Text("unknown argument: ", "неизвестный аргумент: ") + text + see);
            exit = kExitFailure;
            return false;
        } else {
            out.reader = arg;
        }
    }
    if (out.reader == nullptr) {
        PrintError(Text("no READER given", "не указан СЧИТЫВАТЕЛЬ") + see);
        exit = kExitFailure;
        return false;
    }
    LoadUiLanguage();
    return true;
}

std::string Describe(DWORD code) {
    return WideToUtf8(SVKCERT::ErrorDescription(code));
}

// Tells every window of the session that a login state changed. Receivers know the message by
// its name; the number is what this program's first registered name gets.
void BroadcastLoginChange() {
    PostSessionBroadcast(WideToUtf8(kLoginLogoutMessageName), kFirstRegisteredMessage, 0, 0);
}

int RunLogin(std::span<char*> args) {
    Arguments a;
    int exit = kExitFailure;
    if (!ParseArguments(args, "login", true, a, exit)) {
        return exit;
    }
    const std::wstring reader = Utf8ToWide(a.reader);
    // A locked PIN is refused before the PIN is handed over, so no try is spent.
    if (vkstore::PinTriesLeft(a.reader) == 0u) {
        PrintError(Describe(SCARD_W_CHV_BLOCKED));
        return kExitPinLocked;
    }
    auto pin = a.pinStdin ? ReadPasswordFromStdin() : ReadPasswordFromTerminal("PIN: ");
    if (!pin) {
        PrintError(a.pinStdin
                       ? Text("cannot read the PIN from standard input",
                              "не удаётся прочитать PIN-код из стандартного ввода")
                       : Text("no terminal to ask for the PIN; use --pin-stdin",
                              "нет терминала для запроса PIN-кода; используйте --pin-stdin"));
        return kExitFailure;
    }
    const DWORD error = SVKCERT::LoginAtProvider(reader, pin->c_str());
    pin.reset();
    if (error == SCARD_W_WRONG_CHV || error == SCARD_W_CHV_BLOCKED) {
        // Locked now: this wrong PIN spent the last try.
        const auto left = vkstore::PinTriesLeft(a.reader);
        PrintError(Describe(SCARD_W_WRONG_CHV) + " " + Text("Tries left: ", "Осталось попыток: ") +
                   (left ? std::to_string(*left) : std::string("?")));
        return kExitWrongPassword;
    }
    if (error != ERROR_SUCCESS) {
        PrintError(Describe(error));
        return kExitFailure;
    }
    BroadcastLoginChange();
    return kExitOk;
}

int RunLogout(std::span<char*> args) {
    Arguments a;
    int exit = kExitFailure;
    if (!ParseArguments(args, "logout", false, a, exit)) {
        return exit;
    }
    const DWORD error = SVKCERT::LogoutAtProvider(Utf8ToWide(a.reader));
    if (error != ERROR_SUCCESS) {
        PrintError(Describe(error));
        return kExitFailure;
    }
    BroadcastLoginChange();
    return kExitOk;
}

int RunAccess(std::span<char*> args) {
    Arguments a;
    int exit = kExitFailure;
    if (!ParseArguments(args, "access", false, a, exit)) {
        return exit;
    }
    const DWORD state = SVKCERT::ReadLoginState(Utf8ToWide(a.reader));
    // Nobody is logged in to an empty reader: a guest, as the pane shows once a token is in.
    if (state == SVKCERT::kLoginNotRead && GetLastError() != SCARD_E_NO_SMARTCARD) {
        const DWORD error = GetLastError();
        PrintError(Describe(error != ERROR_SUCCESS ? error : NTE_FAIL));
        return kExitFailure;
    }
    const std::string word =
        WideToUtf8(LoadLangString(state == SVKCERT::kLoginUser ? IDS_ROLE_USER : IDS_ROLE_GUEST)) +
        '\n';
    std::fwrite(word.data(), 1, word.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kLoginCommand{"login", LoginSummary, LoginHelp, RunLogin};
extern const Command kLogoutCommand{"logout", LogoutSummary, LoginHelp, RunLogout};
extern const Command kAccessCommand{"access", AccessSummary, LoginHelp, RunAccess};

}  // namespace vkcli
