// The About dialog's module list: the token software found in a folder, in the table's order, a
// missing module left out, one without a stamp listed with empty version and description. The
// program's own texts and the library rows are tested with the dialog (tests/gui/ui/about).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/version/CFileVersionInfo.h"
#include "program/app/InstalledModules.h"
#include "support/TempWorld.h"

using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

std::wstring StampedVersion(const fs::path& program) {
    SFileVersions::CFileVersionInfo info(program);
    return info.GetString(info.GetTranslations().at(0), L"FileVersion");
}

auto Row(const std::wstring& name, const std::wstring& version, const std::wstring& description) {
    return testing::AllOf(Field(&CModuleRow::fileName, name), Field(&CModuleRow::version, version),
                          Field(&CModuleRow::description, description));
}

}  // namespace

TEST(InstalledModules, AFolderHoldingOnlyVktokenGivesOneRow) {
    vktest::TempWorld world;
    fs::copy_file(VKTOKEN, world.Root() / "vktoken");
    EXPECT_THAT(InstalledModules(world.Root()),
                ElementsAre(Row(L"vktoken", StampedVersion(VKTOKEN),
                                L"Velkora virtual token administration")));
}

TEST(InstalledModules, ModulesWithoutAStampAreListedEmptyInTheTablesOrder) {
    vktest::TempWorld world;
    const fs::path dir = world.Root();
    std::ofstream(dir / "vktoken") << "#!/bin/sh\n";
    fs::copy_file(fs::read_symlink("/proc/self/exe"), dir / "vktokend");  // a program, no stamp
    fs::copy_file(VKCERT_CLI, dir / "vkcert-cli");
    std::ofstream(dir / "vkcert") << "not a module\n";
    EXPECT_THAT(InstalledModules(dir), ElementsAre(Row(L"vktoken", L"", L""),
                                                   Row(L"vkcert-cli", StampedVersion(VKCERT_CLI),
                                                       L"Velkora certificate browser for scripts"),
                                                   Row(L"vktokend", L"", L"")));
    EXPECT_THAT(InstalledModules(world.Root() / "missing"), IsEmpty());
}
