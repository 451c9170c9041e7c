#include "gui/app/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "program/app/UiLanguage.h"

CQtLanguage::CQtLanguage() : m_subscription([this] { Follow(GetUiLanguage()); }) {
    Follow(GetUiLanguage());
}

CQtLanguage::~CQtLanguage() {
    if (m_translator != nullptr) {
        QCoreApplication::removeTranslator(m_translator.get());
    }
}

QString CQtLanguage::TranslationFile(LANGID lang) {
    if (lang != LANG_RUSSIAN_ID) {
        return {};
    }
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm");
}

void CQtLanguage::Follow(LANGID lang) {
    // What Qt makes from now on (the owner PIN prompt asks QLocale) speaks the interface language.
    QLocale::setDefault(lang == LANG_RUSSIAN_ID ? QLocale(QLocale::Russian, QLocale::Russia)
                                                : QLocale(QLocale::English, QLocale::UnitedStates));
    if (m_translator != nullptr) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    const QString file = TranslationFile(lang);
    if (file.isEmpty()) {
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    // Without Qt's translations installed its own texts stay English.
    if (translator->load(file) && QCoreApplication::installTranslator(translator.get())) {
        m_translator = std::move(translator);
    }
}
