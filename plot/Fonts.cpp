#include "plot/Fonts.h"

#include <QFont>
#include <QString>

namespace fonts {

void registerFontSubstitutions() {
    // insertSubstitution leaves out a substitute that is already listed, so repeated calls
    // (one per test program, say) keep the table as it is.
    QFont::insertSubstitution(QString::fromUtf8(FixedGothic), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QString::fromUtf8(ProportionalGothic), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QString::fromUtf8(PlotLabels), QStringLiteral("DejaVu Sans"));
}

} // namespace fonts
