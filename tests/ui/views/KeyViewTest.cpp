// The key view and the list entries that own property rows: the three rows in
// the key node's order, a public key blob that makes no row, the detail box
// in the fixed-pitch font, the icons, rows that fail while being asked,
// texts cut to the list's buffer, rows destroyed with their entries, and the
// columns split 30 to 70 and keeping their proportions when the pane grows.
#include <QFontInfo>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <stdexcept>

#include "ViewTestSupport.h"
#include "support/TempWorld.h"
#include "ui/model/certlist/CSLTextItemInfo.h"
#include "ui/views/CKeyViewEx.h"
#include "ui/views/CPropertyRowItem.h"
#include "widgets/CEdit_Ex.h"
#include "widgets/CListWithEditEx.h"

namespace {

using SSertListItemInfo::ISLItemInfo;
using viewtest::Column;
using viewtest::MakeView;
using viewtest::Pane;
using viewtest::Text;
using viewtest::UseLanguage;

class KeyView : public testing::Test {
protected:
    CKeyViewEx* FilledView() {
        auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host);
        if (view != nullptr) {
            IKeyViewFill* fill = view->AsKey();
            fill->FillKeyLength(2048);
            fill->FillPermissions(0x3B);
            fill->FillPublicKey(viewtest::Demo2048().publicKeyBlob);
        }
        return view;
    }

    vktest::TempWorld world;
    Pane pane;
};

// A row whose caption or value fails, and one that tells when it is destroyed.
class FailingRow final : public ISLItemInfo {
public:
    FailingRow(bool nameFails, int* destroyed) : m_nameFails(nameFails), m_destroyed(destroyed) {}
    ~FailingRow() override {
        if (m_destroyed != nullptr) {
            ++*m_destroyed;
        }
    }
    std::wstring GetName() const override {
        if (m_nameFails) {
            throw std::runtime_error("caption");
        }
        return L"Broken value";
    }
    std::wstring GetValue() const override { throw std::runtime_error("value"); }
    std::wstring GetDetail() const override { throw std::runtime_error("detail"); }
    DWORD GetIconId() const override { return SSertListItemInfo::kIconText; }

private:
    bool m_nameFails;
    int* m_destroyed;
};

TEST_F(KeyView, ShowsLengthPermissionsAndPublicKeyInOrder) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Kind(), ERightViewKind::Key);
    EXPECT_EQ(view->HeaderText(), "\nKey Properties");
    const std::vector<QString> captions{"Key Length", "Permissions", "Public Key"};
    const std::vector<QString> values{"2048", "3b DECRYPT, ENCRYPT, MAC, READ, WRITE",
                                      "RSA1 (2048)"};
    EXPECT_EQ(Column(view->List(), 0), captions);
    EXPECT_EQ(Column(view->List(), 1), values);
    // The view registers the text and extension icons; its rows use the first.
    EXPECT_EQ(view->Icons().Count(), 2);
    EXPECT_EQ(view->Icons().IndexOf(170), 0);
    EXPECT_EQ(view->Icons().IndexOf(181), 1);
    EXPECT_EQ(view->Icons().IndexOf(130), -1);
    const QIcon icon = view->List()->topLevelItem(0)->icon(0);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.cacheKey(), view->Icons().Image(0).cacheKey());
    EXPECT_TRUE(view->List()->topLevelItem(0)->icon(1).isNull());
}

TEST_F(KeyView, PublicKeyDetailShowsInTheFixedPitchBox) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    QPlainTextEdit* box = view->ListWidget()->Edit();
    view->List()->setCurrentItem(view->List()->topLevelItem(2));
    const QString detail = box->toPlainText();
    EXPECT_TRUE(detail.startsWith("3082 010A 0282 0101")) << detail.left(40).toStdString();
    // 270 bytes of DER: 135 groups of four digits.
    EXPECT_EQ(detail.size(), 135 * 5 - 1);
    EXPECT_EQ(detail, QString::fromStdWString(view->RowAt(2)->GetDetail()));

    const QFontInfo info(box->font());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
    EXPECT_FALSE(info.italic());
    EXPECT_EQ(info.weight(), QFont::Normal);
    const int cell = QFontMetrics(box->font()).height();
    EXPECT_LE(cell, 17);
    EXPECT_GE(cell, 14);

    view->List()->setCurrentItem(view->List()->topLevelItem(1));
    EXPECT_EQ(box->toPlainText(), "3b DECRYPT, ENCRYPT, MAC, READ, WRITE");
}

