// The help files on disk: the program writes both languages' files to a folder of its own in
// the temporary directory and removes it at exit; a folder left by a program killed with SIGKILL
// is removed at the next start, the folder of a program still running never.
#include <QDir>
#include <QFileInfo>

#include <unistd.h>
#include <csignal>
#include <cstdio>

#include "HelpFixture.h"
#include "gui/help/CHelpResourceHolder.h"
#include "support/ChildProcess.h"

namespace {

using SHTMLHelper::SCHMFile::CHelpResourceHolder;

// Holds the help files as the program does, says where, and waits to be killed.
VK_TEST_CHILD(help_files) {
    vktest::QtApp();
    CHelpResourceHolder files;
    if (!files.ExtractFromResource(CHelpResourceHolder::ResourceOf(LANG_RUSSIAN_ID),
                                   LANG_RUSSIAN_ID)) {
        return 1;
    }
    std::printf("%s\n", qPrintable(files.Folder()));
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}

QStringList HelpFolders() {
    return QDir(QDir::tempPath())
        .entryList({QString::fromLatin1(CHelpResourceHolder::kFolderPrefix) + "*"},
                   QDir::Dirs | QDir::NoDotAndDotDot);
}

using HelpFiles = helptest::HelpFixture;

TEST_F(HelpFiles, AKilledProgramsFolderGoesAtTheNextStartARunningProgramsStays) {
    vktest::ChildProcess running("help_files", {}, true);
    const QString runningFolder = QString::fromStdString(running.NextLine());
    vktest::ChildProcess killed("help_files", {}, true);
    const QString killedFolder = QString::fromStdString(killed.NextLine());
    ASSERT_TRUE(QFileInfo(runningFolder).isDir());
    ASSERT_TRUE(QFileInfo(killedFolder).isDir());
    killed.Kill(SIGKILL);
    killed.Wait();
    ASSERT_TRUE(QFileInfo(killedFolder).isDir());  // nobody removed it

    Install();  // the next start
    EXPECT_FALSE(QFileInfo::exists(killedFolder));
    EXPECT_TRUE(QFileInfo(runningFolder).isDir());
    EXPECT_TRUE(QFileInfo::exists(m_help->Files().Folder()));
    running.Kill(SIGKILL);
    running.Wait();
}

TEST_F(HelpFiles, TheProgramKeepsItsHelpFolderWhileItRunsAndRemovesItWhenAskedToEnd) {
    Uninstall();
    vktest::ChildProcess program = vktest::ChildProcess::Exec({VKCERT});
    // Its window is up once its instance socket is there; the request to end is heard from then.
    const QDir runtime(QString::fromStdString(world.RuntimeDir().string()));
    ASSERT_TRUE(QTest::qWaitFor(
        [&runtime] { return !runtime.entryList({"vkcert-instance-*"}, QDir::System).isEmpty(); },
        30000));
    // The end of the start-up, where the request to end starts being heard, follows shortly.
    int code = -1;
    ASSERT_FALSE(program.WaitFor(1500, &code));
    ASSERT_EQ(HelpFolders().size(), 1);
    const QDir folder(QDir::tempPath() + "/" + HelpFolders().first());
    EXPECT_TRUE(folder.exists("vkcert_en.qch"));
    EXPECT_TRUE(folder.exists("vkcert_ru.qch"));
    EXPECT_EQ(QFileInfo(folder.path()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    program.Kill(SIGTERM);
    ASSERT_TRUE(program.WaitFor(20000, &code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(HelpFolders().isEmpty());
}

}  // namespace
