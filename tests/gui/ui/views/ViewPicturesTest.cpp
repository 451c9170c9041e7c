// Pictures of the four views filled with the demo data, in English and
// Russian, written to <build>/screenshots/views/<view>_<language>.png for
// people to look at. Each picture must be the view's size and not blank.
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "ViewTestSupport.h"
#include "support/TempWorld.h"
#include "gui/ui/views/CCertificateViewEx.h"
#include "gui/ui/views/CContainerView.h"
#include "gui/ui/views/CKeyViewEx.h"
#include "gui/ui/views/CTokenInfoViewEx.h"

namespace {

using viewtest::MakeView;
using viewtest::Pane;

QWidget* Filled(ERightViewKind kind, QWidget& pane) {
    switch (kind) {
        case ERightViewKind::TokenInfo: {
            auto* view = MakeView<CTokenInfoViewEx>(kind, pane);
            view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
            view->List()->setCurrentItem(view->List()->topLevelItem(0));
            return view;
        }
        case ERightViewKind::Container: {
            auto* view = MakeView<CContainerView>(kind, pane);
            view->AsContainer()->FillContainerName(L"Ivanov-2026");
            return view;
        }
        case ERightViewKind::Key: {
            auto* view = MakeView<CKeyViewEx>(kind, pane);
            view->AsKey()->FillKeyLength(2048);
            view->AsKey()->FillPermissions(0x3B);
            view->AsKey()->FillPublicKey(viewtest::Demo2048().publicKeyBlob);
            view->List()->setCurrentItem(view->List()->topLevelItem(2));
            return view;
        }
        case ERightViewKind::Certificate: {
            auto* view = MakeView<CCertificateViewEx>(kind, pane);
            view->AsCertificate()->FillCertificate(viewtest::Demo2048().certificate);
            view->List()->setCurrentItem(view->List()->topLevelItem(6));
            return view;
        }
    }
    return nullptr;
}

// Distinct colours in the picture: a blank or one-colour grab has very few.
int Colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            seen.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(seen.size());
}

TEST(ViewPictures, FourViewsInBothLanguages) {
    vktest::TempWorld world;
    const QString dir =
        QString::fromStdString((vktest::BinaryDir() / "screenshots" / "views").string());
    ASSERT_TRUE(QDir().mkpath(dir));
    const std::pair<ERightViewKind, const char*> kinds[] = {
        {ERightViewKind::TokenInfo, "token"},
        {ERightViewKind::Container, "container"},
        {ERightViewKind::Key, "key"},
        {ERightViewKind::Certificate, "certificate"}};
    for (const LANGID lang : {LANGID{1024}, LANGID{1049}}) {
        viewtest::UseLanguage(lang);
        for (const auto& kind : kinds) {
            Pane pane(640, 480);
            QWidget* view = Filled(kind.first, pane.host);
            ASSERT_NE(view, nullptr);
            const QPixmap picture = view->grab();
            EXPECT_EQ(picture.size(), QSize(640, 480));
            EXPECT_GT(Colours(picture.toImage()), 8) << kind.second;
            const QString file =
                QString("%1/%2_%3.png").arg(dir, kind.second, lang == 1049 ? "ru" : "en");
            EXPECT_TRUE(picture.save(file)) << file.toStdString();
            EXPECT_FALSE(QImage(file).isNull()) << file.toStdString();
        }
    }
}

}  // namespace
