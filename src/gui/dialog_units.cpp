#include "gui/dialog_units.h"

#include <QFontMetrics>

namespace kestrix::gui {

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    static constexpr const char* Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int lettersWidth = metrics.horizontalAdvance(QString::fromLatin1(Letters));
    DialogUnits units;
    // Average letter width, rounded: (width / 26 + 1) / 2 over the 52 letters.
    if (lettersWidth > 0) units.baseX = (lettersWidth / 26 + 1) / 2;
    if (metrics.height() > 0) units.baseY = metrics.height();
    return units;
}

QFont DialogFont(const char* family, int pointSize) {
    QFont font(QString::fromLatin1(family), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace kestrix::gui
