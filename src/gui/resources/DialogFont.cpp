#include "gui/resources/DialogFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

#include "program/app/DialogTemplate.h"

namespace {

constexpr const char* kSansFace = "DejaVu Sans";
constexpr const char* kMonoFace = "DejaVu Sans Mono";
constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

// Loads the pinned faces from their files when the font configuration does
// not offer them.
void EnsurePinnedFaces() {
    static const bool loaded = [] {
        const QStringList families = QFontDatabase::families();
        if (!families.contains(kSansFace)) {
            QFontDatabase::addApplicationFont(QString(kFontDir) + "DejaVuSans.ttf");
            QFontDatabase::addApplicationFont(QString(kFontDir) + "DejaVuSans-Bold.ttf");
        }
        if (!families.contains(kMonoFace)) {
            QFontDatabase::addApplicationFont(QString(kFontDir) + "DejaVuSansMono.ttf");
        }
        return true;
    }();
    (void)loaded;
}

bool IsFixedFace(const QString& face) {
    return face.contains("Courier", Qt::CaseInsensitive) ||
           face.contains("Mono", Qt::CaseInsensitive) ||
           face.contains("Fixedsys", Qt::CaseInsensitive) ||
           face.contains("Console", Qt::CaseInsensitive);
}

// MulDiv(value, numerator, denominator), rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

struct SBaseUnits {
    int x = 0;
    int y = 0;
};

// The base units from the unhinted design metrics, which are the same whatever the screen and
// the font configuration's hinting.
SBaseUnits MeasureBaseUnits(const QFont& font) {
    QFont design(font);
    design.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(design);
    const double alphabet =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int extent = static_cast<int>(std::lround(alphabet));
    return {(extent / 26 + 1) / 2,
            static_cast<int>(std::lround(metrics.ascent() + metrics.descent()))};
}

// Measuring reads the outline of every letter; each font is measured once per process, by
// whichever thread asks first, and a thread asking meanwhile waits for that answer.
SBaseUnits BaseUnits(const QFont& font) {
    static std::mutex mutex;
    static std::map<std::tuple<QString, int, bool, bool>, SBaseUnits> measured;
    const std::tuple key(font.family(), font.pixelSize(), font.bold(), font.italic());
    const std::lock_guard lock(mutex);
    const auto found = measured.find(key);
    if (found != measured.end()) {
        return found->second;
    }
    return measured.emplace(key, MeasureBaseUnits(font)).first->second;
}

}  // namespace

CDialogFont CDialogFont::ForTemplate(const CDialogTemplate& dlg) {
    if (!dlg.hasFont || dlg.pointSize == 0) {
        return ForFace(L"MS Shell Dlg", 8);
    }
    return ForFace(dlg.typeface, dlg.pointSize, dlg.weight, dlg.italic);
}

CDialogFont CDialogFont::ForFace(const std::wstring& face, int pointSize, int weight, bool italic) {
    EnsurePinnedFaces();
    CDialogFont f;
    const QString family = IsFixedFace(QString::fromStdWString(face)) ? kMonoFace : kSansFace;
    f.m_font = QFont(family);
    f.m_font.setPixelSize(MulDiv(pointSize, kDpi, 72));
    f.m_font.setBold(weight >= 600);
    f.m_font.setItalic(italic);
    f.m_font.setStyleStrategy(QFont::PreferOutline);
    const SBaseUnits units = BaseUnits(f.m_font);
    f.m_baseX = units.x;
    f.m_baseY = units.y;
    return f;
}

int CDialogFont::MapX(int x) const {
    return MulDiv(x, m_baseX, 4);
}
int CDialogFont::MapY(int y) const {
    return MulDiv(y, m_baseY, 8);
}

QRect CDialogFont::MapRect(int x, int y, int cx, int cy) const {
    return {MapX(x), MapY(y), MapX(cx), MapY(cy)};
}

QSize CDialogFont::MapSize(int cx, int cy) const {
    return {MapX(cx), MapY(cy)};
}
