// The key view and the list entries that own property rows: the three rows in the key node's
// order, a blob that makes no public key row, the detail box in the fixed-pitch font, rows that
// fail while being asked, texts cut to the list's buffer, and rows destroyed with their
// entries. The column split is the widgets tests'; the font's size, the detail box font test's.
#include <QFontInfo>
#include <stdexcept>

#include "ViewTestSupport.h"
#include "gui/ui/views/CKeyViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "program/ui/certlist/CSLTextItemInfo.h"
#include "support/TempWorld.h"

namespace {

using SSertListItemInfo::ISLItemInfo;
using viewtest::Column;
using viewtest::Text;
using viewtest::UseLanguage;

class KeyView : public testing::Test {
protected:
    CKeyViewEx* Make() { return viewtest::MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host); }
    QString Box(CKeyViewEx* view, int row) {
        view->List()->setCurrentItem(view->List()->topLevelItem(row));
        return view->ListWidget()->Edit()->toPlainText();
    }

    vktest::TempWorld world;
    viewtest::Pane pane;
};

// A row whose caption (or only its value and detail) fails; it counts its destruction.
class FailingRow final : public ISLItemInfo {
public:
    FailingRow(bool nameFails, int* destroyed) : m_nameFails(nameFails), m_destroyed(destroyed) {}
    ~FailingRow() override { ++*m_destroyed; }
    std::wstring GetName() const override {
        if (m_nameFails) {
            throw std::runtime_error("caption");
        }
        return L"Broken value";
    }
    std::wstring GetValue() const override { throw std::runtime_error("value"); }
    std::wstring GetDetail() const override { throw std::runtime_error("detail"); }
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    bool m_nameFails;
    int* m_destroyed;
};

TEST_F(KeyView, ShowsLengthPermissionsAndAPublicKeyRowOnlyForABlobThatIsOne) {
    CKeyViewEx* view = nullptr;
    for (const LANGID lang : {LANGID{1049}, LANGID{1024}}) {  // the captions stay English
        UseLanguage(lang);
        view = Make();
        EXPECT_EQ(view->AsKey(), view);
        view->AsKey()->FillKeyLength(2048);
        view->AsKey()->FillPermissions(0x3B);
        std::vector<BYTE> cut = viewtest::Demo2048().publicKeyBlob;
        cut.resize(30);
        view->AsKey()->FillPublicKey(cut);
        view->AsKey()->FillPublicKey({});
        EXPECT_EQ(Column(view->List(), 0), (std::vector<QString>{"Key Length", "Permissions"}));
        view->AsKey()->FillPublicKey(viewtest::Demo2048().publicKeyBlob);
        EXPECT_EQ(Column(view->List(), 0),
                  (std::vector<QString>{"Key Length", "Permissions", "Public Key"}));
        EXPECT_EQ(
            Column(view->List(), 1),
            (std::vector<QString>{"2048", "3b DECRYPT, ENCRYPT, MAC, READ, WRITE", "RSA1 (2048)"}));
        EXPECT_EQ(view->HeaderText(),
                  QString::fromUtf8(lang == 1024 ? "\nKey Properties" : "\nСвойства ключа"));
    }
    // The English one: the rows' icon is the view's first image (text, then extension).
    const QIcon icon = view->List()->topLevelItem(0)->icon(0);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.cacheKey(), view->Icons().Image(0).cacheKey());
    EXPECT_EQ(view->Icons().IndexOf(IDI_ROW_EXTENSION), 1);
    // 270 bytes of DER: 135 groups of four digits, in the fixed-pitch font.
    const QString detail = Box(view, 2);
    EXPECT_TRUE(detail.startsWith("3082 010A 0282 0101")) << detail.left(40).toStdString();
    EXPECT_EQ(detail.size(), 135 * 5 - 1);
    EXPECT_EQ(Box(view, 1), "3b DECRYPT, ENCRYPT, MAC, READ, WRITE");
    EXPECT_TRUE(QFontInfo(view->ListWidget()->Edit()->font()).fixedPitch());
}

TEST_F(KeyView, EntriesOwnTheirRowsAndSurviveRowsThatFail) {
    UseLanguage(1024);
    int destroyed = 0;
    auto* view = Make();
    view->AddRow(
        std::make_unique<SSertListItemInfo::CSLTextItemInfo>(L"Long", std::wstring(2000, L'7')));
    view->AddRow(std::make_unique<FailingRow>(true, &destroyed));
    view->AddRow(std::make_unique<FailingRow>(false, &destroyed));
    view->AddRow(std::make_unique<FailingRow>(false, &destroyed));
    ASSERT_EQ(view->RowCount(), 4);

    // The list takes at most 1023 characters of a text; the box the whole detail.
    EXPECT_EQ(Text(view->List(), 0, 1).size(), 1023);
    EXPECT_EQ(Box(view, 0).size(), 2000);
    // A row whose caption fails is absent; one whose value fails shows its caption.
    const QTreeWidgetItem* absent = view->List()->topLevelItem(1);
    EXPECT_FALSE(absent->data(0, Qt::DisplayRole).isValid());
    EXPECT_FALSE(absent->data(1, Qt::DisplayRole).isValid());
    EXPECT_FALSE(absent->data(0, Qt::DecorationRole).isValid());
    EXPECT_EQ(Text(view->List(), 2, 0), "Broken value");
    EXPECT_EQ(Text(view->List(), 2, 1), "");
    EXPECT_EQ(Box(view, 1), "");
    Box(view, 0);
    EXPECT_EQ(Box(view, 2), "");
    EXPECT_FALSE(view->grab().isNull());

    delete view->List()->takeTopLevelItem(3);
    EXPECT_EQ(destroyed, 1);
    delete view;
    EXPECT_EQ(destroyed, 3);
}

}  // namespace
