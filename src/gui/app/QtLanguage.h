// Qt's own texts (the standard buttons of message boxes and dialogs, the text fields' menus)
// and the default locale follow the interface language: Qt's Russian translations and the
// Russian locale while it is 1049, none and English otherwise. The application object makes one
// once the language is decided; it follows every later switch before the windows hear of it.
#pragma once

#include <QString>
#include <memory>

#include "program/app/LangIds.h"
#include "program/app/LanguageChangeListeners.h"

class QTranslator;

class CQtLanguage {
public:
    CQtLanguage();
    ~CQtLanguage();
    CQtLanguage(const CQtLanguage&) = delete;
    CQtLanguage& operator=(const CQtLanguage&) = delete;

    // Qt's translation file of the language ("qtbase_ru.qm" in Qt's translations folder);
    // empty for the English interface.
    static QString TranslationFile(LANGID lang);

private:
    void Follow(LANGID lang);

    std::unique_ptr<QTranslator> m_translator;
    CLanguageChangeSubscription m_subscription;
};
