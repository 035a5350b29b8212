#include "platform/locale.h"

#include <QLocale>
#include <clocale>

void UseDotDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c);
}
