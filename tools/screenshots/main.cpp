// vkcert-screenshots: pictures of the program for people to look at, in English (1024) and
// Russian (1049): every dialog template as the dialog builder makes it, the certificate file
// dialogs (save and open), the owner PIN prompt (also after a wrong PIN), the Delete container
// question, the four property views, the main window over the demo tokens and after the shown token
// is removed, and a sheet of the icons and bitmaps; then a certificate under LANG=de_DE.UTF-8 and
// the main window of a second start, which finds the pane widths the first one stored. The program
// runs as it starts (CvkCertApp) under Qt's offscreen platform in a world of its own: the XDG
// folders point into a temporary folder where vktoken builds the demo tokens.
//
//   vkcert-screenshots [OUTPUT-FOLDER]     (default: ./screenshots)
//   vkcert-screenshots --restarted OUTPUT-FOLDER   (the second start, in the caller's world)
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/app/CvkCertApp.h"
#include "gui/help/CHelpWindow.h"
#include "gui/help/CHelper.h"
#include "gui/resources/CDialogLang.h"
#include "gui/resources/ResourceImages.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CAboutDlg.h"
#include "gui/ui/frame/CCheckedFileDialog.h"
#include "gui/ui/frame/CMainFrame.h"
#include "gui/ui/frame/CWizardPage.h"
#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "program/app/LangIds.h"
#include "program/app/LangResource.h"
#include "program/app/ResourceModule.h"
#include "program/app/UiLanguage.h"
#include "program/app/UserDefaultLanguage.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/ops/pfxexport/CExpPfxContext.h"
#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfximport/CPfxContext.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "program/token/ErrorText.h"
#include "program/tree/ITreeItemInfo.h"
#include "res/resource.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using NodePtr = STreeItemInfo::ITreeItemInfoPtr;

constexpr const char* kProToken = "Velkora USB Reader 0";
constexpr const char* kProLabel = "Velkora Pro Demo";
constexpr const char* kProPin = "12345678";  // as vktoken demo sets it
constexpr const char* kWrongPin = "00000000";
// The tree pane's width the first start leaves for the second.
constexpr int kStoredTreeWidth = 360;
// The "Valid from" row of the certificate view.
constexpr int kValidFromRow = 4;

// File names of the dialog templates; others are named by their number.
const std::map<int, const char*> kDialogNames = {
    {IDD_ABOUTBOX, "about"},
    {IDD_CONTAINER_VIEW, "container-view"},
    {IDD_CERTIFICATE_VIEW, "certificate-view"},
    {IDD_TOKEN_VIEW, "token-view"},
    {IDD_FILE_DIALOG_TEXTS, "file-dialog-texts"},
    {IDD_KEY_VIEW, "key-view"},
    {IDD_TREE_VIEW, "tree-view"},
    {IDD_PFX_IMPORT_PASSWORD, "pfx-import-password"},
    {IDD_PFX_IMPORT_ERROR, "pfx-import-error"},
    {IDD_PFX_IMPORT_CONTAINER, "pfx-import-container"},
    {IDD_PFX_IMPORT_SUCCESS, "pfx-import-success"},
    {IDD_PFX_IMPORT_PROGRESS, "pfx-import-progress"},
    {IDD_PFX_EXPORT_PASSWORD, "pfx-export-password"},
    {IDD_PFX_EXPORT_ERROR, "pfx-export-error"},
    {IDD_PFX_EXPORT_PROGRESS, "pfx-export-progress"},
    {IDD_PFX_EXPORT_SUCCESS, "pfx-export-success"},
};

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "vkcert-screenshots: " << what << "\n";
    std::exit(1);
}

