#include "app/widgets/AppFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace qm::app {

QFont ClosestFont(const QString& family, int pointSize) {
    static const QStringList kFallbacks = {
        QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
        QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")};
    QFont font;
    if (!QFontDatabase::hasFamily(family)) {
        // Tahoma is a narrow face; a condensed cut of the stand-in keeps the layouts' widths.
        font.setStretch(QFont::SemiCondensed);
    }
    QStringList families{family};
    for (const QString& fallback : kFallbacks) {
        if (QFontDatabase::hasFamily(fallback)) {
            families << fallback;
        }
    }
    font.setFamilies(families);
    font.setPointSize(pointSize);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace qm::app
