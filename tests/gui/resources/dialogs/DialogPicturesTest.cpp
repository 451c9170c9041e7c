// Every dialog template of the program builds in English and in Russian with
// the size its template gives, every control found by its id with the states
// of the template, and the same controls in both languages. Pictures of each
// dialog go to <build>/screenshots/dialogs/<id>_<language>.png for people to
// look at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <map>
#include <set>

#include "GuiTestSupport.h"
#include "gui/resources/CDialogLang.h"
#include "gui/resources/DialogFont.h"
#include "gui/resources/LangDialogBuilder.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"

namespace {

constexpr DWORD kStaticId16 = 0xFFFF;
constexpr DWORD kStaticId32 = 0xFFFFFFFF;

std::set<WORD> DialogIds(const CResFile& module) {
    std::set<WORD> ids;
    for (const auto& e : module.Entries()) {
        if (e.type.IsId() && e.type.Id() == RT_DIALOG && e.name.IsId()) {
            ids.insert(e.name.Id());
        }
    }
    return ids;
}

bool HasCyrillic(const QString& s) {
    return s.contains(QRegularExpression("[\\x{0400}-\\x{04FF}]"));
}

QString ShownText(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        return b->text();
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        return l->text();
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        return g->title();
    }
    return {};
}

class DialogPicturesTest : public testing::Test {
protected:
    void SetUp() override {
        guitest::App();
        InitUiLanguage();
        outDir = QString::fromStdString((vktest::BinaryDir() / "screenshots" / "dialogs").string());
        QDir().mkpath(outDir);
    }
    vktest::TempWorld world;
    QString outDir;
};

}  // namespace

TEST_F(DialogPicturesTest, EveryTemplateBuildsInBothLanguages) {
    const auto module = GetResourceModule();
    const std::set<WORD> ids = DialogIds(*module);
    ASSERT_FALSE(ids.empty()) << "the program carries no dialog templates";
    for (WORD id : {100, 197, 230, 241}) {
        EXPECT_TRUE(ids.count(id)) << "dialog " << id;
    }
    for (WORD id : ids) {
        std::map<LANGID, std::vector<DWORD>> controlIds;
        for (LANGID lang : {LANGID{1024}, LANGID{1049}}) {
            SCOPED_TRACE(testing::Message() << "dialog " << id << " language " << lang);
            ASSERT_NE(module->Find(RT_DIALOG, id, lang), nullptr) << "missing";
            SetUiLanguage(lang);
            const auto tmpl = LoadLangDialogTemplate(id);
            ASSERT_TRUE(tmpl) << "does not parse";
            CDialogLang dlg(id, nullptr);
            ASSERT_TRUE(dlg.IsBuilt());

            const CDialogFont font = CDialogFont::ForTemplate(*tmpl);
            EXPECT_EQ(dlg.size(), QSize((tmpl->cx * font.BaseX() * 2 + 4) / 8,
                                        (tmpl->cy * font.BaseY() * 2 + 8) / 16));
            EXPECT_EQ(dlg.size(), font.MapSize(tmpl->cx, tmpl->cy));

            for (const auto& item : tmpl->items) {
                controlIds[lang].push_back(item.id);
                if (item.id == kStaticId16 || item.id == kStaticId32) {
                    continue;
                }
                SCOPED_TRACE(testing::Message() << "control " << item.id);
                QWidget* w = dlg.Control(item.id);
                ASSERT_NE(w, nullptr);
                EXPECT_EQ(w->isHidden(), !(item.style & WS_VISIBLE));
                EXPECT_EQ(w->isEnabled(), !(item.style & WS_DISABLED));
                const QString shown = ShownText(w);
                if (!item.title.IsId() && !shown.isEmpty()) {
                    EXPECT_EQ(CLangDialogBuilder::StripMnemonic(shown),
                              CLangDialogBuilder::StripMnemonic(
                                  QString::fromStdWString(item.Text()).replace("\r\n", "\n")));
                    if (lang == 1049 && shown.contains(QRegularExpression("[A-Za-z]{4}")) &&
                        !shown.contains("%s") && !shown.contains("Velkora") &&
                        !shown.contains("vkCert")) {
                        EXPECT_TRUE(HasCyrillic(shown)) << shown.toStdString();
                    }
                }
            }
            const QString file = QStringLiteral("%1/%2_%3.png").arg(outDir).arg(id).arg(lang);
            EXPECT_TRUE(dlg.grab().save(file)) << file.toStdString();
        }
        EXPECT_EQ(controlIds[1024], controlIds[1049]) << "dialog " << id;
    }
}