// A temporary folder that the XDG folders of this process and its children point into;
// removed with everything in it at the end.
class TemporaryWorld {
public:
    TemporaryWorld() {
        std::string pattern = (fs::temp_directory_path() / "vkcert-screenshots-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            Fail("cannot make a temporary folder");
        }
        m_root = pattern;
        for (const auto& [variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                               {"XDG_DATA_HOME", "data"},
                                               {"XDG_RUNTIME_DIR", "runtime"},
                                               {"XDG_CACHE_HOME", "cache"},
                                               {"TMPDIR", "tmp"}}) {
            fs::create_directories(m_root / folder);
            fs::permissions(m_root / folder, fs::perms::owner_all);
            setenv(variable, (m_root / folder).c_str(), 1);
        }
    }
    ~TemporaryWorld() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    TemporaryWorld(const TemporaryWorld&) = delete;
    TemporaryWorld& operator=(const TemporaryWorld&) = delete;

    const fs::path& Root() const { return m_root; }

private:
    fs::path m_root;
};

// Runs the program with the arguments in this process's environment; fails unless it ends well.
void Run(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::cout.flush();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        Fail("cannot run " + program);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(program + " " + (args.empty() ? std::string() : args.front()) + " failed");
    }
}

void Vktoken(const std::vector<std::string>& args) {
    Run(VKTOKEN, args);
}

// Sets a variable for the life of the object, then puts back what was there.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void SpinFor(int ms) {
    SpinUntil([] { return false; }, ms);
}

QString Wide(const char* text) {
    return QString::fromUtf8(text);
}

class Photographer {
public:
    Photographer(CMainFrame& frame, const fs::path& out, const fs::path& world)
        : m_frame(frame), m_out(out), m_world(world) {}

    void Language(LANGID lang) {
        m_suffix = lang == LANG_RUSSIAN_ID ? "_ru" : "_en";
        // The application follows the switch with Qt's own texts and the locale.
        SetUiLanguage(lang);
        SpinFor(300);
        Dialogs();
        PfxImportPages();
        PfxExportPages();
        FileDialog();
        Views();
        MainWindow();
        TokenRemoved();
        HelpWindow();
    }

    void ImageSheet();
    int Written() const { return m_written; }

    // A certificate with LANG and LC_ALL at de_DE.UTF-8: the interface language follows them
    // as at a start (the dates are formatted for it); both are put back afterwards.
    void GermanCertificate() {
        const LANGID before = GetUiLanguage();
        {
            ScopedVariable lang("LANG", "de_DE.UTF-8");
            ScopedVariable all("LC_ALL", "de_DE.UTF-8");
            SetUiLanguage(GetUserDefaultUILanguage());
            SpinFor(300);
            m_suffix = "_de";
            const std::wstring container = Wide(kProToken).toStdWString() + L"\\Ivanov-2026";
            Save(Pane(FirstChild(container), kValidFromRow), "views/certificate");
        }
        SetUiLanguage(before);
        SpinFor(300);
    }

    // The first start's window as it closes, with the tree pane at a chosen width.
    void CloseWithStoredWidths() {
        QSplitter* splitter = m_frame.Splitter();
        if (splitter == nullptr || splitter->count() != 2) {
            Fail("the main window has no two panes");
        }
        const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({kStoredTreeWidth, total - kStoredTreeWidth});
        SpinFor(100);
        m_frame.close();
    }

    // The second start's window as it comes up, not resized: the tree fills its pane.
    void Restarted() {
        m_suffix = "_en";
        SpinFor(500);
        Save(m_frame.grab(), "main-window-restarted");
    }

private:
    void Save(const QPixmap& picture, const std::string& name) {
        const fs::path file = m_out / (name + m_suffix + ".png");
        fs::create_directories(file.parent_path());
        if (picture.isNull() || !picture.save(QString::fromStdString(file.string()), "PNG")) {
            Fail("cannot write " + file.string());
        }
        std::cout << file.string() << "\n";
        ++m_written;
    }

