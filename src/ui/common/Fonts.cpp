#include "Fonts.h"

#include <QStringList>

namespace {
const QString kControlFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString kWindowFace = QStringLiteral("MS UI Gothic");
}  // namespace

void RegisterFontSubstitutes()
{
    const QStringList substitutes{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP"),
                                  QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(kControlFace, substitutes);
    QFont::insertSubstitutions(kWindowFace, substitutes);
}
