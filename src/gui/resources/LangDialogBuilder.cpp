#include "gui/resources/LangDialogBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTreeView>
#include <QVariant>
#include <QWidget>

#include "gui/resources/ResourceImages.h"
#include "program/app/WindowStyles.h"

namespace {

// SS_REALSIZECONTROL: the picture is stretched over the control.
constexpr DWORD SS_REALSIZECONTROL = 0x40;
// Icons are shown at the platform's icon size.
constexpr int kIconPixels = 32;
// Height of the closed combo box, in dialog units (the template's height is the open list's).
constexpr int kComboHeightDu = 14;

QString ToQString(const std::wstring& text) {
    QString s = QString::fromStdWString(text);
    s.replace("\r\n", "\n");
    return s;
}

QString ClassKey(const CDialogItemTemplate& item) {
    return QString::fromStdWString(item.ClassName()).toLower();
}

// State carried from one control to the next while building.
struct BuildState {
    QWidget* host = nullptr;
    const CDialogFont* font = nullptr;
    QButtonGroup* radioGroup = nullptr;
    QLabel* pendingBuddy = nullptr;  // a label whose mnemonic moves focus to the next control
};

void SetFrame(QFrame* frame, const CDialogItemTemplate& item) {
    if (item.exStyle & WS_EX_CLIENTEDGE) {
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    } else if (item.exStyle & WS_EX_STATICEDGE || item.style & SS_SUNKEN) {
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else if (item.style & WS_BORDER) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    }
}

QWidget* MakePicture(const CDialogItemTemplate& item, QRect& rect, BuildState& st) {
    auto* label = new QLabel(st.host);
    const DWORD type = item.style & SS_TYPEMASK;
    const int imageId = item.title.IsId() ? item.title.Id() : -1;
    QPixmap pixmap;
    if (type == SS_ICON) {
        if (!(item.style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) {
            rect.setSize({kIconPixels, kIconPixels});
        }
        pixmap = ResourceIcon(imageId).pixmap(kIconPixels, kIconPixels);
    } else if (item.style & SS_REALSIZECONTROL) {
        pixmap = ResourceBitmap(imageId, rect.size());
    } else {
        // At its own size: centred in the control (made smaller when it does
        // not fit), or the control takes the picture's size.
        const QPixmap natural = ResourceBitmap(imageId);
        QSize size = natural.isNull() ? rect.size() : natural.deviceIndependentSize().toSize();
        if (item.style & SS_CENTERIMAGE) {
            if (size.width() > rect.width() || size.height() > rect.height()) {
                size.scale(rect.size(), Qt::KeepAspectRatio);
            }
            pixmap = ResourceBitmap(imageId, size);
        } else {
            rect.setSize(size);
            pixmap = natural;
        }
    }
    label->setPixmap(pixmap);
    label->setAlignment(item.style & SS_CENTERIMAGE ? Qt::AlignCenter
                                                    : Qt::AlignLeft | Qt::AlignTop);
    SetFrame(label, item);
    return label;
}

QWidget* MakeStatic(const CDialogItemTemplate& item, QRect& rect, BuildState& st) {
    const DWORD type = item.style & SS_TYPEMASK;
    switch (type) {
        case SS_ICON:
        case SS_BITMAP:
            return MakePicture(item, rect, st);
        case SS_ETCHEDHORZ:
        case SS_ETCHEDVERT:
        case SS_ETCHEDFRAME:
        case SS_BLACKRECT:
        case SS_GRAYRECT:
        case SS_WHITERECT:
        case SS_BLACKFRAME:
        case SS_GRAYFRAME:
        case SS_WHITEFRAME: {
            auto* frame = new QFrame(st.host);
            if (type == SS_ETCHEDHORZ) {
                frame->setFrameStyle(QFrame::HLine | QFrame::Sunken);
                rect.setHeight(std::max(rect.height(), 2));
            } else if (type == SS_ETCHEDVERT) {
                frame->setFrameStyle(QFrame::VLine | QFrame::Sunken);
                rect.setWidth(std::max(rect.width(), 2));
            } else if (type == SS_ETCHEDFRAME) {
                frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            } else if (type >= SS_BLACKFRAME) {
                frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            } else {
                frame->setAutoFillBackground(true);
                const auto role = type == SS_BLACKRECT  ? QPalette::WindowText
                                  : type == SS_GRAYRECT ? QPalette::Mid
                                                        : QPalette::Base;
                QPalette pal = frame->palette();
                pal.setColor(QPalette::Window, pal.color(role));
                frame->setPalette(pal);
            }
            return frame;
        }
        default: {
            auto* label = new QLabel(st.host);
            Qt::Alignment align = type == SS_CENTER  ? Qt::AlignHCenter
                                  : type == SS_RIGHT ? Qt::AlignRight
                                                     : Qt::AlignLeft;
            align |= (item.style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
            label->setAlignment(align);
            label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
            label->setTextFormat(Qt::PlainText);
            SetFrame(label, item);
            if (!(item.style & SS_NOPREFIX) && item.Text().find(L'&') != std::wstring::npos) {
                st.pendingBuddy = label;
            }
            return label;
        }
    }
}

QWidget* MakeButton(const CDialogItemTemplate& item, BuildState& st) {
    const DWORD type = item.style & BS_TYPEMASK;
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            auto* box = new QCheckBox(st.host);
            box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            return box;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            auto* radio = new QRadioButton(st.host);
            // A group runs from a radio with WS_GROUP to the next control with WS_GROUP.
            if (!st.radioGroup || (item.style & WS_GROUP)) {
                st.radioGroup = new QButtonGroup(st.host);
            }
            radio->setAutoExclusive(false);
            st.radioGroup->addButton(radio);
            return radio;
        }
        case BS_GROUPBOX: {
            auto* group = new QGroupBox(st.host);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            return group;
        }
        default: {
            auto* button = new QPushButton(st.host);
            button->setDefault(type == BS_DEFPUSHBUTTON);
            button->setAutoDefault(false);
            return button;
        }
    }
}

QWidget* MakeEdit(const CDialogItemTemplate& item, BuildState& st) {
    if (item.style & ES_MULTILINE) {
        auto* edit = new QPlainTextEdit(st.host);
        edit->setReadOnly(item.style & ES_READONLY);
        edit->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                     : Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode((item.style & WS_HSCROLL) ? QPlainTextEdit::NoWrap
                                                        : QPlainTextEdit::WidgetWidth);
        return edit;
    }
    auto* edit = new QLineEdit(st.host);
    if (item.style & ES_PASSWORD) {
        edit->setEchoMode(QLineEdit::Password);
    }
    edit->setReadOnly(item.style & ES_READONLY);
    if (item.style & ES_NUMBER) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    }
    edit->setAlignment((item.style & ES_CENTER)  ? Qt::AlignHCenter | Qt::AlignVCenter
                       : (item.style & ES_RIGHT) ? Qt::AlignRight | Qt::AlignVCenter
                                                 : Qt::AlignLeft | Qt::AlignVCenter);
    return edit;
}