    // The help window on each of its tabs as the Help menu opens it: the contents (and the page
    // of icons), the index narrowed to "PIN", and the search for "PIN" with its results.
    void HelpWindow() {
        SDP::singleton_auto_pointer<SHTMLHelper::CHelper> help;
        m_frame.OnCommand(ID_HELP_CONTENTS);
        SHTMLHelper::CHelpWindow* window = help->Window();
        Expect(window != nullptr && window->isVisible(), "the help window did not open");
        window->resize(900, 600);
        SpinFor(500);
        Save(window->grab(), "help/contents");
        window->ShowTopic(QStringLiteral("3_Icons.html"));  // a page of the program's pictures
        SpinFor(300);
        Save(window->grab(), "help/icons");
        m_frame.OnCommand(ID_HELP_INDEX);
        window->IndexFilter()->setText(QStringLiteral("PIN"));
        SpinFor(300);
        Save(window->grab(), "help/index");
        m_frame.OnCommand(ID_HELP_SEARCH);
        QHelpSearchEngine* search = window->Engine()->searchEngine();
        search->queryWidget()->setSearchInput(QStringLiteral("PIN"));
        // The full-text index is built on a thread of the engine; ask until it answers.
        for (int tries = 0; tries < 20 && search->searchResultCount() == 0; ++tries) {
            emit search->queryWidget()->search();
            SpinUntil([search] { return search->searchResultCount() > 0; }, 500);
        }
        Expect(search->searchResultCount() > 0, "the help's search found nothing");
        SpinFor(300);
        Save(window->grab(), "help/search");
        window->close();
    }

    // Every dialog template of the interface language, built as the program builds it.
    void Dialogs() {
        for (const auto& entry : GetResourceModule()->Entries()) {
            if (!(entry.type == CResName(RT_DIALOG)) || !entry.name.IsId() ||
                entry.language != GetUiLanguage()) {
                continue;
            }
            const int id = entry.name.Id();
            if (id == IDD_ABOUTBOX) {
                About();
                continue;
            }
            CDialogLang dialog(static_cast<UINT>(id), nullptr);
            if (!dialog.IsBuilt()) {
                Fail("dialog " + std::to_string(id) + " does not build");
            }
            const auto name = kDialogNames.find(id);
            Save(dialog.grab(), "dialogs/" + std::to_string(id) +
                                    (name != kDialogNames.end() ? std::string("-") + name->second
                                                                : std::string()));
        }
    }

    // The pages of the PFX import wizard, filled as a run fills them.
    void PfxImportPages() {
        SPFXMaster::CPfxContext context;
        context.fileName = L"/home/user/Documents/Ivanov.pfx";
        context.readerName = L"Velkora USB Reader 0";
        context.containerName = L"Ivanov imported";
        const std::wstring& file = context.fileName;
        SWizardPageRequest password = SPFXMaster::PasswordPage(context);
        password.values.texts[IDC_PASSWORD] = L"secret";
        SWizardPageRequest container = SPFXMaster::ContainerPage(context);
        container.values.checks[IDC_ENABLE_EXPORT] = true;
        const std::wstring importing = FormatString(LoadLangString(IDS_PFX_IMPORTING), file,
                                                    context.readerName, context.containerName);
        const std::pair<SWizardPageRequest, const char*> pages[] = {
            {password, "password"},
            {SPFXMaster::ErrorPage(context, IDS_PFX_WRONG_PASSWORD,
                                   FormatString(LoadLangString(IDS_PFX_WRONG_PASSWORD), file),
                                   true),
             "wrong-password"},
            {container, "container"},
            {SPFXMaster::ProgressPage(context, IDS_PFX_IMPORTING, importing), "progress"},
            {SPFXMaster::SucceededPage(context), "succeeded"},
            {SPFXMaster::ErrorPage(context, IDS_PFX_NO_CERTIFICATE,
                                   FormatString(LoadLangString(IDS_PFX_NO_CERTIFICATE), file),
                                   false),
             "error"},
        };
        for (const auto& [request, name] : pages) {
            CWizardPage page(request, nullptr);
            Save(page.grab(), std::string("wizards/pfx-import-") + name);
        }
    }

