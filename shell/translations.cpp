#include "shell/translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace vostrel::shell {

bool InstallTranslator() {
    static const bool installed = [] {
        auto* app = QCoreApplication::instance();
        if (!app) return false;
        auto* translator = new QTranslator(app);
        if (!translator->load(QLocale(), "vostrel", "_", ":/translations")) {
            delete translator;
            return false;
        }
        return QCoreApplication::installTranslator(translator);
    }();
    return installed;
}

}  // namespace vostrel::shell
