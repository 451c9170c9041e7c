// Builds Qt widgets from a dialog template: every control becomes the widget
// that plays its part (labels, pictures, lines, edits, buttons, check and
// radio boxes, group boxes, lists, combo boxes, list and tree views, progress
// bars), placed at its template rectangle converted from dialog units with
// the dialog font. Each keeps its control id: object name "id_<n>" and the
// property "vkControlId", so code finds it by id.
#pragma once

#include <QString>

#include "gui/resources/DialogFont.h"
#include "program/app/DialogTemplate.h"

class QWidget;

class CLangDialogBuilder {
public:
    static constexpr const char* kIdProperty = "vkControlId";
    static constexpr const char* kClassProperty = "vkControlClass";
    static constexpr const char* kStyleProperty = "vkControlStyle";

    // Creates the controls as children of `host`, gives `host` the dialog font,
    // caption and size (fixed unless the template has a sizing border), and
    // answers the font. Buttons are only created; whoever owns `host` connects them.
    static CDialogFont Build(QWidget* host, const CDialogTemplate& dlg);

    // Puts the texts of `dlg` (caption, labels, buttons, group boxes) on the
    // controls built from a template with the same ids. Edits keep what they hold.
    static void ApplyTexts(QWidget* host, const CDialogTemplate& dlg);

    static QString ObjectName(DWORD id);
    // The first control of `host` with that id, or null.
    static QWidget* FindControl(const QWidget* host, DWORD id);
    // A control's id; 0 for a widget that is not one.
    static DWORD ControlId(const QWidget* control);

    // Sets a control's text the way its kind shows it ('&' marks a mnemonic,
    // "&&" is an ampersand, unless the label says SS_NOPREFIX).
    static void SetControlText(QWidget* control, const QString& text);
    // The text without mnemonic marks.
    static QString StripMnemonic(const QString& text);
};