    // The pages of the PFX export wizard, filled as a run fills them.
    void PfxExportPages() {
        SEXPPFXMaster::CExpPfxContext context;
        context.fileName = L"/home/user/Documents/Ivanov.pfx";
        context.certificateName = L"\u0418\u0432\u0430\u043d\u043e\u0432 \u0418\u0432\u0430\u043d";
        SWizardPageRequest password = SEXPPFXMaster::PasswordPage(context);
        password.values.texts[IDC_PASSWORD] = L"secret";
        password.values.texts[IDC_CONFIRM_PASSWORD] = L"secret";
        const std::pair<SWizardPageRequest, const char*> pages[] = {
            {SEXPPFXMaster::LoadingPage(context), "loading"},
            {password, "password"},
            {SEXPPFXMaster::SuccessPage(context), "succeeded"},
            {SEXPPFXMaster::ErrorPage(
                 context, IDS_PFX_LOAD_KEY_FAILED,
                 FormatString(LoadLangString(IDS_PFX_LOAD_KEY_FAILED), context.certificateName,
                              SVKCERT::ErrorDescription(NTE_BAD_KEY_STATE)),
                 NTE_BAD_KEY_STATE),
             "error"},
        };
        for (const auto& [request, name] : pages) {
            CWizardPage page(request, nullptr);
            Save(page.grab(), std::string("wizards/pfx-export-") + name);
        }
    }

    // The About dialog of the built program, with the token software beside it as installed.
    void About() {
        const fs::path programs = m_world / "programs";
        fs::create_directories(programs);
        for (const char* program : {VKCERT, VKTOKEN, VKCERT_CLI, VKTOKEND}) {
            const fs::path link = programs / fs::path(program).filename();
            if (!fs::exists(link)) {
                fs::create_symlink(program, link);
            }
        }
        CAboutDlg dialog(nullptr, programs / "vkcert", programs);
        Save(dialog.grab(), "dialogs/" + std::to_string(IDD_ABOUTBOX) + "-about");
    }

    // The certificate file dialogs as the seam shows them, over a folder of sample files: the
    // save dialog with the PFX filter, the open dialog with a file chosen.
    void FileDialog() {
        const fs::path folder = m_world / "files";
        fs::create_directories(folder);
        for (const char* name : {"Ivanov-2026.cer", "Petrov.CER", "bundle.pfx", "notes.txt"}) {
            std::ofstream(folder / name) << "x";
        }
        const struct {
            bool open;
            UINT title;
            UINT filter;
            const char* chosen;
            const char* name;
        } dialogs[] = {
            {false, IDS_EXPORT_DIALOG_TITLE, IDS_FILTER_EXPORT_PFX, "Ivanov-2026", "save"},
            {true, IDS_IMPORT_DIALOG_TITLE, IDS_FILTER_IMPORT_PFX, "Petrov.CER", "open"}};
        for (const auto& d : dialogs) {
            SFileDialogRequest request;
            request.open = d.open;
            request.title = LoadLangString(d.title);
            request.filter = LoadLangString(d.filter);
            request.defaultExtension = L"cer";
            request.initialDirectory = folder.wstring();
            request.initialName = Wide(d.chosen).toStdWString();
            request.helpTopic = d.open ? "import" : "export";
            CCheckedFileDialog dialog(nullptr, request);
            dialog.resize(640, 400);
            dialog.show();
            SpinFor(300);
            Save(dialog.grab(), std::string("dialogs/file-dialog-") + d.name);
        }
    }

    // The property views as the frame shows them for the demo tokens' nodes.
    void Views() {
        const std::wstring token = Wide(kProToken).toStdWString();
        const std::wstring container = token + L"\\Ivanov-2026";
        Save(Pane(token, 0), "views/token");
        Save(Pane(container), "views/container");
        Save(Pane(FirstChild(container), 7), "views/certificate");
        // A key without a certificate shows what it is once the token is logged in; the
        // owner PIN prompt is photographed on the way, as it opens and after a wrong PIN.
        Open(token);
        WhenModal([this](QDialog* dialog) { EnterPin(dialog); });
        m_frame.OnCommand(ID_ACTIONS_LOGIN);
        // The window hears of the login by its own broadcast.
        Expect(SpinUntil([this] { return m_frame.IsCommandEnabled(ID_ACTIONS_LOGOUT); }),
               "the owner PIN was not taken");
        Save(Pane(FirstChild(token + L"\\Key without certificate"), 2), "views/key");
        DeleteContainerQuestion(container);
        Open(token);
        m_frame.OnCommand(ID_ACTIONS_LOGOUT);
        SpinFor(200);
    }