TEST_F(KeyView, BlobThatIsNoPublicKeyLeavesTheRowOut) {
    UseLanguage(1024);
    auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsKey()->FillKeyLength(1024);
    view->AsKey()->FillPermissions(0x104);
    std::vector<BYTE> cut = viewtest::Demo2048().publicKeyBlob;
    cut.resize(30);
    view->AsKey()->FillPublicKey(cut);
    view->AsKey()->FillPublicKey({});
    const std::vector<QString> values{"1024", "104 ARCHIVE, EXPORT"};
    EXPECT_EQ(Column(view->List(), 1), values);
}

TEST_F(KeyView, CaptionsStayEnglishInTheRussianInterface) {
    UseLanguage(1049);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("\nСвойства ключа"));
    EXPECT_EQ(Column(view->List(), 0),
              (std::vector<QString>{"Key Length", "Permissions", "Public Key"}));
    EXPECT_EQ(view->List()->headerItem()->text(0), QString::fromUtf8("Свойство"));
    EXPECT_EQ(view->List()->headerItem()->text(1), QString::fromUtf8("Значение"));
}

TEST_F(KeyView, RowsThatFailWhenAskedShowNothingOrTheirCaptionOnly) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    view->AddRow(std::make_unique<FailingRow>(true, nullptr));
    view->AddRow(std::make_unique<FailingRow>(false, nullptr));
    ASSERT_EQ(view->RowCount(), 5);
    const QTreeWidgetItem* absent = view->List()->topLevelItem(3);
    EXPECT_FALSE(absent->data(0, Qt::DisplayRole).isValid());
    EXPECT_FALSE(absent->data(1, Qt::DisplayRole).isValid());
    EXPECT_FALSE(absent->data(0, Qt::DecorationRole).isValid());
    EXPECT_EQ(Text(view->List(), 4, 0), "Broken value");
    EXPECT_EQ(Text(view->List(), 4, 1), "");

    // Selecting them clears the box instead of failing.
    QPlainTextEdit* box = view->ListWidget()->Edit();
    view->List()->setCurrentItem(view->List()->topLevelItem(0));
    EXPECT_EQ(box->toPlainText(), "2048");
    view->List()->setCurrentItem(view->List()->topLevelItem(3));
    EXPECT_EQ(box->toPlainText(), "");
    view->List()->setCurrentItem(view->List()->topLevelItem(0));
    view->List()->setCurrentItem(view->List()->topLevelItem(4));
    EXPECT_EQ(box->toPlainText(), "");
    // The list paints them too.
    EXPECT_FALSE(view->grab().isNull());
}

TEST_F(KeyView, ListTextsAreCutTo1023CharactersTheDetailIsNot) {
    UseLanguage(1024);
    auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host);
    ASSERT_NE(view, nullptr);
    const std::wstring longText(2000, L'7');
    view->AddRow(std::make_unique<SSertListItemInfo::CSLTextItemInfo>(L"Long", longText));
    EXPECT_EQ(Text(view->List(), 0, 1).size(), CPropertyRowItem::kTextLimit);
    EXPECT_EQ(CPropertyRowItem::kTextLimit, 1023);
    view->List()->setCurrentItem(view->List()->topLevelItem(0));
    EXPECT_EQ(view->ListWidget()->Edit()->toPlainText().size(), 2000);
}

TEST_F(KeyView, DeletingAnEntryOrTheViewDestroysItsRows) {
    UseLanguage(1024);
    int destroyed = 0;
    auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host);
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 3; ++i) {
        view->AddRow(std::make_unique<FailingRow>(false, &destroyed));
    }
    delete view->List()->takeTopLevelItem(1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(view->RowCount(), 2);
    delete view;
    EXPECT_EQ(destroyed, 3);
}

TEST_F(KeyView, ColumnsSplitThirtySeventyAndKeepProportionsWhenThePaneGrows) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    QTreeWidget* list = view->List();
    const int total = list->columnWidth(0) + list->columnWidth(1);
    EXPECT_LE(std::abs(list->columnWidth(0) * 100 - total * 30), 100);
    EXPECT_LE(list->viewport()->width() - total, 1);

    // Columns of 30 and 70 pixels; the pane grows until the list is a whole
    // number of hundreds wide.
    list->setColumnWidth(0, 30);
    list->setColumnWidth(1, 70);
    const int client = list->viewport()->width();
    const int heightBefore = view->ListWidget()->height();
    const int target = (client / 100 + 2) * 100;
    view->resize(view->width() + target - client, view->height() + 50);
    QApplication::processEvents();
    ASSERT_EQ(list->viewport()->width(), target);
    EXPECT_EQ(list->columnWidth(0), 30 * target / 100);
    EXPECT_EQ(list->columnWidth(1), 70 * target / 100);
    // The list widget stretched both ways.
    EXPECT_EQ(view->ListWidget()->height(), heightBefore + 50);
    EXPECT_EQ(view->ListWidget(), view->Control(1040));
}

}  // namespace