QWidget* MakeControl(const CDialogItemTemplate& item, QRect& rect, BuildState& st) {
    const QString cls = ClassKey(item);
    if (cls == "static") {
        return MakeStatic(item, rect, st);
    }
    if (cls == "button") {
        return MakeButton(item, st);
    }
    if (cls == "edit") {
        return MakeEdit(item, st);
    }
    if (cls == "listbox") {
        return new QListWidget(st.host);
    }
    if (cls == "combobox") {
        auto* combo = new QComboBox(st.host);
        combo->setEditable((item.style & 3) != CBS_DROPDOWNLIST);
        if ((item.style & 3) != CBS_SIMPLE) {
            rect.setHeight(st.font->MapY(kComboHeightDu));
        }
        return combo;
    }
    if (cls == "scrollbar") {
        return new QScrollBar((item.style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal, st.host);
    }
    if (cls == "syslistview32") {
        auto* list = new QTreeView(st.host);
        list->setRootIsDecorated(false);
        list->setItemsExpandable(false);
        list->setUniformRowHeights(true);
        list->setHeaderHidden((item.style & LVS_TYPEMASK) != LVS_REPORT ||
                              (item.style & LVS_NOCOLUMNHEADER));
        return list;
    }
    if (cls == "systreeview32") {
        auto* tree = new QTreeView(st.host);
        tree->setHeaderHidden(true);
        return tree;
    }
    if (cls == "msctls_progress32") {
        auto* bar = new QProgressBar(st.host);
        bar->setOrientation((item.style & PBS_VERTICAL) ? Qt::Vertical : Qt::Horizontal);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    // A class this builder does not know: an empty place that code may fill.
    return new QWidget(st.host);
}

bool TakesFocus(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QScrollBar*>(w);
}

void SetTemplateText(QWidget* w, const CDialogItemTemplate& item) {
    if (item.title.IsId()) {
        return;  // an image, set when built
    }
    const QString text = ToQString(item.Text());
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<QComboBox*>(w)) {
        return;  // what the user typed stays
    }
    CLangDialogBuilder::SetControlText(w, text);
}

}  // namespace

