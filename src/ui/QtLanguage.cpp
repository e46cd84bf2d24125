#include "ui/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tc::ui {

namespace {

QTranslator& QtTranslator()
{
    static QTranslator* translator = new QTranslator(QCoreApplication::instance());
    return *translator;
}

} // namespace

QString QtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool ApplyQtLanguage(Language language)
{
    if (!QCoreApplication::instance())
        return false;
    QTranslator& translator = QtTranslator();
    QCoreApplication::removeTranslator(&translator);
    if (IsEnglish(language))
        return true;
    // "qt_ru" gathers qtbase_ru and the other modules' catalogues.
    if (translator.isEmpty() && !translator.load(QStringLiteral("qt_ru"), QtTranslationsFolder())
        && !translator.load(QStringLiteral("qtbase_ru"), QtTranslationsFolder()))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace tc::ui
