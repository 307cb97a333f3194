#include "platform/spreadsheet/FontNames.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>

namespace spreadsheet {

namespace {

// A name workbooks keep and the installed families drawn in its metrics.
struct MetricAlias {
    const char* name;
    QStringList faces;
};

const MetricAlias kAliases[] = {
    {"Arial", {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")}},
    {"Times New Roman", {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")}},
    {"Courier New", {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine")}},
};

} // namespace

QStringList screenFontNames()
{
    QStringList names = QFontDatabase::families();
    for (const MetricAlias& alias : kAliases) {
        const QString name = QString::fromLatin1(alias.name);
        if (names.contains(name, Qt::CaseInsensitive))
            continue;
        const QString drawnWith = QFontInfo(QFont(name)).family();
        if (alias.faces.contains(drawnWith, Qt::CaseInsensitive))
            names.append(name);
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

} // namespace spreadsheet
