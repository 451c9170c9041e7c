// vkcert-cli list [--paths] [--flat]: the tree of readers, containers and keys as the browser's
// window shows it, built by the same tree nodes.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "ListFrame.h"
#include "Messages.h"
#include "platform/middleware/VKAPIi.h"
#include "platform/text/Utf.h"
#include "platform/token/TokenWorld.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CRootItem.h"
#include "program/tree/TreeListing.h"
#include "program/ui/CFrameFacade.h"

namespace vkcli {
namespace {

const char* ListSummary() {
    return Text("list readers, containers and keys as the browser's tree shows them",
                "перечислить считыватели, контейнеры и ключи, как их показывает дерево браузера");
}

const char* ListHelp() {
    return Text(
        "Usage: vkcert-cli list [--paths] [--flat]\n"
        "\n"
        "Prints the tree of the certificate browser: one line per node, readers at the\n"
        "left margin and two more spaces of indent per level below them, each with the\n"
        "label the tree shows (a token's label ends in a blank). Children stand in the\n"
        "tree's order (by path).\n"
        "\n"
        "  --paths  after each label a tab and the node's path\n"
        "  --flat   keys directly under their token, as with \"Show Containers\" off\n"
        "\n"
        "Output is UTF-8. Nothing is written: no settings, no language choice.\n"
        "\n"
        "Exit status:\n"
        "  0  the tree was listed (nothing when there are no virtual tokens at all)\n"
        "  1  the reader list cannot be read, or bad usage\n"
        "Errors are reported in one line on standard error.\n",
        "Использование: vkcert-cli list [--paths] [--flat]\n"
        "\n"
        "Печатает дерево браузера сертификатов: по строке на узел, считыватели у левого\n"
        "края, каждый следующий уровень с отступом ещё на два пробела, с подписью узла,\n"
        "как в дереве (подпись токена оканчивается пробелом). Дочерние узлы идут в\n"
        "порядке дерева (по пути).\n"
        "\n"
        "  --paths  после подписи табуляция и путь узла\n"
        "  --flat   ключи прямо под токеном, как при выключенном «Показывать контейнеры»\n"
        "\n"
        "Вывод в UTF-8. Ничего не записывается: ни настройки, ни выбор языка.\n"
        "\n"
        "Код завершения:\n"
        "  0  дерево напечатано (пусто, если виртуальных токенов нет вовсе)\n"
        "  1  не удалось прочитать список считывателей или неверный вызов\n"
        "Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

// Whether the middleware can list the readers at all.
bool ReaderListReadable() {
    VKAPIi_Context context;
    context.Init(0);
    VKLibT_Array<VKLib_String, 4> readers;
    const bool readable = context.Enum_Readers(readers);
    context.Free();
    return readable;
}

int RunList(std::span<char*> args) {
    bool paths = false;
    bool flat = false;
    for (const char* arg : args) {
        const std::string option = arg;
        if (option == "--help" || option == "-h") {
            std::fputs(ListHelp(), stdout);
            return kExitOk;
        }
        if (option == "--paths") {
            paths = true;
        } else if (option == "--flat") {
            flat = true;
        } else {
            PrintError(
                std::string(Text("list: unknown argument: ", "list: неизвестный аргумент: ")) +
                option);
            return kExitFailure;
        }
    }
    // Reading an absent world would create it: there is simply nothing to list. A folder or
    // world that is there but cannot be read is named, never listed as empty.
    const std::filesystem::path root = vkstore::TokenWorld::DefaultRoot();
    const std::filesystem::path world = root / "world.db";
    struct stat st {};
    for (const auto& [path, folder] : {std::pair{root, true}, std::pair{world, false}}) {
        const bool found = ::stat(path.c_str(), &st) == 0;
        if (!found && errno == ENOENT) {
            return kExitOk;
        }
        if (!found || S_ISDIR(st.st_mode) != folder ||
            ::access(path.c_str(), folder ? R_OK | X_OK : R_OK) != 0) {
            PrintError(std::string(Text("list: cannot be read: ", "list: не удалось прочитать: ")) +
                       path.string());
            return kExitFailure;
        }
    }
    if (!ReaderListReadable()) {
        PrintError(std::string(Text("list: the reader list cannot be read: ",
                                    "list: не удалось прочитать список считывателей: ")) +
                   world.string());
        return kExitFailure;
    }
    std::string output;
    {
        const SVKCERTTREE::CCertTreePtr tree;
        ListFrame frame(!flat);
        const auto facade = std::make_shared<CFrameFacade>(&frame);
        STreeItemInfo::CRootItem root(facade);
        std::vector<STreeItemInfo::CListedNode> nodes;
        STreeItemInfo::ListTree(root, nodes);
        facade->Detach();
        for (const auto& node : nodes) {
            output.append(static_cast<std::size_t>(node.depth) * 2, ' ');
            output += WideToUtf8(node.label);
            if (paths) {
                output += '\t';
                output += WideToUtf8(node.path);
            }
            output += '\n';
        }
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kListCommand{"list", ListSummary, ListHelp, RunList};

}  // namespace vkcli
