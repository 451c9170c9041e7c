// The guide as the program carries it, read back through Qt Help from the embedded files: every
// topic in both languages, and every link, anchor, picture and style
// sheet of every page, every entry of the table of contents and every index keyword leading to
// something that is there.
#include <gtest/gtest.h>

#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpLink>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "gui/help/CHelpResourceHolder.h"
#include "gui/help/HelpTopics.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

using SHTMLHelper::SCHMFile::CHelpResourceHolder;

class Guide {
public:
    explicit Guide(LANGID language) {
        vktest::QtApp();
        EXPECT_TRUE(
            m_files.ExtractFromResource(CHelpResourceHolder::ResourceOf(language), language));
        m_engine = std::make_unique<QHelpEngine>(m_files.Folder() + "/test.qhc");
        m_engine->setReadOnly(false);
        EXPECT_TRUE(m_engine->setupData());
        EXPECT_TRUE(m_engine->registerDocumentation(m_files.GetFilePath(language)));
        m_namespace = QHelpEngineCore::namespaceName(m_files.GetFilePath(language));
    }

    QHelpEngine& Engine() { return *m_engine; }
    QUrl Url(const QString& file) const {
        return QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(m_namespace, file));
    }
    QSet<QString> Pages() const {
        QSet<QString> names;
        for (const QUrl& url : m_engine->files(m_namespace, QString(), QStringLiteral("html"))) {
            names.insert(url.fileName());
        }
        return names;
    }
    QString Text(const QUrl& url) const { return QString::fromUtf8(m_engine->fileData(url)); }

private:
    vktest::TempWorld m_world;
    CHelpResourceHolder m_files;
    std::unique_ptr<QHelpEngine> m_engine;
    QString m_namespace;
};

// Whether `url` names a file of the guide and, with a fragment, an anchor in it.
bool Resolves(const Guide& guide, const QUrl& url) {
    const QString text = guide.Text(url.adjusted(QUrl::RemoveFragment));
    if (text.isEmpty()) {
        return false;
    }
    return !url.hasFragment() || text.contains(QStringLiteral("name=\"%1\"").arg(url.fragment()));
}

class HelpContent : public ::testing::TestWithParam<LANGID> {};

TEST_P(HelpContent, EveryTopicIsThereWithEveryLinkPictureAndStyleSheetOfItsPages) {
    Guide guide(GetParam());
    const QSet<QString> pages = guide.Pages();
    for (const char* topic : SHTMLHelper::kTopics) {
        EXPECT_TRUE(pages.contains(QString::fromLatin1(topic))) << topic;
    }
    const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    int references = 0;
    for (const QString& page : pages) {
        const QUrl base = guide.Url(page);
        const QString text = guide.Text(base);
        EXPECT_TRUE(text.contains(QStringLiteral("<title>"))) << page.toStdString();
        for (const QRegularExpressionMatch& match : reference.globalMatch(text)) {
            const QString target = match.captured(1);
            ++references;
            EXPECT_TRUE(Resolves(guide, base.resolved(QUrl(target))))
                << page.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GT(references, 60);
}

TEST_P(HelpContent, TheTableOfContentsAndTheIndexLeadToPagesOfTheGuide) {
    Guide guide(GetParam());
    QHelpContentModel* contents = guide.Engine().contentModel();
    QHelpIndexModel* index = guide.Engine().indexModel();
    contents->createContents(QString());
    index->createIndex(QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !contents->isCreatingContents(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !index->isCreatingIndex(); }, 10000));

    QSet<QString> listed;
    std::function<void(QHelpContentItem*)> walk = [&](QHelpContentItem* item) {
        EXPECT_TRUE(Resolves(guide, item->url())) << item->title().toStdString();
        listed.insert(item->url().fileName());
        for (int i = 0; i < item->childCount(); ++i) {
            walk(item->child(i));
        }
    };
    ASSERT_EQ(contents->rowCount(), 1);
    walk(contents->contentItemAt(contents->index(0, 0)));
    EXPECT_EQ(listed, guide.Pages());  // every page is reachable from the contents

    ASSERT_GT(index->rowCount(), 30);
    for (int row = 0; row < index->rowCount(); ++row) {
        const QString keyword = index->data(index->index(row, 0), Qt::DisplayRole).toString();
        const QList<QHelpLink> links = guide.Engine().documentsForKeyword(keyword);
        ASSERT_FALSE(links.isEmpty()) << keyword.toStdString();
        for (const QHelpLink& link : links) {
            EXPECT_TRUE(Resolves(guide, link.url)) << keyword.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, HelpContent,
                         ::testing::Values(LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID));

}  // namespace