    void MainWindow() {
        const std::wstring token = Wide(kProToken).toStdWString();
        Expand(Open(token + L"\\Petrova-signing"));
        Expand(Open(Wide("Velkora USB Reader 1").toStdWString()));
        Open(FirstChild(token + L"\\Ivanov-2026"));
        SpinFor(300);
        Save(m_frame.grab(), "main-window");
    }

    // The window after another process takes out the token whose certificate it shows: the
    // reader should be selected and shown without a token. The token goes back in afterwards.
    void TokenRemoved() {
        const std::wstring token = Wide(kProToken).toStdWString();
        const std::wstring container = token + L"\\Ivanov-2026";
        Open(FirstChild(container));
        SpinFor(200);
        Vktoken({"remove", kProToken});
        if (!SpinUntil([&] { return Find(container) == nullptr; })) {
            Fail("the tree kept the removed token");
        }
        SpinFor(500);
        Save(m_frame.grab(), "main-window-token-removed");
        Vktoken({"insert", kProToken, kProLabel});
        if (!SpinUntil([&] {
                if (NodePtr reader = Find(token)) {
                    Expand(reader);
                }
                return Find(container) != nullptr;
            })) {
            Fail("the tree did not show the token put back");
        }
        SpinFor(200);
    }

    // The Yes/No question of Delete container, answered No.
    void DeleteContainerQuestion(const std::wstring& container) {
        Open(container);
        WhenModal([this](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (box == nullptr || box->button(QMessageBox::No) == nullptr) {
                dialog->reject();
                Fail("Delete container asked no Yes/No question");
            }
            Save(box->grab(), "dialogs/delete-container-question");
            box->button(QMessageBox::No)->click();
        });
        m_frame.OnCommand(ID_ACTIONS_DELETE_CONTAINER);
        Expect(m_modalSeen, "Delete container showed no question");
        Expect(Find(container) != nullptr, "the container went although the answer was No");
    }