QString CLangDialogBuilder::ObjectName(DWORD id) {
    return QStringLiteral("id_%1").arg(static_cast<int>(id));
}

QWidget* CLangDialogBuilder::FindControl(const QWidget* host, DWORD id) {
    return host ? host->findChild<QWidget*>(ObjectName(id)) : nullptr;
}

DWORD CLangDialogBuilder::ControlId(const QWidget* control) {
    const QVariant v = control ? control->property(kIdProperty) : QVariant();
    return v.isValid() ? v.toUInt() : 0;
}

QString CLangDialogBuilder::StripMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

void CLangDialogBuilder::SetControlText(QWidget* control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        // A label shows its mnemonic when it has a buddy to give the focus to;
        // without one the marks are dropped, unless SS_NOPREFIX keeps '&' as written.
        const bool noPrefix = label->property(kStyleProperty).toUInt() & SS_NOPREFIX;
        label->setText(noPrefix || label->buddy() ? text : StripMnemonic(text));
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        }
    } else if (control) {
        control->setWindowTitle(text);
    }
}

CDialogFont CLangDialogBuilder::Build(QWidget* host, const CDialogTemplate& dlg) {
    const CDialogFont font = CDialogFont::ForTemplate(dlg);
    host->setFont(font.Font());
    host->setWindowTitle(ToQString(dlg.title));
    BuildState st;
    st.host = host;
    st.font = &font;
    for (const auto& item : dlg.items) {
        QRect rect = font.MapRect(item.x, item.y, item.cx, item.cy);
        if (item.style & WS_GROUP && ClassKey(item) != "button") {
            st.radioGroup = nullptr;
        }
        QLabel* buddyLabel = st.pendingBuddy;
        QWidget* w = MakeControl(item, rect, st);
        w->setObjectName(ObjectName(item.id));
        w->setProperty(kIdProperty, static_cast<uint>(item.id));
        w->setProperty(kClassProperty, QString::fromStdWString(item.ClassName()));
        w->setProperty(kStyleProperty, static_cast<uint>(item.style));
        w->setGeometry(rect);
        if (TakesFocus(w)) {
            w->setFocusPolicy((item.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
            if (buddyLabel && buddyLabel == st.pendingBuddy) {
                buddyLabel->setBuddy(w);
                st.pendingBuddy = nullptr;
            }
        } else if (!qobject_cast<QLabel*>(w)) {
            w->setFocusPolicy(Qt::NoFocus);
        }
        w->setEnabled(!(item.style & WS_DISABLED));
        w->setVisible(item.style & WS_VISIBLE);
    }
    // Texts last, when labels know their buddies.
    ApplyTexts(host, dlg);
    const QSize size = font.MapSize(dlg.cx, dlg.cy);
    if (dlg.style & WS_THICKFRAME) {
        host->setMinimumSize(size);
        host->resize(size);
    } else if (dlg.style & WS_CHILD) {
        host->resize(size);
    } else {
        host->setFixedSize(size);
    }
    return font;
}

void CLangDialogBuilder::ApplyTexts(QWidget* host, const CDialogTemplate& dlg) {
    host->setWindowTitle(ToQString(dlg.title));
    // Several controls may share an id (IDC_STATIC): the n-th item with an id
    // goes with the n-th control of that id.
    QHash<DWORD, qsizetype> seen;
    for (const auto& item : dlg.items) {
        const qsizetype n = seen[item.id]++;
        const auto controls =
            host->findChildren<QWidget*>(ObjectName(item.id), Qt::FindDirectChildrenOnly);
        if (n < controls.size()) {
            SetTemplateText(controls[n], item);
        }
    }
}
