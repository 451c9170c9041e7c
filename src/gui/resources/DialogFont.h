// The font of a dialog template and its dialog base units. Every template
// face is pinned to DejaVu Sans (DejaVu Sans Mono for fixed faces) at its
// point size on a 96 dpi grid, so that dialogs have the same size on every
// machine. A dialog unit is a quarter of the average character width across
// and an eighth of the font height down.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <string>

struct CDialogTemplate;

class CDialogFont {
public:
    // The font of the template, or "MS Shell Dlg" 8 when it names none.
    static CDialogFont ForTemplate(const CDialogTemplate& dlg);
    static CDialogFont ForFace(const std::wstring& face, int pointSize, int weight = 400,
                               bool italic = false);

    const QFont& Font() const { return m_font; }
    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    // Dialog units to pixels, rounded as the platform's MulDiv does.
    int MapX(int x) const;
    int MapY(int y) const;
    QRect MapRect(int x, int y, int cx, int cy) const;
    QSize MapSize(int cx, int cy) const;

    static constexpr int kDpi = 96;

private:
    QFont m_font;
    int m_baseX = 0;
    int m_baseY = 0;
};