    // Calls `act` with the next modal dialog once it is open (a command run now opens it).
    void WhenModal(std::function<void(QDialog*)> act, int triesLeft = 500) {
        m_modalSeen = false;
        QTimer::singleShot(20, [this, act = std::move(act), triesLeft]() mutable {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                if (triesLeft > 0) {
                    WhenModal(std::move(act), triesLeft - 1);
                }
                return;
            }
            m_modalSeen = true;
            SpinFor(50);
            act(dialog);
        });
    }

    // Answers the owner PIN prompt: photographed as it opens, then after a wrong PIN, then
    // given the right one.
    void EnterPin(QDialog* dialog) {
        Save(dialog->grab(), "dialogs/owner-pin");
        auto* pin = dialog->findChild<QLineEdit*>(QStringLiteral("pin"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (pin == nullptr || buttons == nullptr) {
            dialog->reject();
            Fail("the owner PIN prompt has no PIN field");
        }
        pin->setText(QString::fromLatin1(kWrongPin));
        buttons->button(QDialogButtonBox::Ok)->click();
        SpinFor(100);
        Save(dialog->grab(), "dialogs/owner-pin-wrong");
        pin->setText(QString::fromLatin1(kProPin));
        buttons->button(QDialogButtonBox::Ok)->click();
    }

    static void Expect(bool what, const std::string& otherwise) {
        if (!what) {
            Fail(otherwise);
        }
    }

    // The view of the node, with row `row` of its list chosen so that its detail box shows.
    QPixmap Pane(const std::wstring& path, int row = -1) {
        Open(path);
        SpinFor(200);
        QWidget* view = m_frame.RightView();
        if (view == nullptr) {
            Fail("no view for " + QString::fromStdWString(path).toStdString());
        }
        auto* list = view->findChild<QTreeWidget*>();
        if (row >= 0 && list != nullptr && list->topLevelItem(row) != nullptr) {
            list->setCurrentItem(list->topLevelItem(row));
            SpinFor(50);
        }
        return view->grab();
    }

    std::vector<NodePtr> Children(const NodePtr& node) {
        std::vector<NodePtr> out;
        m_frame.ChildNodes(node.get(), out);
        return out;
    }

    // The node of that path among the levels opened so far, or null.
    NodePtr Find(const std::wstring& path) {
        std::vector<NodePtr> level = Children(nullptr);
        while (!level.empty()) {
            NodePtr next;
            for (const NodePtr& node : level) {
                if (node->GetPath() == path) {
                    return node;
                }
                if (path.starts_with(node->GetPath() + L"\\")) {
                    next = node;
                }
            }
            if (!next) {
                break;
            }
            level = Children(next);
        }
        return nullptr;
    }

    // Selects the node and opens its level, as a click on its expander does.
    NodePtr Expand(const NodePtr& node) {
        m_frame.SelectNode(node.get());
        auto* tree = qobject_cast<QTreeView*>(m_frame.TreeView()->TreeControl());
        if (tree != nullptr) {
            tree->expand(tree->currentIndex());
        }
        QApplication::processEvents();
        return node;
    }

    // Opens every level down to the node of that path and selects it.
    NodePtr Open(const std::wstring& path) {
        for (std::size_t cut = path.find(L'\\'); cut != std::wstring::npos;
             cut = path.find(L'\\', cut + 1)) {
            if (NodePtr above = Find(path.substr(0, cut))) {
                Expand(above);
            }
        }
        NodePtr node = Find(path);
        if (!node) {
            Fail("no node " + QString::fromStdWString(path).toStdString());
        }
        m_frame.SelectNode(node.get());
        QApplication::processEvents();
        return node;
    }

    std::wstring FirstChild(const std::wstring& path) {
        const std::vector<NodePtr> children = Children(Expand(Open(path)));
        if (children.empty()) {
            Fail("nothing below " + QString::fromStdWString(path).toStdString());
        }
        return children.front()->GetPath();
    }

    CMainFrame& m_frame;
    fs::path m_out;
    fs::path m_world;
    std::string m_suffix;
    int m_written = 0;
    bool m_modalSeen = false;
};

// Every icon on a light and on a dark ground at the sizes the program uses, the tool bar
// strips as they are and twice as large, the wizard picture and the view pictures.
void Photographer::ImageSheet() {
    const int icons[] = {IDR_MAINFRAME,      IDI_CONTAINER,        IDI_TOKEN,
                         IDI_KEY_CERT,       IDI_KEY_NO_CERT,      IDI_KEY_CERT_REGISTERED,
                         IDI_ROW_TEXT,       IDI_ROW_EXTENSION,    IDI_ROW_THUMBPRINT,
                         IDB_CONTAINER_VIEW, IDB_CERTIFICATE_VIEW, IDB_TOKEN_VIEW,
                         IDB_KEY_VIEW,       IDI_PFX_EXPORT,       IDI_PFX_IMPORT};
    const int views[] = {IDB_CONTAINER_VIEW, IDB_CERTIFICATE_VIEW, IDB_TOKEN_VIEW, IDB_KEY_VIEW};
    const int sizes[] = {16, 22, 32, 48};
    const int cell = 56;
    const int half = 40 + int(std::size(icons)) * cell;
    QImage sheet(2 * half, 4 * cell + 240, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, half, sheet.height(), QColor("#fafafa"));
    painter.fillRect(half, 0, half, sheet.height(), QColor("#242424"));
    for (int ground = 0; ground < 2; ++ground) {
        const int left = ground * half + 10;
        for (int row = 0; row < 4; ++row) {
            const int s = sizes[row];
            for (int column = 0; column < int(std::size(icons)); ++column) {
                painter.drawPixmap(left + column * cell + (cell - s) / 2,
                                   10 + row * cell + (cell - s) / 2,
                                   ResourceIcon(icons[column]).pixmap(s, s));
            }
        }
        const int top = 10 + 4 * cell;
        painter.drawPixmap(left, top, ResourceBitmap(IDB_TOOLBAR));
        painter.drawPixmap(left, top + 30, ResourceBitmap(IDB_TOOLBAR_DISABLED));
        painter.drawPixmap(left, top + 60, ResourceBitmap(IDB_TOOLBAR, {396, 44}));
        painter.drawPixmap(left, top + 110, ResourceBitmap(IDB_TOOLBAR_DISABLED, {396, 44}));
        const QPixmap wizard = ResourceBitmap(IDB_WIZARD);
        painter.drawPixmap(left + 420, top, wizard);
        const int right = left + 440 + int(wizard.deviceIndependentSize().width());
        for (int i = 0; i < 4; ++i) {
            painter.drawPixmap(left + i * 60, top + 165, ResourceBitmap(views[i]));
            painter.drawPixmap(right + (i % 2) * 110, top + (i / 2) * 110,
                               ResourceBitmap(views[i], {96, 96}));
        }
    }
    painter.end();
    m_suffix.clear();
    Save(QPixmap::fromImage(sheet), "images");
}

}  // namespace

// The offscreen platform's complaint about size hints of top-level windows is no news here.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints"))) {
        std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
    }
}

// Starts the program in the world of the environment and waits for the demo readers.
CMainFrame* StartProgram(CvkCertApp& app, char** argv) {
    int qtArgc = 1;
    if (!app.InitInstance(qtArgc, argv)) {
        Fail("the program did not start");
    }
    CMainFrame* frame = app.MainFrame();
    std::vector<NodePtr> readers;
    if (!SpinUntil([&] {
            readers.clear();
            frame->ChildNodes(nullptr, readers);
            return readers.size() == 3;
        })) {
        Fail("the demo tokens did not show");
    }
    return frame;
}

// The second start: a process of its own, as the program starts again after the first closed.
int SecondStart(const fs::path& out, char** argv) {
    int written = 0;
    {
        CvkCertApp app;
        CMainFrame* frame = StartProgram(app, argv);
        Photographer photographer(*frame, out, {});
        photographer.Restarted();
        written = photographer.Written();
        frame->close();
        app.ExitInstance();
    }
    SDP::SINGLETON::Teardown();
    return written;
}

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietMessages);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::strcmp(argv[1], "--restarted") == 0) {
        return SecondStart(fs::absolute(argv[2]), argv) == 1 ? 0 : 1;
    }
    const fs::path out = fs::absolute(argc > 1 ? argv[1] : "screenshots");
    // The locale of the start; each set of pictures chooses its own language afterwards.
    setenv("LC_ALL", "en_US.UTF-8", 1);
    TemporaryWorld world;
    Vktoken({"demo"});

    int written = 0;
    {
        CvkCertApp app;
        CMainFrame* frame = StartProgram(app, argv);
        frame->resize(1024, 680);
        Photographer photographer(*frame, out, world.Root());
        photographer.ImageSheet();
        for (LANGID lang : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
            photographer.Language(lang);
        }
        photographer.GermanCertificate();
        // The second start speaks English too.
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
        photographer.CloseWithStoredWidths();
        written = photographer.Written();
        app.ExitInstance();
    }
    SDP::SINGLETON::Teardown();
    // The first start has ended, so the second is the only copy.
    Run(fs::read_symlink("/proc/self/exe").string(), {"--restarted", out.string()});
    ++written;
    std::cout << written << " pictures in " << out.string() << "\n";
    return 0;
}
